#ifndef DEVICE_CLASSPACKAGEINDEX_H
#define DEVICE_CLASSPACKAGEINDEX_H

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class QJsonValue;

// One package of the index: its version, its archive's path relative to the index's folder
// ("Linux/TARVO_3_2_0.zip"), size and SHA-256 (lower-case hexadecimal).
struct PACKAGE_INDEX_ENTRY
{
    QString version;
    QString file;
    qint64 size = 0;
    QByteArray sha256;
};

// The package index a server publishes beside its catalogue ("tarvo4kindex.json"):
//   {"serial": n, "expires": "<UTC ISO 8601>", "packages": [{"version", "file", "size", "sha256"}, ...]}
// Read only after its signature was verified (CLASS_SIGNED_INDEX).
class CLASS_PACKAGE_INDEX
{
public:
    static const QString FILE_NAME;

    // False, with the reason, when content is no index: every key present and of its type, versions as
    // version texts, paths relative and without "..", digests of 64 hexadecimal digits.
    bool Parse(const QByteArray& content, QString* reason);

    qint64 Serial() const { return serial; }
    QDateTime Expires() const { return expires; }
    const QList<PACKAGE_INDEX_ENTRY>& Entries() const { return entries; }
    // The entry of an archive path relative to the index's folder; null when the index lacks it.
    const PACKAGE_INDEX_ENTRY* FindFile(const QString& file) const;
    // The entry of version's archive for this platform (ArchiveFile), naming that version; null when none.
    const PACKAGE_INDEX_ENTRY* FindPackage(const QString& version) const;
    // The path of version's archive relative to the index's folder: "<platform folder>/TARVO_<v>.zip".
    static QString ArchiveFile(const QString& version);

private:
    static bool ParseEntry(const QJsonValue& value, PACKAGE_INDEX_ENTRY& entry);

    qint64 serial = -1;
    QDateTime expires;
    QList<PACKAGE_INDEX_ENTRY> entries;
};

#endif // DEVICE_CLASSPACKAGEINDEX_H
