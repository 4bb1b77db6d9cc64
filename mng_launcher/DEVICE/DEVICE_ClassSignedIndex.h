#ifndef DEVICE_CLASSSIGNEDINDEX_H
#define DEVICE_CLASSSIGNEDINDEX_H

#include "DEVICE/DEVICE_ClassMinisign.h"
#include "DEVICE/DEVICE_ClassPackageIndex.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class CLASS_TRUST_STORE;
class QIODevice;

// What the launcher knows of a server's packages after a look at its signed index.
struct INDEX_VERDICT
{
    enum class TRUST
    {
        Signed,   // a verified index: every archive is checked against its entry
        Unsigned, // the server never published an index: the published .sha256, when there is one
        Refused,  // nothing of the server is installed; reason says why
    };
    TRUST trust = TRUST::Unsigned;
    QString reason;
    CLASS_PACKAGE_INDEX index; // Signed only
    QByteArray keyId;          // Signed only
};

// The signed package index of a server ("tarvo4kindex.json" beside the catalogue, signed with minisign in
// "tarvo4kindex.json.minisig", trusted comment "file:tarvo4kindex.json serial:<n>"), verified against the
// keys and the state of a trust store before it is parsed. Refused: a malformed or bad signature, an
// unknown key, a trusted comment naming another file or no serial, a serial lower than the last one
// accepted from that key, the same serial with other content, a serial inside the index that differs from
// the signed one, an expired index; and unsigned content from a server pinned by an index accepted earlier.
// A refusal changes nothing: the last accepted index stays. GUI thread.
class CLASS_SIGNED_INDEX
{
public:
    static const QString SIGNATURE_SUFFIX; // ".minisig"

    explicit CLASS_SIGNED_INDEX(CLASS_TRUST_STORE& store);

    // The server a URL belongs to: the URL's folder (up to its last "/"), without user info.
    static QString ServerOf(const QString& url);

    // Verifies an index and its signature as they came from a server (fresh: the serial is compared with
    // the last one accepted from the key) or from the store's copy (not fresh), at the time now.
    INDEX_VERDICT Verify(const QByteArray& content, const QByteArray& signature, bool fresh,
                         const QDateTime& now = QDateTime::currentDateTimeUtc()) const;
    // Downloads the index of server (a folder URL ending in "/") and its signature, verifies them and
    // remembers an accepted index (serial, pin, copy). A server that publishes no index, or answers with
    // something that is no minisign signature, is Unsigned unless pinned; when the download fails, the copy of the last accepted index stands in. Logs an accepted or
    // refused index.
    INDEX_VERDICT Refresh(const QString& server, int timeoutMs);
    // The last accepted index of server, verified again; Unsigned without one (Refused when pinned).
    INDEX_VERDICT Stored(const QString& server) const;
    // Verifies the signature text of a file (a package archive's .minisig): a trusted key, both
    // signatures over the file's content, a trusted comment naming fileName. False with the reason.
    bool VerifyFile(QIODevice& file, const QByteArray& signature, const QString& fileName,
                    QString* reason) const;

private:
    // The checks every signature passes: format, trusted key, both signatures over fileHash, the file
    // named in the trusted comment.
    bool CheckSignature(const QByteArray& fileHash, const QByteArray& text, const QString& fileName,
                        MINISIGN_SIGNATURE& signature, QString* reason) const;
    // The serial rules of a fresh index; empty when they hold.
    QString SerialProblem(const QByteArray& keyId, qint64 serial, const QByteArray& content) const;
    // Refresh without its log lines.
    INDEX_VERDICT Download(const QString& server, int timeoutMs);
    // What a server that shows no signed index gets: Unsigned, or Refused when it is pinned.
    INDEX_VERDICT WithoutIndex(const QString& server, const QString& why) const;

    CLASS_TRUST_STORE& store;
};

#endif // DEVICE_CLASSSIGNEDINDEX_H
