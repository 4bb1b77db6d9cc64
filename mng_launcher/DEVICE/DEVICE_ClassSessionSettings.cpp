#include "DEVICE/DEVICE_ClassSessionSettings.h"

#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_FileSave.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

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

INI_VALUES AllValues(const SESSION_SETTINGS_DATA& data)
{
    INI_VALUES values{{KEY_DEVICE_TYPE, DeviceTypeCode(data.deviceIndex)},
                      {KEY_PORT, QString::number(data.port)},
                      {KEY_VERSION, data.versionText},
                      {KEY_NAME, data.name},
                      {KEY_ZRJ_INT_PORT, ZRJ_INT_PORT_FIXED},
                      {KEY_ZRJ_EXT_PORT, ZRJ_EXT_PORT_FIXED},
                      {KEY_ZRP_INT_PORT, ZRP_INT_PORT_FIXED},
                      {KEY_KB700S_PORT, KB700S_PORT_FIXED},
                      {KEY_DESCRIPTION, data.description}};
    for (int card = 0; card < CARD_GROUP_COUNT; ++card)
    {
        const QString group = CardGroupName(card) + QLatin1Char('/');
        values.append({group + KEY_PLUGGED, CardPlugged(CardGroupName(card), data.audioCard) ? 1 : 0});
        values.append({group + KEY_TYPE, 0});
        values.append({group + KEY_SLOT, 0});
    }
    return values;
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
    data.versionText = DottedVersion(settings.value(KEY_VERSION).toString());
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
    // The data location ends with the application's name: that last part goes, nothing of the path before.
    QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString name = QCoreApplication::applicationName();
    if (location.endsWith(name))
    {
        location.chop(name.size());
    }
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
    // The finished text replaces settings.ini in one rename, after every write was checked: the simulator,
    // a crash or a full disk never leave a half-written file, and a failed save leaves the old one.
    QString errorText;
    if (!UpdateIniFile(path, AllValues(data), &errorText))
    {
        TRACE_ERROR(errorText);
        return false;
    }
    return true;
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
    // A link in the sessions root (a session kept elsewhere, say) is not the launcher's: it is neither
    // loaded, which would let saves write through it, nor removed.
    if (PLATFORM::IsLink(folderPath))
    {
        return Outcome(SESSION_LOAD_STATUS::LinkLeftAlone, folderPath,
                       QStringLiteral("Left alone a link in the sessions folder : ") + folderPath, true);
    }
    QDir folder(folderPath);
    if (folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
    {
        if (cleanUp)
        {
            PLATFORM::RemoveTree(folderPath);
        }
        return Outcome(SESSION_LOAD_STATUS::EmptyFolderRemoved, folderPath,
                       QStringLiteral("The Session folder is empty ") + folderPath, false);
    }
    const QString filePath = SettingsFilePath(folderPath);
    if (!QFileInfo::exists(filePath) && !PLATFORM::IsLink(filePath))
    {
        if (cleanUp)
        {
            PLATFORM::RemoveTree(folderPath);
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
