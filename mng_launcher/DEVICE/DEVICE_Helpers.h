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
// A target inside the source (or the source itself) is refused: the copy would never end.
bool CopyDirectory(const QString& source, const QString& target);

// "TARVO_" + version with every "." replaced by "_": "3.1.51" -> "TARVO_3_1_51".
QString PackageFolderName(const QString& version);

// Version texts of the package folders in folder (sub-folders whose name contains "TARVO_"), by name.
QStringList ListInstalledVersions(const QString& folder);

// VERSION of every session folder's settings.ini in folder ("_" read as "."), newest first.
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
