#include "QT_TRACES/TRACES_ClassWorkerFile.h"

#include "PLATFORM/PLATFORM_Files.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMutexLocker>
#include <QThread>

#include <cstdio>
#include <functional>

namespace
{
const QString LOG_FILTER = QStringLiteral("*.log*");
const QString LINK_ERROR = QStringLiteral("CURRENT_ERROR.lnk");
const QString LINK_INFO = QStringLiteral("CURRENT_INFO.lnk");

void PrintToStandardError(const char* format, const QString& path)
{
    std::fprintf(stderr, format, path.toUtf8().constData());
    std::fflush(stderr);
}

// The number in the given "separator"-split part of a file name, when the name has enough parts.
bool NumberAt(const QString& fileName, QChar separator, int minimumParts, int part, unsigned int& number)
{
    const QStringList parts = fileName.split(separator, Qt::SkipEmptyParts);
    if (parts.size() < minimumParts)
    {
        return false;
    }
    bool ok = false;
    const qulonglong value = parts.at(part).toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFull)
    {
        return false;
    }
    number = static_cast<unsigned int>(value);
    return true;
}

bool RunNumber(const QFileInfo& entry, unsigned int& number)
{
    return NumberAt(entry.fileName(), QLatin1Char('_'), 2, 0, number);
}

bool RotationNumber(const QFileInfo& entry, unsigned int& number)
{
    return NumberAt(entry.fileName(), QLatin1Char('.'), 3, 2, number);
}

QFileInfoList LogEntries(const QString& folderPath)
{
    return QDir(folderPath).entryInfoList(QStringList{LOG_FILTER}, QDir::Files, QDir::Unsorted);
}

void RelinkShortcut(const QString& folderPath, const QString& linkName, const QString& target)
{
    const QString linkPath = folderPath + QLatin1Char('/') + linkName;
    QFile::remove(linkPath);
    QFile::link(target, linkPath);
}

// One cycle-repeating pass of DeleteToSize over the numbers that "numberOf" reads from the entries.
bool DeletePass(const QString& folderPath, unsigned int limitBytes,
                const std::function<bool(const QFileInfo&, unsigned int&)>& numberOf)
{
    while (CLASS_WORKER_FILE::FolderSize(folderPath) >= limitBytes)
    {
        const QFileInfoList entries = LogEntries(folderPath);
        bool any = false;
        unsigned int minimum = 0;
        unsigned int maximum = 0;
        for (const QFileInfo& entry : entries)
        {
            unsigned int number = 0;
            if (numberOf(entry, number))
            {
                minimum = any ? qMin(minimum, number) : number;
                maximum = any ? qMax(maximum, number) : number;
                any = true;
            }
        }
        if (!any || minimum == maximum)
        {
            return false;
        }
        const unsigned int half = (maximum - minimum) / 2;
        int removed = 0;
        for (const QFileInfo& entry : entries)
        {
            unsigned int number = 0;
            if (numberOf(entry, number) && number - minimum <= half &&
                QFile::remove(entry.absoluteFilePath()))
            {
                ++removed;
            }
        }
        if (removed == 0)
        {
            // Files that cannot be removed would make this cycle repeat for ever.
            return false;
        }
    }
    return true;
}
} // namespace

CLASS_WORKER_FILE::CLASS_WORKER_FILE(const QString& folder, const QString& name, TraceErrorHook onError,
                                     TracePeriodicHook onPeriod, unsigned int period,
                                     TraceLastIndexFunction lastIndex, QObject* parent)
    : CLASS_WORKER(name, onError, onPeriod, period, parent), folderPath(folder), lastIndexFunction(lastIndex)
{
    OpenTraceFiles();
}

CLASS_WORKER_FILE::~CLASS_WORKER_FILE()
{
    if (infoFile != nullptr)
    {
        infoFile->deleteLater();
    }
    if (errorFile != nullptr)
    {
        errorFile->deleteLater();
    }
}

void CLASS_WORKER_FILE::OpenTraceFiles()
{
    QDir folder(folderPath);
    // Missing parents are created as usual; the log folder itself is private to the user (0700), and one
    // that is a link or another user's is never used.
    QDir().mkpath(QFileInfo(folder.absolutePath()).absolutePath());
    const PLATFORM::PRIVATE_PLACE made = PLATFORM::MakePrivateFolder(folder.absolutePath());
    if (made == PLATFORM::PRIVATE_PLACE::Refused)
    {
        PrintRefusedLogPlace(folder.absolutePath());
        return;
    }
    if (made != PLATFORM::PRIVATE_PLACE::Ready)
    {
        PrintToStandardError("Can't create directory %s for trace\n", folder.absolutePath());
        return;
    }
    QMutexLocker locker(&filesMutex);
    const QFileInfoList entries = LogEntries(folderPath);
    const unsigned int previous =
        lastIndexFunction != nullptr ? lastIndexFunction(entries) : MaxFileIndex(entries);
    const QString runNumber = QStringLiteral("%1").arg(qulonglong(previous) + 1, 8, 10, QLatin1Char('0'));
    const QString absolute = folder.absolutePath() + QLatin1Char('/');
    errorFilePath =
        absolute + runNumber +
        QDateTime::currentDateTime().toString(QStringLiteral("'_ERROR_'yyyy-MM-dd_HH-mm-ss'.log'"));
    infoFilePath = absolute + runNumber +
                   QDateTime::currentDateTime().toString(QStringLiteral("'_INFO_'yyyy-MM-dd_HH-mm-ss'.log'"));
    errorFile = NewLogFile(errorFilePath);
    infoFile = NewLogFile(infoFilePath);
    const PLATFORM::PRIVATE_PLACE opened = PLATFORM::AppendToPrivateFile(infoFilePath, QByteArray());
    if (opened == PLATFORM::PRIVATE_PLACE::Refused)
    {
        PrintRefusedLogPlace(infoFilePath);
        return;
    }
    if (opened != PLATFORM::PRIVATE_PLACE::Ready)
    {
        PrintToStandardError("Can't open file %s for trace\n", infoFilePath);
        return;
    }
    RelinkShortcut(folderPath, LINK_ERROR, errorFilePath);
    RelinkShortcut(folderPath, LINK_INFO, infoFilePath);

    const QString tags = TraceElapsedTag() + TraceThreadTag();
    banner = tags + TraceTag(0) + applicationName + QStringLiteral(" PROGRAM START\n") + tags + TraceTag(0) +
             QStringLiteral("Version ") + QStringLiteral(QT_TRACES_VERSION) + QLatin1Char('\n') + tags +
             TraceTag(2) +
             QStringLiteral("%1").arg(QDateTime::currentMSecsSinceEpoch(), 13, 10, QLatin1Char('0')) +
             QLatin1Char('\n');
    initialised = true;
}

QFile* CLASS_WORKER_FILE::NewLogFile(const QString& path)
{
    // Rotation runs on the caller's thread while the worker lives on the trace thread: a QObject cannot
    // get a parent in another thread, so there the file object is handed to the worker's thread instead
    // and deleted like the others (deleteLater at the next rotation or in the destructor).
    if (QThread::currentThread() == thread())
    {
        return new QFile(path, this);
    }
    QFile* file = new QFile(path);
    file->moveToThread(thread());
    return file;
}

void CLASS_WORKER_FILE::SLOT_WriteTraceError(const QString& TraceMessage)
{
    CLASS_WORKER::SLOT_WriteTraceError(TraceMessage);
    WriteLine(errorFile, TraceMessage);
}

void CLASS_WORKER_FILE::SLOT_WriteTraceInfo(const QString& TraceMessage)
{
    CLASS_WORKER::SLOT_WriteTraceInfo(TraceMessage);
    WriteLine(infoFile, TraceMessage);
}

void CLASS_WORKER_FILE::WriteLine(const QFile* file, const QString& line)
{
    QMutexLocker locker(&filesMutex);
    WriteLines(file, line.toUtf8());
}

bool CLASS_WORKER_FILE::WriteLines(const QFile* file, const QByteArray& text)
{
    QMutexLocker locker(&filesMutex);
    if (file == nullptr || refused)
    {
        return true;
    }
    // Each piece is appended whole or not at all. A file that has become a link or another user's turns
    // tracing off for the rest of the run.
    const PLATFORM::PRIVATE_PLACE place = PLATFORM::AppendToPrivateFile(file->fileName(), text);
    if (place == PLATFORM::PRIVATE_PLACE::Refused)
    {
        refused = true;
        enabled = false;
        PrintRefusedLogPlace(file->fileName());
    }
    return place != PLATFORM::PRIVATE_PLACE::Failed;
}

void CLASS_WORKER_FILE::WriteBatch(const QVector<PENDING_LINE>& lines)
{
    QMutexLocker locker(&filesMutex);
    QByteArray errorText;
    QByteArray infoText;
    for (const PENDING_LINE& entry : lines)
    {
        // The base slots count the lines (and run the periodic hook).
        entry.isError ? CLASS_WORKER::SLOT_WriteTraceError(entry.line)
                      : CLASS_WORKER::SLOT_WriteTraceInfo(entry.line);
        (entry.isError ? errorText : infoText) += entry.line.toUtf8();
    }
    const bool errorsWritten = errorText.isEmpty() || WriteLines(errorFile, errorText);
    const bool infoWritten = infoText.isEmpty() || WriteLines(infoFile, infoText);
    if (errorsWritten && infoWritten)
    {
        return;
    }
    // Too much for the disk at once: line by line, so that what fits is kept.
    for (const PENDING_LINE& entry : lines)
    {
        if (entry.isError ? !errorsWritten : !infoWritten)
        {
            WriteLine(entry.isError ? errorFile : infoFile, entry.line);
        }
    }
}

void CLASS_WORKER_FILE::Rotate()
{
    if (!initialised || refused)
    {
        return;
    }
    enabled = false;
    QMutexLocker locker(&filesMutex);
    errorFile->deleteLater();
    infoFile->deleteLater();
    ++errorRotation;
    const QString errorPath =
        errorFilePath + QStringLiteral(".%1").arg(errorRotation, 3, 10, QLatin1Char('0'));
    errorFile = NewLogFile(errorPath);
    ++infoRotation;
    const QString infoPath = infoFilePath + QStringLiteral(".%1").arg(infoRotation, 3, 10, QLatin1Char('0'));
    infoFile = NewLogFile(infoPath);
    RelinkShortcut(folderPath, LINK_ERROR, errorPath);
    RelinkShortcut(folderPath, LINK_INFO, infoPath);
    enabled = true;
    errorBannerWritten = false;
    infoBannerWritten = false;
}

bool CLASS_WORKER_FILE::DeleteToSize(unsigned int limitBytes)
{
    QMutexLocker locker(&filesMutex);
    if (DeletePass(folderPath, limitBytes, RunNumber) || DeletePass(folderPath, limitBytes, RotationNumber))
    {
        return true;
    }
    TRACE_ERROR(QStringLiteral("Error in files logs suppressions"));
    return false;
}

unsigned int CLASS_WORKER_FILE::MaxFileIndex(const QFileInfoList& entries)
{
    unsigned int maximum = 0;
    for (const QFileInfo& entry : entries)
    {
        unsigned int number = 0;
        if (RunNumber(entry, number))
        {
            maximum = qMax(maximum, number);
        }
    }
    return maximum;
}

unsigned int CLASS_WORKER_FILE::MaxRotationSuffix(const QFileInfoList& entries)
{
    unsigned int maximum = 0;
    for (const QFileInfo& entry : entries)
    {
        unsigned int number = 0;
        if (RotationNumber(entry, number))
        {
            maximum = qMax(maximum, number);
        }
    }
    return maximum;
}

quint32 CLASS_WORKER_FILE::FolderSize(const QString& path)
{
    quint32 total = 0;
    QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::Drives | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
    {
        it.next();
        // A symbolic link (the current-file shortcuts on Linux) holds no log data of its own: its
        // target is counted once, as itself.
        if (it.fileInfo().isFile() && !it.fileInfo().isSymbolicLink())
        {
            total += static_cast<quint32>(it.fileInfo().size());
        }
    }
    return total;
}
