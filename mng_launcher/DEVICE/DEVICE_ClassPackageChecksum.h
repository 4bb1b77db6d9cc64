#ifndef DEVICE_CLASSPACKAGECHECKSUM_H
#define DEVICE_CLASSPACKAGECHECKSUM_H

#include <QByteArray>
#include <QString>

class CLASS_PACKAGE_MANAGER_BACKEND;

// The verification step of the package installer: fetches the checksum published beside a package
// archive ("<archive url>.sha256", "sha256sum" layout) and compares it with the digest computed during
// the download. An archive without a published checksum passes; failures set the job's status.
class CLASS_PACKAGE_CHECKSUM
{
public:
    explicit CLASS_PACKAGE_CHECKSUM(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // False when the job was cancelled, the checksum could not be fetched or does not match.
    bool VerifyChecksum(const QString& url, const QString& archivePath, const QByteArray& computed);
    // The same for an archive file: compared with archivePath + ".sha256" when that plain file exists.
    bool VerifyFile(const QString& archivePath);

private:
    // Compares the "sha256sum" text published for an archive with the computed digest.
    bool Matches(const QByteArray& published, const QString& archivePath, const QByteArray& computed);
    // Logs the reason, fails the job with it and returns false.
    bool Unreadable(const QString& reason);

    CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGECHECKSUM_H
