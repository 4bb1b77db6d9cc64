#ifndef DEVICE_CLASSSESSIONSETTINGS_H
#define DEVICE_CLASSSESSIONSETTINGS_H

#include <QDateTime>
#include <QString>
#include <QStringList>

// The four ports that every settings file carries with the same values.
inline constexpr int ZRJ_INT_PORT_FIXED = 10506;
inline constexpr int ZRJ_EXT_PORT_FIXED = 10606;
inline constexpr int ZRP_INT_PORT_FIXED = 10500;
inline constexpr int KB700S_PORT_FIXED = 10691;

// What one session's "settings.ini" holds, as plain values.
struct SESSION_SETTINGS_DATA
{
    int deviceIndex = 0; // device index (the file stores its DEVICE_TYPE code)
    int port = 0;        // web port
    QString versionText; // written as given; read back with every "_" turned into "."
    QString name;        // session name
    QString description; // plain text, may span lines
    int audioCard = 0;   // audio card flag: PLUGGED of the "MEZZA_AUDIO" group
    int zrjIntPort = ZRJ_INT_PORT_FIXED;
    int zrjExtPort = ZRJ_EXT_PORT_FIXED;
    int zrpIntPort = ZRP_INT_PORT_FIXED;
    int kb700sPort = KB700S_PORT_FIXED;
};

// How loading one session folder ended.
enum class SESSION_LOAD_STATUS
{
    Loaded,             // the file was read; data holds its values
    EmptyFolderRemoved, // the folder held nothing and was deleted (info line)
    MissingFileRemoved, // the folder had no settings.ini and was deleted with its content (info line)
    ParseFailed,        // settings.ini is unreadable or malformed; the folder stays (error line)
    InvalidFolderName,  // empty, ".", ".." or a path: refused, nothing touched (error line)
    LinkLeftAlone,      // the folder is a link: neither loaded nor removed (error line)
};

// Whether loading may delete a folder that holds no session (empty, or without settings.ini).
enum class SESSION_LOAD_MODE
{
    CleanUp,  // the launcher's start: such folders are deleted
    ReadOnly, // a reading command: nothing on disk changes; the status still tells what was found
};

struct SESSION_LOAD_RESULT
{
    SESSION_LOAD_STATUS status = SESSION_LOAD_STATUS::ParseFailed;
    SESSION_SETTINGS_DATA data; // meaningful only when status is Loaded
    QStringList presentKeys;    // top-level keys found in the file, to apply only what is present
    QString folderPath;         // sessions root + folder name
    // The line the session back end logs from ParseSession (empty when Loaded), and its level.
    QString logText;
    bool logIsError = false;
};

// The session settings file: where session folders live, how they are named, writing every key of
// "settings.ini" and reading it back. No widgets, no state: the session back end passes values in and out.
class CLASS_SESSION_SETTINGS
{
public:
    // Per-user data location without the application's name, + "VORNTAL/Tarvo_Simulator/".
    static QString SessionsRoot();
    // "Tarvo" + creation time as "yyyy_MM_dd_hh_mm_ss".
    static QString SessionFolderName(const QDateTime& creation = QDateTime::currentDateTime());
    // folder + "/settings.ini"
    static QString SettingsFilePath(const QString& folder);

    // Writes folder/settings.ini: nine top-level keys (the four fixed ports always get their fixed
    // values) and the nine card groups. The file is replaced in one step, so a crash leaves either the
    // old or the new file. Keys of an older file that the launcher does not write are kept.
    // False (and logged) when the file could not be written; the old file is then unchanged.
    static bool Write(const QString& folder, const SESSION_SETTINGS_DATA& data);

    // Loads sessionsRoot + folderName. Deletes an empty folder or one without settings.ini (unless mode
    // is ReadOnly; never through a link); keeps a folder whose file cannot be parsed and leaves a link
    // alone. Logs nothing: the caller logs result.logText.
    static SESSION_LOAD_RESULT Load(const QString& sessionsRoot, const QString& folderName,
                                    SESSION_LOAD_MODE mode = SESSION_LOAD_MODE::CleanUp);
};

#endif // DEVICE_CLASSSESSIONSETTINGS_H
