#include "DEVICE/DEVICE_FileSave.h"

#include "PLATFORM/PLATFORM_Files.h"

#include <algorithm>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryFile>

namespace
{
void SetError(QString* errorText, const QString& text)
{
    if (errorText != nullptr)
    {
        *errorText = text;
    }
}

// True when content reached the file whole: written, and flushed without an error (a full disk shows
// only at the flush).
bool WriteChecked(QFileDevice& file, const QByteArray& content)
{
    return file.write(content) == content.size() && file.flush() && file.error() == QFileDevice::NoError;
}

// Writes every value through Qt's INI writer on the staging file, then reads the file back as a reader
// meeting it for the first time would.
bool StageIniValues(const QString& stagingPath, const INI_VALUES& values)
{
    {
        QSettings writer(stagingPath, QSettings::IniFormat);
        for (const auto& value : values)
        {
            writer.setValue(value.first, value.second);
        }
        writer.sync();
        // A format error can only come from the seed (Qt may cache a file it parsed before): its
        // malformed sections are dropped and every key above is written. Only a failed write counts.
        if (writer.status() == QSettings::AccessError)
        {
            return false;
        }
    }
    const QSettings reader(stagingPath, QSettings::IniFormat);
    static_cast<void>(reader.allKeys());
    if (reader.status() != QSettings::NoError)
    {
        return false;
    }
    for (const auto& value : values)
    {
        if (reader.value(value.first).toString() != value.second.toString())
        {
            return false;
        }
    }
    return true;
}
// Gives the new file a modification time later than the old file's: Qt's INI reader keeps the files it
// parsed and reads one again only when its size or modification time (to the millisecond) changed, so a
// file replaced twice within a millisecond by one of the same size would otherwise be read stale.
bool StampNewerThanOld(QFileDevice& file, const QString& oldPath)
{
    const QDateTime old = QFileInfo(oldPath).lastModified();
    const QDateTime now = QDateTime::currentDateTime();
    return file.setFileTime(old.isValid() && old >= now ? old.addMSecs(1) : now,
                            QFileDevice::FileModificationTime);
}
} // namespace

bool ReplaceFileContent(const QString& path, const QByteArray& content, QString* errorText)
{
    // QSaveFile follows a link at its path and would replace the link's target.
    if (PLATFORM::IsLink(path))
    {
        SetError(errorText, QStringLiteral("Refused to write through a link : ") + path);
        return false;
    }
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly))
    {
        SetError(errorText, QStringLiteral("Error opening file for writing:") + target.errorString());
        return false;
    }
    if (!WriteChecked(target, content) || !StampNewerThanOld(target, path))
    {
        SetError(errorText, QStringLiteral("Error writing file:") + target.errorString());
        target.cancelWriting();
        return false;
    }
    if (!target.commit())
    {
        SetError(errorText, QStringLiteral("Error writing file:") + target.errorString());
        return false;
    }
    return true;
}

bool ReplaceIniFile(const QString& path, const QByteArray& seed, const INI_VALUES& values, QString* errorText)
{
    // The staging file lies beside the target: on the same disk (a full disk shows here, before the old
    // file is touched) and in a folder of the user's own (no shared temporary folder).
    const QFileInfo target(path);
    QTemporaryFile staging(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QStringLiteral("-XXXXXX"));
    if (!staging.open() || !WriteChecked(staging, seed))
    {
        SetError(errorText, QStringLiteral("Error opening file for writing:") + staging.errorString());
        return false;
    }
    staging.close();
    if (!StageIniValues(staging.fileName(), values))
    {
        SetError(errorText, QStringLiteral("Error writing file:") + path);
        return false;
    }
    QFile written(staging.fileName());
    if (!written.open(QIODevice::ReadOnly))
    {
        SetError(errorText, QStringLiteral("Error reading file:") + written.errorString());
        return false;
    }
    const QByteArray content = written.readAll();
    if (content.size() != written.size())
    {
        SetError(errorText, QStringLiteral("Error reading file:") + written.errorString());
        return false;
    }
    return ReplaceFileContent(path, content, errorText);
}

bool ReadIniSeed(const QString& path, QByteArray& seed)
{
    seed.clear();
    if (!QFileInfo(path).isFile())
    {
        return true;
    }
    const QSettings reader(path, QSettings::IniFormat);
    // The INI reader parses its sections on first use: only then does status() tell a malformed one.
    const QStringList keys = reader.allKeys();
    // An empty key in a nested group ("[a%2Fb]" then "=x") is written back in a form the reader refuses:
    // such a file is not carried over, or the launcher could not load its own save.
    const bool emptyKey = std::any_of(keys.cbegin(), keys.cend(),
                                      [](const QString& key) { return key.endsWith(QLatin1Char('/')); });
    if (reader.status() != QSettings::NoError || emptyKey)
    {
        return true;
    }
    QFile current(path);
    if (!current.open(QIODevice::ReadOnly))
    {
        return false;
    }
    seed = current.readAll();
    return seed.size() == current.size();
}

bool UpdateIniFile(const QString& path, const INI_VALUES& values, QString* errorText)
{
    QByteArray seed;
    if (!ReadIniSeed(path, seed))
    {
        if (errorText != nullptr)
        {
            *errorText = QStringLiteral("Error reading file:") + path;
        }
        return false;
    }
    return ReplaceIniFile(path, seed, values, errorText);
}
