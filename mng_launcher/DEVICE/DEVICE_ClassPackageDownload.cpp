#include "DEVICE/DEVICE_ClassPackageDownload.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassSha256.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace
{
constexpr qint64 DOWNLOAD_READ_BUFFER_BYTES = 1024 * 1024;
} // namespace

CLASS_PACKAGE_DOWNLOAD::CLASS_PACKAGE_DOWNLOAD(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

bool CLASS_PACKAGE_DOWNLOAD::DownloadArchive(const QString& url, QFile& file, CLASS_SHA256& digest)
{
    QNetworkAccessManager manager;
    // An inactivity limit: the timer restarts with every byte, so a large archive may take its time.
    QNetworkReply* reply = manager.get(UTILS::WebRequest(QUrl(url), backend.options.downloadInactivityMs));
    // The network thread reads ahead only this far: memory stays flat whatever the archive's size.
    reply->setReadBufferSize(DOWNLOAD_READ_BUFFER_BYTES);
    activeReply = reply;
    bool writeFailed = false;
    QEventLoop loop;
    const auto writeAvailable = [reply, &file, &digest, &writeFailed]()
    {
        const QByteArray chunk = reply->readAll();
        if (!writeFailed && file.write(chunk) != chunk.size())
        {
            writeFailed = true;
            reply->abort();
            return;
        }
        digest.AddData(chunk);
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, writeAvailable);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop,
                     [this](qint64 received, qint64 total) { backend.OnDownloadProgress(received, total); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
    {
        loop.exec();
    }
    activeReply.clear();
    QObject::disconnect(reply, nullptr, &loop, nullptr);
    if (reply->error() == QNetworkReply::NoError)
    {
        writeAvailable();
    }
    writeFailed = !file.flush() || writeFailed;
    file.close();
    if (backend.jobStatus == CLASS_PACKAGE_MANAGER_BACKEND::JOB_ABORTED)
    {
        return false;
    }
    backend.ShowInstalling(0);
    if (writeFailed)
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Error writing file:") + file.errorString());
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FILE_ERROR,
                     QStringLiteral("cannot write the download (%1)").arg(file.errorString()));
        return false;
    }
    const QString failure = UTILS::ReplyFailure(*reply);
    if (!failure.isEmpty())
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Error downloading file:") + failure);
        if (reply->error() == QNetworkReply::OperationCanceledError)
        {
            TRACE_ERROR_IN(
                PACKAGE_JOB_ORIGIN,
                QStringLiteral("No data arrived for %1 ms").arg(backend.options.downloadInactivityMs));
        }
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, TransferFailureReason(*reply));
        return false;
    }
    return true;
}

void CLASS_PACKAGE_DOWNLOAD::Abort()
{
    if (!activeReply.isNull())
    {
        activeReply->abort();
    }
}
