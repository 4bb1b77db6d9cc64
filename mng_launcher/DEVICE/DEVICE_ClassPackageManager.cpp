#include "DEVICE/DEVICE_ClassPackageManager.h"

#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QScopedPointer>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <algorithm>

namespace
{
constexpr int DEFAULT_REMOVAL_PAUSE_MS = 300;
constexpr int DEFAULT_EXTRACTOR_TIMEOUT_MS = 30000;
constexpr int DEFAULT_PROGRESS_HIDE_DELAY_MS = 5000;
constexpr int EXTRACTION_STEPS_PER_PERCENT = 3;
constexpr int MAX_PROGRESS = 100;
constexpr int SHA256_HEX_LENGTH = 64;
constexpr int STDERR_LOG_LIMIT = 400;
constexpr qint64 DOWNLOAD_READ_BUFFER_BYTES = 1024 * 1024;
const QString REMOVING = QStringLiteral("Removing ");
const QString DOWNLOADING = QStringLiteral("Downloading updater ");
const QString INSTALLING = QStringLiteral("Installing updater ");
const QString ARCHIVE_SUFFIX = QStringLiteral(".zip");
const QString CHECKSUM_SUFFIX = QStringLiteral(".sha256");

QString PackageFolderPath(const QString& applicationFolder, const QString& version)
{
    return applicationFolder + QLatin1Char('/') + PackageFolderName(version);
}

void LogExtractorEnd(QProcess& process)
{
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    TRACE_ERROR(QStringLiteral("The extractor ended with exit code %1 (%2): %3")
                    .arg(process.exitCode())
                    .arg(process.exitStatus() == QProcess::NormalExit ? QStringLiteral("normal exit")
                                                                      : QStringLiteral("crash"))
                    .arg(errors.left(STDERR_LOG_LIMIT)));
}
} // namespace

PACKAGE_MANAGER_OPTIONS
PACKAGE_MANAGER_OPTIONS::WithDefaults(const CLASS_TARVO_VERSION_INFO* versionInfo) const
{
    PACKAGE_MANAGER_OPTIONS filled = *this;
    if (filled.packagesUrl.isEmpty())
    {
        filled.packagesUrl = PACKAGES_URL;
    }
    if (!filled.packagesUrl.endsWith(QLatin1Char('/')))
    {
        filled.packagesUrl += QLatin1Char('/');
    }
    if (filled.applicationFolder.isEmpty())
    {
        filled.applicationFolder =
            versionInfo != nullptr ? versionInfo->GetApplicationFolder() : PLATFORM::ApplicationFolder();
    }
    if (filled.extractorProgram.isEmpty())
    {
        filled.extractorProgram = PLATFORM::UnzipProgram();
    }
    if (filled.probeUrl.isEmpty())
    {
        filled.probeUrl = PROBE_URL;
    }
    filled.removalPauseMs = filled.removalPauseMs < 0 ? DEFAULT_REMOVAL_PAUSE_MS : filled.removalPauseMs;
    filled.downloadInactivityMs =
        filled.downloadInactivityMs <= 0 ? DOWNLOAD_INACTIVITY_TIMEOUT_MS : filled.downloadInactivityMs;
    filled.checksumTimeoutMs =
        filled.checksumTimeoutMs <= 0 ? SMALL_TRANSFER_TIMEOUT_MS : filled.checksumTimeoutMs;
    filled.extractorTimeoutMs =
        filled.extractorTimeoutMs <= 0 ? DEFAULT_EXTRACTOR_TIMEOUT_MS : filled.extractorTimeoutMs;
    filled.progressHideDelayMs =
        filled.progressHideDelayMs < 0 ? DEFAULT_PROGRESS_HIDE_DELAY_MS : filled.progressHideDelayMs;
    return filled;
}

CLASS_PACKAGE_MANAGER_BACKEND::CLASS_PACKAGE_MANAGER_BACKEND(CLASS_MANAGE_PACKAGE* dialog,
                                                             CLASS_TARVO_VERSION_INFO* versionInfo,
                                                             QObject* parent,
                                                             const PACKAGE_MANAGER_OPTIONS& givenOptions)
    : QObject(parent), dialog(dialog), versionInfo(versionInfo),
      options(givenOptions.WithDefaults(versionInfo))
{
    hideTimer.setSingleShot(true);
    hideTimer.setInterval(options.progressHideDelayMs);
    connect(&hideTimer, &QTimer::timeout, this,
            [this]()
            {
                if (!this->dialog.isNull())
                {
                    this->dialog->SetProgressHidden(true);
                }
            });
    RefreshDialog();
    if (!this->dialog.isNull())
    {
        // A window closed while a job runs stops the job: the window goes only once the job has
        // returned to the main event loop, so the close itself is watched, and the destruction as well.
        this->dialog->installEventFilter(this);
        connect(this->dialog.data(), &QObject::destroyed, this,
                &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_CancelUpdate);
        connect(this->dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate, this,
                &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_UpdatePackages, Qt::QueuedConnection);
    }
}

CLASS_PACKAGE_MANAGER_BACKEND::~CLASS_PACKAGE_MANAGER_BACKEND() = default;

bool CLASS_PACKAGE_MANAGER_BACKEND::event(QEvent* event)
{
    // The job waits in local event loops; deleting the object there would pull it from under the job.
    if (event->type() == QEvent::DeferredDelete && jobRunning)
    {
        deleteWhenJobEnds = true;
        return true;
    }
    return QObject::event(event);
}

bool CLASS_PACKAGE_MANAGER_BACKEND::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: during the window's destruction its events still pass here, no longer as the window.
    if (event->type() == QEvent::Close && jobRunning && watched == dialog.data())
    {
        SLOT_CancelUpdate();
    }
    return QObject::eventFilter(watched, event);
}

void CLASS_PACKAGE_MANAGER_BACKEND::RefreshDialog()
{
    if (dialog.isNull() || versionInfo == nullptr)
    {
        return;
    }
    const QStringList scanned = ListInstalledVersions(options.applicationFolder);
    const QMap<int, QString>& packages = versionInfo->GetPackagesList();
    int index = 0;
    for (auto it = packages.constBegin(); it != packages.constEnd(); ++it, ++index)
    {
        dialog->SetPackageChecked(index, scanned.contains(it.value()));
    }
    const bool reachable = IsInternetReachable(options.probeUrl, SMALL_TRANSFER_TIMEOUT_MS);
    if (dialog.isNull())
    {
        return;
    }
    dialog->SetNoInternet(!reachable);
    if (versionInfo->GetCompatibility() > 1)
    {
        dialog->ShowIncompatibleAndClose();
    }
}

QString CLASS_PACKAGE_MANAGER_BACKEND::ArchiveUrl(const QString& version) const
{
    return options.packagesUrl + PLATFORM::PackageArchiveFolder() + QLatin1Char('/') +
           PackageFolderName(version) + ARCHIVE_SUFFIX;
}

QString CLASS_PACKAGE_MANAGER_BACKEND::FinalStatusText(int status)
{
    switch (status)
    {
    case JOB_FILE_ERROR:
        return QStringLiteral("Error downloading");
    case JOB_ABORTED:
        return QStringLiteral("Aborted");
    case JOB_REMOVAL_FAILED:
        return QStringLiteral("Failed removing updater");
    case JOB_FAILED:
        return QStringLiteral("Failed");
    default:
        return QStringLiteral("Finished");
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_UpdatePackages()
{
    // A second Apply queued before the first job disabled the button must not start a job inside a job.
    if (jobRunning || dialog.isNull() || versionInfo == nullptr)
    {
        return;
    }
    const QMap<int, QString> packages = versionInfo->GetPackagesList();
    const QStringList installed = versionInfo->GetInstalledVersions();
    jobStatus = JOB_DONE;
    QStringList ticked;
    dialog->GetCheckedPackages(ticked);
    if (installed == ticked)
    {
        return;
    }
    jobRunning = true;
    hideTimer.stop(); // the previous job's timer must not hide this job's progress
    currentPackage.clear();
    dialog->SetProgressHidden(false);
    connect(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestCancel, this,
            &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_CancelUpdate,
            static_cast<Qt::ConnectionType>(Qt::DirectConnection | Qt::UniqueConnection));
    dialog->SetButtonsEnabled(false);
    RunEntries(packages, installed, ticked);
    FinishJob();
}

void CLASS_PACKAGE_MANAGER_BACKEND::RunEntries(const QMap<int, QString>& packages,
                                               const QStringList& installed, const QStringList& ticked)
{
    // Kept up to date as the job goes, so that a version listed twice is handled once.
    QStringList present = installed;
    for (const QString& version : packages)
    {
        currentPackage = version;
        if (jobStatus == JOB_ABORTED)
        {
            break;
        }
        const bool isInstalled = present.contains(version);
        const bool isTicked = ticked.contains(version);
        bool carryOn = true;
        if (isInstalled && !isTicked)
        {
            carryOn = RemovePackage(version);
            present.removeAll(version);
        }
        else if (!isInstalled && isTicked)
        {
            carryOn = InstallPackage(version);
            present.append(version);
        }
        if (!carryOn)
        {
            break;
        }
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::FinishJob()
{
    SetDialogStatus(FinalStatusText(jobStatus));
    hideTimer.start();
    if (!dialog.isNull())
    {
        dialog->SetButtonsEnabled(true);
    }
    versionInfo->FindInstalledVersions();
    jobRunning = false;
    emit SIGNAL_PackagesChanged();
    if (deleteWhenJobEnds)
    {
        // The deletion asked for during the job; a second deleteLater would be dropped by Qt as a duplicate.
        QMetaObject::invokeMethod(
            this, [this]() { delete this; }, Qt::QueuedConnection);
    }
}

bool CLASS_PACKAGE_MANAGER_BACKEND::RemovePackage(const QString& version)
{
    const QString folder = PackageFolderPath(options.applicationFolder, version);
    Show(REMOVING + currentPackage, 0);
    Pause(options.removalPauseMs);
    Show(REMOVING + currentPackage, MAX_PROGRESS / 2);
    Pause(options.removalPauseMs);
    QDir packageDir(folder);
    if (packageDir.exists() && !packageDir.removeRecursively())
    {
        TRACE_ERROR(QStringLiteral("Couldn't remove package directory at :") + folder);
        jobStatus = JOB_REMOVAL_FAILED;
        return false;
    }
    Show(REMOVING + currentPackage, MAX_PROGRESS);
    Pause(options.removalPauseMs);
    return true;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::InstallPackage(const QString& version)
{
    temporaryFolder.reset();
    temporaryFolder = std::make_unique<QTemporaryDir>();
    if (!temporaryFolder->isValid())
    {
        TRACE_ERROR(QStringLiteral("Failed to create temporary directory : ") +
                    temporaryFolder->errorString());
        jobStatus = JOB_FAILED;
        return false;
    }
    // The archive goes to disk as it arrives: the file is opened before the download starts.
    const QString archivePath =
        temporaryFolder->path() + QLatin1Char('/') + PackageFolderName(version) + ARCHIVE_SUFFIX;
    QFile archive(archivePath);
    if (!archive.open(QIODevice::WriteOnly))
    {
        TRACE_ERROR(QStringLiteral("Error opening file for writing:") + archive.errorString());
        jobStatus = JOB_FILE_ERROR;
        return false;
    }
    SetDialogStatus(DOWNLOADING + currentPackage);
    const QString url = ArchiveUrl(version);
    QCryptographicHash digest(QCryptographicHash::Sha256);
    if (!DownloadArchive(url, archive, digest) || !VerifyChecksum(url, archivePath, digest.result()) ||
        !ExtractArchive(archivePath, version))
    {
        return false;
    }
    RemoveTemporaryFolder();
    return true;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::DownloadArchive(const QString& url, QFile& file,
                                                    QCryptographicHash& digest)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    // An inactivity limit: the timer restarts with every byte, so a large archive may take its time.
    request.setTransferTimeout(options.downloadInactivityMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
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
        digest.addData(chunk);
    };
    connect(reply, &QNetworkReply::readyRead, &loop, writeAvailable);
    connect(reply, &QNetworkReply::downloadProgress, &loop,
            [this](qint64 received, qint64 total) { OnDownloadProgress(received, total); });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
    {
        loop.exec();
    }
    activeReply.clear();
    disconnect(reply, nullptr, &loop, nullptr);
    if (reply->error() == QNetworkReply::NoError)
    {
        writeAvailable();
    }
    writeFailed = !file.flush() || writeFailed;
    file.close();
    if (jobStatus == JOB_ABORTED)
    {
        return false;
    }
    Show(INSTALLING + currentPackage, 0);
    if (writeFailed)
    {
        TRACE_ERROR(QStringLiteral("Error writing file:") + file.errorString());
        jobStatus = JOB_FILE_ERROR;
        return false;
    }
    if (reply->error() != QNetworkReply::NoError)
    {
        TRACE_ERROR(QStringLiteral("Error downloading file:") + reply->errorString());
        if (reply->error() == QNetworkReply::OperationCanceledError)
        {
            TRACE_ERROR(QStringLiteral("No data arrived for %1 ms").arg(options.downloadInactivityMs));
        }
        jobStatus = JOB_FAILED;
        return false;
    }
    return true;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::VerifyChecksum(const QString& url, const QString& archivePath,
                                                   const QByteArray& computed)
{
    QNetworkAccessManager manager;
    const QString checksumUrl = url + CHECKSUM_SUFFIX;
    const QScopedPointer<QNetworkReply> reply(GetAndWait(manager, checksumUrl, options.checksumTimeoutMs));
    if (jobStatus == JOB_ABORTED)
    {
        return false;
    }
    if (reply->error() == QNetworkReply::ContentNotFoundError)
    {
        TRACE_INFO(QStringLiteral("No checksum published at ") + checksumUrl);
        return true;
    }
    if (reply->error() != QNetworkReply::NoError)
    {
        TRACE_ERROR(QStringLiteral("Error downloading file:") + reply->errorString());
        jobStatus = JOB_FAILED;
        return false;
    }
    // "sha256sum" layout: the hexadecimal digest, then optionally blanks and the file name.
    const QByteArray expected = reply->readAll().trimmed().split(' ').first().split('\t').first().toLower();
    const QByteArray actual = computed.toHex();
    if (expected.size() != SHA256_HEX_LENGTH || expected != actual)
    {
        TRACE_ERROR(QStringLiteral("Checksum mismatch for ") + archivePath + QStringLiteral(": expected ") +
                    QString::fromLatin1(expected) + QStringLiteral(", computed ") +
                    QString::fromLatin1(actual));
        jobStatus = JOB_FAILED;
        return false;
    }
    return true;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::ExtractArchive(const QString& archivePath, const QString& version)
{
    extractionCounter = 0;
    QFutureWatcher<bool> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcher<bool>::finished, &loop, &QEventLoop::quit);
    const QFuture<bool> extraction = QtConcurrent::run(ExtractPackage, archivePath, this);
    watcher.setFuture(extraction);
    if (!extraction.isFinished())
    {
        loop.exec();
    }
    const bool extracted = extraction.result();
    extractionCounter = 0;
    if (!extracted)
    {
        // Nothing half-installed stays behind: a partly extracted package would show as installed.
        QDir(PackageFolderPath(options.applicationFolder, version)).removeRecursively();
        jobStatus = JOB_FAILED;
        return false;
    }
    Show(INSTALLING + currentPackage, MAX_PROGRESS);
    return true;
}

void CLASS_PACKAGE_MANAGER_BACKEND::RemoveTemporaryFolder()
{
    const QString path = temporaryFolder->path();
    if (!temporaryFolder->remove())
    {
        TRACE_ERROR(QStringLiteral("Couldn't remove temporary folder at :") + path);
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_CancelUpdate()
{
    jobStatus = JOB_ABORTED;
    if (!activeReply.isNull())
    {
        activeReply->abort();
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ManageProgress()
{
    ++extractionCounter;
    ShowQueued(INSTALLING + currentPackage,
               std::min(extractionCounter / EXTRACTION_STEPS_PER_PERCENT, MAX_PROGRESS));
}

void CLASS_PACKAGE_MANAGER_BACKEND::OnDownloadProgress(qint64 received, qint64 total)
{
    SetDialogStatus(DOWNLOADING + currentPackage);
    // 0: nothing to measure against; -1: the size was not announced. Either leaves the bar as it is.
    if (total > 0)
    {
        SetDialogValue(static_cast<SDWord>(received * MAX_PROGRESS / total));
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::Show(const QString& text, SDWord value)
{
    SetDialogStatus(text);
    SetDialogValue(value);
}

void CLASS_PACKAGE_MANAGER_BACKEND::ShowQueued(const QString& text, SDWord value)
{
    // The window's widgets belong to the GUI thread: the call is carried there and runs only while this
    // object exists.
    QMetaObject::invokeMethod(
        this, [this, text, value]() { Show(text, value); }, Qt::QueuedConnection);
}

void CLASS_PACKAGE_MANAGER_BACKEND::SetDialogStatus(const QString& text)
{
    if (!dialog.isNull())
    {
        dialog->SetStatusText(text);
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SetDialogValue(SDWord value)
{
    if (!dialog.isNull())
    {
        emit dialog->SIGNAL_ValueChanged(value);
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::Pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool ExtractPackage(const QString& archivePath, CLASS_PACKAGE_MANAGER_BACKEND* backend)
{
    const PACKAGE_MANAGER_OPTIONS& options = backend->Options();
    QString packageFolder = QFileInfo(archivePath).fileName();
    packageFolder.chop(ARCHIVE_SUFFIX.size());
    QStringList entries;
    if (!ListArchiveEntries(options.extractorProgram, archivePath, options.extractorTimeoutMs, entries))
    {
        TRACE_ERROR(QStringLiteral("Failed to list the package : ") + archivePath);
        return false;
    }
    QString offending;
    if (!ArchiveEntriesStayIn(entries, packageFolder, &offending))
    {
        TRACE_ERROR(QStringLiteral("Refused the package ") + archivePath + QStringLiteral(": the entry \"") +
                    offending + QStringLiteral("\" does not lie inside ") + packageFolder);
        return false;
    }
    QProcess extractor;
    QObject::connect(&extractor, &QProcess::readyReadStandardOutput, backend,
                     &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ManageProgress, Qt::DirectConnection);
    // The lines themselves are not needed; reading them keeps the buffer small.
    QObject::connect(
        &extractor, &QProcess::readyReadStandardOutput, &extractor,
        [&extractor]() { extractor.readAllStandardOutput(); }, Qt::DirectConnection);
    const QStringList arguments{QStringLiteral("-d"), options.applicationFolder, QStringLiteral("-o"),
                                archivePath};
    if (!RunProcessToEnd(extractor, options.extractorProgram, arguments, options.extractorTimeoutMs))
    {
        TRACE_ERROR(QStringLiteral("Failed to unzip the package : ") + archivePath);
        return false;
    }
    if (!ProcessEndedWell(extractor))
    {
        TRACE_ERROR(QStringLiteral("Failed to unzip the package : ") + archivePath);
        LogExtractorEnd(extractor);
        return false;
    }
    return true;
}
