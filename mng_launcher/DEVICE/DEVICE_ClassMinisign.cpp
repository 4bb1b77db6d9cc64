#include "DEVICE/DEVICE_ClassMinisign.h"

#include <QIODevice>
#include <QList>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace
{
constexpr int KEY_ID_BYTES = 8;
constexpr int PUBLIC_KEY_BYTES = 32;
constexpr int SIGNATURE_BYTES = 64;
constexpr int ALGORITHM_BYTES = 2;
const QByteArray KEY_ALGORITHM("Ed");
const QByteArray PREHASHED_ALGORITHM("ED");
const QByteArray LEGACY_ALGORITHM("Ed");
const QByteArray UNTRUSTED_PREFIX("untrusted comment:");
const QByteArray TRUSTED_PREFIX("trusted comment: ");
constexpr qint64 HASH_CHUNK_BYTES = 1024 * 1024;

struct DIGEST_CONTEXT_FREE
{
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct KEY_FREE
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using DIGEST_CONTEXT = std::unique_ptr<EVP_MD_CTX, DIGEST_CONTEXT_FREE>;

void SetReason(QString* reason, const QString& text)
{
    if (reason != nullptr)
    {
        *reason = text;
    }
}

// The lines of a key or signature file, without their line ends ("\r\n" too); blank lines dropped.
QList<QByteArray> Lines(const QByteArray& text)
{
    QList<QByteArray> lines;
    for (const QByteArray& line : text.split('\n'))
    {
        const QByteArray trimmed = line.endsWith('\r') ? line.chopped(1) : line;
        if (!trimmed.trimmed().isEmpty())
        {
            lines.append(trimmed);
        }
    }
    return lines;
}

// Strict base64: the decoded bytes, or empty when the text is not base64 of exactly size bytes.
QByteArray Decoded(const QByteArray& base64, int size)
{
    const QByteArray text = base64.trimmed();
    const auto result = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (result.decodingStatus != QByteArray::Base64DecodingStatus::Ok || result.decoded.size() != size ||
        result.decoded.toBase64() != text)
    {
        return QByteArray();
    }
    return result.decoded;
}

bool HashInit(DIGEST_CONTEXT& context)
{
    context.reset(EVP_MD_CTX_new());
    return context && EVP_DigestInit_ex(context.get(), EVP_blake2b512(), nullptr) == 1;
}

QByteArray HashFinal(DIGEST_CONTEXT& context)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
    {
        return QByteArray();
    }
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<int>(length));
}
} // namespace

bool CLASS_MINISIGN::ParsePublicKey(const QByteArray& text, MINISIGN_PUBLIC_KEY& key, QString* reason)
{
    const QList<QByteArray> lines = Lines(text);
    // The comment line is optional for a key given as its base64 line alone.
    const int first = !lines.isEmpty() && lines.first().startsWith(UNTRUSTED_PREFIX) ? 1 : 0;
    if (lines.size() != first + 1)
    {
        SetReason(reason, QStringLiteral("not a minisign public key (one base64 line expected)"));
        return false;
    }
    const QByteArray decoded = Decoded(lines.at(first), ALGORITHM_BYTES + KEY_ID_BYTES + PUBLIC_KEY_BYTES);
    if (decoded.isEmpty() || !decoded.startsWith(KEY_ALGORITHM))
    {
        SetReason(reason, QStringLiteral("not a minisign Ed25519 public key"));
        return false;
    }
    key.keyId = decoded.mid(ALGORITHM_BYTES, KEY_ID_BYTES);
    key.key = decoded.mid(ALGORITHM_BYTES + KEY_ID_BYTES);
    return true;
}

bool CLASS_MINISIGN::ParseSignature(const QByteArray& text, MINISIGN_SIGNATURE& signature, QString* reason)
{
    const QList<QByteArray> lines = Lines(text);
    if (lines.size() != 4 || !lines.at(0).startsWith(UNTRUSTED_PREFIX) ||
        !lines.at(2).startsWith(TRUSTED_PREFIX))
    {
        SetReason(reason, QStringLiteral("the signature is not in minisign's format"));
        return false;
    }
    const QByteArray decoded = Decoded(lines.at(1), ALGORITHM_BYTES + KEY_ID_BYTES + SIGNATURE_BYTES);
    const QByteArray global = Decoded(lines.at(3), SIGNATURE_BYTES);
    if (decoded.isEmpty() || global.isEmpty())
    {
        SetReason(reason, QStringLiteral("the signature is not in minisign's format"));
        return false;
    }
    if (!decoded.startsWith(PREHASHED_ALGORITHM))
    {
        SetReason(reason, decoded.startsWith(LEGACY_ALGORITHM)
                              ? QStringLiteral("legacy signatures (minisign -l) are not accepted")
                              : QStringLiteral("the signature's algorithm is not Ed25519"));
        return false;
    }
    signature.keyId = decoded.mid(ALGORITHM_BYTES, KEY_ID_BYTES);
    signature.signature = decoded.mid(ALGORITHM_BYTES + KEY_ID_BYTES);
    signature.trustedComment = QString::fromUtf8(lines.at(2).mid(TRUSTED_PREFIX.size()));
    signature.globalSignature = global;
    return true;
}

QByteArray CLASS_MINISIGN::FileHash(const QByteArray& content)
{
    DIGEST_CONTEXT context;
    if (!HashInit(context) ||
        EVP_DigestUpdate(context.get(), content.constData(), static_cast<size_t>(content.size())) != 1)
    {
        return QByteArray();
    }
    return HashFinal(context);
}

QByteArray CLASS_MINISIGN::FileHash(QIODevice& device)
{
    DIGEST_CONTEXT context;
    if (!HashInit(context))
    {
        return QByteArray();
    }
    QByteArray chunk(HASH_CHUNK_BYTES, Qt::Uninitialized);
    for (;;)
    {
        const qint64 read = device.read(chunk.data(), chunk.size());
        if (read < 0 ||
            (read > 0 && EVP_DigestUpdate(context.get(), chunk.constData(), static_cast<size_t>(read)) != 1))
        {
            return QByteArray();
        }
        if (read == 0)
        {
            return HashFinal(context);
        }
    }
}

bool CLASS_MINISIGN::Verify(const MINISIGN_PUBLIC_KEY& key, const MINISIGN_SIGNATURE& signature,
                            const QByteArray& fileHash)
{
    return !fileHash.isEmpty() && VerifyEd25519(key.key, fileHash, signature.signature) &&
           VerifyEd25519(key.key, signature.signature + signature.trustedComment.toUtf8(),
                         signature.globalSignature);
}

QString CLASS_MINISIGN::KeyIdText(const QByteArray& keyId)
{
    QByteArray mostSignificantFirst = keyId;
    std::reverse(mostSignificantFirst.begin(), mostSignificantFirst.end());
    return QString::fromLatin1(mostSignificantFirst.toHex().toUpper());
}

bool CLASS_MINISIGN::VerifyEd25519(const QByteArray& key, const QByteArray& message,
                                   const QByteArray& signature)
{
    if (key.size() != PUBLIC_KEY_BYTES || signature.size() != SIGNATURE_BYTES)
    {
        return false;
    }
    const std::unique_ptr<EVP_PKEY, KEY_FREE> publicKey(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
        static_cast<size_t>(key.size())));
    DIGEST_CONTEXT context(EVP_MD_CTX_new());
    // Ed25519 hashes the message itself: no digest is named.
    return publicKey && context &&
           EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) == 1 &&
           EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
                            static_cast<size_t>(signature.size()),
                            reinterpret_cast<const unsigned char*>(message.constData()),
                            static_cast<size_t>(message.size())) == 1;
}
