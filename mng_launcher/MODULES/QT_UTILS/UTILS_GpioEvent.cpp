#include "QT_UTILS/UTILS_GpioEvent.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

namespace
{
// QSocketNotifier::activated has a deprecated int overload beside the descriptor one; this picks the
// descriptor signal without naming its private tag type.
template <typename... Tag>
auto DescriptorActivated(void (QSocketNotifier::*signal)(QSocketDescriptor, QSocketNotifier::Type, Tag...))
{
    return signal;
}

QByteArray EdgeText(bool rising, bool falling)
{
    if (rising && falling)
    {
        return QByteArrayLiteral("both");
    }
    if (rising)
    {
        return QByteArrayLiteral("rising");
    }
    return falling ? QByteArrayLiteral("falling") : QByteArrayLiteral("none");
}
} // namespace

CLASS_UTILS_GPIO_EVENT::CLASS_UTILS_GPIO_EVENT(const QString& gpioFolder, bool rising, bool falling,
                                               Word debounceTime, QObject* parent)
    : QObject(parent), notificationFile(gpioFolder + QStringLiteral("/value")),
      readingFile(gpioFolder + QStringLiteral("/value")), edgeFile(gpioFolder + QStringLiteral("/edge")),
      rising(rising), falling(falling), debounceTime(debounceTime)
{
    if (!QDir(gpioFolder).exists())
    {
        TRACE_ERROR(QStringLiteral("Can't find gpio directory ") + gpioFolder);
        return;
    }
    if (!notificationFile.exists())
    {
        TRACE_ERROR(QStringLiteral("Can't find gpio value file ") + notificationFile.fileName());
        return;
    }
    if (!edgeFile.exists())
    {
        TRACE_ERROR(QStringLiteral("Can't find gpio edge file ") + edgeFile.fileName());
        return;
    }
    for (QFile* valueFile : {&notificationFile, &readingFile})
    {
        if (!valueFile->open(QIODevice::ReadOnly))
        {
            TRACE_ERROR(QStringLiteral("Can't open gpio value file ") + valueFile->fileName());
            return;
        }
        valueFile->close();
    }
    if (!WriteEdge())
    {
        TRACE_ERROR(QStringLiteral("Can't open gpio edge file ") + edgeFile.fileName());
        return;
    }
    ready = true;
}

CLASS_UTILS_GPIO_EVENT::~CLASS_UTILS_GPIO_EVENT()
{
    // The notifier goes before the value file closes, so it never watches a closed descriptor.
    delete notifier;
    notifier = nullptr;
}

void CLASS_UTILS_GPIO_EVENT::SetEdge(bool risingEdge, bool fallingEdge)
{
    if (!ready)
    {
        return;
    }
    rising = risingEdge;
    falling = fallingEdge;
    if (!WriteEdge())
    {
        TRACE_ERROR(QStringLiteral("Can't open gpio edge file ") + edgeFile.fileName());
    }
}

bool CLASS_UTILS_GPIO_EVENT::WriteEdge()
{
    if (!edgeFile.open(QIODevice::WriteOnly))
    {
        return false;
    }
    edgeFile.write(EdgeText(rising, falling));
    edgeFile.close();
    return true;
}

void CLASS_UTILS_GPIO_EVENT::SetDebounceTime(Word time)
{
    debounceTime = time;
}

void CLASS_UTILS_GPIO_EVENT::StartWatching()
{
    if (!ready)
    {
        return;
    }
    StopWatching();
    if (!notificationFile.open(QIODevice::ReadOnly))
    {
        TRACE_ERROR(QStringLiteral("Can't open gpio value file ") + notificationFile.fileName());
        return;
    }
    // Reading the value once arms the first edge notification.
    notificationFile.readAll();
    notifier = new QSocketNotifier(notificationFile.handle(), QSocketNotifier::Exception, this);
    connect(notifier, DescriptorActivated(&QSocketNotifier::activated), this,
            [this](QSocketDescriptor descriptor) { SLOT_NewNotifierEvent(SDWord(qintptr(descriptor))); });
}

void CLASS_UTILS_GPIO_EVENT::StopWatching()
{
    if (notifier == nullptr)
    {
        return;
    }
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
    notificationFile.close();
}

void CLASS_UTILS_GPIO_EVENT::ReadGpioState()
{
    NewDebounceTimerEvent();
}

void CLASS_UTILS_GPIO_EVENT::SLOT_NewNotifierEvent(SDWord)
{
    // Reading the value again re-arms the notification.
    notificationFile.seek(0);
    notificationFile.readAll();
    if (debounceTime == 0)
    {
        NewDebounceTimerEvent();
        return;
    }
    if (debounceTimer == nullptr)
    {
        debounceTimer = new QTimer(this);
        debounceTimer->setSingleShot(true);
        debounceTimer->setInterval(debounceTime);
        connect(debounceTimer, &QTimer::timeout, this, &CLASS_UTILS_GPIO_EVENT::NewDebounceTimerEvent,
                Qt::QueuedConnection);
    }
    // Every edge within the debounce time starts the wait again: only the last one leads to a reading.
    debounceTimer->start(debounceTime);
}

void CLASS_UTILS_GPIO_EVENT::NewDebounceTimerEvent()
{
    bool converted = false;
    Word value = 0;
    if (readingFile.open(QIODevice::ReadOnly))
    {
        value = readingFile.readAll().trimmed().toUShort(&converted, 10);
        readingFile.close();
    }
    if (!converted)
    {
        TRACE_ERROR(QStringLiteral("Failed to convert GPIO value to Bool in: ") + readingFile.fileName());
        if (falling)
        {
            emit SIGNAL_NewGpioEvent(false);
        }
    }
    else
    {
        const bool high = value == 1;
        if (rising && falling)
        {
            emit SIGNAL_NewGpioEvent(high);
        }
        else if (rising && high)
        {
            emit SIGNAL_NewGpioEvent(true);
        }
        else if (falling && !high)
        {
            emit SIGNAL_NewGpioEvent(false);
        }
    }
    if (debounceTimer != nullptr && !debounceTimer->isActive())
    {
        delete debounceTimer;
        debounceTimer = nullptr;
    }
}
