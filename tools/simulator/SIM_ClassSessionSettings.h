#ifndef SIM_CLASSSESSIONSETTINGS_H
#define SIM_CLASSSESSIONSETTINGS_H

#include <QList>
#include <QPair>
#include <QString>

// What the simulator takes from a session's settings.ini: identity, web port and plugged cards.
class CLASS_SIMULATOR_SETTINGS
{
public:
    enum class Result
    {
        Ok,
        FolderMissing,  // the session folder does not exist
        FileMissing,    // no settings.ini in it
        FileUnreadable, // settings.ini is not a readable file
        FileMalformed,  // the INI reader reports a format error
        PortInvalid     // PORT missing, not a number, or outside 1..65535
    };

    // Reads <sessionFolder>/settings.ini. On failure ErrorText() tells what is wrong.
    Result Read(const QString& sessionFolder);

    QString ErrorText() const { return errorText; }
    QString SessionFolder() const { return sessionFolder; }
    QString Name() const { return name; }
    QString Description() const { return description; }
    quint16 Port() const { return port; }
    int DeviceTypeCode() const { return deviceTypeCode; }
    QString DeviceModel() const { return deviceModel; }
    QString Version() const { return version; }
    bool AudioCard() const { return audioCard; }
    // Card group name and its PLUGGED flag, in card index order.
    QList<QPair<QString, bool>> Cards() const { return cards; }

private:
    Result Fail(Result result, const QString& text);

    QString errorText;
    QString sessionFolder;
    QString name;
    QString description;
    quint16 port = 0;
    int deviceTypeCode = 0;
    QString deviceModel;
    QString version;
    bool audioCard = false;
    QList<QPair<QString, bool>> cards;
};

#endif // SIM_CLASSSESSIONSETTINGS_H
