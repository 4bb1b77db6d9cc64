// Asks an X11 window to close the way a window manager does when the user clicks its close button:
// a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Under a bare X server (no window manager)
// this is the clean close; xdotool 3.20160805 can only destroy the window or kill its client.
//
// Usage: x11_close_window <window id>   (decimal or 0x hexadecimal, as xdotool prints it)
// Exit status: 0 sent, 1 the window does not take WM_DELETE_WINDOW, 2 usage or display error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace
{
bool TakesDeleteWindow(Display* display, Window window, Atom deleteWindow)
{
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count) == 0)
    {
        return false;
    }
    bool found = false;
    for (int i = 0; i < count; ++i)
    {
        found = found || protocols[i] == deleteWindow;
    }
    XFree(protocols);
    return found;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <window id>\n", argv[0]);
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || window == 0)
    {
        std::fprintf(stderr, "x11_close_window: no display or no window\n");
        return 2;
    }
    const Atom protocolsAtom = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!TakesDeleteWindow(display, window, deleteWindow))
    {
        std::fprintf(stderr, "x11_close_window: window %lu does not take WM_DELETE_WINDOW\n", window);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocolsAtom;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
