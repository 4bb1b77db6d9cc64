#include "QT_TRACES/TRACES_Traces.h"

#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_ClassWorker.h"
#include "QT_TRACES/TRACES_ClassWorkerFile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

namespace
{
CLASS_WORKER* traceWorker = nullptr;
QElapsedTimer elapsedTimer;
bool debugEcho = false;
const QString traceTags[] = {QStringLiteral("[M]"), QStringLiteral("[V]"), QStringLiteral("[T]")};

void EmitLine(bool isError, const QString& message, int tagIndex)
{
    CLASS_WORKER* worker = traceWorker;
    if (worker == nullptr)
    {
        return;
    }
    const QString threadTag = TraceThreadTag();
    if (!worker->initialised || !worker->enabled)
    {
        return;
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
    const QString line = TraceElapsedTag() + threadTag + TraceTag(tagIndex) + message + QLatin1Char('\n');
    isError ? emit worker->SIGNAL_WriteTraceError(line) : emit worker->SIGNAL_WriteTraceInfo(line);
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

void TraceError(const QString& message, int tagIndex)
{
    EmitLine(true, message, tagIndex);
}

void TraceInfo(const QString& message, int tagIndex)
{
    EmitLine(false, message, tagIndex);
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
