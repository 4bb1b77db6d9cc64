#include "QT_TRACES/TRACES_Traces.h"

#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_ClassWorker.h"
#include "QT_TRACES/TRACES_ClassWorkerFile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

namespace
{
CLASS_WORKER* traceWorker = nullptr;
QElapsedTimer elapsedTimer;
bool debugEcho = false;
const QString traceTags[] = {QStringLiteral("[M]"), QStringLiteral("[V]"), QStringLiteral("[T]")};

// The calling thread's tag, made again only when the thread's name has changed.
const QString& CachedThreadTag()
{
    thread_local QString name;
    thread_local QString tag;
    const QString current = QThread::currentThread()->objectName();
    if (tag.isEmpty() || current != name)
    {
        name = current;
        tag = TraceThreadTag();
    }
    return tag;
}

// Appends the number in decimal, right-justified with "0" to width characters (a longer one whole).
void AppendDecimal(QString& text, qint64 number, int width)
{
    char digits[24];
    int count = 0;
    do
    {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0 && count < static_cast<int>(sizeof(digits)));
    for (int i = count; i < width; ++i)
    {
        text += QLatin1Char('0');
    }
    while (count > 0)
    {
        text += QLatin1Char(digits[--count]);
    }
}

// The worker that takes a line now, after the banner (and, for an error, the hook); null when the line
// is to be dropped.
CLASS_WORKER* TakingWorker(bool isError)
{
    CLASS_WORKER* worker = traceWorker;
    if (worker == nullptr || !worker->initialised || !worker->enabled)
    {
        return nullptr;
    }
    bool& bannerWritten = isError ? worker->errorBannerWritten : worker->infoBannerWritten;
    if (!bannerWritten)
    {
        bannerWritten = true;
        isError ? emit worker->SIGNAL_WriteTraceError(worker->banner)
                : emit worker->SIGNAL_WriteTraceInfo(worker->banner);
    }
    if (isError && worker->errorHook != nullptr)
    {
        worker->errorHook();
    }
    return worker;
}

// Elapsed tag, thread tag and trace tag, in a string with room for the rest of the line.
QString LineStart(int tagIndex, int restLength)
{
    const QString& threadTag = CachedThreadTag();
    const QString& traceTag = tagIndex >= 0 && tagIndex <= 2 ? traceTags[tagIndex] : QString();
    QString line;
    line.reserve(16 + threadTag.size() + traceTag.size() + restLength);
    line += QLatin1Char('[');
    AppendDecimal(line, elapsedTimer.isValid() ? elapsedTimer.elapsed() : 0, 13);
    line += QLatin1Char(']');
    line += threadTag;
    line += traceTag;
    return line;
}

void Emit(CLASS_WORKER* worker, bool isError, const QString& line)
{
    isError ? emit worker->SIGNAL_WriteTraceError(line) : emit worker->SIGNAL_WriteTraceInfo(line);
}

void EmitLine(bool isError, const QString& message, int tagIndex)
{
    CLASS_WORKER* worker = TakingWorker(isError);
    if (worker == nullptr)
    {
        return;
    }
    QString line = LineStart(tagIndex, message.size() + 1);
    line += WithoutUserInfo(message);
    line += QLatin1Char('\n');
    Emit(worker, isError, line);
}

void EmitLineAt(bool isError, const QString& unitPath, const char* function, int sourceLine,
                const QString& text)
{
    CLASS_WORKER* worker = TakingWorker(isError);
    if (worker == nullptr)
    {
        return;
    }
    const QLatin1String functionName(function);
    // The message convention (TraceComposeMessage) composed straight into the line.
    QString line = LineStart(0, unitPath.size() + functionName.size() + text.size() + 24);
    line += unitPath;
    line += QLatin1Char(' ');
    line += functionName;
    line += QLatin1String("() Line ");
    AppendDecimal(line, sourceLine, 1);
    line += QLatin1Char(' ');
    line += WithoutUserInfo(text);
    line += QLatin1Char('\n');
    Emit(worker, isError, line);
}
} // namespace

void InitTraces(QThread* traceThread)
{
    // The base lies in a folder only the user can write (Linux: the user's cache folder, not the shared
    // temporary folder); one that is a link or another user's turns tracing off.
    QString basePath;
    QString problem;
    const PLATFORM::PRIVATE_PLACE base = PLATFORM::MakePrivateCacheFolder(
        QStringLiteral("vaDevazade") + QStringLiteral("/ZR_TRACES/"), &basePath, &problem);
    if (base == PLATFORM::PRIVATE_PLACE::Refused)
    {
        PrintRefusedLogPlace(basePath);
        return;
    }
    CreateTracesWorker(QCoreApplication::applicationName(), QDir(basePath), traceThread, nullptr, nullptr,
                       10300);
    EnableTraces();
}

void PrintRefusedLogPlace(const QString& path)
{
    std::fprintf(stderr, "Can't write logs, %s is a link or belongs to another user\n",
                 path.toUtf8().constData());
    std::fflush(stderr);
}

void CreateTracesWorker(const QString& applicationName, const QDir& baseFolder, QThread* thread,
                        TraceErrorHook errorHook, TracePeriodicHook periodicHook, unsigned int hookPeriod,
                        TraceLastIndexFunction lastIndexFunction)
{
    if (traceWorker != nullptr && traceWorker->initialised)
    {
        return;
    }
    debugEcho = false;
    elapsedTimer.start();
    const QString basePath = baseFolder.absolutePath();
    if (basePath.isEmpty())
    {
        return;
    }
    if (!baseFolder.exists())
    {
        std::fprintf(stderr, "Can't write logs, %s do not exist\n", basePath.toUtf8().constData());
        std::fflush(stderr);
        return;
    }
    // A worker from an earlier attempt never opened its files, so no line was ever posted to it: it is
    // deleted on its own thread.
    if (traceWorker != nullptr)
    {
        traceWorker->deleteLater();
    }
    traceWorker = new CLASS_WORKER_FILE(basePath + QStringLiteral("/") + applicationName, applicationName,
                                        errorHook, periodicHook, hookPeriod, lastIndexFunction);
    if (thread != nullptr)
    {
        traceWorker->moveToThread(thread);
    }
}

void EnableTraces()
{
    if (traceWorker != nullptr && traceWorker->initialised && !traceWorker->enabled)
    {
        traceWorker->enabled = true;
    }
}

void DisableTraces()
{
    if (traceWorker != nullptr)
    {
        traceWorker->enabled = false;
    }
}

void RotateTraceFiles()
{
    if (traceWorker != nullptr && traceWorker->initialised && traceWorker->WorkerKind() != 2)
    {
        traceWorker->Rotate();
    }
}

QString WithoutUserInfo(const QString& text)
{
    // Most lines hold no address: they pass without a regular expression.
    if (!text.contains(QLatin1String("://")) || !text.contains(QLatin1Char('@')))
    {
        return text;
    }
    static const QRegularExpression userInfo(QStringLiteral("([A-Za-z][A-Za-z0-9+.-]*://)[^/?#\\s@]*@"));
    QString safe = text;
    return safe.replace(userInfo, QStringLiteral("\\1"));
}

void TraceError(const QString& message, int tagIndex)
{
    EmitLine(true, message, tagIndex);
}

void TraceInfo(const QString& message, int tagIndex)
{
    EmitLine(false, message, tagIndex);
}

void TraceErrorAt(const QString& unitPath, const char* function, int line, const QString& text)
{
    EmitLineAt(true, unitPath, function, line, text);
}

void TraceInfoAt(const QString& unitPath, const char* function, int line, const QString& text)
{
    EmitLineAt(false, unitPath, function, line, text);
}

void FlushTraces()
{
    if (traceWorker != nullptr)
    {
        traceWorker->WritePending();
    }
}

void DeleteTracesToSize(unsigned int limitBytes)
{
    if (traceWorker != nullptr && traceWorker->initialised)
    {
        traceWorker->DeleteToSize(limitBytes);
    }
}

void EchoTraceToDebug(const QString& message)
{
    if (debugEcho)
    {
        qDebug().noquote() << TraceElapsedTag() + TraceThreadTag() + message;
    }
}

void SetTraceDebugEcho(bool on)
{
    debugEcho = on;
}

bool TraceDebugEcho()
{
    return debugEcho;
}

CLASS_WORKER* TracesWorker()
{
    return traceWorker;
}

QString TraceElapsedTag()
{
    return TraceElapsedTag(elapsedTimer.isValid() ? elapsedTimer.elapsed() : 0);
}

QString TraceElapsedTag(qint64 elapsedMs)
{
    return QLatin1Char('[') + QStringLiteral("%1").arg(elapsedMs, 13, 10, QLatin1Char('0')) +
           QLatin1Char(']');
}

QString TraceThreadTag()
{
    QString name = QThread::currentThread()->objectName();
    if (name.isEmpty())
    {
        return QStringLiteral("[UNKNOWN]");
    }
    name.remove(QStringLiteral("THREAD_"), Qt::CaseSensitive);
    return QLatin1Char('[') + name + QLatin1Char(']');
}

QString TraceTag(int tagIndex)
{
    if (tagIndex < 0 || tagIndex > 2)
    {
        return QString();
    }
    return traceTags[tagIndex];
}

QString TraceUnitPath(const char* sourceFile)
{
    QString path = QString::fromUtf8(sourceFile);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString root = QStringLiteral("mng_launcher/");
    const int rootAt = path.lastIndexOf(root);
    path = rootAt >= 0 ? path.mid(rootAt) : path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > path.lastIndexOf(QLatin1Char('/')))
    {
        path.truncate(dot);
    }
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("..\\") + path;
}

QString TraceComposeMessage(const QString& unitPath, const char* function, int line, const QString& text)
{
    return unitPath + QLatin1Char(' ') + QLatin1String(function) + QStringLiteral("() Line ") +
           QString::number(line) + QLatin1Char(' ') + text;
}
