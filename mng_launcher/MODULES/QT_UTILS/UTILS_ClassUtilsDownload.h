#ifndef UTILS_CLASSUTILSDOWNLOAD_H
#define UTILS_CLASSUTILSDOWNLOAD_H

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QUrl>

class QFile;
class QNetworkReply;
class QNetworkRequest;

// Fetches one URL at a time over HTTP(S), into a new file of a folder or into memory, forwards the
// progress and reports the end by a signal. Redirects are followed; every request has a transfer limit.
class CLASS_UTILS_DOWNLOAD : public QObject
{
    Q_OBJECT

public:
    enum DownloadState
    {
        DOWNLOAD_IDLE = 0,
        DOWNLOAD_RUNNING = 1,
        DOWNLOAD_FINISHED = 2,
        DOWNLOAD_FAILED = 3
    };
    // A transfer that receives nothing for this long is aborted and reported as failed.
    static constexpr int DEFAULT_TRANSFER_TIMEOUT_MS = 15000;

    explicit CLASS_UTILS_DOWNLOAD(QObject* parent = nullptr);
    ~CLASS_UTILS_DOWNLOAD() override;

    // Starts a download into a new file of the folder, named after the URL. False when a download runs or
    // the file cannot be created; after true exactly one of SIGNAL_DownloadFinished / SIGNAL_DownloadFailed.
    bool DownloadToFile(const QUrl& url, const QString& folder);
    // Starts a download into memory. False when a download runs.
    bool DownloadToByteArray(const QUrl& url);
    // Aborts the running download; its end is reported as a failure.
    void AbortDownload();
    int GetDownloadState() const { return downloadState; }
    // Why the last download failed or could not start, for the user; empty after a success.
    QString GetLastError() const { return lastError; }

    void SetTransferTimeout(int milliseconds) { transferTimeout = milliseconds; }
    int GetTransferTimeout() const { return transferTimeout; }

signals:
    void SIGNAL_DownloadFinished(QString filename);
    void SIGNAL_DownloadToByteArrayFinished(QByteArray data);
    void SIGNAL_DownloadFailed();
    void SIGNAL_UpdateDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);

public slots:
    void SLOT_sslErrors(const QList<QSslError>& sslErrors);
    void SLOT_OnReadyRead();
    void SLOT_DownloadFinished(QNetworkReply* reply);

private:
    // The name of the file that a download of the URL into the folder creates: the URL's last path
    // component ("download" when there is none), numbered "(n)" before its complete suffix when taken.
    static QString TargetFileName(const QUrl& url, const QString& folder);
    QNetworkRequest Request(const QUrl& url) const;
    QNetworkReply* Send(const QUrl& url);
    // Appends what the reply holds to the file; false (and the reply aborted) when the file refuses it.
    bool WriteAvailableData();
    // Writes the last data of a finished file download and closes the file; false when that fails.
    bool CompleteFile();
    void ForgetReplyAndFile();
    // The failure of a finished reply, as the user is told it.
    QString FailureText(const QNetworkReply& failed, const QString& failure) const;

    QNetworkAccessManager networkManager;
    QNetworkReply* reply = nullptr;
    QFile* file = nullptr;
    int downloadState = DOWNLOAD_IDLE;
    QString lastError;
    // True once AbortDownload was asked: a cancelled transfer is then no time-out.
    bool abortRequested = false;
    int transferTimeout = DEFAULT_TRANSFER_TIMEOUT_MS;
};

#endif // UTILS_CLASSUTILSDOWNLOAD_H
