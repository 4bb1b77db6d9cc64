#include "APP/APP_LauncherMain.h"

#include "APP/APP_ClassLauncherBackEnd.h"
#include "APP/APP_ClassSingleApplication.h"
#include "CLI/CLI_ClassCommandLine.h"
#include "CLI/CLI_ClassControlClient.h"
#include "CLI/CLI_ClassWindowHost.h"
#include "CLI/CLI_CommandLineMain.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_StartUp.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_Theme.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdlib>

namespace
{
// Reads the command line under a plain application object, so that --help and every command need no
// display; a command runs here, without a window. Returns CLASS_COMMAND_LINE::START_WINDOW or the exit
// code.
int ProcessCommandLine(int& argc, char** argv)
{
    QCoreApplication commandLineApplication(argc, argv);
    QTextStream output(stdout);
    QTextStream errors(stderr);
    CLASS_COMMAND_LINE commandLine;
    const int result = commandLine.Process(QCoreApplication::arguments(), output, errors);
    return result == CLASS_COMMAND_LINE::RUN_COMMAND ? RunCommand(commandLine.Command()) : result;
}

// The desktop entry, the icons and the AppStream data carry the application id (TARVO_APPLICATION_ID,
// from cmake/Packaging.cmake): the window system matches the windows to the entry by it. The window
// icon (ApplyApplicationIcon) is the entry's icon.
void SetDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(QStringLiteral(TARVO_APPLICATION_ID));
}

// The refusal of a second copy. When the copy that holds the lock runs without a window (a command of
// the command line, which answers --status over the control socket), the user is told how to end it.
QString AlreadyRunningText()
{
    const QString refusal = QStringLiteral("Application already running.");
    CLI_COMMAND status;
    status.kind = CLI_COMMAND_KIND::Status;
    status.json = true;
    CLI_RESULT answer;
    if (CLASS_CONTROL_CLIENT::Send(status, answer, [](const QString&, const QString&, int) {}) !=
            CLASS_CONTROL_CLIENT::OUTCOME::Answered ||
        answer.exitCode != EXIT_DONE)
    {
        return refusal;
    }
    const QJsonObject report = QJsonDocument::fromJson(answer.output.toUtf8()).object();
    if (report.value(QStringLiteral("launcher")).toString() != QStringLiteral("headless"))
    {
        return refusal;
    }
    const QString program = QCoreApplication::applicationName();
    if (report.value(QStringLiteral("running")).toArray().isEmpty())
    {
        return refusal +
               QStringLiteral("\n\nA command of the command line is at work without a window. Start "
                              "the launcher again when it has finished.");
    }
    return refusal + QStringLiteral("\n\nA session started from the command line with --start runs without a "
                                    "window. Stop it with:\n\n%1 --stop\n\nthen start the launcher again.")
                         .arg(program);
}

int RunWindow(CLASS_SINGLE_APPLICATION& application)
{
    PLATFORM::AwaitFontConfiguration();
    CLASS_LAUNCHER_BACKEND launcherBackEnd;
    launcherBackEnd.Start();
    // The window exists: the window system has read its settings for good.
    PLATFORM::RestoreOpenGlIntegration();
    // Commands run from a shell reach this window over the control socket.
    CLASS_LAUNCHER_WINDOW* window = launcherBackEnd.Window();
    (new CLASS_WINDOW_HOST(
         window->SessionBackEnd(), [window]() { return window->PackageDialog() != nullptr; }, window))
        ->Listen();
    return application.exec();
}
} // namespace

int RunLauncher(int& argc, char** argv, const std::function<void()>& windowStarting)
{
    // These attributes only take effect before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);

    const int commandLineResult = ProcessCommandLine(argc, argv);
    if (commandLineResult != CLASS_COMMAND_LINE::START_WINDOW)
    {
        return commandLineResult;
    }

    // No window of the launcher draws with OpenGL: its start-up need not wait for the graphics driver.
    PLATFORM::SkipOpenGlIntegration();
    PLATFORM::LoadFontConfigurationAhead();
    InitLauncherResources();
    PrepareStyleSheetAhead();
    CLASS_SINGLE_APPLICATION application(argc, argv);
    SetDesktopIdentity();
    if (!application.TryLock())
    {
        ApplyApplicationIcon();
        CLASS_MESSAGE_BOX::Critical(nullptr, QStringLiteral("Error"), AlreadyRunningText());
        std::exit(1);
    }
    if (windowStarting)
    {
        windowStarting();
    }

    RegisterTypeAliases();
    StartTracing();
    // Before anything looks for packages or sessions, under the single-instance lock.
    MoveOldUserPackagesFolder();
    // The back end and its window are gone when this returns; so are the lines they logged last.
    const int status = RunWindow(application);
    FinishTracing();
    return status;
}
