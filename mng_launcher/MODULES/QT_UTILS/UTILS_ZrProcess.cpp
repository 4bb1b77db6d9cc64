#include "QT_UTILS/UTILS_ZrProcess.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QStringList>

namespace
{
const QString QUOTE = QStringLiteral("\"");
// Limit of the wait for a killed process to be reaped.
constexpr int KILL_WAIT_MS = 5000;
} // namespace

CLASS_UTILS_ZRPROCESS::CLASS_UTILS_ZRPROCESS(bool traceOutput, bool traceFailure, QObject* parent)
    : QProcess(parent), traceOutput(traceOutput), traceFailure(traceFailure)
{
    connect(this, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &CLASS_UTILS_ZRPROCESS::ShellProcessFinished);
    connect(this, &QProcess::errorOccurred, this, &CLASS_UTILS_ZRPROCESS::ShellProcessError);
}

CLASS_UTILS_ZRPROCESS::~CLASS_UTILS_ZRPROCESS()
{
    // The base class kills a running process on destruction and reports its end: by then this part of the
    // object is gone, so the handlers are cut off first and the process is ended here.
    disconnect(this, nullptr, this, nullptr);
    if (state() != QProcess::NotRunning)
    {
        kill();
        waitForFinished(KILL_WAIT_MS);
    }
}

bool CLASS_UTILS_ZRPROCESS::ShellProcessStart(const QString& commandLine, int startTimeout, int finishTimeout)
{
    if (!ready)
    {
        return false;
    }
    programOutput.clear();
    success = false;
    StartCommandLine(commandLine);
    if (!waitForStarted(startTimeout))
    {
        TRACE_ERROR(QStringLiteral("Cannot start ShellCommand ") + QUOTE + commandLine + QUOTE +
                    QStringLiteral(": ") + errorString());
        return false;
    }
    if (!waitForFinished(finishTimeout))
    {
        TRACE_ERROR(QStringLiteral("Timeout for ShellCommand ") + QUOTE + commandLine);
        return false;
    }
    if (exitStatus() != QProcess::NormalExit)
    {
        TRACE_ERROR(QStringLiteral("Cannot execute ShellCommand (exit status error) ") + QUOTE + commandLine +
                    QUOTE + QStringLiteral(": ") + errorString());
        return false;
    }
    exitCodeValue = exitCode();
    return exitCodeValue == 0;
}

void CLASS_UTILS_ZRPROCESS::ShellProcessStartDetached(const QString& commandLine)
{
    if (!ready)
    {
        TRACE_ERROR(QStringLiteral("Process not finished"));
        return;
    }
    programOutput.clear();
    success = false;
    ready = false;
    StartCommandLine(commandLine);
}

void CLASS_UTILS_ZRPROCESS::ShellProcessKill()
{
    if (state() == QProcess::NotRunning)
    {
        return;
    }
    kill();
    // Reaped here, so the object can start the next run at once.
    waitForFinished(KILL_WAIT_MS);
    programOutput.clear();
    success = false;
    ready = true;
}

void CLASS_UTILS_ZRPROCESS::ShellProcessFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (exitStatus == QProcess::CrashExit)
    {
        TRACE_ERROR(CrashText());
        success = false;
        programOutput.clear();
        exitCodeValue = -static_cast<int>(error());
        ready = true;
        return;
    }
    exitCodeValue = exitCode;
    programOutput = ReadSimplifiedOutput();
    success = exitCode == 0;
    if (!success && traceFailure)
    {
        QString text = QStringLiteral("Process failed : ") + ProgramAndArguments() + QStringLiteral("(") +
                       QString::number(exitCode) + QStringLiteral("). ");
        if (!programOutput.isEmpty())
        {
            text += QStringLiteral(" Program output: ") + programOutput;
        }
        TRACE_ERROR(text);
    }
    if (traceOutput && !programOutput.isEmpty())
    {
        TRACE_INFO(QStringLiteral("Process return = ") + programOutput);
    }
    ready = true;
    emit SIGNAL_ZrProcessHasFinished();
}

void CLASS_UTILS_ZRPROCESS::ShellProcessError(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart)
    {
        TRACE_ERROR(QStringLiteral("Process failed to start :") + QUOTE + ProgramAndArguments() + QUOTE);
        exitCodeValue = 3;
    }
    else if (exitStatus() == QProcess::NormalExit)
    {
        exitCodeValue = exitCode();
        if (exitCodeValue != 0)
        {
            TRACE_ERROR(QStringLiteral("Process failed : ") + QStringLiteral("Exit code: ") + errorString() +
                        QLatin1Char(' ') + ProgramAndArguments() + QStringLiteral("(") +
                        QString::number(exitCodeValue) + QStringLiteral("). ") +
                        QStringLiteral(" Program output: ") + ReadSimplifiedOutput() + QStringLiteral(" ."));
        }
    }
    else
    {
        TRACE_ERROR(CrashText());
        exitCodeValue = -static_cast<int>(this->error());
    }
    success = false;
    programOutput.clear();
    ready = true;
    emit SIGNAL_ZrProcessHasFinished();
}

void CLASS_UTILS_ZRPROCESS::StartCommandLine(const QString& commandLine)
{
    // Split at blanks, double-quoted parts kept together, as the single-string start of QProcess does.
    QStringList parts = QProcess::splitCommand(commandLine);
    const QString program = parts.isEmpty() ? QString() : parts.takeFirst();
    start(program, parts, QIODevice::ReadWrite);
}

QString CLASS_UTILS_ZRPROCESS::ProgramAndArguments() const
{
    return program() + QLatin1Char(' ') + arguments().join(QLatin1Char(' '));
}

QString CLASS_UTILS_ZRPROCESS::ReadSimplifiedOutput()
{
    const QByteArray simplified = readAllStandardOutput().simplified();
    // Decoding the zero-terminated data stops at the first zero byte.
    const QString text = QString::fromUtf8(simplified.constData());
    return text.isNull() ? QStringLiteral("") : text;
}

QString CLASS_UTILS_ZRPROCESS::CrashText() const
{
    return QStringLiteral("Process crashed :") + QUOTE + ProgramAndArguments() + QUOTE +
           QStringLiteral(" (") + errorString() + QStringLiteral(")");
}
