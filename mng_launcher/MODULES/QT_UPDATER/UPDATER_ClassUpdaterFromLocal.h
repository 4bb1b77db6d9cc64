#ifndef UPDATER_CLASSUPDATERFROMLOCAL_H
#define UPDATER_CLASSUPDATERFROMLOCAL_H

#include "QT_UPDATER/UPDATER_ClassAbstractUpdater.h"

#include <QDir>
#include <QRegExp>

// Finds newer versions of a program among the binaries of a local release folder; each binary's version is
// read from its file name. Works synchronously: copies replace downloads.
class CLASS_UPDATER_FROM_LOCAL : public CLASS_ABSTRACT_UPDATER
{
    Q_OBJECT

public:
    CLASS_UPDATER_FROM_LOCAL(const QString& currentVersionText, const QString& releaseFolderPath,
                             const QString& fileNamePrefix, const QString& fileNameSuffix,
                             const QString& versionPattern, const QString& versionSeparator,
                             QObject* parent = nullptr);
    ~CLASS_UPDATER_FROM_LOCAL() override;

    bool CheckIfNewVersionIsAvailable() override;
    bool CopyMostRecentBinary(const QString& destinationFolder, const QString& fileName) override;
    bool CopyBinary(const QVersionNumber& version, const QString& destinationFolder,
                    const QString& fileName) override;

    QString GetMostRecentPath() const { return mostRecentPath; }

private:
    // The version that the file name carries; false when the pattern finds none.
    bool VersionOfFileName(const QString& fileName, QVersionNumber& version) const;

    QDir releaseBinFolder;
    QString fileNamePrefix;
    QString fileNameSuffix;
    // Searched as QRegExp searches: of the matches at the leftmost position, the longest, whichever
    // alternative gives it (QRegularExpression would take the first alternative that matches).
    QRegExp versionPattern;
    QString mostRecentPath;
    QString versionSeparator;
};

#endif // UPDATER_CLASSUPDATERFROMLOCAL_H
