#include "QT_UTILS/UTILS_ClassUtilsDownload.h"

#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace
{
const QString DEFAULT_FILE_NAME = QStringLiteral("download");

// Path of a file of the folder as the download opens it.
QString PathInFolder(const QString& folder, const QString& name)
{
    return folder + QDir::separator() + name;
}
} // namespace

CLASS_UTILS_DOWNLOAD::CLASS_UTILS_DOWNLOAD(QObject* parent) : QObject(parent)
{
    // Both travel through queued connections.
    qRegisterMetaType<QList<QSslError>>("QList<QSslError>");
    qRegisterMetaType<QNetworkReply*>("QNetworkReply*");
    connect(&networkManager, &QNetworkAccessManager::finished, this,
            &CLASS_UTILS_DOWNLOAD::SLOT_DownloadFinished, Qt::QueuedConnection);
}

CLASS_UTILS_DOWNLOAD::~CLASS_UTILS_DOWNLOAD()
{
    disconnect(&networkManager, nullptr, this, nullptr);
    if (file != nullptr)
    {
        file->close();
        file->deleteLater();
        file = nullptr;
    }
    if (reply != nullptr)
    {
        disconnect(reply, nullptr, this, nullptr);
        reply->deleteLater();
        reply = nullptr;
    }
}

bool CLASS_UTILS_DOWNLOAD::DownloadToFile(const QUrl& url, const QString& folder)
{
    if (downloadState == DOWNLOAD_RUNNING)
    {
        return false;
    }
    auto target = std::make_unique<QFile>(PathInFolder(folder, TargetFileName(url, folder)));
    if (!target->open(QIODevice::WriteOnly | QIODevice::Truncate))
    {
        lastError = QStringLiteral("cannot create %1: %2").arg(target->fileName(), target->errorString());
        return false;
    }
    lastError.clear();
    abortRequested = false;
    QNetworkReply* sent = Send(url);
    connect(sent, &QNetworkReply::readyRead, this, &CLASS_UTILS_DOWNLOAD::SLOT_OnReadyRead,
            Qt::QueuedConnection);
    reply = sent;
    file = target.release();
    downloadState = DOWNLOAD_RUNNING;
    return true;
}

bool CLASS_UTILS_DOWNLOAD::DownloadToByteArray(const QUrl& url)
{
    if (downloadState == DOWNLOAD_RUNNING)
    {
        return false;
    }
    abortRequested = false;
    reply = Send(url);
    downloadState = DOWNLOAD_RUNNING;
    lastError.clear();
    return true;
}

void CLASS_UTILS_DOWNLOAD::AbortDownload()
{
    if (reply != nullptr)
    {
        abortRequested = true;
        reply->abort();
    }
}

QString CLASS_UTILS_DOWNLOAD::FailureText(const QNetworkReply& failed, const QString& failure) const
{
    // Qt ends a transfer at its time limit as it ends an aborted one, "Operation canceled".
    if (failed.error() == QNetworkReply::OperationCanceledError && !abortRequested)
    {
        return QStringLiteral("no answer from the server within %1 s").arg(transferTimeout / 1000.0);
    }
    return failure.isEmpty() ? failed.errorString() : failure;
}

void CLASS_UTILS_DOWNLOAD::SLOT_sslErrors(const QList<QSslError>& sslErrors)
{
    for (const QSslError& sslError : sslErrors)
    {
        TRACE_ERROR(QStringLiteral("SSL error: ") + sslError.errorString());
    }
}

void CLASS_UTILS_DOWNLOAD::SLOT_OnReadyRead()
{
    WriteAvailableData();
}

void CLASS_UTILS_DOWNLOAD::SLOT_DownloadFinished(QNetworkReply* finishedReply)
{
    if (finishedReply != reply)
    {
        finishedReply->deleteLater();
        return;
    }
    const QString failure = UTILS::ReplyFailure(*finishedReply);
    if (!failure.isEmpty() || !CompleteFile())
    {
        if (file != nullptr)
        {
            file->close();
            file->remove();
        }
        lastError = FailureText(*finishedReply, failure);
        TRACE_ERROR(QStringLiteral("Download of ") + finishedReply->url().toString(QUrl::FullyEncoded) +
                    QStringLiteral(" failed: ") +
                    (failure.isEmpty() ? finishedReply->errorString() : failure));
        downloadState = DOWNLOAD_FAILED;
        // Forgotten before the signal, so a receiver may start the next download at once.
        ForgetReplyAndFile();
        emit SIGNAL_DownloadFailed();
        return;
    }
    downloadState = DOWNLOAD_FINISHED;
    if (file != nullptr)
    {
        const QString fileName = file->fileName();
        TraceDebug(QStringLiteral("Download finished : ") + fileName);
        ForgetReplyAndFile();
        emit SIGNAL_DownloadFinished(fileName);
        return;
    }
    const QByteArray data = finishedReply->readAll();
    ForgetReplyAndFile();
    emit SIGNAL_DownloadToByteArrayFinished(data);
}

QString CLASS_UTILS_DOWNLOAD::TargetFileName(const QUrl& url, const QString& folder)
{
    // The path is split after decoding, so an encoded "/" cannot lead out of the folder.
    QString name = url.path(QUrl::FullyDecoded).section(QLatin1Char('/'), -1);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
    {
        name = DEFAULT_FILE_NAME;
    }
    if (!QFile::exists(PathInFolder(folder, name)))
    {
        return name;
    }
    const int firstDot = name.indexOf(QLatin1Char('.'));
    const QString baseName = firstDot < 0 ? name : name.left(firstDot);
    const QString completeSuffix = firstDot < 0 ? QString() : name.mid(firstDot + 1);
    for (int number = 1;; ++number)
    {
        const QString numbered =
            baseName + QLatin1Char('(') + QString::number(number) + QStringLiteral(").") + completeSuffix;
        if (!QFile::exists(PathInFolder(folder, numbered)))
        {
            return numbered;
        }
    }
}

QNetworkRequest CLASS_UTILS_DOWNLOAD::Request(const QUrl& url) const
{
    return UTILS::WebRequest(url, transferTimeout);
}

QNetworkReply* CLASS_UTILS_DOWNLOAD::Send(const QUrl& url)
{
    QNetworkReply* sent = networkManager.get(Request(url));
    connect(sent, &QNetworkReply::sslErrors, this, &CLASS_UTILS_DOWNLOAD::SLOT_sslErrors,
            Qt::QueuedConnection);
    connect(sent, &QNetworkReply::downloadProgress, this,
            &CLASS_UTILS_DOWNLOAD::SIGNAL_UpdateDownloadProgress, Qt::QueuedConnection);
    return sent;
}

bool CLASS_UTILS_DOWNLOAD::WriteAvailableData()
{
    if (file == nullptr || reply == nullptr || !file->isOpen())
    {
        return false;
    }
    const QByteArray data = reply->readAll();
    if (file->write(data) != data.size())
    {
        // A file that lost data is never reported as downloaded: the abort ends the download as failed.
        TRACE_ERROR(QStringLiteral("Cannot write ") + file->fileName() + QStringLiteral(" : ") +
                    file->errorString());
        reply->abort();
        return false;
    }
    return true;
}

bool CLASS_UTILS_DOWNLOAD::CompleteFile()
{
    if (file == nullptr)
    {
        return true;
    }
    if (!WriteAvailableData() || !file->flush())
    {
        return false;
    }
    file->close();
    return true;
}

void CLASS_UTILS_DOWNLOAD::ForgetReplyAndFile()
{
    reply->deleteLater();
    reply = nullptr;
    if (file != nullptr)
    {
        file->deleteLater();
        file = nullptr;
    }
}
