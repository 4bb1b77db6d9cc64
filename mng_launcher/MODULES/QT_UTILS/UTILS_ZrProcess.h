#ifndef UTILS_ZRPROCESS_H
#define UTILS_ZRPROCESS_H

#include <QProcess>
#include <QString>

// Runs one external command line at a time and records how it ended: whether it started, whether it
// finished in time, its exit code and its whitespace-simplified standard output.
// A blocking run waits with two limits; an asynchronous run reports its end by SIGNAL_ZrProcessHasFinished.
class CLASS_UTILS_ZRPROCESS : public QProcess
{
    Q_OBJECT

public:
    CLASS_UTILS_ZRPROCESS(bool traceOutput, bool traceFailure, QObject* parent = nullptr);
    ~CLASS_UTILS_ZRPROCESS() override;

    // Starts the command line and waits for its start and its end. True only for exit code 0.
    // Refused (false) while an asynchronous run is outstanding.
    bool ShellProcessStart(const QString& commandLine, int startTimeout, int finishTimeout);
    // Starts the command line without waiting; the end is reported by SIGNAL_ZrProcessHasFinished.
    void ShellProcessStartDetached(const QString& commandLine);
    // Kills a starting or running process and makes the object ready again.
    void ShellProcessKill();

    QString GetProgramOutput() const { return programOutput; }
    int GetExitCode() const { return exitCodeValue; }
    bool IsReady() const { return ready; }
    bool IsSuccessful() const { return success; }
    void SetTraceOutput(bool on) { traceOutput = on; }
    void SetTraceFailure(bool on) { traceFailure = on; }

    // Handlers of the process's own end and error notifications.
    void ShellProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void ShellProcessError(QProcess::ProcessError error);

signals:
    void SIGNAL_ZrProcessHasFinished();

private:
    void StartCommandLine(const QString& commandLine);
    // "program arg1 arg2" as the process was started.
    QString ProgramAndArguments() const;
    // The pending standard output, whitespace-simplified and decoded as UTF-8 up to a zero byte.
    QString ReadSimplifiedOutput();
    // The logged text of a crash end.
    QString CrashText() const;

    bool traceOutput;
    bool traceFailure;
    bool ready = true;
    QString programOutput;
    bool success = false;
    int exitCodeValue = -1;
};

#endif // UTILS_ZRPROCESS_H
