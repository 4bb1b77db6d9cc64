#ifndef CLI_CLASSINSTANCELOCK_H
#define CLI_CLASSINSTANCELOCK_H

#include <QObject>

// The launcher's single-instance lock, held by a command that does its work itself because no launcher
// runs for this user: the same lock as the window's, so that neither starts while the other works.
class CLASS_INSTANCE_LOCK : public QObject
{
public:
    CLASS_INSTANCE_LOCK() = default;

    // True when the lock was free and is now held until this object goes.
    bool Take();
};

#endif // CLI_CLASSINSTANCELOCK_H
