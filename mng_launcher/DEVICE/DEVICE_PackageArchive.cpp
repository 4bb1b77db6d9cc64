#include "DEVICE/DEVICE_PackageArchive.h"

#include "DEVICE/DEVICE_Helpers.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace
{
QStringList PathParts(const QString& entry)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    return entry.split(separators, Qt::SkipEmptyParts);
}

bool IsFolderEntry(const QString& entry)
{
    return entry.endsWith(QLatin1Char('/')) || entry.endsWith(QLatin1Char('\\'));
}

bool EntryStaysIn(const QString& entry, const QString& packageFolder)
{
    const bool absolute = entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')) ||
                          (entry.size() >= 2 && entry.at(1) == QLatin1Char(':'));
    const QStringList parts = PathParts(entry);
    return !absolute && !parts.isEmpty() && parts.first() == packageFolder &&
           !parts.contains(QStringLiteral(".."));
}

// True when a folder on the way to entry is stored in the archive as a file.
bool PassesThroughFile(const QString& entry, const QSet<QString>& filePaths)
{
    const QStringList parts = PathParts(entry);
    QString prefix;
    for (int i = 0; i + 1 < parts.size(); ++i)
    {
        prefix += (i == 0 ? QString() : QStringLiteral("/")) + parts.at(i);
        if (filePaths.contains(prefix))
        {
            return true;
        }
    }
    return false;
}
// The lines that the extractor writes for arguments, without line ends. False when it failed.
bool ListingLines(const QString& program, const QStringList& arguments, int timeoutMs, QStringList& lines)
{
    QProcess lister;
    if (!RunProcessToEnd(lister, program, arguments, timeoutMs) || !ProcessEndedWell(lister))
    {
        return false;
    }
    lines =
        QString::fromLocal8Bit(lister.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
    {
        if (line.endsWith(QLatin1Char('\r')))
        {
            line.chop(1);
        }
    }
    return true;
}
} // namespace

bool ArchiveEntriesStayIn(const QStringList& entries, const QString& packageFolder, QString* offending)
{
    QSet<QString> filePaths;
    for (const QString& entry : entries)
    {
        if (!IsFolderEntry(entry))
        {
            filePaths.insert(PathParts(entry).join(QLatin1Char('/')));
        }
    }
    for (const QString& entry : entries)
    {
        if (!EntryStaysIn(entry, packageFolder) || PassesThroughFile(entry, filePaths))
        {
            if (offending != nullptr)
            {
                *offending = entry;
            }
            return false;
        }
    }
    return !entries.isEmpty();
}

bool RunProcessToEnd(QProcess& process, const QString& program, const QStringList& arguments, int timeoutMs)
{
    process.start(program, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(timeoutMs))
    {
        return false;
    }
    // Without an event loop on this thread the state changes only inside the waits.
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(timeoutMs))
    {
        process.kill();
        process.waitForFinished(timeoutMs);
        return false;
    }
    return true;
}

bool ProcessEndedWell(const QProcess& process)
{
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool ListArchiveEntries(const QString& program, const QString& archivePath, int timeoutMs,
                        QStringList& entries)
{
    return ListingLines(program, {QStringLiteral("-Z1"), archivePath}, timeoutMs, entries);
}

bool ListArchiveLinks(const QString& program, const QString& archivePath, int timeoutMs, QStringList& links)
{
    QStringList lines;
    if (!ListingLines(program, {QStringLiteral("-Z"), QStringLiteral("-s"), archivePath}, timeoutMs, lines))
    {
        return false;
    }
    // "lrwxrwxrwx  3.0 unx       15 bx stor 24-Jan-01 00:00 TARVO_6_6_6/link": the type, then eight
    // fields, then the name.
    static const QRegularExpression linkLine(QStringLiteral("^l[-rwxsStT]{9}\\s+(?:\\S+\\s+){6}\\S+ (.*)$"));
    links.clear();
    for (const QString& line : qAsConst(lines))
    {
        const QRegularExpressionMatch match = linkLine.match(line);
        if (match.hasMatch())
        {
            links.append(match.captured(1));
        }
    }
    return true;
}

QString PackageFolderPath(const QString& applicationFolder, const QString& version)
{
    return applicationFolder + QLatin1Char('/') + PackageFolderName(version);
}
