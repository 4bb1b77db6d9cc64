#include "PLATFORM/PLATFORM_Platform.h"

#include <QSharedMemory>

namespace PLATFORM
{
void PrepareSingleInstanceLock(QSharedMemory& lock)
{
#ifdef Q_OS_WIN
    // Windows removes a segment with its last holder, also after a crash.
    Q_UNUSED(lock);
#else
    // On Unix a segment outlives a crashed holder. Attaching and detaching lets the last detach
    // remove such a stale segment; a live first copy stays attached and keeps it.
    if (lock.attach())
    {
        lock.detach();
    }
#endif
}
} // namespace PLATFORM
