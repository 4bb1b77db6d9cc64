#include "CLI/CLI_CommandLineMain.h"

#include "CLI/CLI_ClassCommandExecutor.h"
#include "CLI/CLI_ClassCommandSet.h"
#include "CLI/CLI_ClassControlClient.h"
#include "CLI/CLI_ClassControlServer.h"
#include "CLI/CLI_ClassHeadlessHost.h"
#include "CLI/CLI_ClassTextProgress.h"
#include "CLI/CLI_TerminalText.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_SingleInstanceLock.h"
#include "DEVICE/DEVICE_StartUp.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QThread>

#include <cstdio>

namespace
{
// A launcher that holds the lock but does not listen yet is starting: it is given this long.
constexpr int LAUNCHER_STARTING_MS = 10000;
constexpr int RETRY_PAUSE_MS = 200;

void Print(std::FILE* stream, const QString& text)
{
    if (text.isEmpty())
    {
        return;
    }
    // Results quote names, descriptions and versions from files, archives and servers, and addresses.
    const QByteArray bytes = TerminalSafe(WithoutUserInfo(text)).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    if (!text.endsWith(QLatin1Char('\n')))
    {
        std::fputc('\n', stream);
    }
    std::fflush(stream);
}

CLASS_TEXT_PROGRESS& Progress()
{
    static CLASS_TEXT_PROGRESS progress(CLASS_TEXT_PROGRESS::StandardErrorIsTerminal());
    return progress;
}

void PrintProgress(const QString& package, const QString& text, int value)
{
    Progress().Update(package, text, value);
}

int Finish(const CLI_RESULT& result)
{
    Progress().Finish();
    Print(stdout, result.output);
    Print(stderr, result.error);
    return result.exitCode;
}

// The command's own work, once it holds the lock. A --start stays until its session stops (--stop from
// another command, SIGTERM/SIGINT, or the simulator's own end).
int RunHoldingTheLock(const CLI_COMMAND& command)
{
    TRACE_INFO(COMMAND_RUN_LOG_LINE + CLASS_COMMAND_SET::KindName(command.kind));
    MoveOldUserPackagesFolder();
    CLASS_HEADLESS_HOST host(TARVO_VERSION_INFO_LOCATIONS().WithDefaults().applicationFolder);
    CLASS_COMMAND_EXECUTOR executor(&host);
    CLASS_CONTROL_SERVER server([&executor](const CLI_COMMAND& request, const CLI_PROGRESS& progress)
                                { return executor.Execute(request, progress); });
    server.Listen();
    server.SetBusy(true);
    const CLI_RESULT result = executor.Execute(command, PrintProgress);
    server.SetBusy(false);
    int code = Finish(result);
    if (command.kind == CLI_COMMAND_KIND::Start && result.exitCode == EXIT_DONE)
    {
        // A loop of its own rather than the application's: the trace thread must outlive it.
        QEventLoop loop;
        QObject::connect(&host, &CLASS_HEADLESS_HOST::SIGNAL_NothingRuns, &loop, &QEventLoop::quit);
        PLATFORM::WatchTerminationRequests(&loop, [&loop]() { loop.quit(); });
        loop.exec();
        host.StopAll();
        Print(stdout, QStringLiteral("The session has stopped."));
        code = EXIT_DONE;
    }
    return code;
}

// No launcher answered: the command does the work itself, traced as the window's run is; the lines
// logged while its parts go are written too.
int RunAlone(const CLI_COMMAND& command)
{
    RegisterTypeAliases();
    StartTracing();
    const int code = RunHoldingTheLock(command);
    FinishTracing();
    return code;
}

// Waits for the launcher that holds the lock to answer; Lost when it never does.
CLASS_CONTROL_CLIENT::OUTCOME SendToStartingLauncher(const CLI_COMMAND& command, CLI_RESULT& result)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < LAUNCHER_STARTING_MS)
    {
        const CLASS_CONTROL_CLIENT::OUTCOME outcome =
            CLASS_CONTROL_CLIENT::Send(command, result, PrintProgress);
        if (outcome != CLASS_CONTROL_CLIENT::OUTCOME::NoLauncher)
        {
            return outcome;
        }
        QThread::msleep(RETRY_PAUSE_MS);
    }
    result =
        CLI_RESULT::Fail(EXIT_REFUSED, QStringLiteral("A launcher runs for this user but does not answer."));
    return CLASS_CONTROL_CLIENT::OUTCOME::Lost;
}
} // namespace

int RunCommand(const CLI_COMMAND& given)
{
    CLI_COMMAND command = given;
    CLASS_COMMAND_SET::MakePathsAbsolute(command);
    // A launcher that runs already may ask another server: it learns the command's choice.
    command.server = CLASS_SERVER_ADDRESS::ChosenServer();
    CLI_RESULT result;
    if (CLASS_CONTROL_CLIENT::Send(command, result, PrintProgress) !=
        CLASS_CONTROL_CLIENT::OUTCOME::NoLauncher)
    {
        return Finish(result);
    }
    if (CLASS_COMMAND_SET::IsReading(command.kind))
    {
        return Finish(CLASS_COMMAND_EXECUTOR().Execute(command));
    }
    // Held while this object lives, as the window's application object holds it.
    QObject lock;
    if (!TakeSingleInstanceLock(&lock))
    {
        SendToStartingLauncher(command, result);
        return Finish(result);
    }
    return RunAlone(command);
}
