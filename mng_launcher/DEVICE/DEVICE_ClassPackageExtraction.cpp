#include "DEVICE/DEVICE_ClassPackageExtraction.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QtConcurrent>

namespace
{
constexpr int STDERR_LOG_LIMIT = 400;

// The extractor is a path or a name looked up in PATH.
bool ExtractorFound(const QString& program)
{
    return QFileInfo(program).isExecutable() || !QStandardPaths::findExecutable(program).isEmpty();
}

void LogExtractorEnd(QProcess& process)
{
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN,
                   QStringLiteral("The extractor ended with exit code %1 (%2): %3")
                       .arg(process.exitCode())
                       .arg(process.exitStatus() == QProcess::NormalExit ? QStringLiteral("normal exit")
                                                                         : QStringLiteral("crash"))
                       .arg(errors.left(STDERR_LOG_LIMIT)));
}
} // namespace

CLASS_PACKAGE_EXTRACTION::CLASS_PACKAGE_EXTRACTION(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend)
{
}

bool CLASS_PACKAGE_EXTRACTION::ExtractArchive(const QString& archivePath, const QString& version)
{
    // The package folder is named after the version: only a version text names one ("TARVO_." would not).
    if (!IsVersionText(version))
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN, QStringLiteral("Refused the package ") + archivePath +
                                                      QStringLiteral(": its version is no version text"));
        backend.archiveRefused = true;
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED,
                     QStringLiteral("archive refused (%1 is no version)").arg(version.simplified()));
        return false;
    }
    backend.extractionCounter = 0;
    QFutureWatcher<QString> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<QString>::finished, &loop, &QEventLoop::quit);
    const QFuture<QString> extraction =
        QtConcurrent::run(&CLASS_PACKAGE_EXTRACTION::ExtractPackage, archivePath, &backend);
    watcher.setFuture(extraction);
    if (!extraction.isFinished())
    {
        loop.exec();
    }
    const QString failure = extraction.result();
    backend.extractionCounter = 0;
    if (!failure.isEmpty())
    {
        // Nothing half-installed stays behind: a partly extracted package would show as installed.
        // Never through a link: one in the package folder's place is removed as a link.
        PLATFORM::RemoveFolder(PackageFolderPath(backend.InstallFolder(), version));
        backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED, failure);
        return false;
    }
    backend.progress.ShowInstalling(CLASS_PACKAGE_MANAGER_BACKEND::MAX_PROGRESS);
    return true;
}

QString CLASS_PACKAGE_EXTRACTION::ExtractPackage(const QString& archivePath,
                                                 CLASS_PACKAGE_MANAGER_BACKEND* backend)
{
    const PACKAGE_MANAGER_OPTIONS& options = backend->Options();
    QString packageFolder = QFileInfo(archivePath).fileName();
    packageFolder.chop(PACKAGE_ARCHIVE_SUFFIX.size());
    QStringList entries;
    if (!ListArchiveEntries(options.extractorProgram, archivePath, options.extractorTimeoutMs, entries))
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN,
                       QStringLiteral("Failed to list the package : ") + archivePath);
        return ExtractorFound(options.extractorProgram)
                   ? QStringLiteral("archive refused (not a readable zip archive)")
                   : QStringLiteral("the extractor %1 is missing").arg(options.extractorProgram);
    }
    QString offending;
    if (!ArchiveEntriesStayIn(entries, packageFolder, &offending))
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN, QStringLiteral("Refused the package ") + archivePath +
                                                      QStringLiteral(": the entry \"") + offending +
                                                      QStringLiteral("\" does not lie inside ") +
                                                      packageFolder);
        // Read by the job once this task has ended.
        backend->archiveRefused = true;
        return QStringLiteral("archive refused (an entry lies outside %1)").arg(packageFolder);
    }
    QStringList links;
    if (!ListArchiveLinks(options.extractorProgram, archivePath, options.extractorTimeoutMs, links))
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN,
                       QStringLiteral("Failed to list the package : ") + archivePath);
        return QStringLiteral("archive refused (not a readable zip archive)");
    }
    if (!links.isEmpty())
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN, QStringLiteral("Refused the package ") + archivePath +
                                                      QStringLiteral(": the entry \"") + links.first() +
                                                      QStringLiteral("\" is a symbolic link"));
        backend->archiveRefused = true;
        return QStringLiteral("archive refused (the entry %1 is a symbolic link)").arg(links.first());
    }
    QProcess extractor;
    QObject::connect(&extractor, &QProcess::readyReadStandardOutput, backend,
                     &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ManageProgress, Qt::DirectConnection);
    // The lines themselves are not needed; reading them keeps the buffer small.
    QObject::connect(
        &extractor, &QProcess::readyReadStandardOutput, &extractor,
        [&extractor]() { extractor.readAllStandardOutput(); }, Qt::DirectConnection);
    const QStringList arguments{QStringLiteral("-d"), backend->InstallFolder(), QStringLiteral("-o"),
                                archivePath};
    if (!RunProcessToEnd(extractor, options.extractorProgram, arguments, options.extractorTimeoutMs))
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN,
                       QStringLiteral("Failed to unzip the package : ") + archivePath);
        return QStringLiteral("the extractor did not start or did not end in time");
    }
    if (!ProcessEndedWell(extractor))
    {
        TRACE_ERROR_IN(PACKAGE_EXTRACTION_ORIGIN,
                       QStringLiteral("Failed to unzip the package : ") + archivePath);
        LogExtractorEnd(extractor);
        return QStringLiteral("archive refused by the extractor (exit code %1)").arg(extractor.exitCode());
    }
    return QString();
}
