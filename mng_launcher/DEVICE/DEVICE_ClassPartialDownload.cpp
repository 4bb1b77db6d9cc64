#include "DEVICE/DEVICE_ClassPartialDownload.h"

#include "DEVICE/DEVICE_ClassSha256.h"
#include "PLATFORM/PLATFORM_Files.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace
{
const QString PART_SUFFIX = QStringLiteral(".part");
const QString RECORD_SUFFIX = QStringLiteral(".info");
const QString URL_KEY = QStringLiteral("url");
const QString VALIDATOR_KEY = QStringLiteral("validator");
const QString LENGTH_KEY = QStringLiteral("length");
// A record holds three short lines; more is not read.
constexpr qint64 MAX_RECORD_BYTES = 8192;
constexpr qint64 HASH_CHUNK_BYTES = 1024 * 1024;

// One "key=value" line; a value from a server cannot break the record into more lines.
QString RecordLine(const QString& key, const QString& value)
{
    QString single = value;
    single.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return key + QLatin1Char('=') + single + QLatin1Char('\n');
}
} // namespace

bool CLASS_PARTIAL_DOWNLOAD::MakeFolder(const QString& given, QString& folder, QString& problem)
{
    if (!given.isEmpty())
    {
        folder = given;
        return PLATFORM::MakePrivateFolder(folder, &problem) == PLATFORM::PRIVATE_PLACE::Ready;
    }
    return PLATFORM::MakePrivateCacheFolder(
               QCoreApplication::applicationName() + QStringLiteral("/downloads"), &folder, &problem) ==
           PLATFORM::PRIVATE_PLACE::Ready;
}

CLASS_PARTIAL_DOWNLOAD::CLASS_PARTIAL_DOWNLOAD(const QString& folder, const QString& archiveName)
    : folder(folder), archiveName(archiveName)
{
}

QString CLASS_PARTIAL_DOWNLOAD::PartPath() const
{
    return ArchivePath() + PART_SUFFIX;
}

QString CLASS_PARTIAL_DOWNLOAD::RecordPath() const
{
    return PartPath() + RECORD_SUFFIX;
}

QString CLASS_PARTIAL_DOWNLOAD::ArchivePath() const
{
    return folder + QLatin1Char('/') + archiveName;
}

bool CLASS_PARTIAL_DOWNLOAD::Open(QString* problem)
{
    const PLATFORM::PRIVATE_PLACE opened = PLATFORM::OpenPrivateFile(file, PartPath(), QIODevice::ReadWrite);
    if (opened == PLATFORM::PRIVATE_PLACE::Ready && file.seek(file.size()))
    {
        return true;
    }
    if (problem != nullptr)
    {
        *problem = opened == PLATFORM::PRIVATE_PLACE::Refused
                       ? QStringLiteral("%1 is no file of the user's own").arg(PartPath())
                       : file.errorString();
    }
    file.close();
    return false;
}

qint64 CLASS_PARTIAL_DOWNLOAD::KeptBytes() const
{
    if (file.isOpen())
    {
        return file.size();
    }
    const QFileInfo info(PartPath());
    return info.isFile() && !info.isSymLink() ? info.size() : 0;
}

PARTIAL_DOWNLOAD_RECORD CLASS_PARTIAL_DOWNLOAD::Record() const
{
    PARTIAL_DOWNLOAD_RECORD record;
    QFile recordFile;
    if (PLATFORM::OpenPrivateFile(recordFile, RecordPath(), QIODevice::ReadOnly) !=
        PLATFORM::PRIVATE_PLACE::Ready)
    {
        return record;
    }
    const QStringList lines = QString::fromUtf8(recordFile.read(MAX_RECORD_BYTES)).split(QLatin1Char('\n'));
    for (const QString& line : lines)
    {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == URL_KEY)
        {
            record.url = value;
        }
        else if (key == VALIDATOR_KEY)
        {
            record.validator = value;
        }
        else if (key == LENGTH_KEY)
        {
            bool isNumber = false;
            const qint64 length = value.toLongLong(&isNumber);
            record.length = isNumber && length >= 0 ? length : -1;
        }
    }
    return record;
}

bool CLASS_PARTIAL_DOWNLOAD::WriteRecord(const PARTIAL_DOWNLOAD_RECORD& record)
{
    const QString text = RecordLine(URL_KEY, record.url) + RecordLine(VALIDATOR_KEY, record.validator) +
                         RecordLine(LENGTH_KEY, QString::number(record.length));
    return PLATFORM::WriteNewPrivateFile(RecordPath(), text.toUtf8());
}

bool CLASS_PARTIAL_DOWNLOAD::CanResume(const QString& url, qint64 limit) const
{
    const qint64 kept = KeptBytes();
    const PARTIAL_DOWNLOAD_RECORD record = Record();
    return kept > 0 && record.url == url && !record.validator.isEmpty() &&
           (record.length < 0 || kept <= record.length) && (limit < 0 || kept <= limit);
}

bool CLASS_PARTIAL_DOWNLOAD::Restart()
{
    return PLATFORM::RemoveTree(RecordPath()) && file.resize(0) && file.seek(0);
}

bool CLASS_PARTIAL_DOWNLOAD::HashKept(CLASS_SHA256& digest)
{
    if (!file.seek(0))
    {
        return false;
    }
    QByteArray chunk(HASH_CHUNK_BYTES, Qt::Uninitialized);
    for (;;)
    {
        const qint64 read = file.read(chunk.data(), chunk.size());
        if (read < 0)
        {
            return false;
        }
        if (read == 0)
        {
            return file.pos() == file.size();
        }
        digest.AddData(chunk.constData(), read);
    }
}

bool CLASS_PARTIAL_DOWNLOAD::Complete()
{
    const bool flushed = file.flush();
    file.close();
    return flushed && PLATFORM::RemoveTree(RecordPath()) &&
           PLATFORM::RenameReplacing(PartPath(), ArchivePath());
}

void CLASS_PARTIAL_DOWNLOAD::Discard()
{
    file.close();
    PLATFORM::RemoveTree(PartPath());
    PLATFORM::RemoveTree(RecordPath());
}
