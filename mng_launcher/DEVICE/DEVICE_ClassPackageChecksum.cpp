#include "DEVICE/DEVICE_ClassPackageChecksum.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassSha256.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedPointer>

namespace
{
constexpr int SHA256_HEX_LENGTH = 64;
const QString CHECKSUM_SUFFIX = QStringLiteral(".sha256");
// A checksum file holds one line; more is not read.
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
} // namespace

CLASS_PACKAGE_CHECKSUM::CLASS_PACKAGE_CHECKSUM(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

bool CLASS_PACKAGE_CHECKSUM::VerifyChecksum(const QString& url, const QString& archivePath,
                                            const QByteArray& computed)
{
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
        PACKAGE_JOB_INFO(QStringLiteral("No checksum published at ") + checksumUrl);
        return true;
    }
    const QString failure = UTILS::ReplyFailure(*reply);
    if (!failure.isEmpty())
    {
        PACKAGE_JOB_ERROR(QStringLiteral("Error downloading file:") + failure);
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED,
                     QStringLiteral("no checksum (%1)").arg(TransferFailureReason(*reply)));
        return false;
    }
    return Matches(reply->readAll(), archivePath, computed);
}

bool CLASS_PACKAGE_CHECKSUM::VerifyFile(const QString& archivePath)
{
    QFile archive(archivePath);
    if (!archive.open(QIODevice::ReadOnly))
    {
        return Unreadable(QStringLiteral("cannot read the archive (%1)").arg(archive.errorString()));
    }
    const QFileInfo checksumFile(archivePath + CHECKSUM_SUFFIX);
    if (!checksumFile.exists())
    {
        PACKAGE_JOB_INFO(QStringLiteral("No checksum beside ") + archivePath);
        return true;
    }
    QFile published(checksumFile.absoluteFilePath());
    CLASS_SHA256 digest;
    if (checksumFile.isSymLink() || !checksumFile.isFile() || !published.open(QIODevice::ReadOnly) ||
        !HashWhole(archive, digest))
    {
        return Unreadable(QStringLiteral("cannot read the checksum of ") + archivePath);
    }
    return Matches(published.read(MAX_CHECKSUM_FILE_BYTES), archivePath, digest.Result());
}

bool CLASS_PACKAGE_CHECKSUM::Unreadable(const QString& reason)
{
    PACKAGE_JOB_ERROR(reason);
    backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, reason);
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
        PACKAGE_JOB_ERROR(QStringLiteral("Checksum mismatch for ") + archivePath +
                          QStringLiteral(": expected ") + QString::fromLatin1(expected) +
                          QStringLiteral(", computed ") + QString::fromLatin1(actual));
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, QStringLiteral("checksum mismatch"));
        return false;
    }
    return true;
}
