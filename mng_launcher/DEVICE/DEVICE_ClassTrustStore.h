#ifndef DEVICE_CLASSTRUSTSTORE_H
#define DEVICE_CLASSTRUSTSTORE_H

#include "DEVICE/DEVICE_ClassMinisign.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A public key the launcher trusts, and where it comes from ("built in", "command line" or its file).
struct TRUSTED_KEY
{
    MINISIGN_PUBLIC_KEY key;
    QString source;
};

// Who the launcher trusts and what it has accepted, kept per user in the trust folder
// (<application data>/trust, private):
//   keys/*.pub     the user's own trusted keys (minisign's format)
//   state.json     per key the last accepted serial and the SHA-256 of that index; per server the key it
//                  is pinned to (a server whose signed index was accepted once); per installed package
//                  folder how its archive was verified
//   index/<id>.*   the last accepted index of each server and its signature
// Trusted keys: those built in (the TARVO_TRUSTED_KEYS list at configure time), the user's, those of the
// command line (--trusted-key) and those given to the constructor. Nothing is read or written through a
// link; the state is replaced whole or not at all. GUI thread.
class CLASS_TRUST_STORE
{
public:
    // How an installed package's archive was verified; also the "trust" of --packages --json.
    static const QString TRUST_SIGNED;   // by a signed index or its own signature
    static const QString TRUST_CHECKSUM; // by the .sha256 published beside it
    static const QString TRUST_NONE;     // not at all

    // folder empty: DefaultFolder(). extraKeys: texts of .pub files trusted in addition.
    explicit CLASS_TRUST_STORE(const QString& folder = QString(),
                               const QStringList& extraKeys = QStringList());

    // <application data>/trust
    static QString DefaultFolder();
    // The keys of --trusted-key (texts of .pub files) and --require-signed, for this process.
    static void SetCommandLineKeys(const QStringList& keyTexts);
    static QStringList CommandLineKeys();
    static void SetRequireSigned(bool required);
    static bool RequireSigned();
    // The keys built in at configure time (texts of .pub files).
    static QStringList BuiltInKeys();

    QString Folder() const { return folder; }
    QList<TRUSTED_KEY> Keys() const { return keys; }
    // The trusted key of a key id; null when none is trusted.
    const TRUSTED_KEY* FindKey(const QByteArray& keyId) const;

    // The last serial accepted from a key and the SHA-256 of that index; false when none was.
    bool LastSerial(const QByteArray& keyId, qint64& serial, QByteArray& indexSha256) const;
    // The key id (KeyIdText) a server is pinned to; empty when it is not pinned.
    QString PinnedKey(const QString& server) const;
    // Every pin: server to key id.
    QMap<QString, QString> Pins() const;
    // Remembers an accepted index of server: its serial for the key, the pin, a copy of the index and its
    // signature. False, with the reason, when the state could not be written.
    bool Accept(const QString& server, const QByteArray& keyId, qint64 serial, const QByteArray& content,
                const QByteArray& signature, QString* reason);
    // The copy of the last index accepted from server and its signature; false when there is none.
    bool StoredIndex(const QString& server, QByteArray& content, QByteArray& signature) const;

    // How the archive of the package installed in folder was verified (TRUST_...); empty when unknown.
    QString InstallationTrust(const QString& packageFolder) const;
    // Records it (trust empty: forgets it). False when the state could not be written.
    bool RecordInstallation(const QString& packageFolder, const QString& trust);

private:
    void LoadKeys(const QStringList& extraKeys);
    void AddKey(const QByteArray& text, const QString& source);
    void LoadState();
    bool SaveState(QString* reason);
    // The trust folder (and below it relative, when given) made private; false, with the reason, when it
    // is a link, another user's or cannot be made.
    bool MakeFolder(const QString& relative, QString* reason) const;
    // index/<first 16 hex digits of the server's SHA-256>
    QString IndexCopyBase(const QString& server) const;

    QString folder;
    QList<TRUSTED_KEY> keys;
    QJsonObject state;
};

#endif // DEVICE_CLASSTRUSTSTORE_H
