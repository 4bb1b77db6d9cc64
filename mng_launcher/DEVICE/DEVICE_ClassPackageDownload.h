#ifndef DEVICE_CLASSPACKAGEDOWNLOAD_H
#define DEVICE_CLASSPACKAGEDOWNLOAD_H

#include <QPointer>
#include <QString>

class CLASS_PACKAGE_MANAGER_BACKEND;
class CLASS_SHA256;
class QFile;
class QNetworkReply;

// The download step of the package installer: fetches a package archive into a file as it arrives, with
// its SHA-256 computed on the way, under an inactivity limit, showing the progress in the installer's
// window. A cancel of the job aborts the running request. Failures set the job's status.
class CLASS_PACKAGE_DOWNLOAD
{
public:
    explicit CLASS_PACKAGE_DOWNLOAD(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // False when the job was cancelled, the file could not be written or the download failed.
    bool DownloadArchive(const QString& url, QFile& file, CLASS_SHA256& digest);
    // Aborts the running request, if any.
    void Abort();

private:
    CLASS_PACKAGE_MANAGER_BACKEND& backend;
    QPointer<QNetworkReply> activeReply;
};

#endif // DEVICE_CLASSPACKAGEDOWNLOAD_H
