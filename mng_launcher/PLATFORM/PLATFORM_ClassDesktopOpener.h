#ifndef PLATFORM_CLASSDESKTOPOPENER_H
#define PLATFORM_CLASSDESKTOPOPENER_H

#include "PLATFORM/PLATFORM_Platform.h"

#include <QProcess>
#include <QTimer>

// One run of the desktop's opener (xdg-open) with one address, and its outcome, told once through done:
// opened when the opener ends with status 0 or still runs when the time limit has passed (some openers
// wait for the browser they started); else not, with the reason (could not start, crashed, exit status).
// The opener belongs to the desktop, not to the launcher: it runs in a session of its own (away from the
// launcher's terminal; a browser it leaves behind is reaped with the detached programs), and it is never
// killed, not even when this object is destroyed first (as the application's child at the launcher's
// end). The object deletes itself once the opener has ended.
class CLASS_DESKTOP_OPENER : public QProcess
{
    Q_OBJECT

public:
    CLASS_DESKTOP_OPENER(const QString& program, int timeLimitMs, const PLATFORM::OPENER_DONE& done,
                         QObject* parent);
    ~CLASS_DESKTOP_OPENER() override;

    // Starts the opener with the address as its only argument (no shell).
    void Open(const QString& address);

    // True while pid is an opener that has not been reaped by its object yet: the launcher's reaper of
    // detached programs must leave it alone, or its object would never learn how it ended.
    static bool IsOpenerProcess(qint64 pid);

protected:
    void setupChildProcess() override;

private:
    void NoteError(QProcess::ProcessError error);
    void NoteFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void NoteStillRunning();
    void Report(bool opened, const QString& reason);
    void Forget();

    PLATFORM::OPENER_DONE done;
    bool reported = false;
    qint64 openerPid = 0;
    QTimer timeLimit;
};

#endif // PLATFORM_CLASSDESKTOPOPENER_H
