#include "DEVICE/DEVICE_SessionFolders.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_Constants.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace
{
bool IsControl(QChar character)
{
    return character.category() == QChar::Other_Control;
}

bool IsPlainName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..") &&
           !name.startsWith(QLatin1Char('.')) && !name.startsWith(QLatin1Char('-')) &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           std::none_of(name.begin(), name.end(), IsControl);
}

bool SameName(const QString& a, const QString& b)
{
    // Case-insensitive: Windows' folders are, and a name that differs only in case is no session's anyway.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The old package folder's name, taken by a session: a settings.ini lies there.
bool HoldsSession(const QString& sessionsRoot, const QString& name)
{
    return QFileInfo(CLASS_SESSION_SETTINGS::SettingsFilePath(QDir(sessionsRoot).filePath(name))).isFile();
}
} // namespace

QStringList LauncherRootNames()
{
    return {LOCAL_CATALOGUE_NAME, STATE_FILE_NAME, LOCK_FILE_NAME, OLD_USER_PACKAGES_FOLDER_NAME};
}

bool IsSessionFolderName(const QString& name, const QString& sessionsRoot)
{
    if (!IsPlainName(name))
    {
        return false;
    }
    if (SameName(name, OLD_USER_PACKAGES_FOLDER_NAME))
    {
        return HoldsSession(sessionsRoot, name);
    }
    const QStringList reserved = LauncherRootNames();
    return std::none_of(reserved.begin(), reserved.end(),
                        [&name](const QString& kept) { return SameName(name, kept); });
}

QStringList SessionFolderNames(const QString& sessionsRoot)
{
    QStringList names =
        QDir(sessionsRoot).entryList(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&sessionsRoot](const QString& name)
                               { return !IsSessionFolderName(name, sessionsRoot); }),
                names.end());
    return names;
}

QList<SESSION_USING_VERSION> SessionsUsingVersion(const QString& sessionsRoot, const QString& version)
{
    QList<SESSION_USING_VERSION> users;
    const QStringList folders = SessionFolderNames(sessionsRoot);
    for (const QString& folder : folders)
    {
        const SESSION_LOAD_RESULT loaded =
            CLASS_SESSION_SETTINGS::Load(sessionsRoot, folder, SESSION_LOAD_MODE::ReadOnly);
        if (loaded.status == SESSION_LOAD_STATUS::Loaded && loaded.data.versionText == version)
        {
            users.append({loaded.data.name, folder});
        }
    }
    return users;
}
