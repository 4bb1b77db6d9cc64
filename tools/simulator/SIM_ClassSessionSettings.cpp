#include "SIM_ClassSessionSettings.h"

#include "DEVICE/DEVICE_DeviceTables.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace
{
// The launcher writes the audio card as group MEZZA_AUDIO; any group holding that name counts.
const QString AUDIO_GROUP = QStringLiteral("MEZZA_AUDIO");
} // namespace

CLASS_SIMULATOR_SETTINGS::Result CLASS_SIMULATOR_SETTINGS::Fail(Result result, const QString& text)
{
    errorText = text;
    return result;
}

CLASS_SIMULATOR_SETTINGS::Result CLASS_SIMULATOR_SETTINGS::Read(const QString& folder)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
    {
        return Fail(Result::FolderMissing, QStringLiteral("session folder not found: ") + folder);
    }
    sessionFolder = folderInfo.absoluteFilePath();
    const QString path = sessionFolder + QStringLiteral("/settings.ini");
    const QFileInfo fileInfo(path);
    if (!fileInfo.exists())
    {
        return Fail(Result::FileMissing, QStringLiteral("settings file not found: ") + path);
    }
    if (!fileInfo.isFile() || !fileInfo.isReadable())
    {
        return Fail(Result::FileUnreadable, QStringLiteral("settings file is not readable: ") + path);
    }
    QSettings file(path, QSettings::IniFormat);
    // The INI reader finds a malformed section only when it is first used: read every key first.
    for (const QString& key : file.allKeys())
    {
        file.value(key);
    }
    if (file.status() != QSettings::NoError)
    {
        const bool format = file.status() == QSettings::FormatError;
        return Fail(format ? Result::FileMalformed : Result::FileUnreadable,
                    (format ? QStringLiteral("settings file is malformed: ")
                            : QStringLiteral("settings file is not readable: ")) +
                        path);
    }

    bool portIsNumber = false;
    const QString portText = file.value(QStringLiteral("PORT")).toString().trimmed();
    const int portValue = portText.toInt(&portIsNumber);
    if (portText.isEmpty())
    {
        return Fail(Result::PortInvalid, QStringLiteral("PORT is missing in ") + path);
    }
    if (!portIsNumber || portValue < 1 || portValue > 65535)
    {
        return Fail(
            Result::PortInvalid,
            QStringLiteral("PORT \"%1\" is not a port number (1 to 65535) in %2").arg(portText, path));
    }
    port = static_cast<quint16>(portValue);

    name = file.value(QStringLiteral("NAME")).toString();
    description = file.value(QStringLiteral("DESCRIPTION")).toString();
    version = file.value(QStringLiteral("VERSION")).toString().replace(QLatin1Char('_'), QLatin1Char('.'));
    // The same reverse lookup as the launcher: a code without entry is the first model.
    deviceTypeCode = file.value(QStringLiteral("DEVICE_TYPE"), ::DeviceTypeCode(0)).toInt();
    deviceModel = DeviceModelName(DeviceIndexOfCode(deviceTypeCode));
    if (deviceModel.isEmpty())
    {
        deviceModel = DeviceModelName(0);
    }

    const QStringList groups = file.childGroups();
    for (const QString& group : groups)
    {
        if (group.contains(AUDIO_GROUP))
        {
            audioCard = file.value(group + QStringLiteral("/PLUGGED")).toInt() != 0;
        }
    }
    for (int card = 0; card < CARD_GROUP_COUNT; ++card)
    {
        const QString group = CardGroupName(card);
        cards.append({group, file.value(group + QStringLiteral("/PLUGGED")).toInt() != 0});
    }
    errorText.clear();
    return Result::Ok;
}
