#ifndef DEVICE_CLASSMINISIGN_H
#define DEVICE_CLASSMINISIGN_H

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// A public key in minisign's ".pub" format: an "untrusted comment:" line, then base64 of "Ed", the key id
// (8 bytes, little endian) and the 32-byte Ed25519 key.
struct MINISIGN_PUBLIC_KEY
{
    QByteArray keyId; // 8 bytes, as stored
    QByteArray key;   // 32 bytes
};

// A signature in minisign's ".minisig" format: an "untrusted comment:" line; base64 of "ED" (the file's
// BLAKE2b-512 hash is signed), the key id and the 64-byte signature; a "trusted comment: <text>" line; base64
// of the 64-byte global signature over the signature and the trusted comment's text.
struct MINISIGN_SIGNATURE
{
    QByteArray keyId;           // 8 bytes
    QByteArray signature;       // 64 bytes, over the BLAKE2b-512 hash of the file
    QString trustedComment;     // the text after "trusted comment: "
    QByteArray globalSignature; // 64 bytes, over signature + trusted comment
};

// Reads and checks minisign's keys and signatures with OpenSSL's libcrypto (Ed25519, BLAKE2b-512). Only
// prehashed signatures ("ED", minisign's default) are accepted. Stateless.
class CLASS_MINISIGN
{
public:
    // False, with the reason, when text is no minisign public key.
    static bool ParsePublicKey(const QByteArray& text, MINISIGN_PUBLIC_KEY& key, QString* reason);
    // False, with the reason, when text is no prehashed minisign signature.
    static bool ParseSignature(const QByteArray& text, MINISIGN_SIGNATURE& signature, QString* reason);

    // The BLAKE2b-512 hash that a signature covers, of bytes or of everything a device still has to read
    // (empty when the library or a read failed).
    static QByteArray FileHash(const QByteArray& content);
    static QByteArray FileHash(QIODevice& device);

    // True when both signatures hold: the file's (over fileHash) and the global one (over the signature
    // and the trusted comment). The key ids are not compared here.
    static bool Verify(const MINISIGN_PUBLIC_KEY& key, const MINISIGN_SIGNATURE& signature,
                       const QByteArray& fileHash);

    // A key id as minisign shows it: 16 upper-case hexadecimal digits, most significant byte first.
    static QString KeyIdText(const QByteArray& keyId);

private:
    // True when signature is the Ed25519 signature of message by key.
    static bool VerifyEd25519(const QByteArray& key, const QByteArray& message, const QByteArray& signature);
};

#endif // DEVICE_CLASSMINISIGN_H
