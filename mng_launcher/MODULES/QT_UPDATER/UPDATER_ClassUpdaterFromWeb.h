#ifndef UPDATER_CLASSUPDATERFROMWEB_H
#define UPDATER_CLASSUPDATERFROMWEB_H

#include "QT_UPDATER/UPDATER_ClassAbstractUpdater.h"
#include "QT_UTILS/UTILS_ClassUtilsDownload.h"

#include <QTemporaryDir>

#include <memory>

// Checks a JSON version file on the update web server for a version newer than the running one, and can
// fetch the binary of the most recent or of a chosen version into a folder. One job at a time.
class CLASS_UPDATER_FROM_WEB : public CLASS_ABSTRACT_UPDATER
{
    Q_OBJECT

public:
    enum UpdaterState
    {
        Idle = 0,
        CheckingVersion = 1,
        DownloadingBinary = 2
    };

    CLASS_UPDATER_FROM_WEB(const QString& currentVersionText, const QString& versionFileUrl, int productId,
                           int devFilter, QObject* parent = nullptr);
    ~CLASS_UPDATER_FROM_WEB() override;

    // Starts a check; its result comes with SIGNAL_VersionCheckingFinished. True while a check runs.
    bool CheckIfNewVersionIsAvailable() override;
    // Starts fetching a binary into the folder under the file name; the result comes with
    // SIGNAL_BinaryDownloadFinished.
    bool CopyMostRecentBinary(const QString& destinationFolder, const QString& fileName) override;
    bool CopyBinary(const QVersionNumber& version, const QString& destinationFolder,
                    const QString& fileName) override;

    QString GetVersionFileUrl() const { return versionFileUrl; }
    // Points later checks at another version file (another update server).
    void SetVersionFileUrl(const QString& url) { versionFileUrl = url; }
    int GetProductId() const { return productId; }
    int GetDevFilter() const { return devFilter; }
    // Qualifies only entries of the given development channel among the versions already seen.
    void SetDevFilter(int value);
    UpdaterState GetUpdaterState() const { return updaterState; }
    // Why the last version check failed (or could not start), for the user.
    QString GetLastFailure() const { return lastFailure; }
    // Limit of every transfer of this updater without any data received.
    void SetTransferTimeout(int milliseconds) { downloader.SetTransferTimeout(milliseconds); }

public slots:
    void SLOT_DownloadFinished(const QString& filename);
    void SLOT_DownloadFailed();

private:
    void DownloadVersionFinished(const QString& path);
    void DownloadBinaryFinished(const QString& path);
    bool StartBinaryDownload(const QString& url, const QString& destinationFolder, const QString& fileName);
    // Ends a check: the temporary folder goes, then the result is announced.
    void FinishCheck(bool isSuccessfull, bool moreRecentFound);
    // Ends a check that failed, for the reason given.
    void FailCheck(const QString& reason);

    QString versionFileUrl;
    int productId;
    int devFilter;
    CLASS_UTILS_DOWNLOAD downloader;
    QString mostRecentUrl;
    UpdaterState updaterState = Idle;
    QString targetFileName;
    QString targetFolder;
    std::unique_ptr<QTemporaryDir> temporaryFolder;
    QString lastFailure;
};

#endif // UPDATER_CLASSUPDATERFROMWEB_H
