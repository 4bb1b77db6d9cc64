#include "DEVICE/DEVICE_ClassPackageChecksum.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QCryptographicHash>
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
        TRACE_ERROR(QStringLiteral("Error reading file:") + archive.errorString());
        backend.jobStatus = CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED;
        return false;
    }
    const QFileInfo checksumFile(archivePath + CHECKSUM_SUFFIX);
    if (!checksumFile.exists())
    {
        TRACE_INFO(QStringLiteral("No checksum beside ") + archivePath);
        return true;
    }
    QFile published(checksumFile.absoluteFilePath());
    QCryptographicHash digest(QCryptographicHash::Sha256);
    if (checksumFile.isSymLink() || !checksumFile.isFile() || !published.open(QIODevice::ReadOnly) ||
        !digest.addData(&archive))
    {
        TRACE_ERROR(QStringLiteral("Cannot read the checksum of ") + archivePath);
        backend.jobStatus = CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED;
        return false;
    }
    return Matches(published.read(MAX_CHECKSUM_FILE_BYTES), archivePath, digest.result());
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
