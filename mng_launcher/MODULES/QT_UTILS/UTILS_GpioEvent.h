#ifndef UTILS_GPIOEVENT_H
#define UTILS_GPIOEVENT_H

#include "ZR_Types.h"

#include <QFile>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// Watches one input line of the Linux sysfs GPIO interface: the folder of an exported line holds a
// "value" file and an "edge" file. The watcher programs the edge file, waits for edge notifications on
// the value file, optionally debounces them, reads the level and emits SIGNAL_NewGpioEvent.
// Everything runs on the watcher's thread through its event loop.
class CLASS_UTILS_GPIO_EVENT : public QObject
{
    Q_OBJECT

public:
    CLASS_UTILS_GPIO_EVENT(const QString& gpioFolder, bool rising, bool falling, Word debounceTime,
                           QObject* parent = nullptr);
    ~CLASS_UTILS_GPIO_EVENT() override;

    // True once the constructor found and opened the line's files; otherwise SetEdge and
    // StartWatching do nothing.
    bool IsReady() const { return ready; }

    void SetEdge(bool rising, bool falling);
    void SetDebounceTime(Word debounceTime);
    void StartWatching();
    void StopWatching();
    // Reads the line's level now and emits as an edge would.
    void ReadGpioState();

signals:
    void SIGNAL_NewGpioEvent(Bool state = false);

private slots:
    void SLOT_NewNotifierEvent(SDWord fileNb);

private:
    bool WriteEdge();
    void NewDebounceTimerEvent();

    QFile notificationFile;
    QFile readingFile;
    QFile edgeFile;
    bool rising;
    bool falling;
    Word debounceTime;
    bool ready = false;
    QSocketNotifier* notifier = nullptr;
    QTimer* debounceTimer = nullptr;
};

#endif // UTILS_GPIOEVENT_H
