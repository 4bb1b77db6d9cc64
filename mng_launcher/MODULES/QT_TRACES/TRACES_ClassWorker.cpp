#include "QT_TRACES/TRACES_ClassWorker.h"

CLASS_WORKER::CLASS_WORKER(const QString& name, TraceErrorHook onError, TracePeriodicHook onPeriod,
                           unsigned int period, QObject* parent)
    : QObject(parent), hookPeriod(period), periodicHook(onPeriod), errorHook(onError), applicationName(name)
{
    // Taken on the caller's thread, written from the worker's event loop, never inline.
    connect(
        this, &CLASS_WORKER::SIGNAL_WriteTraceError, this,
        [this](const QString& line) { Enqueue(true, line); }, Qt::DirectConnection);
    connect(
        this, &CLASS_WORKER::SIGNAL_WriteTraceInfo, this,
        [this](const QString& line) { Enqueue(false, line); }, Qt::DirectConnection);
}

void CLASS_WORKER::Enqueue(bool isError, const QString& line)
{
    bool first = false;
    {
        const QMutexLocker locker(&pendingMutex);
        first = pending.isEmpty();
        pending.append({isError, line});
    }
    // One wake-up per batch: the lines that come before the worker runs go with this one.
    if (first)
    {
        QMetaObject::invokeMethod(this, &CLASS_WORKER::WritePending, Qt::QueuedConnection);
    }
}

void CLASS_WORKER::WritePending()
{
    QVector<PENDING_LINE> lines;
    {
        const QMutexLocker locker(&pendingMutex);
        lines.swap(pending);
    }
    if (!lines.isEmpty())
    {
        WriteBatch(lines);
    }
}

void CLASS_WORKER::WriteBatch(const QVector<PENDING_LINE>& lines)
{
    for (const PENDING_LINE& entry : lines)
    {
        entry.isError ? SLOT_WriteTraceError(entry.line) : SLOT_WriteTraceInfo(entry.line);
    }
}

CLASS_WORKER::~CLASS_WORKER() = default;

void CLASS_WORKER::SLOT_WriteTraceError(const QString&)
{
    CountLine();
}

void CLASS_WORKER::SLOT_WriteTraceInfo(const QString&)
{
    CountLine();
}

void CLASS_WORKER::CountLine()
{
    if (hookPeriod == 0)
    {
        return;
    }
    ++messageCount;
    if (messageCount % hookPeriod == 0 && periodicHook != nullptr)
    {
        periodicHook(messageCount);
    }
}
