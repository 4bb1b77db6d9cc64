#include "DEVICE/DEVICE_ClassSessionArchive.h"

#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_SessionFolders.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextStream>
#include <QVariant>

namespace
{
int defaultStartTimeoutMs = CLASS_SESSION_ARCHIVE::START_TIMEOUT_MS;
int defaultFinishTimeoutMs = CLASS_SESSION_ARCHIVE::FINISH_TIMEOUT_MS;

// Hidden staging folders beside their destination, so that the last step is a rename on one disk.
const QString EXPORT_STAGING = QStringLiteral("/.tarvo-export-XXXXXX");
const QString IMPORT_STAGING = QStringLiteral(".tarvo-import-XXXXXX");
const QString STAGED_ARCHIVE = QStringLiteral("archive");
// An empty password: an encrypted archive fails its test instead of prompting on a terminal.
const QStringList NO_PASSWORD = {QStringLiteral("-P"), QString()};
constexpr int KILL_WAIT_MS = 5000;
const QString UNPACK_FAILED = QStringLiteral("The archive %1 could not be unpacked.");

QString CleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool IsSameOrInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

bool IsAbsoluteEntry(const QString& entry)
{
    const bool drive = entry.size() >= 2 && entry.at(1) == QLatin1Char(':');
    return entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')) || drive;
}

// True when the tree holds a symbolic link: an unpacked link could lead the launcher's later copies and
// deletions outside the session folder.
bool HoldsLink(const QString& folder)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
    {
        it.next();
        if (it.fileInfo().isSymLink())
        {
            return true;
        }
    }
    return false;
}

// Info-ZIP's exit codes that blame this machine rather than the archive: 4 to 8 no memory, 50 disk full.
bool MachineTrouble(int unzipExitCode)
{
    return (unzipExitCode >= 4 && unzipExitCode <= 8) || unzipExitCode == 50;
}

// The complete archive takes its place: over an older one when replacing, else only where nothing stands
// (QFile::rename never replaces, not even a link that leads nowhere).
bool PlaceArchive(const QString& staged, const QString& target,
                  CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE existing)
{
    return existing == CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE::Replace
               ? PLATFORM::RenameReplacing(staged, target)
               : QFile::rename(staged, target);
}
} // namespace

CLASS_SESSION_ARCHIVE::CLASS_SESSION_ARCHIVE(const QString& sessionsRoot, const QString& toolFolder)
    : sessionsRoot(QDir::cleanPath(sessionsRoot)), toolFolder(toolFolder),
      startTimeoutMs(defaultStartTimeoutMs), finishTimeoutMs(defaultFinishTimeoutMs)
{
}

void CLASS_SESSION_ARCHIVE::SetTimeLimits(int startMs, int finishMs)
{
    startTimeoutMs = startMs;
    finishTimeoutMs = finishMs;
}

void CLASS_SESSION_ARCHIVE::SetDefaultTimeLimits(int startMs, int finishMs)
{
    defaultStartTimeoutMs = startMs;
    defaultFinishTimeoutMs = finishMs;
}

QString CLASS_SESSION_ARCHIVE::CommentText()
{
    // The application's display name (a property of the window's application object; without a window,
    // the application name, which it defaults to).
    const QVariant displayName = QCoreApplication::instance() != nullptr
                                     ? QCoreApplication::instance()->property("applicationDisplayName")
                                     : QVariant();
    const QString name = displayName.isValid() ? displayName.toString() : QCoreApplication::applicationName();
    return name + QLatin1Char('\n') + QCoreApplication::applicationVersion();
}

QString CLASS_SESSION_ARCHIVE::TopLevelFolder(const QStringList& entries, QString* reason)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QString top;
    for (const QString& entry : entries)
    {
        const QStringList parts = entry.split(separators, Qt::SkipEmptyParts);
        const bool climbs = parts.contains(QStringLiteral("..")) || parts.contains(QStringLiteral("."));
        if (IsAbsoluteEntry(entry) || climbs)
        {
            *reason = QStringLiteral("unsafe path ") + entry;
            return QString();
        }
        // A file at the top, or a second top-level folder, lies outside the one session folder.
        const bool topLevelFile = parts.size() == 1 && !entry.endsWith(QLatin1Char('/'));
        if (parts.isEmpty() || topLevelFile || (!top.isEmpty() && parts.first() != top))
        {
            *reason = QStringLiteral("entry outside one session folder ") + entry;
            return QString();
        }
        top = parts.first();
    }
    if (top.isEmpty())
    {
        *reason = QStringLiteral("no entry");
    }
    return top;
}

// ---- export --------------------------------------------------------------------------------------------

QString CLASS_SESSION_ARCHIVE::ArchivePath(const QString& sessionFolder, const QString& targetFolder)
{
    return CleanAbsolute(targetFolder) + QLatin1Char('/') + QDir(CleanAbsolute(sessionFolder)).dirName() +
           QStringLiteral(".zip");
}

SESSION_ARCHIVE_RESULT CLASS_SESSION_ARCHIVE::Export(const QString& sessionFolder,
                                                     const QString& targetFolder,
                                                     EXISTING_ARCHIVE existing) const
{
    SESSION_ARCHIVE_RESULT result;
    const QString folder = CleanAbsolute(sessionFolder);
    const QString target = CleanAbsolute(targetFolder);
    result.folderName = QDir(folder).dirName();
    result.archivePath = ArchivePath(folder, target);
    if (existing == EXISTING_ARCHIVE::Refuse && IsPathTaken(result.archivePath))
    {
        result.refused = true;
        result.message =
            QStringLiteral("%1 already exists.").arg(QDir::toNativeSeparators(result.archivePath));
        return result;
    }
    result.message = QStringLiteral("Couldn't export the session %1 to %2.").arg(result.folderName, target);

    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonicalTarget = QFileInfo(target).canonicalFilePath();
    if (IsSameOrInside(target, folder) ||
        (!canonicalFolder.isEmpty() && IsSameOrInside(canonicalTarget, canonicalFolder)))
    {
        result.message =
            QStringLiteral("The session %1 cannot be exported into its own folder.").arg(result.folderName);
        TRACE_ERROR(QStringLiteral("Export target inside the session : ") + target);
        return result;
    }
    QTemporaryFile comment;
    const QTemporaryDir staging(target + EXPORT_STAGING);
    if (!WriteComment(comment) || !staging.isValid())
    {
        TRACE_ERROR(QStringLiteral("Cannot prepare the export into : ") + target);
        return result;
    }
    const QString stagedArchive = staging.filePath(STAGED_ARCHIVE);
    if (!CompressSessionFolder(sessionsRoot, result.folderName, stagedArchive, comment.fileName(), toolFolder,
                               startTimeoutMs, finishTimeoutMs))
    {
        return result; // the process runner has logged why
    }
    if (!PlaceArchive(stagedArchive + QStringLiteral(".zip"), result.archivePath, existing))
    {
        TRACE_ERROR(QStringLiteral("Cannot write the archive : ") + result.archivePath);
        return result;
    }
    result.ok = true;
    result.message.clear();
    return result;
}

bool CLASS_SESSION_ARCHIVE::WriteComment(QTemporaryFile& file)
{
    if (!file.open())
    {
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << CommentText();
    stream.flush();
    const bool written = stream.status() == QTextStream::Ok && file.flush();
    file.close();
    return written;
}

// ---- import --------------------------------------------------------------------------------------------

SESSION_ARCHIVE_RESULT CLASS_SESSION_ARCHIVE::Import(const QString& archivePath) const
{
    SESSION_ARCHIVE_RESULT result;
    result.archivePath = CleanAbsolute(archivePath);
    if (!CheckArchive(result.archivePath, result) || !Unpack(result.archivePath, result))
    {
        return result;
    }
    result.ok = true;
    result.message.clear();
    return result;
}

bool CLASS_SESSION_ARCHIVE::FolderTaken(const QString& folderName) const
{
    const QFileInfo info(sessionsRoot + QLatin1Char('/') + folderName);
    return info.exists() || info.isSymLink();
}

bool CLASS_SESSION_ARCHIVE::CheckArchive(const QString& archive, SESSION_ARCHIVE_RESULT& result) const
{
    const QString name = QFileInfo(archive).fileName();
    QByteArray listing;
    const UNZIP_RUN listed = QFileInfo(archive).isFile()
                                 ? RunUnzip({QStringLiteral("-Z1"), archive}, sessionsRoot, &listing)
                                 : UNZIP_RUN::Refused;
    if (listed != UNZIP_RUN::Done)
    {
        TRACE_ERROR(QStringLiteral("Cannot list the archive : ") + archive);
        return Fail(result, listed, QStringLiteral("The file %1 is not a zip archive and was not imported."));
    }
    const QStringList entries = QString::fromLocal8Bit(listing).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString reason;
    result.folderName = TopLevelFolder(entries, &reason);
    if (result.folderName.isEmpty())
    {
        TRACE_ERROR(QStringLiteral("Refused archive ") + archive + QStringLiteral(" : ") + reason);
        return Fail(result, UNZIP_RUN::Refused,
                    QStringLiteral("The archive %1 does not hold one session folder and was not imported."));
    }
    // A folder that no session may have: hidden, an option to the tools, one of the launcher's own names.
    if (!IsSessionFolderName(result.folderName, sessionsRoot))
    {
        TRACE_ERROR(QStringLiteral("Refused archive, its folder is no session folder : ") + archive);
        return Fail(result, UNZIP_RUN::Refused,
                    QStringLiteral("The archive %1 holds a folder that cannot be a session folder and was "
                                   "not imported."));
    }
    if (!entries.contains(result.folderName + QStringLiteral("/settings.ini")))
    {
        TRACE_ERROR(QStringLiteral("Refused archive without settings.ini : ") + archive);
        return Fail(result, UNZIP_RUN::Refused,
                    QStringLiteral("The archive %1 holds no session settings and was not imported."));
    }
    if (FolderTaken(result.folderName))
    {
        TRACE_ERROR(QStringLiteral("Refused archive, the session folder exists : ") + result.folderName);
        return Fail(result, UNZIP_RUN::Refused,
                    QStringLiteral("The session folder %2 already exists. The archive %1 was not imported."));
    }
    // No separate test run: the unpacking checks every entry's CRC itself, into a staging folder.
    return true;
}

bool CLASS_SESSION_ARCHIVE::Fail(SESSION_ARCHIVE_RESULT& result, UNZIP_RUN run, const QString& refusal)
{
    // A tool that cannot start, does not end in time or lacks room says nothing about the archive itself.
    const QString text = (run == UNZIP_RUN::Stuck || run == UNZIP_RUN::Failed) ? UNPACK_FAILED : refusal;
    result.refused = text != UNPACK_FAILED;
    const QString name = QFileInfo(result.archivePath).fileName();
    // One pass of arg: a "%" in the names themselves is left alone.
    result.message = text.contains(QStringLiteral("%2")) ? text.arg(name, result.folderName) : text.arg(name);
    return false;
}

bool CLASS_SESSION_ARCHIVE::Unpack(const QString& archive, SESSION_ARCHIVE_RESULT& result) const
{
    // Whatever happens below, the staging folder and anything half unpacked in it go with this object.
    const QTemporaryDir staging(sessionsRoot + QLatin1Char('/') + IMPORT_STAGING);
    const UNZIP_RUN unpackRun =
        staging.isValid() ? RunUnzip(QStringList{QStringLiteral("-q")} + NO_PASSWORD + QStringList{archive},
                                     staging.path(), nullptr)
                          : UNZIP_RUN::Stuck;
    if (unpackRun == UNZIP_RUN::Refused)
    {
        // The tool checked the entries as it wrote them (CRC, password) and found one it could not trust.
        TRACE_ERROR(QStringLiteral("Refused damaged archive : ") + archive);
        return Fail(result, UNZIP_RUN::Refused,
                    QStringLiteral("The archive %1 is damaged or protected and was not imported."));
    }
    if (unpackRun != UNZIP_RUN::Done)
    {
        TRACE_ERROR(QStringLiteral("Cannot unpack the archive : ") + archive);
        return Fail(result, UNZIP_RUN::Failed, UNPACK_FAILED);
    }
    const QString unpacked = staging.filePath(result.folderName);
    const QStringList staged =
        QDir(staging.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (staged != QStringList{result.folderName} || !QFileInfo(unpacked).isDir() || HoldsLink(staging.path()))
    {
        TRACE_ERROR(QStringLiteral("Refused archive with links or stray entries : ") + archive);
        return Fail(result, UNZIP_RUN::Refused,
                    QStringLiteral("The archive %1 holds unsafe entries and was not imported."));
    }
    const QString destination = sessionsRoot + QLatin1Char('/') + result.folderName;
    if (FolderTaken(result.folderName) || !QDir().rename(unpacked, destination))
    {
        TRACE_ERROR(QStringLiteral("Cannot move the unpacked session to : ") + destination);
        return Fail(result, UNZIP_RUN::Refused, UNPACK_FAILED);
    }
    return true;
}

CLASS_SESSION_ARCHIVE::UNZIP_RUN CLASS_SESSION_ARCHIVE::RunUnzip(const QStringList& arguments,
                                                                 const QString& workingFolder,
                                                                 QByteArray* output) const
{
    QProcess process;
    process.setProgram(PLATFORM::ArchiveToolProgram(toolFolder, QStringLiteral("unzip")));
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    const QString commandLine = process.program() + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(startTimeoutMs))
    {
        TRACE_ERROR(QStringLiteral("Cannot start ") + commandLine + QStringLiteral(" : ") +
                    process.errorString());
        return UNZIP_RUN::Stuck;
    }
    if (!process.waitForFinished(finishTimeoutMs))
    {
        TRACE_ERROR(QStringLiteral("Timeout for ") + commandLine);
        PLATFORM::KillProcessTree(process.processId());
        process.kill();
        process.waitForFinished(KILL_WAIT_MS);
        return UNZIP_RUN::Stuck;
    }
    if (output != nullptr)
    {
        *output = process.readAllStandardOutput();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    {
        TRACE_ERROR(commandLine + QStringLiteral(" ended with ") + QString::number(process.exitCode()) +
                    QStringLiteral(" : ") +
                    QString::fromLocal8Bit(process.readAllStandardError()).simplified());
        return MachineTrouble(process.exitCode()) ? UNZIP_RUN::Failed : UNZIP_RUN::Refused;
    }
    return UNZIP_RUN::Done;
}
