#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;
class QObject;
class QProcess;

// The small platform layer: every difference between Windows and Linux lives behind these functions.
namespace PLATFORM
{
// The layer's own errors (a process it refused to kill, ...) go to the launcher's log through this hook,
// which the start-up points at the tracing module once tracing runs; until then they are dropped. The
// layer itself knows no log: it lies below the modules.
using ERROR_LOG = void (*)(const char* sourceFile, const char* function, int line, const QString& text);
void SetErrorLog(ERROR_LOG log);
void LogError(const char* sourceFile, const char* function, int line, const QString& text);

// Takes the launcher's single-instance lock and gives it to holder, which keeps it until it is destroyed.
// Windows: a one-byte shared-memory segment named key, which the system removes with its last holder.
// Linux: an exclusive lock (flock) on lockFile, created 0600 and never through a link; the kernel
// releases it when the holder ends in any way (also SIGKILL), so no stale lock can block a later start.
// lockFile lies in the user's own folders, so the lock is per user and does not depend on TMPDIR.
// False when another copy holds the lock or it cannot be taken (the reason then goes to stderr).
bool TakeSingleInstanceLock(QObject* holder, const QString& key, const QString& lockFile);

// Linux: makes the launcher the child subreaper of everything it starts, so that a helper whose parent
// ended (a double fork, setsid) comes back to the launcher instead of init and stays within reach of
// KillProcessTree, and marks the launcher's environment (TARVO_LAUNCHER=<pid>), which everything it
// starts inherits: a helper that comes back without the mark has cleared its environment. Windows:
// nothing. Safe to call more than once.
void BecomeChildSubreaper();

// Linux: when the process started, in the kernel's clock ticks since boot (0 when it is gone). Windows: 0.
unsigned long long ProcessStartTicks(qint64 pid);

// Marks a process before its start with tag, so that everything it starts can be found later even after
// leaving its tree: Linux gives it the environment variable TARVO_PROCESS_TREE=tag, which its helpers
// inherit. Windows: nothing (taskkill /T walks the tree).
void TagProcessTree(QProcess& process, const QString& tag);

// Ends a process with its whole tree of descendants. Returns true when the tree is gone (every process
// of it has ended; an ended child of the caller stays for its owner to reap, so a QProcess still
// reports finished). Refuses (false) a pid below 1, the launcher itself and any tree holding it.
// Linux: with a tag, the tree also holds every process that descends from the launcher and carries the
// tag, with its own descendants (helpers that double-forked or called setsid), and every child that came
// back to the launcher since the root started without the launcher's mark (a helper that cleared its
// environment before it left the tree), with its descendants.
bool KillProcessTree(qint64 pid, const QString& tag = QString());

// Ends what is left of a tagged tree whose root has already ended, with the unmarked children that came
// back to the launcher since orphansSince (ProcessStartTicks of the root; 0: none). Linux; Windows:
// nothing, true.
bool KillTaggedProcesses(const QString& tag, unsigned long long orphansSince = 0);

// Linux: reaps the ended children that came back to the launcher (child subreaper) from a session of
// their own, such as a browser started detached to show a device's page: nobody else waits for them.
// The launcher's own children share its session, so their ends stay for their QProcess. Windows: nothing.
void ReapDetachedChildren();

// How an address handed to the desktop's opener fared: opened, or not with the reason (for the log).
using OPENER_DONE = std::function<void(bool opened, const QString& reason)>;
// How long the opener may run before it counts as having opened the address: some openers wait for the
// browser they started until it is closed.
constexpr int DESKTOP_OPENER_TIME_LIMIT_MS = 5000;

// Linux: starts the desktop's opener (xdg-open) with the address (a URL, a file:// URL for a folder) as
// its only argument and calls done once, from the event loop: opened when it ends with status 0 or
// still runs after timeLimitMs; else not opened, with the reason (could not start, crashed, its exit
// status: xdg-open ends with 3 or 4 when no handler or browser could open the address). The opener is
// never killed, also not when the launcher ends first. Windows: starts nothing, calls nothing, and
// returns false: the toolkit opens addresses there (QDesktopServices, through the shell).
bool OpenWithDesktopOpener(const QString& address, const OPENER_DONE& done,
                           int timeLimitMs = DESKTOP_OPENER_TIME_LIMIT_MS);
// Test hook: the program that OpenWithDesktopOpener starts instead of xdg-open; empty: xdg-open again.
void SetDesktopOpenerProgram(const QString& program);

// Path of the simulator program inside an installed package folder, as handed to QProcess::start.
QString SimulatorProgramPath(const QString& packageFolder);

// The archive tools: beside the launcher if present, else (Linux) from PATH.
QString ZipProgram();
QString UnzipProgram();
// The rule behind both: the tool "zip" or "unzip" as looked up from the given folder.
QString ArchiveToolProgram(const QString& folder, const QString& toolName);

// Folder of the package archives on the update server: "Windows" or "Linux".
QString PackageArchiveFolder();

// Folder that holds the launcher executable; packages are installed in it.
QString ApplicationFolder();

// True when 127.0.0.1:port can be bound right now (port 0 is never free).
bool IsPortFree(quint16 port);
// Every place where the launcher of this user may listen for commands, in the order a command tries them.
// Linux: "<application>.control" in $XDG_RUNTIME_DIR when that is a folder of the user with mode 0700
// (not a link); the place the listening launcher recorded (found also without XDG_RUNTIME_DIR, as under
// cron or ssh); "control" in the private folder "<application>" of the user's cache; "control" in the
// short private folder /tmp/<application>-<uid>. A path longer than a socket address holds (107 bytes) is
// left out. Windows: a pipe name carrying the user's name.
QStringList ControlSocketCandidates();

// Makes server listen at the first of those places (the recorded one aside) that it can use, records it
// and returns its path; "" when none can be used, and problems receives why each was passed over.
// Linux: the launcher's folders are made 0700; one that is a link or another user's is not used. At the
// socket's path only a socket of this user that nobody answers (left by a launcher that was killed) is
// removed; a file, a link or another user's socket there stays, and the next place is tried. The socket
// is made 0600. Windows: the pipe, with access for the user only.
QString ListenControlServer(QLocalServer& server, QStringList* problems = nullptr);

// True while server still listens where it did. When accepting a connection fails (no descriptor left,
// for instance), Qt closes the listening socket but still reports the server as listening. Linux: the
// socket must still be in place too (Qt removes it when it closes it; so may a cleaner of /tmp).
bool IsControlServerListening(const QLocalServer& server);

// The user id of the process at the other end of a connected local socket (Linux: SO_PEERCRED); -1 when
// it cannot be told (always on Windows).
qint64 PeerUid(qintptr socketDescriptor);
// True when that process runs as this user. Windows: always (the pipe admits no one else).
bool IsOwnUser(qintptr socketDescriptor);
// Ends the sending side of a connected local socket: the peer reads what was written, then the end,
// while what it still sends is received (closing with its request unread would reset the connection and
// could lose the answer). Linux: shutdown(SHUT_WR). Windows: nothing (false).
bool EndSending(qintptr socketDescriptor);

// Calls handler from receiver's event loop when the process is asked to end: SIGTERM, SIGINT, SIGHUP or
// SIGQUIT on Linux,
// Ctrl+C, Ctrl+Break or the console's closing on Windows. False when the watch could not be set up.
bool WatchTerminationRequests(QObject* receiver, const std::function<void()>& handler);

// Linux (X11): the window system plugin loads its OpenGL integration (GLX and the graphics driver) when
// the first window is made, although no window of the launcher draws with OpenGL; that loading is about
// a fifth of the start-up. Asks the plugin to skip it, unless the user chose an integration himself
// (QT_XCB_GL_INTEGRATION). Call before the application object exists. Windows: nothing.
void SkipOpenGlIntegration();
// Takes that request back once the first window exists (the plugin has read it then), so that programs
// started from the launcher, such as a browser, keep their OpenGL. Windows: nothing.
void RestoreOpenGlIntegration();

// Linux: the window's first text needs fontconfig's configuration and font list, whose loading (every
// configuration file, the font caches) takes a few milliseconds. Starts that loading on a thread of its
// own, where it overlaps the application object's work with the display server. Call before the
// application object exists, once a window is to be shown; a second call does nothing. Windows: nothing.
void LoadFontConfigurationAhead();
// Returns once that loading has ended (at once when it never started). Call before the first font is
// looked up.
void AwaitFontConfiguration();
} // namespace PLATFORM

#endif // PLATFORM_PLATFORM_H
