#include "PLATFORM/PLATFORM_Platform.h"

#include <QObject>
#include <QPointer>

#include <functional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace
{
// Cleared when the receiver goes (a command's event loop ends before its clean-up): a request then
// has no one left to tell.
QPointer<QObject> terminationReceiver;
std::function<void()> terminationHandler;

void DeliverTermination()
{
    QObject* receiver = terminationReceiver.data();
    if (receiver != nullptr)
    {
        QMetaObject::invokeMethod(
            receiver, []() { terminationHandler(); }, Qt::QueuedConnection);
    }
}

#ifdef Q_OS_WIN
BOOL WINAPI ConsoleHandler(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT)
    {
        DeliverTermination();
        return TRUE;
    }
    return FALSE;
}
#else
// The signal handler only writes a byte; the event loop reads it and calls the handler.
int signalPipe[2] = {-1, -1};

void SignalHandler(int)
{
    const char byte = 1;
    static_cast<void>(::write(signalPipe[0], &byte, 1));
}
#endif
} // namespace

namespace PLATFORM
{
bool WatchTerminationRequests(QObject* receiver, const std::function<void()>& handler)
{
    terminationReceiver = receiver;
    terminationHandler = handler;
#ifdef Q_OS_WIN
    return SetConsoleCtrlHandler(ConsoleHandler, TRUE) != 0;
#else
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
    {
        return false;
    }
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, receiver);
    QObject::connect(notifier, &QSocketNotifier::activated, receiver,
                     []()
                     {
                         char byte = 0;
                         static_cast<void>(::read(signalPipe[1], &byte, 1));
                         DeliverTermination();
                     });
    struct sigaction action = {};
    action.sa_handler = SignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // A closed terminal (SIGHUP) and SIGQUIT end a command as SIGTERM does: its simulator is stopped.
    bool watching = true;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
    {
        watching = ::sigaction(signalNumber, &action, nullptr) == 0 && watching;
    }
    return watching;
#endif
}
} // namespace PLATFORM
