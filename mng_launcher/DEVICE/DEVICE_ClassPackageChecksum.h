#ifndef DEVICE_CLASSPACKAGECHECKSUM_H
#define DEVICE_CLASSPACKAGECHECKSUM_H

#include <QByteArray>
#include <QString>

class CLASS_PACKAGE_MANAGER_BACKEND;
struct PACKAGE_INDEX_ENTRY;

// The verification step of the package installer. A server that publishes a signed index (verified once
// per job, CLASS_SIGNED_INDEX) has every archive checked against the index's entry (size and SHA-256); a
// version the index lacks is refused before its download. A server that never published one keeps the
// checksum published beside each archive ("<archive url>.sha256", "sha256sum" layout; an archive without
// one passes) unless signed packages are required. An archive file is checked against its own signature
// ("<archive>.minisig") when there is one, else its ".sha256". Failures set the job's status and reason;
// success tells the job how the archive was verified (CLASS_TRUST_STORE::TRUST_...).
class CLASS_PACKAGE_CHECKSUM
{
public:
    explicit CLASS_PACKAGE_CHECKSUM(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // Before the download of version: false when the server's signed index refuses it (index refused,
    // version not listed, unsigned server while signed packages are required).
    bool AdmitVersion(const QString& version);
    // False when the job was cancelled, the checksum could not be fetched or the archive does not match.
    bool VerifyChecksum(const QString& url, const QString& archivePath, const QByteArray& computed);
    // The same for an archive file: its signature when one lies beside it, else its checksum.
    bool VerifyFile(const QString& archivePath);
    // The size the signed index gives version's archive; -1 when the job's server is not signed.
    qint64 ExpectedSize(const QString& version) const;

private:
    // The job's verdict on its server, fetched at the job's first installation.
    void LoadIndex();
    // The signed index's entry of version's archive; null when the job's server is not signed.
    const PACKAGE_INDEX_ENTRY* IndexEntry(const QString& version) const;
    // Compares the archive with its entry of the signed index.
    bool MatchesEntry(const PACKAGE_INDEX_ENTRY& entry, const QString& archivePath,
                      const QByteArray& computed);
    // Checks an archive file against the signature file beside it.
    bool MatchesSignature(const QString& archivePath, const QString& signaturePath);
    // Compares the "sha256sum" text published for an archive with the computed digest.
    bool Matches(const QByteArray& published, const QString& archivePath, const QByteArray& computed);
    // Logs the reason, fails the job with it and returns false.
    bool Unreadable(const QString& reason);
    // The same for what the signature rules refuse: also shown on standard error.
    bool Refuse(const QString& reason);

    CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGECHECKSUM_H
