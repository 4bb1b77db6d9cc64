#include "QT_UPDATER/UPDATER_ClassUpdaterFromWeb.h"

#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace
{
// An entry of the version file; false for an element that is not an object or lacks a required key.
bool ReadEntry(const QJsonValue& element, VersionInfo& info)
{
    if (!element.isObject())
    {
        return false;
    }
    const QJsonObject entry = element.toObject();
    for (const char* key : {"Version", "ProductName", "Url", "ProductId"})
    {
        if (!entry.contains(QLatin1String(key)))
        {
            return false;
        }
    }
    info.version = QVersionNumber::fromString(entry.value(QStringLiteral("Version")).toString());
    info.versionName = entry.value(QStringLiteral("VersionName")).toString();
    info.productName = entry.value(QStringLiteral("ProductName")).toString();
    info.url = entry.value(QStringLiteral("Url")).toString();
    info.productId = entry.value(QStringLiteral("ProductId")).toInt(0);
    info.dev = entry.value(QStringLiteral("Dev")).toInt(-1);
    return true;
}
} // namespace

CLASS_UPDATER_FROM_WEB::CLASS_UPDATER_FROM_WEB(const QString& currentVersionText,
                                               const QString& versionFileUrl, int productId, int devFilter,
                                               QObject* parent)
    : CLASS_ABSTRACT_UPDATER(currentVersionText, parent), versionFileUrl(versionFileUrl),
      productId(productId), devFilter(devFilter), downloader(this)
{
    connect(&downloader, &CLASS_UTILS_DOWNLOAD::SIGNAL_DownloadFinished, this,
            &CLASS_UPDATER_FROM_WEB::SLOT_DownloadFinished, Qt::QueuedConnection);
    connect(&downloader, &CLASS_UTILS_DOWNLOAD::SIGNAL_DownloadFailed, this,
            &CLASS_UPDATER_FROM_WEB::SLOT_DownloadFailed, Qt::QueuedConnection);
}

CLASS_UPDATER_FROM_WEB::~CLASS_UPDATER_FROM_WEB() = default;

bool CLASS_UPDATER_FROM_WEB::CheckIfNewVersionIsAvailable()
{
    if (updaterState == CheckingVersion)
    {
        return true;
    }
    if (updaterState == DownloadingBinary)
    {
        return false;
    }
    lastFailure.clear();
    temporaryFolder = std::make_unique<QTemporaryDir>();
    if (!temporaryFolder->isValid())
    {
        lastFailure = QStringLiteral("no temporary folder: ") + temporaryFolder->errorString();
        TRACE_ERROR(QStringLiteral("Failed to create temporary directory : ") +
                    temporaryFolder->errorString());
        temporaryFolder.reset();
        return false;
    }
    if (!downloader.DownloadToFile(QUrl(versionFileUrl), temporaryFolder->path()))
    {
        lastFailure = downloader.GetLastError();
        temporaryFolder.reset();
        return false;
    }
    updaterState = CheckingVersion;
    return true;
}

bool CLASS_UPDATER_FROM_WEB::CopyMostRecentBinary(const QString& destinationFolder, const QString& fileName)
{
    if (updaterState != Idle)
    {
        return false;
    }
    const QString problem = DestinationProblem(destinationFolder);
    if (!problem.isEmpty())
    {
        TRACE_ERROR(problem);
        return false;
    }
    return StartBinaryDownload(mostRecentUrl, destinationFolder, fileName);
}

bool CLASS_UPDATER_FROM_WEB::CopyBinary(const QVersionNumber& version, const QString& destinationFolder,
                                        const QString& fileName)
{
    if (updaterState != Idle || !versions.contains(version))
    {
        return false;
    }
    const QString problem = DestinationProblem(destinationFolder);
    if (!problem.isEmpty())
    {
        TRACE_ERROR(problem);
        return false;
    }
    return StartBinaryDownload(versions.value(version).url, destinationFolder, fileName);
}

void CLASS_UPDATER_FROM_WEB::SetDevFilter(int value)
{
    devFilter = value;
    // Only versions newer than the running one qualify, whatever the channel.
    mostRecentVersion = currentVersion;
    mostRecentUrl.clear();
    for (auto entry = versions.cbegin(); entry != versions.cend(); ++entry)
    {
        if (entry->dev == devFilter && entry->version > mostRecentVersion)
        {
            mostRecentVersion = entry->version;
            mostRecentUrl = entry->url;
        }
    }
}

void CLASS_UPDATER_FROM_WEB::SLOT_DownloadFinished(const QString& filename)
{
    // Idle before the result is announced, so a receiver may start the next job at once.
    const UpdaterState finishedJob = updaterState;
    updaterState = Idle;
    switch (finishedJob)
    {
    case CheckingVersion:
        DownloadVersionFinished(filename);
        break;
    case DownloadingBinary:
        DownloadBinaryFinished(filename);
        break;
    case Idle:
        TRACE_ERROR(QStringLiteral("Unexpected download finished"));
        break;
    }
}

void CLASS_UPDATER_FROM_WEB::SLOT_DownloadFailed()
{
    const UpdaterState failedJob = updaterState;
    updaterState = Idle;
    switch (failedJob)
    {
    case CheckingVersion:
        FailCheck(downloader.GetLastError());
        break;
    case DownloadingBinary:
        emit SIGNAL_BinaryDownloadFinished(false);
        break;
    case Idle:
        TRACE_ERROR(QStringLiteral("Unexpected download failed"));
        break;
    }
}

void CLASS_UPDATER_FROM_WEB::DownloadVersionFinished(const QString& path)
{
    QFile versionFile(path);
    if (!versionFile.open(QIODevice::ReadOnly))
    {
        TRACE_ERROR(QStringLiteral("Cannot open version file"));
        FailCheck(QStringLiteral("the downloaded version file cannot be read: ") + versionFile.errorString());
        return;
    }
    const QByteArray content = versionFile.readAll();
    versionFile.close();
    versionFile.remove();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(content, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isArray())
    {
        TRACE_ERROR(QStringLiteral("Failed to extract JSonObject with error \"") + parseError.errorString() +
                    QStringLiteral("\""));
        FailCheck(parseError.error != QJsonParseError::NoError
                      ? QStringLiteral("the version file is not JSON (%1)").arg(parseError.errorString())
                      : QStringLiteral("the version file holds no list of versions"));
        return;
    }
    bool found = false;
    const QJsonArray entries = document.array();
    for (const QJsonValue& element : entries)
    {
        VersionInfo info;
        if (!ReadEntry(element, info))
        {
            continue;
        }
        if (!UTILS::IsWebUrl(info.url))
        {
            TRACE_ERROR(QStringLiteral("Ignored version ") + info.version.toString() +
                        QStringLiteral(": its Url is not an http or https address"));
            continue;
        }
        if (info.version > mostRecentVersion && info.dev == devFilter)
        {
            mostRecentVersion = info.version;
            mostRecentUrl = info.url;
            found = true;
        }
        versions.insert(info.version, info);
    }
    FinishCheck(true, found);
}

void CLASS_UPDATER_FROM_WEB::DownloadBinaryFinished(const QString& path)
{
    const QString destination = targetFolder + QDir::separator() + targetFileName;
    // The downloader names the file after the address; it is renamed to the name asked for.
    if (QDir::cleanPath(QFileInfo(path).absoluteFilePath()) ==
            QDir::cleanPath(QFileInfo(destination).absoluteFilePath()) ||
        QFile::rename(path, destination))
    {
        emit SIGNAL_BinaryDownloadFinished(true);
        return;
    }
    TRACE_ERROR(QStringLiteral("Failed to copy file : ") + path + QStringLiteral(" to ") + destination);
    QFile::remove(path);
    emit SIGNAL_BinaryDownloadFinished(false);
}

bool CLASS_UPDATER_FROM_WEB::StartBinaryDownload(const QString& url, const QString& destinationFolder,
                                                 const QString& fileName)
{
    // Fetched into the destination folder itself, so the rename stays within one folder.
    if (!downloader.DownloadToFile(QUrl(url), destinationFolder))
    {
        return false;
    }
    targetFileName = fileName;
    targetFolder = destinationFolder;
    updaterState = DownloadingBinary;
    return true;
}

void CLASS_UPDATER_FROM_WEB::FailCheck(const QString& reason)
{
    lastFailure = reason;
    FinishCheck(false, false);
}

void CLASS_UPDATER_FROM_WEB::FinishCheck(bool isSuccessfull, bool moreRecentFound)
{
    temporaryFolder.reset();
    emit SIGNAL_VersionCheckingFinished(isSuccessfull, moreRecentFound);
}
