#include "PLATFORM/PLATFORM_ClassDesktopOpener.h"

#include <QSet>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace
{
// The openers that still run, by process id (GUI thread only).
QSet<qint64>& RunningOpeners()
{
    static QSet<qint64> pids;
    return pids;
}
} // namespace

CLASS_DESKTOP_OPENER::CLASS_DESKTOP_OPENER(const QString& program, int timeLimitMs,
                                           const PLATFORM::OPENER_DONE& done, QObject* parent)
    : QProcess(parent), done(done)
{
    qRegisterMetaType<QProcess::ProcessError>("QProcess::ProcessError");
    setProgram(program);
    // Nothing to read from the launcher; what the opener says goes where the launcher's errors go.
    setStandardInputFile(QProcess::nullDevice());
    setStandardOutputFile(QProcess::nullDevice());
    setProcessChannelMode(QProcess::ForwardedErrorChannel);
    timeLimit.setSingleShot(true);
    timeLimit.setInterval(timeLimitMs);
    // A start that fails at once is noticed inside start(): its report, too, comes from the event loop.
    connect(this, &QProcess::errorOccurred, this, &CLASS_DESKTOP_OPENER::NoteError, Qt::QueuedConnection);
    connect(this, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &CLASS_DESKTOP_OPENER::NoteFinished);
    connect(&timeLimit, &QTimer::timeout, this, &CLASS_DESKTOP_OPENER::NoteStillRunning);
}

CLASS_DESKTOP_OPENER::~CLASS_DESKTOP_OPENER()
{
    Forget();
    // QProcess kills a process that still runs when it is destroyed; the opener is let go instead.
    if (state() != QProcess::NotRunning)
    {
        setProcessState(QProcess::NotRunning);
    }
}

void CLASS_DESKTOP_OPENER::Open(const QString& address)
{
    setArguments({address});
    start();
    openerPid = processId();
    if (openerPid > 0)
    {
        RunningOpeners().insert(openerPid);
    }
    timeLimit.start();
}

bool CLASS_DESKTOP_OPENER::IsOpenerProcess(qint64 pid)
{
    return RunningOpeners().contains(pid);
}

// Runs in the child between fork and exec: system calls only.
void CLASS_DESKTOP_OPENER::setupChildProcess()
{
#ifndef Q_OS_WIN
    ::setsid();
#endif
}

void CLASS_DESKTOP_OPENER::NoteError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
    {
        return; // a crash is told by finished
    }
    Forget();
    Report(false, QStringLiteral("%1 could not be started: %2").arg(program(), errorString()));
    deleteLater();
}

void CLASS_DESKTOP_OPENER::NoteFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    Forget();
    if (exitStatus == QProcess::CrashExit)
    {
        Report(false, program() + QStringLiteral(" crashed"));
    }
    else if (exitCode != 0)
    {
        Report(false, QStringLiteral("%1 ended with exit status %2").arg(program()).arg(exitCode));
    }
    else
    {
        Report(true, QString());
    }
    deleteLater();
}

void CLASS_DESKTOP_OPENER::NoteStillRunning()
{
    Report(true, QStringLiteral("%1 still runs after %2 ms").arg(program()).arg(timeLimit.interval()));
}

void CLASS_DESKTOP_OPENER::Report(bool opened, const QString& reason)
{
    if (reported)
    {
        return;
    }
    reported = true;
    timeLimit.stop();
    done(opened, reason);
}

void CLASS_DESKTOP_OPENER::Forget()
{
    RunningOpeners().remove(openerPid);
    openerPid = 0;
}
