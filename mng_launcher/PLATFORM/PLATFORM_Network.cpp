#include "PLATFORM/PLATFORM_Platform.h"

#include <QHostAddress>
#include <QTcpServer>

namespace PLATFORM
{
bool IsPortFree(quint16 port)
{
    if (port == 0)
    {
        return false;
    }
    // Binding and releasing at once answers for this moment only; the simulator binds the same way
    // (address reuse allowed, so connections of a previous run in TIME_WAIT do not count).
    QTcpServer probe;
    const bool bound = probe.listen(QHostAddress(QHostAddress::LocalHost), port);
    probe.close();
    return bound;
}
} // namespace PLATFORM
