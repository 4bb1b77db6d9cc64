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
    QProcess lister;
    if (!RunProcessToEnd(lister, program, {QStringLiteral("-Z1"), archivePath}, timeoutMs) ||
        !ProcessEndedWell(lister))
    {
        return false;
    }
    entries =
        QString::fromLocal8Bit(lister.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& entry : entries)
    {
        if (entry.endsWith(QLatin1Char('\r')))
        {
            entry.chop(1);
        }
    }
    return true;
}

QString PackageFolderPath(const QString& applicationFolder, const QString& version)
{
    return applicationFolder + QLatin1Char('/') + PackageFolderName(version);
}
