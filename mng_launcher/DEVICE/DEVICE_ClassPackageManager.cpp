#include "DEVICE/DEVICE_ClassPackageManager.h"

#include "DEVICE/DEVICE_ClassPackageDownload.h"
#include "DEVICE/DEVICE_ClassPackageInstallation.h"
#include "DEVICE/DEVICE_ClassPackageJobPlan.h"
#include "DEVICE/DEVICE_ClassPackageMarks.h"
#include "DEVICE/DEVICE_ClassPackageRefresh.h"
#include "DEVICE/DEVICE_ClassPackageRemoval.h"
#include "DEVICE/DEVICE_ClassPackageView.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "DEVICE/DEVICE_SessionFolders.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QEvent>

#include <algorithm>

namespace
{
constexpr int EXTRACTION_STEPS_PER_PERCENT = 3;
} // namespace

CLASS_PACKAGE_MANAGER_BACKEND::CLASS_PACKAGE_MANAGER_BACKEND(CLASS_PACKAGE_VIEW* view,
                                                             CLASS_TARVO_VERSION_INFO* versionInfo,
                                                             QObject* parent,
                                                             const PACKAGE_MANAGER_OPTIONS& givenOptions)
    : QObject(parent), view(view), versionInfo(versionInfo),
      packages(versionInfo != nullptr ? versionInfo->GetPackagesList() : QMap<int, QString>()),
      options(givenOptions.WithDefaults(versionInfo)), progress(*this, options.progressHideDelayMs),
      download(std::make_unique<CLASS_PACKAGE_DOWNLOAD>(*this))
{
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
    if (view != nullptr && versionInfo != nullptr)
    {
        CLASS_PACKAGE_REFRESH(*this).ShowInstalled();
    }
}

QStringList CLASS_PACKAGE_MANAGER_BACKEND::SignedVersions() const
{
    return CLASS_PACKAGE_MARKS(*this).SignedVersions();
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
    const QStringList removed = CLASS_PACKAGE_JOB_PLAN(packages.values(), installed, wanted).Removals();
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
    progress.SetPauseButton(PACKAGE_PAUSE_BUTTON::Hidden);
    QStringList ticked;
    view->GetCheckedPackages(ticked);
    const QStringList installed = versionInfo->GetInstalledVersions();
    if (installed == ticked)
    {
        return;
    }
    // The window shows a box only for the catalogue's packages: an installed version it does not list
    // (installed from a file, or dropped from the catalogue) stays.
    const QStringList wanted =
        ticked + CLASS_PACKAGE_JOB_PLAN::UnlistedVersions(packages.values(), installed);
    // Saved sessions that lose their version are named first; "No" leaves everything as it is.
    if (!RemovalAgreed(installed, wanted) || view == nullptr)
    {
        return;
    }
    progress.KeepShown(); // the previous job's timer must not hide this job's progress
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
    CLASS_PACKAGE_INSTALLATION(*this).InstallFile(archivePath, version);
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

void CLASS_PACKAGE_MANAGER_BACKEND::RunEntries(const QStringList& installed, const QStringList& wanted)
{
    // Kept up to date as the job goes, so that a version listed twice is handled once.
    QStringList present = installed;
    const CLASS_PACKAGE_JOB_PLAN plan(packages.values(), installed, wanted);
    progress.CountDownloads(plan.Installations().size());
    for (const QString& version : plan.Versions())
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
            carryOn = CLASS_PACKAGE_REMOVAL(*this).Remove(version);
            present.removeAll(version);
        }
        else if (!isInstalled && isTicked)
        {
            carryOn = CLASS_PACKAGE_INSTALLATION(*this).InstallDownloaded(version);
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
    progress.SetStatus(FinalStatusText(jobStatus, failureReason));
    // A failure stays on show, with its reason, until the user's next action, and so does a pause with its
    // Resume button; success goes after a while.
    if (jobStatus == JOB_DONE || jobStatus == JOB_ABORTED)
    {
        progress.HideLater();
    }
    progress.SetPauseButton(jobStatus == JOB_PAUSED ? PACKAGE_PAUSE_BUTTON::Resume
                                                    : PACKAGE_PAUSE_BUTTON::Hidden);
    if (view != nullptr)
    {
        view->SetButtonsEnabled(true);
    }
    versionInfo->FindInstalledVersions();
    const CLASS_PACKAGE_MARKS marks(*this);
    // A paused job keeps the ticks it was started with: Resume goes on with them.
    if (jobStatus != JOB_PAUSED)
    {
        marks.TickInstalled(versionInfo->GetInstalledVersions());
    }
    marks.MarkSigned();
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
    CLASS_PACKAGE_REFRESH(*this).FetchCatalogue();
    emit SIGNAL_PackagesChanged();
    EndWork();
}

void CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ManageProgress()
{
    ++extractionCounter;
    progress.ShowInstallingQueued(std::min(extractionCounter / EXTRACTION_STEPS_PER_PERCENT, MAX_PROGRESS));
}

void CLASS_PACKAGE_MANAGER_BACKEND::ReportProgress(const QString& text, SDWord value)
{
    emit SIGNAL_Progress(currentPackage, text, value);
}
