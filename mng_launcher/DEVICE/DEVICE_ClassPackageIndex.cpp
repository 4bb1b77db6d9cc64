#include "DEVICE/DEVICE_ClassPackageIndex.h"

#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

const QString CLASS_PACKAGE_INDEX::FILE_NAME = QStringLiteral("tarvo4kindex.json");

namespace
{
constexpr int SHA256_HEX_LENGTH = 64;
// Whole numbers up to 2^53 are exact in a JSON number.
constexpr double LARGEST_EXACT_NUMBER = 9007199254740992.0;

// A JSON number that is a whole number from 0 up; -1 otherwise.
qint64 WholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
    {
        return -1;
    }
    const double number = value.toDouble();
    if (number < 0 || number > LARGEST_EXACT_NUMBER ||
        number != static_cast<double>(static_cast<qint64>(number)))
    {
        return -1;
    }
    return static_cast<qint64>(number);
}

// A path below the index's folder: forward slashes, no empty, "." or ".." part, not absolute.
bool IsRelativeFile(const QString& file)
{
    if (file.isEmpty() || file.contains(QLatin1Char('\\')) || file.contains(QLatin1Char(':')))
    {
        return false;
    }
    for (const QString& part : file.split(QLatin1Char('/')))
    {
        if (part.isEmpty() || part == QStringLiteral(".") || part == QStringLiteral(".."))
        {
            return false;
        }
    }
    return true;
}
} // namespace

bool CLASS_PACKAGE_INDEX::Parse(const QByteArray& content, QString* reason)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    const QJsonObject root = document.object();
    serial = WholeNumber(root.value(QStringLiteral("serial")));
    expires = QDateTime::fromString(root.value(QStringLiteral("expires")).toString(), Qt::ISODate);
    if (expires.isValid() && expires.timeSpec() == Qt::LocalTime)
    {
        expires.setTimeSpec(Qt::UTC); // a date without an offset is a UTC date
    }
    entries.clear();
    QString problem;
    if (error.error != QJsonParseError::NoError || !document.isObject())
    {
        problem = QStringLiteral("the index is not a JSON object");
    }
    else if (serial < 0)
    {
        problem = QStringLiteral("the index has no serial");
    }
    else if (!expires.isValid())
    {
        problem = QStringLiteral("the index has no expiry date");
    }
    else if (!root.value(QStringLiteral("packages")).isArray())
    {
        problem = QStringLiteral("the index has no package list");
    }
    for (const QJsonValue& value : root.value(QStringLiteral("packages")).toArray())
    {
        PACKAGE_INDEX_ENTRY entry;
        if (problem.isEmpty() && !ParseEntry(value, entry))
        {
            problem = QStringLiteral("the index has a malformed package entry");
        }
        entries.append(entry);
    }
    if (!problem.isEmpty())
    {
        if (reason != nullptr)
        {
            *reason = problem;
        }
        entries.clear();
        return false;
    }
    return true;
}

bool CLASS_PACKAGE_INDEX::ParseEntry(const QJsonValue& value, PACKAGE_INDEX_ENTRY& entry)
{
    static const QRegularExpression hexDigest(QStringLiteral("^[0-9a-fA-F]{%1}$").arg(SHA256_HEX_LENGTH));
    const QJsonObject object = value.toObject();
    entry.version = object.value(QStringLiteral("version")).toString();
    entry.file = object.value(QStringLiteral("file")).toString();
    entry.size = WholeNumber(object.value(QStringLiteral("size")));
    const QString digest = object.value(QStringLiteral("sha256")).toString();
    entry.sha256 = digest.toLatin1().toLower();
    return value.isObject() && IsVersionText(entry.version) && IsRelativeFile(entry.file) &&
           entry.size >= 0 && hexDigest.match(digest).hasMatch();
}

const PACKAGE_INDEX_ENTRY* CLASS_PACKAGE_INDEX::FindFile(const QString& file) const
{
    for (const PACKAGE_INDEX_ENTRY& entry : entries)
    {
        if (entry.file == file)
        {
            return &entry;
        }
    }
    return nullptr;
}

const PACKAGE_INDEX_ENTRY* CLASS_PACKAGE_INDEX::FindPackage(const QString& version) const
{
    const PACKAGE_INDEX_ENTRY* entry = FindFile(ArchiveFile(version));
    return entry != nullptr && entry->version == version ? entry : nullptr;
}

QString CLASS_PACKAGE_INDEX::ArchiveFile(const QString& version)
{
    return PLATFORM::PackageArchiveFolder() + QLatin1Char('/') + PackageFolderName(version) +
           PACKAGE_ARCHIVE_SUFFIX;
}
