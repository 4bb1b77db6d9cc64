#include "DEVICE/DEVICE_ClassPackageInstallation.h"

#include "DEVICE/DEVICE_ClassPackageChecksum.h"
#include "DEVICE/DEVICE_ClassPackageDownload.h"
#include "DEVICE/DEVICE_ClassPackageExtraction.h"
#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassPackageMarks.h"
#include "DEVICE/DEVICE_ClassPartialDownload.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>

CLASS_PACKAGE_INSTALLATION::CLASS_PACKAGE_INSTALLATION(CLASS_PACKAGE_MANAGER_BACKEND& backend)
    : backend(backend)
{
}

bool CLASS_PACKAGE_INSTALLATION::InstallDownloaded(const QString& version)
{
    // Before any download: a package that could not be written, or that its server's signed index
    // refuses, would be downloaded for nothing.
    QString downloads;
    if (!ChooseInstallFolder() || !OpenDownloadsFolder(downloads))
    {
        return false;
    }
    // The archive goes to disk as it arrives, into the part that an earlier attempt may have begun.
    CLASS_PARTIAL_DOWNLOAD part(downloads, PackageFolderName(version) + PACKAGE_ARCHIVE_SUFFIX);
    CLASS_PACKAGE_PROGRESS& progress = backend.progress;
    progress.NextDownload();
    progress.OnDownloadProgress(part.KeptBytes(), -1, -1);
    // The signed index is fetched as the first part of the download; no more bytes are taken than it gives.
    CLASS_PACKAGE_CHECKSUM checksum(backend);
    if (!checksum.AdmitVersion(version))
    {
        return false;
    }
    CLASS_PACKAGE_DOWNLOAD& download = *backend.download;
    download.SetExpectedSize(checksum.ExpectedSize(version));
    progress.SetPauseButton(PACKAGE_PAUSE_BUTTON::Pause);
    const QString url = backend.ArchiveUrl(version);
    QByteArray sha256;
    const bool downloaded = download.DownloadArchive(url, part, sha256);
    progress.SetPauseButton(PACKAGE_PAUSE_BUTTON::Hidden);
    if (!downloaded)
    {
        return false;
    }
    // A whole archive is installed or dropped: only an unfinished download is kept.
    const QString archivePath = part.ArchivePath();
    const bool installed = CLASS_PACKAGE_CHECKSUM(backend).VerifyChecksum(url, archivePath, sha256) &&
                           CLASS_PACKAGE_EXTRACTION(backend).ExtractArchive(archivePath, version);
    if (!PLATFORM::RemoveTree(archivePath))
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                       QStringLiteral("Couldn't remove the downloaded archive at :") + archivePath);
    }
    if (installed)
    {
        RecordTrust(version);
    }
    return installed;
}

bool CLASS_PACKAGE_INSTALLATION::InstallFile(const QString& archivePath, const QString& version)
{
    backend.progress.ShowInstalling(0);
    if (!ChooseInstallFolder() || !CLASS_PACKAGE_CHECKSUM(backend).VerifyFile(archivePath) ||
        !CLASS_PACKAGE_EXTRACTION(backend).ExtractArchive(archivePath, version))
    {
        return false;
    }
    RecordTrust(version);
    return true;
}

bool CLASS_PACKAGE_INSTALLATION::ChooseInstallFolder()
{
    QString reason;
    backend.installFolder = PackageInstallFolder(backend.options.applicationFolder, &reason);
    if (backend.installFolder.isEmpty())
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("No folder to install packages into : ") + reason);
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, reason);
        return false;
    }
    return true;
}

bool CLASS_PACKAGE_INSTALLATION::OpenDownloadsFolder(QString& folder)
{
    QString problem;
    if (!CLASS_PARTIAL_DOWNLOAD::MakeFolder(backend.options.downloadsFolder, folder, problem))
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                       QStringLiteral("Failed to create the downloads folder %1 : %2").arg(folder, problem));
        backend.Fail(
            CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED,
            QStringLiteral("no downloads folder (%1: %2)").arg(QDir::toNativeSeparators(folder), problem));
        return false;
    }
    return true;
}

void CLASS_PACKAGE_INSTALLATION::RecordTrust(const QString& version)
{
    CLASS_PACKAGE_MARKS(backend).RecordTrust(PackageFolderPath(backend.installFolder, version),
                                             backend.archiveTrust);
}
