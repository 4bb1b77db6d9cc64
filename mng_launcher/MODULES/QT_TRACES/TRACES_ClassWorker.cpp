#include "QT_TRACES/TRACES_ClassWorker.h"

CLASS_WORKER::CLASS_WORKER(const QString& name, TraceErrorHook onError, TracePeriodicHook onPeriod,
                           unsigned int period, QObject* parent)
    : QObject(parent), hookPeriod(period), periodicHook(onPeriod), errorHook(onError), applicationName(name)
{
    // Queued even on the worker's own thread: lines are written from the event loop, never inline.
    connect(this, &CLASS_WORKER::SIGNAL_WriteTraceError, this, &CLASS_WORKER::SLOT_WriteTraceError,
            Qt::QueuedConnection);
    connect(this, &CLASS_WORKER::SIGNAL_WriteTraceInfo, this, &CLASS_WORKER::SLOT_WriteTraceInfo,
            Qt::QueuedConnection);
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
