#ifndef APP_LAUNCHERMAIN_H
#define APP_LAUNCHERMAIN_H

#include <functional>

// The launcher's whole start-up, as main() runs it, in this order: the high-DPI attributes; the command
// line under a plain application object (--help, a command: run without a window, its exit code
// returned); the application object and its single-instance lock (a second copy shows "Application
// already running." and ends with 1); the resources, the type aliases, tracing; the launcher back end
// and its window, the control socket for commands; the event loop; then the teardown, after which the
// trace thread has written every line. Returns the process's exit status.
//
// windowStarting runs once the application object holds the lock, before anything of the window exists
// (the start-up benchmark watches for the window's first paint from there).
int RunLauncher(int& argc, char** argv, const std::function<void()>& windowStarting = {});

#endif // APP_LAUNCHERMAIN_H
