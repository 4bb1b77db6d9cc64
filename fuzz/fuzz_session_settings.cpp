// A session's settings.ini, as any editor or a broken disk may leave it, read by the session reader.
// Properties: the reader never removes a folder that holds a settings file; what it loads is in range;
// what the launcher writes from the loaded values (on top of the file, as a save does) loads back to the
// same values, with the fixed ports at their fixed values.

#include "FuzzSupport.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_DeviceTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{
// Every QSettings file gets a path of its own: Qt caches parsed files by path and trusts size and
// modification time, which two writes within one millisecond may leave unchanged.
QString NewSessionFolder(const QString& root)
{
    static quint64 counter = 0;
    const QString name = QStringLiteral("Tarvo%1").arg(++counter);
    QDir(root).mkpath(name);
    return name;
}

QString Describe(const SESSION_SETTINGS_DATA& data)
{
    return QStringLiteral(
               "device %1 port %2 version [%3] name [%4] description [%5] audio %6 ports %7 %8 %9 %10")
        .arg(data.deviceIndex)
        .arg(data.port)
        .arg(data.versionText, data.name, data.description)
        .arg(data.audioCard)
        .arg(data.zrjIntPort)
        .arg(data.zrjExtPort)
        .arg(data.zrpIntPort)
        .arg(data.kb700sPort);
}

bool SameSavedValues(const SESSION_SETTINGS_DATA& saved, const SESSION_SETTINGS_DATA& loaded)
{
    return saved.deviceIndex == loaded.deviceIndex && saved.port == loaded.port &&
           saved.versionText == loaded.versionText && saved.name == loaded.name &&
           saved.description == loaded.description && (saved.audioCard != 0) == (loaded.audioCard != 0) &&
           loaded.zrjIntPort == ZRJ_INT_PORT_FIXED && loaded.zrjExtPort == ZRJ_EXT_PORT_FIXED &&
           loaded.zrpIntPort == ZRP_INT_PORT_FIXED && loaded.kb700sPort == KB700S_PORT_FIXED;
}

void CheckLoaded(const SESSION_LOAD_RESULT& result)
{
    FUZZ::Check(result.logText.isEmpty(), "a loaded session logs nothing", result.logText);
    const SESSION_SETTINGS_DATA& data = result.data;
    FUZZ::Check(data.deviceIndex >= 0 && data.deviceIndex < DEVICE_TYPE_CODES.size(),
                "the device index is one of the table", Describe(data));
    FUZZ::Check(!data.versionText.contains(QLatin1Char('_')), "the version text holds no underscore",
                data.versionText);
}

// Save (on top of the file, as the launcher does) then load again, from fresh paths.
void CheckRoundTrip(const QString& root, const QByteArray& input, const SESSION_SETTINGS_DATA& loaded)
{
    const QString saveFolder = root + QLatin1Char('/') + NewSessionFolder(root);
    FUZZ::WriteFile(CLASS_SESSION_SETTINGS::SettingsFilePath(saveFolder), input);
    FUZZ::Check(CLASS_SESSION_SETTINGS::Write(saveFolder, loaded), "a loaded session can be saved",
                Describe(loaded));
    QFile saved(CLASS_SESSION_SETTINGS::SettingsFilePath(saveFolder));
    FUZZ::Check(saved.open(QIODevice::ReadOnly), "the saved file can be read", saved.errorString());
    const QByteArray written = saved.readAll();

    const QString reloadName = NewSessionFolder(root);
    FUZZ::WriteFile(CLASS_SESSION_SETTINGS::SettingsFilePath(root + QLatin1Char('/') + reloadName), written);
    const SESSION_LOAD_RESULT again = CLASS_SESSION_SETTINGS::Load(root, reloadName);
    FUZZ::Check(again.status == SESSION_LOAD_STATUS::Loaded, "a saved session loads again",
                QString::fromUtf8(written));
    FUZZ::Check(SameSavedValues(loaded, again.data), "a saved session loads back to the saved values",
                Describe(loaded) + QStringLiteral("\n") + Describe(again.data) + QStringLiteral("\n") +
                    QString::fromUtf8(written));
    for (const QString& key :
         {QStringLiteral("DEVICE_TYPE"), QStringLiteral("PORT"), QStringLiteral("VERSION"),
          QStringLiteral("NAME"), QStringLiteral("DESCRIPTION")})
    {
        FUZZ::Check(again.presentKeys.contains(key), "a saved file holds every key", key);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString root = FUZZ::TemporaryFolder() + QStringLiteral("/sessions");
    const QByteArray input = FUZZ::Bytes(data, size);
    const QString name = NewSessionFolder(root);
    FUZZ::WriteFile(CLASS_SESSION_SETTINGS::SettingsFilePath(root + QLatin1Char('/') + name), input);

    const SESSION_LOAD_RESULT result = CLASS_SESSION_SETTINGS::Load(root, name);
    FUZZ::Check(QFileInfo::exists(CLASS_SESSION_SETTINGS::SettingsFilePath(result.folderPath)),
                "a session folder with a settings file is kept", result.logText);
    FUZZ::Check(result.status == SESSION_LOAD_STATUS::Loaded ||
                    result.status == SESSION_LOAD_STATUS::ParseFailed,
                "a settings file is either loaded or refused as malformed", result.logText);
    if (result.status == SESSION_LOAD_STATUS::Loaded)
    {
        CheckLoaded(result);
        CheckRoundTrip(root, input, result.data);
    }
    QDir(root).removeRecursively();
    return 0;
}
