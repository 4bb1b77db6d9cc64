#include "DEVICE/DEVICE_ClassSessionSettings.h"

#include "DEVICE/DEVICE_DeviceTables.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

namespace
{
const QString KEY_DEVICE_TYPE = QStringLiteral("DEVICE_TYPE");
const QString KEY_PORT = QStringLiteral("PORT");
const QString KEY_VERSION = QStringLiteral("VERSION");
const QString KEY_NAME = QStringLiteral("NAME");
const QString KEY_ZRJ_INT_PORT = QStringLiteral("ZRJ_INT_PORT");
const QString KEY_ZRJ_EXT_PORT = QStringLiteral("ZRJ_EXT_PORT");
const QString KEY_ZRP_INT_PORT = QStringLiteral("ZRP_INT_PORT");
const QString KEY_KB700S_PORT = QStringLiteral("KB700S_PORT");
const QString KEY_DESCRIPTION = QStringLiteral("DESCRIPTION");
const QString KEY_PLUGGED = QStringLiteral("PLUGGED");
const QString KEY_TYPE = QStringLiteral("TYPE");
const QString KEY_SLOT = QStringLiteral("SLOT");
const QString AUDIO_GROUP = QStringLiteral("MEZZA_AUDIO");

// Cards that are always plugged in; the audio card follows the session's choice, the others never are.
bool CardPlugged(const QString& group, int audioCard)
{
    static const QStringList alwaysPlugged = {QStringLiteral("MOTHERBOARD"), QStringLiteral("FAV"),
                                              QStringLiteral("GENLOCK"), QStringLiteral("MEZZA_SDI_IN")};
    if (group == AUDIO_GROUP)
    {
        return audioCard != 0;
    }
    return alwaysPlugged.contains(group);
}

void SetAllKeys(QSettings& settings, const SESSION_SETTINGS_DATA& data)
{
    settings.setValue(KEY_DEVICE_TYPE, DeviceTypeCode(data.deviceIndex));
    settings.setValue(KEY_PORT, QString::number(data.port));
    settings.setValue(KEY_VERSION, data.versionText);
    settings.setValue(KEY_NAME, data.name);
    settings.setValue(KEY_ZRJ_INT_PORT, ZRJ_INT_PORT_FIXED);
    settings.setValue(KEY_ZRJ_EXT_PORT, ZRJ_EXT_PORT_FIXED);
    settings.setValue(KEY_ZRP_INT_PORT, ZRP_INT_PORT_FIXED);
    settings.setValue(KEY_KB700S_PORT, KB700S_PORT_FIXED);
    settings.setValue(KEY_DESCRIPTION, data.description);
    for (int card = 0; card < CARD_GROUP_COUNT; ++card)
    {
        const QString group = CardGroupName(card);
        settings.beginGroup(group);
        settings.setValue(KEY_PLUGGED, CardPlugged(group, data.audioCard) ? 1 : 0);
        settings.setValue(KEY_TYPE, 0);
        settings.setValue(KEY_SLOT, 0);
        settings.endGroup();
    }
}

// The staging copy starts from the current file, so keys that the launcher does not write survive a
// save as they would with the INI writer working on the file itself. A file the reader rejects, or
// anything but a plain file (a pipe would block the read), is not carried over: the new file is then
// written from scratch.
bool SeedStaging(const QString& path, QTemporaryFile& staging)
{
    if (!QFileInfo(path).isFile())
    {
        return true;
    }
    const QSettings reader(path, QSettings::IniFormat);
    // The INI reader parses its sections on first use: only then does status() tell a malformed one.
    const QStringList keys = reader.allKeys();
    // An empty key in a nested group ("[a%2Fb]" then "=x") is written back in a form the reader refuses:
    // such a file is not carried over, or the launcher could not load its own save.
    const bool emptyKey = std::any_of(keys.cbegin(), keys.cend(),
                                      [](const QString& key) { return key.endsWith(QLatin1Char('/')); });
    if (reader.status() != QSettings::NoError || emptyKey)
    {
        return true;
    }
    QFile current(path);
    if (!current.open(QIODevice::ReadOnly))
    {
        return false;
    }
    return staging.write(current.readAll()) == current.size();
}

bool ReplaceFile(const QString& path, const QByteArray& content)
{
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly))
    {
        TRACE_ERROR(QStringLiteral("Error opening file for writing:") + target.errorString());
        return false;
    }
    if (target.write(content) != content.size() || !target.commit())
    {
        TRACE_ERROR(QStringLiteral("Error writing file:") + target.errorString());
        return false;
    }
    return true;
}

int IntOrFixed(const QSettings& settings, const QString& key, int fixed)
{
    return settings.contains(key) ? settings.value(key).toInt() : fixed;
}

SESSION_SETTINGS_DATA ReadData(const QSettings& settings)
{
    SESSION_SETTINGS_DATA data;
    data.port = settings.value(KEY_PORT).toInt();
    data.name = settings.value(KEY_NAME).toString();
    data.zrjIntPort = IntOrFixed(settings, KEY_ZRJ_INT_PORT, ZRJ_INT_PORT_FIXED);
    data.zrjExtPort = IntOrFixed(settings, KEY_ZRJ_EXT_PORT, ZRJ_EXT_PORT_FIXED);
    data.zrpIntPort = IntOrFixed(settings, KEY_ZRP_INT_PORT, ZRP_INT_PORT_FIXED);
    data.kb700sPort = IntOrFixed(settings, KEY_KB700S_PORT, KB700S_PORT_FIXED);
    data.description = settings.value(KEY_DESCRIPTION).toString();
    data.versionText = settings.value(KEY_VERSION).toString().replace(QLatin1Char('_'), QLatin1Char('.'));
    data.deviceIndex =
        settings.contains(KEY_DEVICE_TYPE) ? DeviceIndexOfCode(settings.value(KEY_DEVICE_TYPE).toInt()) : 0;
    const QStringList groups = settings.childGroups();
    for (const QString& group : groups)
    {
        if (group.contains(AUDIO_GROUP))
        {
            data.audioCard = settings.value(group + QStringLiteral("/") + KEY_PLUGGED).toInt();
        }
    }
    return data;
}

bool IsPlainFolderName(const QString& folderName)
{
    return !folderName.isEmpty() && folderName != QStringLiteral(".") && folderName != QStringLiteral("..") &&
           !folderName.contains(QLatin1Char('/')) && !folderName.contains(QLatin1Char('\\'));
}

SESSION_LOAD_RESULT Outcome(SESSION_LOAD_STATUS status, const QString& folderPath, const QString& logText,
                            bool isError)
{
    SESSION_LOAD_RESULT result;
    result.status = status;
    result.folderPath = folderPath;
    result.logText = logText;
    result.logIsError = isError;
    return result;
}
} // namespace

QString CLASS_SESSION_SETTINGS::SessionsRoot()
{
    QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    location.remove(QCoreApplication::applicationName());
    return location + QStringLiteral("VORNTAL/Tarvo_Simulator/");
}

QString CLASS_SESSION_SETTINGS::SessionFolderName(const QDateTime& creation)
{
    return QStringLiteral("Tarvo") + creation.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
}

QString CLASS_SESSION_SETTINGS::SettingsFilePath(const QString& folder)
{
    return folder + QStringLiteral("/settings") + QStringLiteral(".ini");
}

bool CLASS_SESSION_SETTINGS::Write(const QString& folder, const SESSION_SETTINGS_DATA& data)
{
    const QString path = SettingsFilePath(folder);
    // The INI writer works on a private staging copy; the finished text then replaces settings.ini in
    // one rename, so the simulator or a crash never meets a half-written file.
    QTemporaryFile staging(QDir::tempPath() + QStringLiteral("/tarvo_settings_XXXXXX.ini"));
    if (!staging.open() || !SeedStaging(path, staging))
    {
        TRACE_ERROR(QStringLiteral("Error opening file for writing:") + staging.errorString());
        return false;
    }
    staging.close();
    {
        QSettings settings(staging.fileName(), QSettings::IniFormat);
        SetAllKeys(settings, data);
        settings.sync();
        // A format error here can only come from the old content (Qt may cache a file it parsed before):
        // its malformed sections are dropped and every key above is written. Only a failed write counts.
        if (settings.status() == QSettings::AccessError)
        {
            TRACE_ERROR(QStringLiteral("Failed to write settings for ") + path);
            return false;
        }
    }
    QFile written(staging.fileName());
    if (!written.open(QIODevice::ReadOnly))
    {
        TRACE_ERROR(QStringLiteral("Error reading file:") + written.errorString());
        return false;
    }
    return ReplaceFile(path, written.readAll());
}

SESSION_LOAD_RESULT CLASS_SESSION_SETTINGS::Load(const QString& sessionsRoot, const QString& folderName,
                                                 SESSION_LOAD_MODE mode)
{
    const bool cleanUp = mode == SESSION_LOAD_MODE::CleanUp;
    if (!IsPlainFolderName(folderName))
    {
        return Outcome(SESSION_LOAD_STATUS::InvalidFolderName, sessionsRoot,
                       QStringLiteral("Invalid session folder name ") + folderName, true);
    }
    const QString separator = sessionsRoot.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    const QString folderPath = sessionsRoot + separator + folderName;
    QDir folder(folderPath);
    if (folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
    {
        if (cleanUp)
        {
            folder.removeRecursively();
        }
        return Outcome(SESSION_LOAD_STATUS::EmptyFolderRemoved, folderPath,
                       QStringLiteral("The Session folder is empty ") + folderPath, false);
    }
    const QString filePath = SettingsFilePath(folderPath);
    if (!QFileInfo::exists(filePath))
    {
        if (cleanUp)
        {
            folder.removeRecursively();
        }
        return Outcome(SESSION_LOAD_STATUS::MissingFileRemoved, folderPath,
                       QStringLiteral("The configuration file is missing ") + folderPath, false);
    }
    // Only a plain file is opened: reading a pipe or a device in its place would block the start for good.
    if (!QFileInfo(filePath).isFile())
    {
        return Outcome(SESSION_LOAD_STATUS::ParseFailed, folderPath,
                       QStringLiteral("Failed to parse file ") + filePath, true);
    }
    const QSettings settings(filePath, QSettings::IniFormat);
    // The INI reader parses its sections on first use: only then does status() tell a malformed one.
    static_cast<void>(settings.allKeys());
    if (settings.status() != QSettings::NoError)
    {
        return Outcome(SESSION_LOAD_STATUS::ParseFailed, folderPath,
                       QStringLiteral("Failed to parse file ") + filePath, true);
    }
    SESSION_LOAD_RESULT result = Outcome(SESSION_LOAD_STATUS::Loaded, folderPath, QString(), false);
    result.presentKeys = settings.childKeys();
    result.data = ReadData(settings);
    return result;
}
