#ifndef DEVICE_CLASSSESSIONRUNNER_H
#define DEVICE_CLASSSESSIONRUNNER_H

#include "DEVICE/DEVICE_RunResult.h"
#include "ZR_Types.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

class CLASS_MAIN_VIEW;
class CLASS_SESSION_RECORD;
class CLASS_TARVO_VERSION_INFO;

// Run control of the sessions: starts the simulator of a session's version with the session folder as
// its only argument, follows it until it ends (0 or a crash: shut down, 1: reboot), and stops it with its
// whole process tree. At most one session runs at a time. Works on the session back end's records; a
// session run from the command line, without a window, has CLASS_NULL_VIEW as its main view.
class CLASS_SESSION_RUNNER : public QObject
{
    Q_OBJECT

public:
    static constexpr int START_TIMEOUT_MS = 30000;
    // A simulator that asks for this many restarts within the window is not restarted once more.
    static constexpr int RESTART_LIMIT = 5;
    static constexpr qint64 RESTART_WINDOW_MS = 60000;

    CLASS_SESSION_RUNNER(CLASS_MAIN_VIEW* mainView, const QList<CLASS_SESSION_RECORD*>* sessions,
                         const CLASS_TARVO_VERSION_INFO* versionInfo, const QString& applicationFolder,
                         QObject* parent = nullptr);

    // The window's request: start an idle session, stop a running one; a start that is not done shows
    // its reason in a box.
    void StartOrStopSession(SDWord sessionIndex);
    // Starts an idle session's simulator and marks it running; shows nothing, the result says why not.
    RUN_RESULT StartSession(int sessionIndex);
    // Stops a running session's simulator and marks it idle.
    void StopRunningSession(int sessionIndex);
    // Starts the simulator of a session's version; the result says why it did not start (logged).
    RUN_RESULT SLOT_StartSession(int sessionIndex);
    // Ends the session's simulator with its process tree, without the shutdown or reboot handling.
    void StopSession(int sessionIndex);
    // Stops every session that runs (the launcher quits).
    void StopAllSessions();

    // The simulator program of a version: application folder / TARVO_<v> / bin / ZR_APP_SIMULATOR.
    QString SimulatorProgram(const QString& version) const;
    // The version a session runs: its panel's choice, or without a window the one it was saved with.
    QString SessionVersion(const CLASS_SESSION_RECORD* record) const;

signals:
    // A session became running or idle (started, stopped, shut down, rebooted).
    void SIGNAL_SessionStateChanged(int sessionIndex, bool running);

public slots:
    void SLOT_ShutOrRebootSession(int exitCode, QProcess::ExitStatus exitStatus);

private:
    CLASS_SESSION_RECORD* Record(int index) const;
    bool AnySessionRunning() const;
    RUN_RESULT CheckStartable(int index) const;
    void MarkRunning(int index);
    void MarkIdle(int index);
    void RestartSession(int index);
    bool RestartAllowed(CLASS_SESSION_RECORD* record);
    void StopProcess(CLASS_SESSION_RECORD* record, bool releaseLater);
    void ReleaseProcess(CLASS_SESSION_RECORD* record, bool later);

    CLASS_MAIN_VIEW* mainView;
    const QList<CLASS_SESSION_RECORD*>* sessions;
    const CLASS_TARVO_VERSION_INFO* versionInfo;
    QString applicationFolder;
    QElapsedTimer clock; // times the restarts
    QTimer reaper;       // reaps the detached programs that came back to the launcher and ended
};

#endif // DEVICE_CLASSSESSIONRUNNER_H
