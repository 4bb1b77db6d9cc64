#ifndef DEVICE_SINGLEINSTANCELOCK_H
#define DEVICE_SINGLEINSTANCELOCK_H

#include <QString>

class QObject;

// The lock that keeps a second copy of the same user from running over the same sessions: held by the
// window's application object, or by a command that works without a window.

// Takes the lock for holder, which keeps it until it is destroyed; true when it was free
// (platform layer: TakeSingleInstanceLock).
bool TakeSingleInstanceLock(QObject* holder);

// The lock file on Linux: "Tarvo4kSimulator.lock" in the sessions root, a folder of the user's own that
// does not depend on TMPDIR.
QString SingleInstanceLockPath();

#endif // DEVICE_SINGLEINSTANCELOCK_H
