#ifndef DEVICE_HELPERS_H
#define DEVICE_HELPERS_H

#include "DEVICE/DEVICE_Constants.h"

#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

// Folder and version helpers shared by the session back end and the package code. Stateless; GUI thread.

// Copies every entry of source into target (created with its parents), recursively. Existing target files
// are not overwritten and count as failures; the walk goes on after a failure. True if every copy worked.
// A target inside the source (or the source itself) is refused: the copy would never end. No link is
// followed: a source or target folder that is a link is refused, a link inside the source is not copied
// (a failure), and nothing is written through a link at the target.
bool CopyDirectory(const QString& source, const QString& target);

// "TARVO_" + version with every "." replaced by "_": "3.1.51" -> "TARVO_3_1_51".
QString PackageFolderName(const QString& version);
// The reverse of PackageFolderName: "TARVO_3_1_51" -> "3.1.51"; empty for a name that is no package
// folder's ("TARVO_" alone, or another beginning).
QString VersionOfPackageFolderName(const QString& name);
// The address of a session's device page: "http://127.0.0.1:<port>".
QString SessionWebUrl(int port);
// A version as the lists, the cards and the settings show it: every "_" replaced by ".", "3_1_51" ->
// "3.1.51".
QString DottedVersion(QString version);
// True when text is a version as it may come from outside (a file name, a catalogue, a command line):
// decimal digits (0-9) separated by single dots, "3.1.51". Anything else ("", ".", "3..1", "3.1.51 beta")
// would name a package folder of its own making.
bool IsVersionText(const QString& text);

// Version texts of the package folders in folder (sub-folders whose name contains "TARVO_"), by name.
QStringList ListInstalledVersions(const QString& folder);

// True when something stands at path: a file, a folder, or a link (also one that leads nowhere).
bool IsPathTaken(const QString& path);

// Where packages live. Beside the program (applicationFolder) when that folder is writable, else in the
// user's own package folder: the launcher's own data folder + "/packages"
// (~/.local/share/Tarvo4kSimulator/packages), outside the sessions root, so that no session folder and
// no imported archive can ever be taken for it. Packages are looked for in both places, the program's
// folder first.
QString UserPackagesFolder();
// The user's package folder of earlier versions: <sessions root>/packages.
QString OldUserPackagesFolder();
// Moves the old user's package folder to the new one, once, and says what it did for the log (empty when
// there was nothing to move). Only a real folder of the user's own (not a link), that holds no session
// (no settings.ini: a session folder planted there must not become the package folder), and only while
// newFolder does not exist; otherwise it stays where it is, untouched.
QString MoveOldUserPackagesFolder(const QString& oldFolder, const QString& newFolder);
// The same for the launcher's own places, logged; run at start-up by whoever holds the single-instance
// lock (the window, or a command working alone).
void MoveOldUserPackagesFolder();
// The places packages are looked for: applicationFolder, then the user's package folder.
QStringList PackageFolders(const QString& applicationFolder);
// The installed versions of every place, the program's folder first, each version once.
QStringList ListInstalledVersionsIn(const QStringList& folders);
// The folder of an installed version: the first place that holds it; the program folder's path when none.
QString FindPackageFolder(const QString& applicationFolder, const QString& version);
// True when a file can be created in folder (a write test: permission bits alone do not tell).
bool IsWritableFolder(const QString& folder);
// The place a new package goes to: applicationFolder when writable, else the user's package folder (made
// when missing). Empty, with the reason for the user, when neither can be written.
QString PackageInstallFolder(const QString& applicationFolder, QString* reason);

// VERSION of every session folder's settings.ini in folder ("_" read as "."), newest first; only folders
// whose name is a session's (IsSessionFolderName).
QStringList ListSessionVersions(const QString& folder);

// True when version a is newer than b: the runs of digits are compared pairwise as numbers, the first
// difference decides; when one text runs out of numbers first, the shorter text counts as newer.
bool VersionIsNewer(const QString& a, const QString& b);

// Sorts versions newest first with VersionIsNewer (a stable sort: safe on odd texts too).
void SortNewestFirst(QStringList& versions);

// Sends the launcher's GET request for url (UTILS::WebRequest: safe redirects followed) through manager and
// waits in a local event loop until the reply finishes; a transfer that stalls for timeoutMs is aborted
// (OperationCanceledError). The caller owns the reply; UTILS::ReplyFailure tells whether it is an answer.
QNetworkReply* GetAndWait(QNetworkAccessManager& manager, const QString& url, int timeoutMs);

// Why a finished reply is no answer, in a few words for the user: "connection refused by 127.0.0.1",
// "timed out", "the server answered HTTP 404", ... (UTILS::ReplyFailure when none of these fits).
QString TransferFailureReason(const QNetworkReply& reply);

// One GET to probeUrl; true when it answers with a 2xx status within timeoutMs.
bool IsInternetReachable(const QString& probeUrl = CLASS_SERVER_ADDRESS::ProbeUrl(),
                         int timeoutMs = SMALL_TRANSFER_TIMEOUT_MS);

// Limits of one run of the compression tool, as the session export waits for it.
inline constexpr int COMPRESS_START_TIMEOUT_MS = 30000;
inline constexpr int COMPRESS_FINISH_TIMEOUT_MS = 30000;

// Runs the zip tool of toolFolder from workingFolder: "zip" -r "target" folderName, so that the archive
// target + ".zip" holds the folder itself. A non-empty commentFile is fed to the tool as the archive
// comment (-z). True when the tool ended in time with exit code 0.
bool CompressSessionFolder(const QString& workingFolder, const QString& folderName, const QString& target,
                           const QString& commentFile, const QString& toolFolder,
                           int startTimeoutMs = COMPRESS_START_TIMEOUT_MS,
                           int finishTimeoutMs = COMPRESS_FINISH_TIMEOUT_MS);

// text as one piece of a command line: double quotes around it (a double quote inside is tripled).
QString QuotedCommandPart(const QString& text);

#endif // DEVICE_HELPERS_H
