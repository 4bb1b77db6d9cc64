#ifndef DEVICE_CLASSPACKAGEMANAGER_H
#define DEVICE_CLASSPACKAGEMANAGER_H

#include "DEVICE/DEVICE_ClassPackageProgress.h"
#include "DEVICE/DEVICE_PackageManagerOptions.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "ZR_Types.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CLASS_PACKAGE_DOWNLOAD;
class CLASS_PACKAGE_VIEW;
class CLASS_TARVO_VERSION_INFO;
struct INDEX_VERDICT;

// Every line of an installer job names the installer's unit and SLOT_UpdatePackages, or ExtractPackage for
// the extraction on the pool thread, whichever part of the installer writes it: readers of the logs search
// for these names.
#define PACKAGE_JOB_UNIT "mng_launcher/DEVICE/DEVICE_ClassPackageManager.cpp"
inline constexpr TRACE_ORIGIN PACKAGE_JOB_ORIGIN{PACKAGE_JOB_UNIT, "SLOT_UpdatePackages"};
inline constexpr TRACE_ORIGIN PACKAGE_EXTRACTION_ORIGIN{PACKAGE_JOB_UNIT, "ExtractPackage"};

// Brings the installed simulator packages in line with the versions ticked in the package manager
// window: removes the package folders that are no longer ticked and installs the ticked ones that are
// missing (download of the archive into a temporary folder, checksum, extraction beside the launcher on
// a pool thread). One job per Apply; the end of every job is announced with SIGNAL_PackagesChanged. A
// download can be paused (the job ends "Paused") and resumed; a download that was paused, cancelled or
// failed is continued by the next installation of its version, from the part kept in the user's private
// downloads folder. Refresh downloads the catalogue again.
// The window is a CLASS_PACKAGE_VIEW that the installer drives; its requests arrive at the public slots. A
// job without a window (the command line) has no view.
// It is the entry point of the installer's steps, which work on its job:
//   CLASS_PACKAGE_JOB_PLAN      which versions the job installs and removes
//   CLASS_PACKAGE_REMOVAL       the removal of one package
//   CLASS_PACKAGE_INSTALLATION  the installation of one package, with the steps below
//   CLASS_PACKAGE_DOWNLOAD      the archive's download (with its digest)
//   CLASS_PACKAGE_CHECKSUM      the comparison with the signed index, or with the published checksum
//   CLASS_PACKAGE_EXTRACTION    the extraction on a pool thread
//   CLASS_PACKAGE_PROGRESS      what the job shows while it runs
//   CLASS_PACKAGE_MARKS         the window's ticks and trust marks, the trust record of a package
//   CLASS_PACKAGE_REFRESH       the window brought up to date, at its opening and on Refresh
class CLASS_PACKAGE_MANAGER_BACKEND : public QObject
{
    Q_OBJECT

public:
    // Outcome of a job.
    static constexpr int MAX_PROGRESS = 100;

    enum JOB_STATUS
    {
        JOB_DONE = 0,
        JOB_FILE_ERROR = 1,
        JOB_ABORTED = 2,
        JOB_REMOVAL_FAILED = 3,
        JOB_FAILED = 4,
        JOB_PAUSED = 5
    };

    // view: the window to drive, or null for jobs without a window.
    CLASS_PACKAGE_MANAGER_BACKEND(CLASS_PACKAGE_VIEW* view, CLASS_TARVO_VERSION_INFO* versionInfo,
                                  QObject* parent = nullptr,
                                  const PACKAGE_MANAGER_OPTIONS& options = PACKAGE_MANAGER_OPTIONS());
    ~CLASS_PACKAGE_MANAGER_BACKEND() override;

    // Ticks the installed packages, shows whether the internet is reachable, and closes the window when
    // the catalogue needs a newer launcher.
    void RefreshDialog();

    // The archive URL of a version: packages URL + platform folder + "/" + package folder + ".zip".
    QString ArchiveUrl(const QString& version) const;
    // The text a job ends with; a failure that knows its reason says it: "Failed: connection refused".
    static QString FinalStatusText(int status, const QString& reason = QString());
    // One line per saved session of sessionsRoot that uses one of versions: "Session <name> (<folder>)
    // uses 3.1.51; it cannot start until a version is chosen."
    static QStringList RemovalWarnings(const QString& sessionsRoot, const QStringList& versions);

    // One job without the window: brings the installed packages in line with wanted. Versions of the
    // packages list are installed or removed; an installed version that the list does not hold is removed
    // when wanted lacks it. Returns the job status. The progress goes out through SIGNAL_Progress.
    int RunJob(const QStringList& wanted);
    // Installs the package archive file archivePath (named TARVO_<version>.zip) for version: checked
    // against archivePath + ".sha256" when that file exists, then extracted as a downloaded archive is.
    // Returns the job status.
    int InstallArchiveFile(const QString& archivePath, const QString& version);
    // The last job's archive was refused (an entry would land outside its package folder).
    bool ArchiveRefused() const { return archiveRefused; }

    // Read access for the extraction task and for tests.
    const PACKAGE_MANAGER_OPTIONS& Options() const { return options; }
    int JobStatus() const { return jobStatus; }
    bool IsJobRunning() const { return jobRunning; }
    QString CurrentPackage() const { return currentPackage; }
    // Why the last job failed, for the user; empty when it did not fail or gave no reason.
    QString FailureReason() const { return failureReason; }
    // Where the running job installs packages: the program's folder or the user's package folder.
    QString InstallFolder() const { return installFolder; }
    // The versions of the packages list that the server's last accepted signed index lists (none when the
    // server is not signed): the window marks them "signed".
    QStringList SignedVersions() const;
    // True once the job was cancelled or paused: its steps stop.
    bool StopRequested() const { return jobStatus == JOB_ABORTED || jobStatus == JOB_PAUSED; }

signals:
    void SIGNAL_PackagesChanged();
    // Every status text and progress value the job shows, with the package it concerns.
    void SIGNAL_Progress(const QString& package, const QString& text, SDWord value);

public slots:
    void SLOT_UpdatePackages();
    void SLOT_CancelUpdate();
    // Pauses the running download (the job ends "Paused"), or resumes a paused job.
    void SLOT_PauseOrResume();
    // Downloads the catalogue again and shows its packages.
    void SLOT_RefreshCatalogue();
    // One progress step of the extractor; runs on the extraction thread.
    void SLOT_ManageProgress();
    // The window is being closed: a running job is cancelled, and the window goes once the job has stopped.
    void SLOT_ViewClosing();
    // The window is gone: nothing is shown any more, and a running job stops.
    void SLOT_ForgetView();

protected:
    // A deletion requested while a job runs waits for the job's end.
    bool event(QEvent* event) override;

private:
    // Installs or removes each version of the job as wanted says.
    void RunEntries(const QStringList& installed, const QStringList& wanted);
    // True when no saved session uses a version that the job would remove, or the user agrees to remove
    // it all the same (a question naming the sessions).
    bool RemovalAgreed(const QStringList& installed, const QStringList& wanted);
    // Marks a job as running from here to FinishJob.
    void BeginJob();
    void FinishJob();
    // The work (a job, a refresh) has ended: a deletion asked for meanwhile takes place now.
    void EndWork();
    // Ends the job's entries with status; the first failure's reason is the one the user reads.
    void Fail(int status, const QString& reason);
    // SIGNAL_Progress for the current package.
    void ReportProgress(const QString& text, SDWord value);

    CLASS_PACKAGE_VIEW* view;
    CLASS_TARVO_VERSION_INFO* versionInfo;
    // The packages list as the window shows it: a catalogue arriving later does not shift its boxes.
    QMap<int, QString> packages;
    QString currentPackage;
    int extractionCounter = 0;
    int jobStatus = JOB_DONE;
    QString failureReason;
    QString installFolder;

    PACKAGE_MANAGER_OPTIONS options;
    CLASS_PACKAGE_PROGRESS progress;
    std::unique_ptr<CLASS_PACKAGE_DOWNLOAD> download;
    bool jobRunning = false;
    bool deleteWhenJobEnds = false;
    bool archiveRefused = false;
    // The job's verdict on its server's signed index, fetched at its first installation.
    std::unique_ptr<INDEX_VERDICT> jobIndex;
    // How the archive being installed was verified (CLASS_TRUST_STORE::TRUST_...).
    QString archiveTrust;

    // The installer's steps share the job's state: options, status, current package, view.
    friend class CLASS_PACKAGE_DOWNLOAD;
    friend class CLASS_PACKAGE_CHECKSUM;
    friend class CLASS_PACKAGE_EXTRACTION;
    friend class CLASS_PACKAGE_INSTALLATION;
    friend class CLASS_PACKAGE_REMOVAL;
    friend class CLASS_PACKAGE_PROGRESS;
    friend class CLASS_PACKAGE_MARKS;
    friend class CLASS_PACKAGE_REFRESH;
};

#endif // DEVICE_CLASSPACKAGEMANAGER_H
