#ifndef PLATFORM_CLASSSIMULATORPROCESS_H
#define PLATFORM_CLASSSIMULATORPROCESS_H

#include <QProcess>

// The process of a session's simulator. Its standard error goes where the launcher's goes, and its
// standard output joins the launcher's standard error, so that it never mixes into what a command prints.
// Linux: the simulator is ended (SIGKILL) when the launcher ends in any way, also when the launcher is
// killed (a parent-death signal), so that no simulator outlives it holding its port. Windows: no more.
class CLASS_SIMULATOR_PROCESS : public QProcess
{
    Q_OBJECT

public:
    explicit CLASS_SIMULATOR_PROCESS(QObject* parent = nullptr);

protected:
    void setupChildProcess() override;

private:
    void ForwardOutput();

    qint64 launcherPid;
};

#endif // PLATFORM_CLASSSIMULATORPROCESS_H
