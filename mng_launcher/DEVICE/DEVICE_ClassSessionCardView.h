#ifndef DEVICE_CLASSSESSIONCARDVIEW_H
#define DEVICE_CLASSSESSIONCARDVIEW_H

#include <QString>

// What the session back end sees of one card of the sessions list: name, LED, device model, web port
// and version of a session.
class CLASS_SESSION_CARD_VIEW
{
public:
    // LED states given by the session back end.
    enum LED_STATE
    {
        LED_RUNNING = 0,
        LED_WAITING = 1,
        LED_STOPPED = 2,
    };

    virtual ~CLASS_SESSION_CARD_VIEW() = default;

    virtual void SetLedState(int state) = 0;
    virtual int GetLedState() const = 0;
    virtual QString GetName() const = 0;
    virtual void SetName(const QString& name) = 0;
    virtual QString GetPort() const = 0;
    virtual void SetPort(int port) = 0;
    // The device label becomes "Tarvo 4k " followed by the model name.
    virtual void SetDevice(const QString& name) = 0;
    virtual QString GetDevice() const = 0;
    virtual void SetVersion(const QString& version) = 0;
    virtual QString GetVersion() const = 0;
};

#endif // DEVICE_CLASSSESSIONCARDVIEW_H
