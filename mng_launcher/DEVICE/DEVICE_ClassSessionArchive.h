#ifndef DEVICE_CLASSSESSIONARCHIVE_H
#define DEVICE_CLASSSESSIONARCHIVE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTemporaryFile;

// How an export or an import ended.
struct SESSION_ARCHIVE_RESULT
{
    bool ok = false;
    // The session folder exported, or unpacked into the sessions root: on import the archive's one top-level
    // folder, whatever the archive itself is called.
    QString folderName;
    QString archivePath; // the archive written (export) or read (import)
    QString message;     // for the user when ok is false
    // Import: the archive itself was refused (not a zip, unsafe, damaged, its folder exists), as opposed to
    // a tool that could not run or a disk that could not take the session. Export: an archive of that
    // name exists and was not to be replaced.
    bool refused = false;
};

// The session archives: a zip of one session folder (the folder itself at the top of the archive) with a
// two-line comment, written by the zip tool and unpacked by the unzip tool that ship with the launcher.
// No widgets: the session back end asks the dialogs and shows the boxes.
//
// An import never touches what exists: the archive is listed and tested first, must hold exactly one
// top-level session folder with its settings.ini and no unsafe entry, and is unpacked into a hidden
// staging folder from which the session folder is moved into the sessions root in one step.
class CLASS_SESSION_ARCHIVE
{
public:
    static constexpr int START_TIMEOUT_MS = 30000;
    static constexpr int FINISH_TIMEOUT_MS = 30000;

    // toolFolder: the folder of zip/unzip (the launcher's folder; on Linux the tools fall back to PATH).
    CLASS_SESSION_ARCHIVE(const QString& sessionsRoot, const QString& toolFolder);

    // Limits of every run of a tool (start, then finish).
    void SetTimeLimits(int startMs, int finishMs);
    // Test hook: the limits that objects constructed from now on start with.
    static void SetDefaultTimeLimits(int startMs, int finishMs);

    // What an export does with an archive of the same name in the target folder.
    enum class EXISTING_ARCHIVE
    {
        Refuse,  // the export is refused (result.refused), nothing is written
        Replace, // the new archive takes its place, once it is complete
    };

    // The archive an export of sessionFolder into targetFolder writes: targetFolder/<folder>.zip.
    static QString ArchivePath(const QString& sessionFolder, const QString& targetFolder);

    // Writes targetFolder/<folder>.zip from the session folder (a folder of the sessions root). The archive
    // is made beside its place and moved there only when complete: a failed run leaves no new archive and
    // an older one of the same name as it was.
    SESSION_ARCHIVE_RESULT Export(const QString& sessionFolder, const QString& targetFolder,
                                  EXISTING_ARCHIVE existing) const;
    // Unpacks a session archive into the sessions root, after the checks above.
    SESSION_ARCHIVE_RESULT Import(const QString& archivePath) const;

    // The archive comment: display name, line feed, application version.
    static QString CommentText();
    // The one top-level folder that every entry lies in, or empty (reason set) when an entry is absolute,
    // climbs with "..", or lies outside that folder.
    static QString TopLevelFolder(const QStringList& entries, QString* reason);

private:
    enum class UNZIP_RUN
    {
        Done,    // ended in time with exit code 0
        Refused, // ended with another code: the tool refused the archive
        Failed,  // ended with a code about this machine, not the archive: no memory, a full disk
        Stuck,   // did not start, or did not end in time (it is killed)
    };
    // Runs the unzip tool with the limits; output receives its standard output.
    UNZIP_RUN RunUnzip(const QStringList& arguments, const QString& workingFolder, QByteArray* output) const;
    // Sets the message for the user (refusal: %1 the archive's file name, optional %2 the folder); false.
    static bool Fail(SESSION_ARCHIVE_RESULT& result, UNZIP_RUN run, const QString& refusal);
    static bool WriteComment(QTemporaryFile& file);
    // The folder of the sessions root that an import would create, taken or not.
    bool FolderTaken(const QString& folderName) const;
    bool CheckArchive(const QString& archive, SESSION_ARCHIVE_RESULT& result) const;
    bool Unpack(const QString& archive, SESSION_ARCHIVE_RESULT& result) const;

    QString sessionsRoot;
    QString toolFolder;
    int startTimeoutMs;
    int finishTimeoutMs;
};

#endif // DEVICE_CLASSSESSIONARCHIVE_H
