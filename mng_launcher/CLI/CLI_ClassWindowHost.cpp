#include "CLI/CLI_ClassWindowHost.h"

#include "CLI/CLI_ClassCommandExecutor.h"
#include "CLI/CLI_ClassControlServer.h"
#include "DEVICE/DEVICE_ClassMainBackEnd.h"

#include <QDir>

CLASS_WINDOW_HOST::CLASS_WINDOW_HOST(CLASS_MAIN_BACKEND* backend, std::function<bool()> packageManagerOpen,
                                     QObject* parent)
    : QObject(parent), backend(backend), packageManagerOpen(std::move(packageManagerOpen)),
      executor(std::make_unique<CLASS_COMMAND_EXECUTOR>(this)),
      server(new CLASS_CONTROL_SERVER([this](const CLI_COMMAND& command, const CLI_PROGRESS& progress)
                                      { return executor->Execute(command, progress); },
                                      this))
{
}

CLASS_WINDOW_HOST::~CLASS_WINDOW_HOST() = default;

bool CLASS_WINDOW_HOST::Listen()
{
    return server->Listen();
}

QString CLASS_WINDOW_HOST::Kind() const
{
    return QStringLiteral("window");
}

int CLASS_WINDOW_HOST::IndexOf(const QString& folderName) const
{
    for (int i = 0; !backend.isNull() && i < backend->GetSessionCount(); ++i)
    {
        const QString folder = backend->GetSessionFolder(i);
        if (!folder.isEmpty() && QDir(folder).dirName() == folderName)
        {
            return i;
        }
    }
    return -1;
}

QStringList CLASS_WINDOW_HOST::RunningFolders() const
{
    QStringList running;
    for (int i = 0; !backend.isNull() && i < backend->GetSessionCount(); ++i)
    {
        if (!backend->IsSessionIdle(i))
        {
            running.append(QDir(backend->GetSessionFolder(i)).dirName());
        }
    }
    return running;
}

CLI_RESULT CLASS_WINDOW_HOST::Start(const CLI_SESSION_INFO& session)
{
    int index = IndexOf(session.folder);
    // A folder that appeared after the window loaded its sessions joins the list first, checked against
    // the packages installed now.
    if (index < 0 && !backend.isNull())
    {
        backend->GetVersionInfo()->FindInstalledVersions();
    }
    if (index < 0 && !backend.isNull() && backend->LoadSessionFolder(session.folder))
    {
        index = backend->GetSessionCount() - 1;
    }
    if (index < 0)
    {
        return CLI_RESULT::Fail(EXIT_FAILED,
                                QStringLiteral("The launcher could not load %1.").arg(session.folder));
    }
    if (backend->IsSessionModified(index))
    {
        return CLI_RESULT::Fail(
            EXIT_REFUSED,
            QStringLiteral("%1 has unsaved changes in the launcher's window.").arg(session.folder));
    }
    // A start that is not done tells the command, not the window: a box there would hold the command.
    const RUN_RESULT result = backend->StartSession(index);
    if (!result.IsDone())
    {
        return CLI_RESULT::Refusal(result);
    }
    return CLI_RESULT::Done(QStringLiteral("Started %1 (%2).").arg(session.folder, session.name));
}

CLI_RESULT CLASS_WINDOW_HOST::Stop(const QString& folderName)
{
    const int index = IndexOf(folderName);
    if (index >= 0 && !backend->IsSessionIdle(index))
    {
        backend->StopRunningSession(index);
        return CLI_RESULT::Done(QStringLiteral("Stopped %1.").arg(folderName));
    }
    return CLI_RESULT::Done(QStringLiteral("%1 is not running.").arg(folderName));
}

void CLASS_WINDOW_HOST::SessionImported(const QString& folderName)
{
    if (!backend.isNull() && IndexOf(folderName) < 0)
    {
        backend->LoadSessionFolder(folderName);
    }
}

CLI_RESULT CLASS_WINDOW_HOST::CanChangePackages() const
{
    if (packageManagerOpen && packageManagerOpen())
    {
        return CLI_RESULT::Fail(
            EXIT_REFUSED,
            QStringLiteral("The package manager is open in the launcher's window; close it first."));
    }
    return CLI_RESULT::Done();
}

CLASS_TARVO_VERSION_INFO* CLASS_WINDOW_HOST::VersionInfo()
{
    return backend.isNull() ? nullptr : backend->GetVersionInfo();
}

void CLASS_WINDOW_HOST::PackagesChanged()
{
    // The job has read the installed packages again at its end; the sessions' lists follow them.
    if (!backend.isNull())
    {
        backend->SLOT_RefreshUpdaters();
    }
}
