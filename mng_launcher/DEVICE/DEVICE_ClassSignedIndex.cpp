#include "DEVICE/DEVICE_ClassSignedIndex.h"

#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QCryptographicHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedPointer>
#include <QUrl>

const QString CLASS_SIGNED_INDEX::SIGNATURE_SUFFIX = QStringLiteral(".minisig");

namespace
{
// The value of "name:value" among the blank-separated words of a trusted comment; empty when absent.
QString CommentValue(const QString& comment, const QString& name)
{
    const QString prefix = name + QLatin1Char(':');
    for (const QString& word : comment.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    {
        if (word.startsWith(prefix))
        {
            return word.mid(prefix.size());
        }
    }
    return QString();
}

INDEX_VERDICT Refusal(const QString& reason)
{
    INDEX_VERDICT verdict;
    verdict.trust = INDEX_VERDICT::TRUST::Refused;
    verdict.reason = reason;
    return verdict;
}

bool NotPublished(const QNetworkReply& reply)
{
    return reply.error() == QNetworkReply::ContentNotFoundError ||
           reply.error() == QNetworkReply::ContentGoneError;
}
} // namespace

CLASS_SIGNED_INDEX::CLASS_SIGNED_INDEX(CLASS_TRUST_STORE& store) : store(store) {}

QString CLASS_SIGNED_INDEX::ServerOf(const QString& url)
{
    const QString clean =
        QUrl(url).adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
    return clean.left(clean.lastIndexOf(QLatin1Char('/')) + 1);
}

bool CLASS_SIGNED_INDEX::CheckSignature(const QByteArray& fileHash, const QByteArray& text,
                                        const QString& fileName, MINISIGN_SIGNATURE& signature,
                                        QString* reason) const
{
    if (!CLASS_MINISIGN::ParseSignature(text, signature, reason))
    {
        return false;
    }
    const TRUSTED_KEY* trusted = store.FindKey(signature.keyId);
    QString problem;
    if (trusted == nullptr)
    {
        problem =
            QStringLiteral("signed with an unknown key %1").arg(CLASS_MINISIGN::KeyIdText(signature.keyId));
    }
    else if (!CLASS_MINISIGN::Verify(trusted->key, signature, fileHash))
    {
        problem = QStringLiteral("bad signature of %1").arg(fileName);
    }
    else if (CommentValue(signature.trustedComment, QStringLiteral("file")) != fileName)
    {
        problem =
            QStringLiteral("the signature is for another file (%1), not %2")
                .arg(CommentValue(signature.trustedComment, QStringLiteral("file")).simplified(), fileName);
    }
    if (!problem.isEmpty() && reason != nullptr)
    {
        *reason = problem;
    }
    return problem.isEmpty();
}

QString CLASS_SIGNED_INDEX::SerialProblem(const QByteArray& keyId, qint64 serial,
                                          const QByteArray& content) const
{
    qint64 last = 0;
    QByteArray lastSha256;
    if (!store.LastSerial(keyId, last, lastSha256))
    {
        return QString();
    }
    if (serial < last)
    {
        return QStringLiteral("index serial %1 is older than serial %2 accepted before")
            .arg(serial)
            .arg(last);
    }
    if (serial == last && QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex() != lastSha256)
    {
        return QStringLiteral("index serial %1 was accepted before with other content").arg(serial);
    }
    return QString();
}

INDEX_VERDICT CLASS_SIGNED_INDEX::Verify(const QByteArray& content, const QByteArray& signatureText,
                                         bool fresh, const QDateTime& now) const
{
    MINISIGN_SIGNATURE signature;
    QString reason;
    // The signature first: nothing of an index is read before it is known to be the publisher's.
    if (!CheckSignature(CLASS_MINISIGN::FileHash(content), signatureText, CLASS_PACKAGE_INDEX::FILE_NAME,
                        signature, &reason))
    {
        return Refusal(reason);
    }
    bool isNumber = false;
    const qint64 serial =
        CommentValue(signature.trustedComment, QStringLiteral("serial")).toLongLong(&isNumber);
    if (!isNumber || serial < 0)
    {
        return Refusal(QStringLiteral("the signature names no index serial"));
    }
    if (fresh)
    {
        reason = SerialProblem(signature.keyId, serial, content);
        if (!reason.isEmpty())
        {
            return Refusal(reason);
        }
    }
    INDEX_VERDICT verdict;
    if (!verdict.index.Parse(content, &reason))
    {
        return Refusal(reason);
    }
    if (verdict.index.Serial() != serial)
    {
        return Refusal(QStringLiteral("the index says serial %1, its signature serial %2")
                           .arg(verdict.index.Serial())
                           .arg(serial));
    }
    if (verdict.index.Expires() < now)
    {
        return Refusal(
            QStringLiteral("the index expired on %1").arg(verdict.index.Expires().toString(Qt::ISODate)));
    }
    verdict.trust = INDEX_VERDICT::TRUST::Signed;
    verdict.keyId = signature.keyId;
    return verdict;
}

INDEX_VERDICT CLASS_SIGNED_INDEX::WithoutIndex(const QString& server, const QString& why) const
{
    const QString pinned = store.PinnedKey(server);
    if (pinned.isEmpty())
    {
        INDEX_VERDICT verdict;
        verdict.reason = why;
        return verdict;
    }
    return Refusal(QStringLiteral("%1 (the server's index was signed with key %2 before)").arg(why, pinned));
}

INDEX_VERDICT CLASS_SIGNED_INDEX::Refresh(const QString& server, int timeoutMs)
{
    const INDEX_VERDICT verdict = Download(server, timeoutMs);
    if (verdict.trust == INDEX_VERDICT::TRUST::Refused)
    {
        TRACE_ERROR(QStringLiteral("Refused the signed index of ") + server + QStringLiteral(": ") +
                    verdict.reason);
    }
    return verdict;
}

INDEX_VERDICT CLASS_SIGNED_INDEX::Download(const QString& server, int timeoutMs)
{
    QNetworkAccessManager manager;
    const QString url = server + CLASS_PACKAGE_INDEX::FILE_NAME;
    const QScopedPointer<QNetworkReply> index(GetAndWait(manager, url, timeoutMs));
    QScopedPointer<QNetworkReply> signature;
    if (UTILS::ReplyFailure(*index).isEmpty())
    {
        signature.reset(GetAndWait(manager, url + SIGNATURE_SUFFIX, timeoutMs));
    }
    const QNetworkReply& failed = signature.isNull() ? *index : *signature;
    if (NotPublished(failed))
    {
        return WithoutIndex(server, QStringLiteral("the server publishes no signed index"));
    }
    if (!UTILS::ReplyFailure(failed).isEmpty())
    {
        const INDEX_VERDICT stored = Stored(server);
        return stored.trust == INDEX_VERDICT::TRUST::Signed
                   ? stored
                   : WithoutIndex(server, QStringLiteral("the signed index could not be downloaded (%1)")
                                              .arg(TransferFailureReason(failed)));
    }
    const QByteArray content = index->readAll();
    const QByteArray signatureText = signature->readAll();
    // A server that answers every path (a fallback page, a portal) has published no signature.
    MINISIGN_SIGNATURE parsed;
    if (!CLASS_MINISIGN::ParseSignature(signatureText, parsed, nullptr))
    {
        return WithoutIndex(server, QStringLiteral("the server publishes no signed index (%1 is no minisign "
                                                   "signature)")
                                        .arg(CLASS_PACKAGE_INDEX::FILE_NAME + SIGNATURE_SUFFIX));
    }
    INDEX_VERDICT verdict = Verify(content, signatureText, true);
    if (verdict.trust != INDEX_VERDICT::TRUST::Signed)
    {
        return verdict;
    }
    QString reason;
    if (!store.Accept(server, verdict.keyId, verdict.index.Serial(), content, signatureText, &reason))
    {
        TRACE_ERROR(QStringLiteral("The accepted index could not be remembered: ") + reason);
    }
    TRACE_INFO(QStringLiteral("Accepted the signed index of %1: serial %2, key %3")
                   .arg(server)
                   .arg(verdict.index.Serial())
                   .arg(CLASS_MINISIGN::KeyIdText(verdict.keyId)));
    return verdict;
}

INDEX_VERDICT CLASS_SIGNED_INDEX::Stored(const QString& server) const
{
    QByteArray content;
    QByteArray signature;
    if (!store.StoredIndex(server, content, signature))
    {
        return WithoutIndex(server, QStringLiteral("no signed index of the server is known"));
    }
    return Verify(content, signature, false);
}

bool CLASS_SIGNED_INDEX::VerifyFile(QIODevice& file, const QByteArray& signature, const QString& fileName,
                                    QString* reason) const
{
    MINISIGN_SIGNATURE parsed;
    const QByteArray hash = CLASS_MINISIGN::FileHash(file);
    if (hash.isEmpty())
    {
        if (reason != nullptr)
        {
            *reason = QStringLiteral("cannot read %1").arg(fileName);
        }
        return false;
    }
    return CheckSignature(hash, signature, fileName, parsed, reason);
}
