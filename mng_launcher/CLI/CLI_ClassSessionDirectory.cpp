#include "CLI/CLI_ClassSessionDirectory.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_SessionFolders.h"

#include <QDir>

CLASS_SESSION_DIRECTORY::CLASS_SESSION_DIRECTORY(const QString& sessionsRoot,
                                                 const QString& applicationFolder)
{
    const QStringList installed = ListInstalledVersionsIn(PackageFolders(applicationFolder));
    // The same folders as the window's list: the launcher's own names and odd ones are no sessions.
    const QStringList folders = SessionFolderNames(sessionsRoot);
    for (const QString& folder : folders)
    {
        const SESSION_LOAD_RESULT loaded =
            CLASS_SESSION_SETTINGS::Load(sessionsRoot, folder, SESSION_LOAD_MODE::ReadOnly);
        if (loaded.status != SESSION_LOAD_STATUS::Loaded)
        {
            continue;
        }
        CLI_SESSION_INFO info;
        info.folder = folder;
        info.folderPath = QDir(loaded.folderPath).absolutePath();
        info.name = loaded.data.name;
        info.description = loaded.data.description;
        info.deviceIndex = loaded.data.deviceIndex;
        info.model = DeviceModelName(loaded.data.deviceIndex);
        info.version = loaded.data.versionText;
        info.installed = installed.contains(info.version);
        info.port = loaded.data.port;
        info.audioCard = loaded.data.audioCard;
        sessions.append(info);
    }
}

void CLASS_SESSION_DIRECTORY::SetRunning(const QStringList& runningFolders)
{
    for (CLI_SESSION_INFO& info : sessions)
    {
        info.running = runningFolders.contains(info.folder);
    }
}

bool CLASS_SESSION_DIRECTORY::Find(const QString& text, CLI_SESSION_INFO& found, CLI_RESULT& failure) const
{
    QList<CLI_SESSION_INFO> named;
    for (const CLI_SESSION_INFO& info : sessions)
    {
        if (info.folder == text)
        {
            found = info;
            return true;
        }
        if (info.name == text)
        {
            named.append(info);
        }
    }
    if (named.size() == 1)
    {
        found = named.first();
        return true;
    }
    if (named.isEmpty())
    {
        failure = CLI_RESULT::Fail(EXIT_NOT_FOUND, QStringLiteral("No session is named \"%1\".").arg(text));
        return false;
    }
    QStringList folders;
    for (const CLI_SESSION_INFO& info : named)
    {
        folders.append(info.folder);
    }
    failure = CLI_RESULT::Fail(EXIT_REFUSED, QStringLiteral("%1 sessions are named \"%2\"; give a folder: %3")
                                                 .arg(named.size())
                                                 .arg(text, folders.join(QStringLiteral(", "))));
    return false;
}
