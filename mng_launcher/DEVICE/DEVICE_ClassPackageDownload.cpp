#include "DEVICE/DEVICE_ClassPackageDownload.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassPartialDownload.h"
#include "DEVICE/DEVICE_ClassSha256.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_ClassProxyFactory.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

namespace
{
constexpr qint64 DOWNLOAD_READ_BUFFER_BYTES = 1024 * 1024;
constexpr int HTTP_PARTIAL_CONTENT = 206;
constexpr int HTTP_RANGE_NOT_SATISFIABLE = 416;
// A kept part the server does not continue: one more request, for the whole file.
constexpr int MAX_ATTEMPTS = 2;
// The progress shown changes with every percent, else at most this often.
constexpr qint64 PROGRESS_INTERVAL_MS = 250;

// The validator If-Range may carry: the strong ETag of the answer, else its Last-Modified date (a weak
// ETag does not promise the same bytes). Empty when the answer has neither.
QString Validator(const QNetworkReply& reply)
{
    const QByteArray tag = reply.rawHeader("ETag").trimmed();
    if (!tag.isEmpty() && !tag.startsWith("W/"))
    {
        return QString::fromLatin1(tag);
    }
    return QString::fromLatin1(reply.rawHeader("Last-Modified").trimmed());
}

QString ContentRange(const QNetworkReply& reply)
{
    return QString::fromLatin1(reply.rawHeader("Content-Range")).trimmed();
}
} // namespace

// One request and what its answer means for the part.
struct CLASS_PACKAGE_DOWNLOAD::TRANSFER
{
    TRANSFER(const QString& url, CLASS_PARTIAL_DOWNLOAD& part, std::unique_ptr<CLASS_SHA256>& digest)
        : url(url), part(part), digest(digest)
    {
    }

    QString url;
    CLASS_PARTIAL_DOWNLOAD& part;
    std::unique_ptr<CLASS_SHA256>& digest;
    QNetworkReply* reply = nullptr;
    PARTIAL_DOWNLOAD_RECORD record; // the kept part's record, when the request continues it
    qint64 offset = 0;              // where the answer's body starts in the file
    qint64 end = 0;                 // the bytes the part holds
    qint64 length = -1;             // the whole file's length as the answer tells it
    ANSWER answer = ANSWER::Undecided;
    bool writeFailed = false;
    QString reason; // why the answer is not taken
};

CLASS_PACKAGE_DOWNLOAD::CLASS_PACKAGE_DOWNLOAD(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

CLASS_PACKAGE_DOWNLOAD::~CLASS_PACKAGE_DOWNLOAD() = default;

bool CLASS_PACKAGE_DOWNLOAD::DownloadArchive(const QString& url, CLASS_PARTIAL_DOWNLOAD& part,
                                             QByteArray& sha256)
{
    QString problem;
    if (!part.Open(&problem))
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Error opening file for writing:") + problem);
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FILE_ERROR,
                     QStringLiteral("cannot write the download (%1)").arg(problem));
        return false;
    }
    bool resume = part.CanResume(url, expectedSize);
    TRACE_INFO_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Downloading %1 (%2 bytes kept, proxy: %3)")
                                          .arg(url)
                                          .arg(resume ? part.KeptBytes() : 0)
                                          .arg(CLASS_PROXY_FACTORY::DescribeInstalled(QUrl(url))));
    std::unique_ptr<CLASS_SHA256> digest;
    OUTCOME outcome = OUTCOME::Again;
    for (int attempt = 0; outcome == OUTCOME::Again && attempt < MAX_ATTEMPTS; ++attempt)
    {
        outcome = Transfer(url, part, resume, digest);
        resume = false;
    }
    if (outcome == OUTCOME::Done && !part.Complete())
    {
        WriteFailed(part.ArchivePath());
        outcome = OUTCOME::Failed;
    }
    if (outcome != OUTCOME::Done)
    {
        // A part is kept only when the next attempt can continue it.
        part.File().close();
        if (!part.CanResume(url, expectedSize))
        {
            part.Discard();
        }
        return false;
    }
    sha256 = digest->Result();
    return true;
}

void CLASS_PACKAGE_DOWNLOAD::Abort()
{
    if (!activeReply.isNull())
    {
        activeReply->abort();
    }
}

CLASS_PACKAGE_DOWNLOAD::OUTCOME CLASS_PACKAGE_DOWNLOAD::Transfer(const QString& url,
                                                                 CLASS_PARTIAL_DOWNLOAD& part, bool resume,
                                                                 std::unique_ptr<CLASS_SHA256>& digest)
{
    TRANSFER transfer(url, part, digest);
    rate.Restart();
    shown.invalidate();
    digest = std::make_unique<CLASS_SHA256>();
    // The kept bytes are read again: the digest covers the whole file, and a part that cannot be read is
    // not continued.
    if (resume && part.HashKept(*digest))
    {
        transfer.record = part.Record();
        transfer.offset = part.KeptBytes();
        transfer.end = transfer.offset;
    }
    else
    {
        digest = std::make_unique<CLASS_SHA256>();
        if (!part.Restart())
        {
            WriteFailed(part.File().errorString());
            return OUTCOME::Failed;
        }
    }
    QNetworkAccessManager manager;
    QNetworkReply* reply = Send(manager, transfer);
    transfer.reply = reply;
    activeReply = reply;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [this, &transfer]() { Consume(transfer); });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop,
                     [this, &transfer](qint64 received, qint64 total)
                     { ReportProgress(transfer, received, total); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
    {
        loop.exec();
    }
    activeReply.clear();
    QObject::disconnect(reply, nullptr, &loop, nullptr);
    if (reply->error() == QNetworkReply::NoError)
    {
        Consume(transfer);
    }
    return Conclude(transfer);
}

QNetworkReply* CLASS_PACKAGE_DOWNLOAD::Send(QNetworkAccessManager& manager, const TRANSFER& transfer) const
{
    // An inactivity limit: the timer restarts with every byte, so a large archive may take its time.
    QNetworkRequest request = UTILS::WebRequest(QUrl(transfer.url), backend.options.downloadInactivityMs);
    // The bytes as the file holds them: a compressed transfer could not continue a kept part.
    request.setRawHeader("Accept-Encoding", "identity");
    if (transfer.offset > 0)
    {
        // The rest of the file, if it is still the one the part began; otherwise the whole new one.
        request.setRawHeader("Range", "bytes=" + QByteArray::number(transfer.offset) + '-');
        request.setRawHeader("If-Range", transfer.record.validator.toLatin1());
    }
    QNetworkReply* reply = manager.get(request);
    // The network thread reads ahead only this far: memory stays flat whatever the archive's size.
    reply->setReadBufferSize(DOWNLOAD_READ_BUFFER_BYTES);
    return reply;
}

void CLASS_PACKAGE_DOWNLOAD::Decide(TRANSFER& transfer)
{
    if (transfer.answer != ANSWER::Undecided)
    {
        return;
    }
    const int status = transfer.reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == HTTP_PARTIAL_CONTENT && transfer.offset > 0)
    {
        DecidePartial(transfer);
    }
    else if (status == HTTP_RANGE_NOT_SATISFIABLE && transfer.offset > 0)
    {
        DecideUnsatisfiable(transfer);
    }
    else if (status == HTTP_PARTIAL_CONTENT)
    {
        Settle(transfer, ANSWER::Refuse, QStringLiteral("a part of the file that was not asked for"));
    }
    else if (status >= 200 && status <= 299)
    {
        DecideWhole(transfer);
    }
    else
    {
        Settle(transfer, ANSWER::Ignore);
    }
}

void CLASS_PACKAGE_DOWNLOAD::DecidePartial(TRANSFER& transfer)
{
    static const QRegularExpression range(QStringLiteral("^bytes (\\d+)-(\\d+)/(\\d+)$"));
    const QRegularExpressionMatch match = range.match(ContentRange(*transfer.reply));
    const qint64 first = match.captured(1).toLongLong();
    const qint64 last = match.captured(2).toLongLong();
    const qint64 length = match.captured(3).toLongLong();
    // The rest must begin where the part ends, run to the end of the file, and belong to a file of the
    // length on record.
    if (!match.hasMatch() || first != transfer.offset || last + 1 != length ||
        !LengthAgrees(transfer, length))
    {
        Settle(transfer, ANSWER::Restart,
               QStringLiteral("The answer to the rest of the kept %1 bytes is \"%2\"")
                   .arg(transfer.offset)
                   .arg(ContentRange(*transfer.reply)));
        return;
    }
    transfer.length = length;
    Settle(transfer, ANSWER::Append);
}

void CLASS_PACKAGE_DOWNLOAD::DecideUnsatisfiable(TRANSFER& transfer)
{
    // "bytes */<length>": a part that already is the whole file asks for bytes past its end.
    static const QRegularExpression range(QStringLiteral("^bytes \\*/(\\d+)$"));
    const QRegularExpressionMatch match = range.match(ContentRange(*transfer.reply));
    const qint64 length = match.captured(1).toLongLong();
    if (match.hasMatch() && length == transfer.offset && LengthAgrees(transfer, length))
    {
        transfer.length = length;
        Settle(transfer, ANSWER::Complete);
        return;
    }
    Settle(transfer, ANSWER::Restart,
           QStringLiteral("The server has no rest for the kept %1 bytes (\"%2\")")
               .arg(transfer.offset)
               .arg(ContentRange(*transfer.reply)));
}

void CLASS_PACKAGE_DOWNLOAD::DecideWhole(TRANSFER& transfer)
{
    const QVariant header = transfer.reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 announced = header.isValid() ? header.toLongLong() : -1;
    if (expectedSize >= 0 && announced >= 0 && announced != expectedSize)
    {
        Settle(
            transfer, ANSWER::Refuse,
            QStringLiteral("the server announces %1 bytes, the index %2").arg(announced).arg(expectedSize));
        return;
    }
    if (transfer.end > 0)
    {
        // The range was ignored or the file has changed: its bytes come from the first one.
        TRACE_INFO_IN(PACKAGE_JOB_ORIGIN,
                      QStringLiteral("The server sends %1 whole: the kept %2 bytes are dropped")
                          .arg(transfer.url)
                          .arg(transfer.end));
        if (!transfer.part.Restart())
        {
            transfer.writeFailed = true;
            transfer.reply->abort();
            return;
        }
        transfer.digest = std::make_unique<CLASS_SHA256>();
    }
    transfer.offset = 0;
    transfer.end = 0;
    transfer.length = announced;
    // Without a record the part could not be continued; the download itself goes on.
    transfer.part.WriteRecord({transfer.url, Validator(*transfer.reply), announced});
    Settle(transfer, ANSWER::Append);
}

void CLASS_PACKAGE_DOWNLOAD::Settle(TRANSFER& transfer, ANSWER answer, const QString& reason)
{
    transfer.answer = answer;
    transfer.reason = reason;
    if (answer != ANSWER::Append && answer != ANSWER::Ignore)
    {
        transfer.reply->abort();
    }
}

bool CLASS_PACKAGE_DOWNLOAD::LengthAgrees(const TRANSFER& transfer, qint64 length) const
{
    return (transfer.record.length < 0 || transfer.record.length == length) &&
           (expectedSize < 0 || expectedSize == length);
}

void CLASS_PACKAGE_DOWNLOAD::Consume(TRANSFER& transfer)
{
    Decide(transfer);
    if (!transfer.reply->isOpen())
    {
        return; // aborted: its answer was not for the part
    }
    const QByteArray chunk = transfer.reply->readAll();
    if (transfer.answer != ANSWER::Append || transfer.writeFailed || chunk.isEmpty())
    {
        return;
    }
    if (expectedSize >= 0 && transfer.end + chunk.size() > expectedSize)
    {
        Settle(transfer, ANSWER::Refuse,
               QStringLiteral("more than the %1 bytes of the index").arg(expectedSize));
        return;
    }
    if (transfer.part.File().write(chunk) != chunk.size())
    {
        transfer.writeFailed = true;
        transfer.reply->abort();
        return;
    }
    transfer.end += chunk.size();
    transfer.digest->AddData(chunk);
}

void CLASS_PACKAGE_DOWNLOAD::ReportProgress(TRANSFER& transfer, qint64 received, qint64 total)
{
    Decide(transfer);
    if (transfer.answer != ANSWER::Append)
    {
        return;
    }
    const qint64 done = transfer.offset + received;
    const qint64 whole = transfer.length >= 0 ? transfer.length : (total >= 0 ? transfer.offset + total : -1);
    rate.Add(done);
    // A fast download does not spend its time drawing its progress.
    const int percent =
        whole > 0 ? static_cast<int>(done * CLASS_PACKAGE_MANAGER_BACKEND::MAX_PROGRESS / whole) : -1;
    if (shown.isValid() && shown.elapsed() < PROGRESS_INTERVAL_MS && percent == shownPercent && done != whole)
    {
        return;
    }
    shown.start();
    shownPercent = percent;
    backend.progress.OnDownloadProgress(done, whole, rate.BytesPerSecond());
}

CLASS_PACKAGE_DOWNLOAD::OUTCOME CLASS_PACKAGE_DOWNLOAD::Conclude(TRANSFER& transfer)
{
    Decide(transfer);
    const bool flushed = transfer.part.File().flush();
    if (backend.StopRequested())
    {
        return OUTCOME::Failed;
    }
    if (transfer.answer == ANSWER::Restart)
    {
        TRACE_INFO_IN(PACKAGE_JOB_ORIGIN, transfer.reason + QStringLiteral(": downloading ") + transfer.url +
                                              QStringLiteral(" from its first byte"));
        return OUTCOME::Again;
    }
    backend.progress.ShowInstalling(0);
    if (transfer.answer == ANSWER::Refuse)
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Refused the download of ") + transfer.url +
                                               QStringLiteral(": ") + transfer.reason);
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED,
                     QStringLiteral("download refused (%1)").arg(transfer.reason));
        transfer.part.Discard();
        return OUTCOME::Failed;
    }
    if (transfer.writeFailed || !flushed)
    {
        WriteFailed(transfer.part.File().errorString());
        return OUTCOME::Failed;
    }
    if (transfer.answer == ANSWER::Complete)
    {
        return OUTCOME::Done;
    }
    const QString failure = UTILS::ReplyFailure(*transfer.reply);
    if (!failure.isEmpty())
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Error downloading file:") + failure);
        if (transfer.reply->error() == QNetworkReply::OperationCanceledError)
        {
            TRACE_ERROR_IN(
                PACKAGE_JOB_ORIGIN,
                QStringLiteral("No data arrived for %1 ms").arg(backend.options.downloadInactivityMs));
        }
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, TransferFailureReason(*transfer.reply));
        return OUTCOME::Failed;
    }
    return OUTCOME::Done;
}

void CLASS_PACKAGE_DOWNLOAD::WriteFailed(const QString& problem)
{
    TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Error writing file:") + problem);
    backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FILE_ERROR,
                 QStringLiteral("cannot write the download (%1)").arg(problem));
}
