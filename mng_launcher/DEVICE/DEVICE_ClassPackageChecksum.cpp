#include "DEVICE/DEVICE_ClassPackageChecksum.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedPointer>

namespace
{
constexpr int SHA256_HEX_LENGTH = 64;
const QString CHECKSUM_SUFFIX = QStringLiteral(".sha256");
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
        backend.jobStatus = CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED;
        return false;
    }
    // "sha256sum" layout: the hexadecimal digest, then optionally blanks and the file name.
    const QByteArray expected = reply->readAll().trimmed().split(' ').first().split('\t').first().toLower();
    const QByteArray actual = computed.toHex();
    if (expected.size() != SHA256_HEX_LENGTH || expected != actual)
    {
        PACKAGE_JOB_ERROR(QStringLiteral("Checksum mismatch for ") + archivePath +
                          QStringLiteral(": expected ") + QString::fromLatin1(expected) +
                          QStringLiteral(", computed ") + QString::fromLatin1(actual));
        backend.jobStatus = CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED;
        return false;
    }
    return true;
}
