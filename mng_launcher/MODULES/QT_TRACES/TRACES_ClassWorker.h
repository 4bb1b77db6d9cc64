#ifndef TRACES_CLASSWORKER_H
#define TRACES_CLASSWORKER_H

#include "QT_TRACES/TRACES_Traces.h"

#include <QObject>
#include <QString>

// The abstract trace worker: receives finished lines through queued signals on the thread it lives in.
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

private:
    void CountLine();
};

#endif // TRACES_CLASSWORKER_H
