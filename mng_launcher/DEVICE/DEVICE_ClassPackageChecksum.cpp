#include "DEVICE/DEVICE_ClassPackageChecksum.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassSha256.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedPointer>

#include <cstdio>

namespace
{
constexpr int SHA256_HEX_LENGTH = 64;
const QString CHECKSUM_SUFFIX = QStringLiteral(".sha256");
// A checksum file holds one line, a signature four; more is not read.
constexpr qint64 MAX_CHECKSUM_FILE_BYTES = 4096;
constexpr qint64 HASH_CHUNK_BYTES = 1024 * 1024;

// Adds the whole file to digest, a chunk at a time; false when a read fails.
bool HashWhole(QFile& file, CLASS_SHA256& digest)
{
    QByteArray chunk(HASH_CHUNK_BYTES, Qt::Uninitialized);
    for (;;)
    {
        const qint64 read = file.read(chunk.data(), chunk.size());
        if (read <= 0)
        {
            return read == 0;
        }
        digest.AddData(chunk.constData(), read);
    }
}

// A plain file beside the archive (never a link); false when there is none.
bool IsPlainFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isSymLink() && info.isFile();
}
} // namespace

CLASS_PACKAGE_CHECKSUM::CLASS_PACKAGE_CHECKSUM(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

void CLASS_PACKAGE_CHECKSUM::LoadIndex()
{
    if (backend.jobIndex)
    {
        return;
    }
    CLASS_TRUST_STORE store(backend.options.trustFolder, backend.options.trustedKeys);
    backend.jobIndex = std::make_unique<INDEX_VERDICT>(CLASS_SIGNED_INDEX(store).Refresh(
        CLASS_SIGNED_INDEX::ServerOf(backend.options.packagesUrl), backend.options.checksumTimeoutMs));
}

qint64 CLASS_PACKAGE_CHECKSUM::ExpectedSize(const QString& version) const
{
    const PACKAGE_INDEX_ENTRY* entry = IndexEntry(version);
    return entry != nullptr ? entry->size : -1;
}

const PACKAGE_INDEX_ENTRY* CLASS_PACKAGE_CHECKSUM::IndexEntry(const QString& version) const
{
    const INDEX_VERDICT* verdict = backend.jobIndex.get();
    if (verdict == nullptr || verdict->trust != INDEX_VERDICT::TRUST::Signed)
    {
        return nullptr;
    }
    return verdict->index.FindPackage(version);
}

bool CLASS_PACKAGE_CHECKSUM::AdmitVersion(const QString& version)
{
    LoadIndex();
    // A cancel during the index's download ends the job before the archive's.
    if (backend.jobStatus == CLASS_PACKAGE_MANAGER_BACKEND::JOB_ABORTED)
    {
        return false;
    }
    const INDEX_VERDICT& verdict = *backend.jobIndex;
    switch (verdict.trust)
    {
    case INDEX_VERDICT::TRUST::Refused:
        return Refuse(verdict.reason);
    case INDEX_VERDICT::TRUST::Signed:
        return IndexEntry(version) != nullptr ||
               Refuse(QStringLiteral("%1 is not in the signed index").arg(version));
    case INDEX_VERDICT::TRUST::Unsigned:
        break;
    }
    if (backend.options.requireSigned)
    {
        return Refuse(verdict.reason + QStringLiteral(", and signed packages are required"));
    }
    return true;
}

bool CLASS_PACKAGE_CHECKSUM::VerifyChecksum(const QString& url, const QString& archivePath,
                                            const QByteArray& computed)
{
    const PACKAGE_INDEX_ENTRY* entry = IndexEntry(backend.currentPackage);
    if (entry != nullptr)
    {
        return MatchesEntry(*entry, archivePath, computed);
    }
    QNetworkAccessManager manager;
    const QString checksumUrl = url + CHECKSUM_SUFFIX;
    const QScopedPointer<QNetworkReply> reply(
        GetAndWait(manager, checksumUrl, backend.options.checksumTimeoutMs));
    if (backend.jobStatus == CLASS_PACKAGE_MANAGER_BACKEND::JOB_ABORTED)
    {
        return false;
    }
    if (reply->error() == QNetworkReply::ContentNotFoundError)
    {
        TRACE_INFO_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("No checksum published at ") + checksumUrl);
        backend.archiveTrust = CLASS_TRUST_STORE::TRUST_NONE;
        return true;
    }
    const QString failure = UTILS::ReplyFailure(*reply);
    if (!failure.isEmpty())
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Error downloading file:") + failure);
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED,
                     QStringLiteral("no checksum (%1)").arg(TransferFailureReason(*reply)));
        return false;
    }
    return Matches(reply->readAll(), archivePath, computed);
}

bool CLASS_PACKAGE_CHECKSUM::MatchesEntry(const PACKAGE_INDEX_ENTRY& entry, const QString& archivePath,
                                          const QByteArray& computed)
{
    const qint64 size = QFileInfo(archivePath).size();
    const QByteArray actual = computed.toHex();
    if (size != entry.size || actual != entry.sha256)
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                       QStringLiteral("Signed index mismatch for %1: expected %2 bytes, SHA-256 %3; got %4 "
                                      "bytes, SHA-256 %5")
                           .arg(archivePath)
                           .arg(entry.size)
                           .arg(QString::fromLatin1(entry.sha256))
                           .arg(size)
                           .arg(QString::fromLatin1(actual)));
        return Refuse(size != entry.size
                          ? QStringLiteral("the archive's size differs from the signed index")
                          : QStringLiteral("the archive's SHA-256 differs from the signed index"));
    }
    backend.archiveTrust = CLASS_TRUST_STORE::TRUST_SIGNED;
    return true;
}

bool CLASS_PACKAGE_CHECKSUM::VerifyFile(const QString& archivePath)
{
    QFile archive(archivePath);
    if (!archive.open(QIODevice::ReadOnly))
    {
        return Unreadable(QStringLiteral("cannot read the archive (%1)").arg(archive.errorString()));
    }
    const QString signaturePath = archivePath + CLASS_SIGNED_INDEX::SIGNATURE_SUFFIX;
    if (QFileInfo(signaturePath).exists() || QFileInfo(signaturePath).isSymLink())
    {
        return MatchesSignature(archivePath, signaturePath);
    }
    if (backend.options.requireSigned)
    {
        return Refuse(QStringLiteral("no signature beside %1, and signed packages are required")
                          .arg(QFileInfo(archivePath).fileName()));
    }
    const QString checksumPath = archivePath + CHECKSUM_SUFFIX;
    if (!QFileInfo(checksumPath).exists())
    {
        TRACE_INFO_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("No checksum beside ") + archivePath);
        backend.archiveTrust = CLASS_TRUST_STORE::TRUST_NONE;
        return true;
    }
    QFile published(checksumPath);
    CLASS_SHA256 digest;
    if (!IsPlainFile(checksumPath) || !published.open(QIODevice::ReadOnly) || !HashWhole(archive, digest))
    {
        return Unreadable(QStringLiteral("cannot read the checksum of ") + archivePath);
    }
    return Matches(published.read(MAX_CHECKSUM_FILE_BYTES), archivePath, digest.Result());
}

bool CLASS_PACKAGE_CHECKSUM::MatchesSignature(const QString& archivePath, const QString& signaturePath)
{
    QFile signature(signaturePath);
    QFile archive(archivePath);
    if (!IsPlainFile(signaturePath) || !signature.open(QIODevice::ReadOnly) ||
        !archive.open(QIODevice::ReadOnly))
    {
        return Unreadable(QStringLiteral("cannot read the signature of ") + archivePath);
    }
    CLASS_TRUST_STORE store(backend.options.trustFolder, backend.options.trustedKeys);
    QString reason;
    if (!CLASS_SIGNED_INDEX(store).VerifyFile(archive, signature.read(MAX_CHECKSUM_FILE_BYTES),
                                              QFileInfo(archivePath).fileName(), &reason))
    {
        return Refuse(reason);
    }
    backend.archiveTrust = CLASS_TRUST_STORE::TRUST_SIGNED;
    return true;
}

bool CLASS_PACKAGE_CHECKSUM::Unreadable(const QString& reason)
{
    TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, reason);
    backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, reason);
    return false;
}

bool CLASS_PACKAGE_CHECKSUM::Refuse(const QString& reason)
{
    TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Untrusted package ") + backend.currentPackage +
                                           QStringLiteral(": ") + reason);
    backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, reason);
    // A command prints its failure itself; the window's user may look at its terminal too.
    if (backend.view != nullptr)
    {
        const QByteArray line = (QStringLiteral("Failed: ") + reason + QLatin1Char('\n')).toLocal8Bit();
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    }
    return false;
}

bool CLASS_PACKAGE_CHECKSUM::Matches(const QByteArray& published, const QString& archivePath,
                                     const QByteArray& computed)
{
    // "sha256sum" layout: the hexadecimal digest, then optionally blanks and the file name.
    const QByteArray expected = published.trimmed().split(' ').first().split('\t').first().toLower();
    const QByteArray actual = computed.toHex();
    if (expected.size() != SHA256_HEX_LENGTH || expected != actual)
    {
        TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN, QStringLiteral("Checksum mismatch for ") + archivePath +
                                               QStringLiteral(": expected ") + QString::fromLatin1(expected) +
                                               QStringLiteral(", computed ") + QString::fromLatin1(actual));
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, QStringLiteral("checksum mismatch"));
        return false;
    }
    backend.archiveTrust = CLASS_TRUST_STORE::TRUST_CHECKSUM;
    return true;
}
