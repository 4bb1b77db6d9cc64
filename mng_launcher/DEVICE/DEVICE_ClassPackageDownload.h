#ifndef DEVICE_CLASSPACKAGEDOWNLOAD_H
#define DEVICE_CLASSPACKAGEDOWNLOAD_H

#include "QT_UTILS/UTILS_ClassTransferRate.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <memory>

class CLASS_PACKAGE_MANAGER_BACKEND;
class CLASS_PARTIAL_DOWNLOAD;
class CLASS_SHA256;
class QNetworkAccessManager;
class QNetworkReply;

// The download step of the package installer: fetches a package archive into the kept part of its download
// as it arrives, with its SHA-256 computed on the way, under an inactivity limit, showing the progress in
// the installer's window. A part kept from an earlier attempt is continued: the request asks for the rest
// (Range) of the same file (If-Range: its strong ETag or Last-Modified date), and the answer decides:
//   206 that starts where the part ends, for the length on record   the rest is appended
//   200                                                             the file comes whole: the part restarts
//   416 for exactly the part's length                               the part already is the whole file
//   206 at another offset or for another length, other 416          the download starts over
// The kept bytes are hashed again before the rest is added. A cancel or pause of the job aborts the
// running request and leaves the part for the next attempt; failures set the job's status.
class CLASS_PACKAGE_DOWNLOAD
{
public:
    explicit CLASS_PACKAGE_DOWNLOAD(CLASS_PACKAGE_MANAGER_BACKEND& backend);
    ~CLASS_PACKAGE_DOWNLOAD();

    // The archive's size as the package index gives it; -1 (the default) while it is not known. A known
    // size refuses an answer that announces another one or sends more bytes.
    void SetExpectedSize(qint64 bytes) { expectedSize = bytes; }
    // Downloads url into part; sha256 receives the digest of the whole archive, which then lies at the
    // part's ArchivePath(). False when the job was stopped (cancel, pause), the file could not be written,
    // or the download failed or was refused; a part that can be continued stays, any other goes.
    bool DownloadArchive(const QString& url, CLASS_PARTIAL_DOWNLOAD& part, QByteArray& sha256);
    // Aborts the running request, if any.
    void Abort();
    // True while a request runs.
    bool IsActive() const { return !activeReply.isNull(); }

private:
    // What an answer means for the part.
    enum class ANSWER
    {
        Undecided,
        Append,   // its body continues the part (or starts it)
        Ignore,   // no body for the part (an error status): the reply's failure says why
        Restart,  // it does not continue the part: the download starts over
        Complete, // the part already holds the whole file
        Refuse    // it contradicts the package index
    };
    enum class OUTCOME
    {
        Done,
        Again,
        Failed
    };
    struct TRANSFER;

    // One request: the rest of the part (resume) or the whole file.
    OUTCOME Transfer(const QString& url, CLASS_PARTIAL_DOWNLOAD& part, bool resume,
                     std::unique_ptr<CLASS_SHA256>& digest);
    // The request for the whole file, or for the rest of the kept part.
    QNetworkReply* Send(QNetworkAccessManager& manager, const TRANSFER& transfer) const;
    // Decides once, from the final answer's status and headers, what its body is for the part.
    void Decide(TRANSFER& transfer);
    void DecidePartial(TRANSFER& transfer);
    void DecideUnsatisfiable(TRANSFER& transfer);
    void DecideWhole(TRANSFER& transfer);
    // Writes what arrived to the part (or drops it when it is not for the part).
    void Consume(TRANSFER& transfer);
    void ReportProgress(TRANSFER& transfer, qint64 received, qint64 total);
    // Takes answer for the part; an answer whose body the part does not take stops the transfer.
    void Settle(TRANSFER& transfer, ANSWER answer, const QString& reason = QString());
    // Logs a write failure and fails the job with it.
    void WriteFailed(const QString& problem);
    // How the finished request ended for the job.
    OUTCOME Conclude(TRANSFER& transfer);
    // A length of the whole file that the kept part's record, the index and the answer all agree on.
    bool LengthAgrees(const TRANSFER& transfer, qint64 length) const;

    CLASS_PACKAGE_MANAGER_BACKEND& backend;
    QPointer<QNetworkReply> activeReply;
    qint64 expectedSize = -1;
    CLASS_TRANSFER_RATE rate;
    // When the progress was last shown, and at which percentage.
    QElapsedTimer shown;
    int shownPercent = -1;
};

#endif // DEVICE_CLASSPACKAGEDOWNLOAD_H
