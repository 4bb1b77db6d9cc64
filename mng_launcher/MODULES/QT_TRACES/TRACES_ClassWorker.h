#ifndef TRACES_CLASSWORKER_H
#define TRACES_CLASSWORKER_H

#include "QT_TRACES/TRACES_Traces.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVector>

// The abstract trace worker. Its two signals carry each finished line; the worker queues the lines as
// they are emitted, on the caller's thread, and writes them in their order on the thread it lives in,
// as many as have come at once (one posted event per batch, not per line).
class CLASS_WORKER : public QObject
{
    Q_OBJECT

public:
    CLASS_WORKER(const QString& applicationName, TraceErrorHook errorHook, TracePeriodicHook periodicHook,
                 unsigned int hookPeriod, QObject* parent = nullptr);
    ~CLASS_WORKER() override;

    virtual bool DeleteToSize(unsigned int limitBytes) = 0;
    virtual int WorkerKind() const = 0;
    // Continues in new files; does nothing in the base.
    virtual void Rotate() {}
    // Writes every line still queued, on the calling thread: for the end of the run, once the trace
    // thread's event loop has ended.
    void WritePending();

    unsigned int messageCount = 0;
    unsigned int hookPeriod = 0;
    TracePeriodicHook periodicHook = nullptr;
    TraceErrorHook errorHook = nullptr;
    bool initialised = false;
    bool enabled = false;
    bool infoBannerWritten = false;
    bool errorBannerWritten = false;
    QString applicationName;
    QString banner;

signals:
    void SIGNAL_WriteTraceError(const QString& TraceMessage);
    void SIGNAL_WriteTraceInfo(const QString& TraceMessage);

public slots:
    virtual void SLOT_WriteTraceError(const QString& TraceMessage);
    virtual void SLOT_WriteTraceInfo(const QString& TraceMessage);

protected:
    struct PENDING_LINE
    {
        bool isError;
        QString line;
    };
    // Writes a batch of lines in their order; the base hands each to its slot.
    virtual void WriteBatch(const QVector<PENDING_LINE>& lines);

private:
    void Enqueue(bool isError, const QString& line);
    void CountLine();

    QMutex pendingMutex;
    QVector<PENDING_LINE> pending;
};

#endif // TRACES_CLASSWORKER_H
