#ifndef UPDATER_CLASSABSTRACTUPDATER_H
#define UPDATER_CLASSABSTRACTUPDATER_H

#include "QT_UPDATER/UPDATER_VersionInfo.h"
#include "ZR_Types.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVersionNumber>

// The bookkeeping shared by every updater: the running version, the versions seen by the checks and the
// most recent qualifying one. A concrete updater decides where versions come from and how a binary is
// fetched.
class CLASS_ABSTRACT_UPDATER : public QObject
{
    Q_OBJECT

public:
    explicit CLASS_ABSTRACT_UPDATER(const QString& currentVersionText, QObject* parent = nullptr);
    ~CLASS_ABSTRACT_UPDATER() override;

    virtual bool CheckIfNewVersionIsAvailable() = 0;
    virtual bool CopyMostRecentBinary(const QString& destinationFolder, const QString& fileName) = 0;
    virtual bool CopyBinary(const QVersionNumber& version, const QString& destinationFolder,
                            const QString& fileName) = 0;

    QVersionNumber GetCurrentVersion() const { return currentVersion; }
    QHash<QVersionNumber, VersionInfo> GetVersions() const { return versions; }
    QVersionNumber GetMostRecentVersion() const { return mostRecentVersion; }
    // The entry stored under the most recent version, or an empty one when there is none.
    VersionInfo GetMostRecentVersionInfo() const;
    // Forgets every version seen: the most recent version is the running one again.
    void ResetVersions();

signals:
    void SIGNAL_VersionCheckingFinished(Bool isSuccessfull, Bool moreRecentFound);
    void SIGNAL_BinaryDownloadFinished(Bool isSuccessfull);

protected:
    // What is wrong with a destination folder for a binary, or an empty text when it can be used.
    static QString DestinationProblem(const QString& destinationFolder);

    QVersionNumber currentVersion;
    QHash<QVersionNumber, VersionInfo> versions;
    QVersionNumber mostRecentVersion;
};

#endif // UPDATER_CLASSABSTRACTUPDATER_H
