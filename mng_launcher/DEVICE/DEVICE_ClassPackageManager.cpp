#include "DEVICE/DEVICE_ClassPackageManager.h"

#include "DEVICE/DEVICE_ClassPackageChecksum.h"
#include "DEVICE/DEVICE_ClassPackageDownload.h"
#include "DEVICE/DEVICE_ClassPackageExtraction.h"
#include "DEVICE/DEVICE_ClassPackageView.h"
#include "DEVICE/DEVICE_ClassPartialDownload.h"
#include "DEVICE/DEVICE_ClassSha256.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_DownloadProgress.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "DEVICE/DEVICE_SessionFolders.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QEvent>
#include <QEventLoop>

#include <algorithm>

namespace
{
constexpr int EXTRACTION_STEPS_PER_PERCENT = 3;
const QString REMOVING = QStringLiteral("Removing ");
const QString INSTALLING = QStringLiteral("Installing updater ");
} // namespace

CLASS_PACKAGE_MANAGER_BACKEND::CLASS_PACKAGE_MANAGER_BACKEND(CLASS_PACKAGE_VIEW* view,
                                                             CLASS_TARVO_VERSION_INFO* versionInfo,
                                                             QObject* parent,
                                                             const PACKAGE_MANAGER_OPTIONS& givenOptions)
    : QObject(parent), view(view), versionInfo(versionInfo),
      packages(versionInfo != nullptr ? versionInfo->GetPackagesList() : QMap<int, QString>()),
      options(givenOptions.WithDefaults(versionInfo)),
      download(std::make_unique<CLASS_PACKAGE_DOWNLOAD>(*this))
{
    hideTimer.setSingleShot(true);
    hideTimer.setInterval(options.progressHideDelayMs);
    connect(&hideTimer, &QTimer::timeout, this,
            [this]()
            {
                if (this->view != nullptr)
                {
                    this->view->SetProgressHidden(true);
                }
            });
    RefreshDialog();
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

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ViewClosing()
{
    // The window itself goes only once the job has returned to the main event loop.
    if (jobRunning)
    {
        SLOT_CancelUpdate();
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ForgetView()
{
    view = nullptr;
    SLOT_CancelUpdate();
}

void CLASS_PACKAGE_MANAGER_BACKEND::RefreshDialog()
{
    if (view == nullptr || versionInfo == nullptr)
    {
        return;
    }
    TickInstalledPackages(ListInstalledVersionsIn(PackageFolders(options.applicationFolder)));
    MarkSignedPackages();
    const bool reachable = IsInternetReachable(options.probeUrl, SMALL_TRANSFER_TIMEOUT_MS);
    if (view == nullptr)
    {
        return;
    }
    // Removals need no server: the notice names the one that does not answer, and Apply stays.
    view->SetNoInternet(!reachable, WithoutUserInfo(options.probeUrl));
    if (versionInfo->GetCompatibility() > 1)
    {
        view->ShowIncompatibleAndClose();
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::TickInstalledPackages(const QStringList& installed)
{
    if (view == nullptr)
    {
        return;
    }
    int index = 0;
    for (auto it = packages.constBegin(); it != packages.constEnd(); ++it, ++index)
    {
        view->SetPackageChecked(index, installed.contains(it.value()));
    }
}

QStringList CLASS_PACKAGE_MANAGER_BACKEND::SignedVersions() const
{
    CLASS_TRUST_STORE store(options.trustFolder, options.trustedKeys);
    const INDEX_VERDICT verdict =
        CLASS_SIGNED_INDEX(store).Stored(CLASS_SIGNED_INDEX::ServerOf(options.packagesUrl));
    QStringList versions;
    for (const QString& version : packages)
    {
        if (verdict.trust == INDEX_VERDICT::TRUST::Signed && verdict.index.FindPackage(version) != nullptr)
        {
            versions.append(version);
        }
    }
    return versions;
}

void CLASS_PACKAGE_MANAGER_BACKEND::MarkSignedPackages()
{
    if (view == nullptr)
    {
        return;
    }
    const QStringList signedVersions = SignedVersions();
    int index = 0;
    for (auto it = packages.constBegin(); it != packages.constEnd(); ++it, ++index)
    {
        view->SetPackageSigned(index, signedVersions.contains(it.value()));
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::RecordTrust(const QString& packageFolder, const QString& trust) const
{
    CLASS_TRUST_STORE(options.trustFolder).RecordInstallation(packageFolder, trust);
}

QString CLASS_PACKAGE_MANAGER_BACKEND::ArchiveUrl(const QString& version) const
{
    return options.packagesUrl + PLATFORM::PackageArchiveFolder() + QLatin1Char('/') +
           PackageFolderName(version) + PACKAGE_ARCHIVE_SUFFIX;
}

QString CLASS_PACKAGE_MANAGER_BACKEND::FinalStatusText(int status, const QString& reason)
{
    QString text;
    switch (status)
    {
    case JOB_FILE_ERROR:
        text = QStringLiteral("Error downloading");
        break;
    case JOB_ABORTED:
        return QStringLiteral("Aborted");
    case JOB_PAUSED:
        return QStringLiteral("Paused");
    case JOB_REMOVAL_FAILED:
        text = QStringLiteral("Failed removing updater");
        break;
    case JOB_FAILED:
        text = QStringLiteral("Failed");
        break;
    default:
        return QStringLiteral("Finished");
    }
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}

QStringList CLASS_PACKAGE_MANAGER_BACKEND::RemovalWarnings(const QString& sessionsRoot,
                                                           const QStringList& versions)
{
    QStringList warnings;
    for (const QString& version : versions)
    {
        for (const SESSION_USING_VERSION& session : SessionsUsingVersion(sessionsRoot, version))
        {
            warnings.append(
                QStringLiteral("Session %1 (%2) uses %3; it cannot start until a version is chosen.")
                    .arg(session.name.simplified(), session.folder, version));
        }
    }
    return warnings;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::RemovalAgreed(const QStringList& installed, const QStringList& wanted)
{
    QStringList removed;
    for (const QString& version : JobVersions(installed))
    {
        if (installed.contains(version) && !wanted.contains(version) && !removed.contains(version))
        {
            removed.append(version);
        }
    }
    const QStringList warnings = RemovalWarnings(options.sessionsRoot, removed);
    if (warnings.isEmpty())
    {
        return true;
    }
    const QString question = warnings.join(QLatin1Char('\n')) + QStringLiteral("\n\nRemove anyway?");
    return view != nullptr && view->ConfirmRemoval(question);
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_UpdatePackages()
{
    // A second Apply queued before the first job disabled the button must not start a job inside a job.
    if (jobRunning || view == nullptr || versionInfo == nullptr)
    {
        return;
    }
    jobStatus = JOB_DONE;
    SetPauseButton(PACKAGE_PAUSE_BUTTON::Hidden);
    QStringList ticked;
    view->GetCheckedPackages(ticked);
    if (versionInfo->GetInstalledVersions() == ticked)
    {
        return;
    }
    // The window shows a box only for the catalogue's packages: an installed version it does not list
    // (installed from a file, or dropped from the catalogue) stays.
    const QStringList wanted = ticked + UnlistedVersions(versionInfo->GetInstalledVersions());
    // Saved sessions that lose their version are named first; "No" leaves everything as it is.
    if (!RemovalAgreed(versionInfo->GetInstalledVersions(), wanted) || view == nullptr)
    {
        return;
    }
    hideTimer.stop(); // the previous job's timer must not hide this job's progress
    view->SetProgressHidden(false);
    view->SetButtonsEnabled(false);
    RunJob(wanted);
}

int CLASS_PACKAGE_MANAGER_BACKEND::RunJob(const QStringList& wanted)
{
    if (jobRunning || versionInfo == nullptr)
    {
        return JOB_ABORTED;
    }
    const QStringList installed = versionInfo->GetInstalledVersions();
    BeginJob();
    RunEntries(installed, wanted);
    FinishJob();
    return jobStatus;
}

int CLASS_PACKAGE_MANAGER_BACKEND::InstallArchiveFile(const QString& archivePath, const QString& version)
{
    if (jobRunning || versionInfo == nullptr)
    {
        return JOB_ABORTED;
    }
    BeginJob();
    currentPackage = version;
    ShowInstalling(0);
    if (ChooseInstallFolder() && CLASS_PACKAGE_CHECKSUM(*this).VerifyFile(archivePath) &&
        CLASS_PACKAGE_EXTRACTION(*this).ExtractArchive(archivePath, version))
    {
        RecordTrust(PackageFolderPath(installFolder, version), archiveTrust);
    }
    FinishJob();
    return jobStatus;
}

void CLASS_PACKAGE_MANAGER_BACKEND::BeginJob()
{
    jobStatus = JOB_DONE;
    failureReason.clear();
    installFolder.clear();
    jobRunning = true;
    archiveRefused = false;
    currentPackage.clear();
    jobIndex.reset();
    archiveTrust.clear();
}

QStringList CLASS_PACKAGE_MANAGER_BACKEND::JobVersions(const QStringList& installed) const
{
    // The packages list in its order, then the installed versions it does not list: those can only go.
    return packages.values() + UnlistedVersions(installed);
}

QStringList CLASS_PACKAGE_MANAGER_BACKEND::UnlistedVersions(const QStringList& installed) const
{
    QStringList unlisted;
    for (const QString& version : installed)
    {
        // A folder whose name gives no version text ("old_TARVO_3_1_51_bak") is no package of the launcher.
        if (IsVersionText(version) && !packages.values().contains(version))
        {
            unlisted.append(version);
        }
    }
    return unlisted;
}

void CLASS_PACKAGE_MANAGER_BACKEND::RunEntries(const QStringList& installed, const QStringList& wanted)
{
    // Kept up to date as the job goes, so that a version listed twice is handled once.
    QStringList present = installed;
    const QStringList versions = JobVersions(installed);
    QStringList downloads;
    for (const QString& version : versions)
    {
        if (!installed.contains(version) && wanted.contains(version) && !downloads.contains(version))
        {
            downloads.append(version);
        }
    }
    downloadNumber = 0;
    downloadCount = downloads.size();
    for (const QString& version : versions)
    {
        currentPackage = version;
        if (StopRequested())
        {
            break;
        }
        const bool isInstalled = present.contains(version);
        const bool isTicked = wanted.contains(version);
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
    SetDialogStatus(FinalStatusText(jobStatus, failureReason));
    // A failure stays on show, with its reason, until the user's next action, and so does a pause with its
    // Resume button; success goes after a while.
    if (jobStatus == JOB_DONE || jobStatus == JOB_ABORTED)
    {
        hideTimer.start();
    }
    SetPauseButton(jobStatus == JOB_PAUSED ? PACKAGE_PAUSE_BUTTON::Resume : PACKAGE_PAUSE_BUTTON::Hidden);
    if (view != nullptr)
    {
        view->SetButtonsEnabled(true);
    }
    versionInfo->FindInstalledVersions();
    // A paused job keeps the ticks it was started with: Resume goes on with them.
    if (jobStatus != JOB_PAUSED)
    {
        TickInstalledPackages(versionInfo->GetInstalledVersions());
    }
    MarkSignedPackages();
    jobRunning = false;
    emit SIGNAL_PackagesChanged();
    EndWork();
}

void CLASS_PACKAGE_MANAGER_BACKEND::EndWork()
{
    jobRunning = false;
    if (deleteWhenJobEnds)
    {
        // The deletion asked for during the job; a second deleteLater would be dropped by Qt as a duplicate.
        QMetaObject::invokeMethod(
            this, [this]() { delete this; }, Qt::QueuedConnection);
    }
}

bool CLASS_PACKAGE_MANAGER_BACKEND::RemovePackage(const QString& version)
{
    Show(REMOVING + currentPackage, 0);
    Pause(options.removalPauseMs);
    Show(REMOVING + currentPackage, MAX_PROGRESS / 2);
    Pause(options.removalPauseMs);
    // The version goes from every place that holds it.
    for (const QString& place : PackageFolders(options.applicationFolder))
    {
        const QString folder = PackageFolderPath(place, version);
        // A link in the package folder's place is removed as a link: what it points at stays untouched.
        if (!PLATFORM::RemoveFolder(folder))
        {
            TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                           QStringLiteral("Couldn't remove package directory at :") + folder);
            Fail(JOB_REMOVAL_FAILED,
                 QStringLiteral("no permission to remove %1").arg(QDir::toNativeSeparators(folder)));
            return false;
        }
        RecordTrust(folder, QString());
    }
    Show(REMOVING + currentPackage, MAX_PROGRESS);
    Pause(options.removalPauseMs);
    return true;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::ChooseInstallFolder()
{
    QString reason;
    installFolder = PackageInstallFolder(options.applicationFolder, &reason);
    if (installFolder.isEmpty())
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("No folder to install packages into : ") + reason);
        Fail(JOB_FAILED, reason);
        return false;
    }
    return true;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::InstallPackage(const QString& version)
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
    ++downloadNumber;
    OnDownloadProgress(part.KeptBytes(), -1, -1);
    // The signed index is fetched as the first part of the download; no more bytes are taken than it gives.
    CLASS_PACKAGE_CHECKSUM checksum(*this);
    if (!checksum.AdmitVersion(version))
    {
        return false;
    }
    download->SetExpectedSize(checksum.ExpectedSize(version));
    SetPauseButton(PACKAGE_PAUSE_BUTTON::Pause);
    const QString url = ArchiveUrl(version);
    QByteArray sha256;
    const bool downloaded = download->DownloadArchive(url, part, sha256);
    SetPauseButton(PACKAGE_PAUSE_BUTTON::Hidden);
    if (!downloaded)
    {
        return false;
    }
    // A whole archive is installed or dropped: only an unfinished download is kept.
    const QString archivePath = part.ArchivePath();
    const bool installed = CLASS_PACKAGE_CHECKSUM(*this).VerifyChecksum(url, archivePath, sha256) &&
                           CLASS_PACKAGE_EXTRACTION(*this).ExtractArchive(archivePath, version);
    if (!PLATFORM::RemoveTree(archivePath))
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                       QStringLiteral("Couldn't remove the downloaded archive at :") + archivePath);
    }
    if (installed)
    {
        RecordTrust(PackageFolderPath(installFolder, version), archiveTrust);
    }
    return installed;
}

bool CLASS_PACKAGE_MANAGER_BACKEND::OpenDownloadsFolder(QString& folder)
{
    QString problem;
    if (!CLASS_PARTIAL_DOWNLOAD::MakeFolder(options.downloadsFolder, folder, problem))
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                       QStringLiteral("Failed to create the downloads folder %1 : %2").arg(folder, problem));
        Fail(JOB_FAILED,
             QStringLiteral("no downloads folder (%1: %2)").arg(QDir::toNativeSeparators(folder), problem));
        return false;
    }
    return true;
}

void CLASS_PACKAGE_MANAGER_BACKEND::Fail(int status, const QString& reason)
{
    if (failureReason.isEmpty())
    {
        failureReason = reason;
    }
    jobStatus = status;
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_CancelUpdate()
{
    jobStatus = JOB_ABORTED;
    download->Abort();
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_PauseOrResume()
{
    if (jobRunning)
    {
        // Only a download pauses: its part waits for Resume; the other steps are short.
        if (download->IsActive())
        {
            jobStatus = JOB_PAUSED;
            download->Abort();
        }
        return;
    }
    if (jobStatus == JOB_PAUSED)
    {
        SLOT_UpdatePackages();
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_RefreshCatalogue()
{
    if (jobRunning || view == nullptr || versionInfo == nullptr)
    {
        return;
    }
    // The wait runs a local event loop: the window must not start a job, nor delete this object, meanwhile.
    jobRunning = true;
    hideTimer.stop();
    view->SetButtonsEnabled(false);
    view->SetProgressHidden(false);
    SetPauseButton(PACKAGE_PAUSE_BUTTON::Hidden);
    const QString address = WithoutUserInfo(versionInfo->GetCatalogueUrl());
    view->SetStatusText(QStringLiteral("Downloading the catalogue from ") + address);
    const bool fetched = versionInfo->FetchPackages();
    versionInfo->FindPackagesList();
    versionInfo->FindInstalledVersions();
    if (view != nullptr)
    {
        packages = versionInfo->GetPackagesList();
        view->SetPackages(packages.values());
        TickInstalledPackages(versionInfo->GetInstalledVersions());
        view->SetNoInternet(!fetched, address);
        view->SetStatusText(fetched ? QStringLiteral("Catalogue up to date")
                                    : QStringLiteral("The catalogue could not be downloaded from %1: %2")
                                          .arg(address, versionInfo->LastFetchError()));
        view->SetButtonsEnabled(true);
        hideTimer.start();
    }
    emit SIGNAL_PackagesChanged();
    EndWork();
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ManageProgress()
{
    ++extractionCounter;
    ShowQueued(INSTALLING + currentPackage,
               std::min(extractionCounter / EXTRACTION_STEPS_PER_PERCENT, MAX_PROGRESS));
}

void CLASS_PACKAGE_MANAGER_BACKEND::OnDownloadProgress(qint64 received, qint64 total, qint64 bytesPerSecond)
{
    SetDialogStatus(DownloadProgressText(
        {currentPackage, downloadNumber, downloadCount, received, total, bytesPerSecond}));
    // 0: nothing to measure against; -1: the size was not announced. Either leaves the bar as it is.
    if (total > 0)
    {
        SetDialogValue(static_cast<SDWord>(received * MAX_PROGRESS / total));
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SetPauseButton(PACKAGE_PAUSE_BUTTON state)
{
    if (view != nullptr)
    {
        view->SetPauseButton(state);
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::ShowInstalling(SDWord value)
{
    Show(INSTALLING + currentPackage, value);
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
    statusText = text;
    emit SIGNAL_Progress(currentPackage, text, -1);
    if (view != nullptr)
    {
        view->SetStatusText(text);
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::SetDialogValue(SDWord value)
{
    emit SIGNAL_Progress(currentPackage, statusText, value);
    if (view != nullptr)
    {
        view->SetProgressValue(value);
    }
}

void CLASS_PACKAGE_MANAGER_BACKEND::Pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
