#include "PLATFORM/PLATFORM_Platform.h"

#include <QByteArray>

namespace PLATFORM
{
namespace
{
#ifndef Q_OS_WIN
const char* const GL_INTEGRATION_VARIABLE = "QT_XCB_GL_INTEGRATION";
// Set while the launcher's own request stands (never when the user had chosen an integration).
bool skipRequested = false;
#endif
} // namespace

void SkipOpenGlIntegration()
{
#ifndef Q_OS_WIN
    if (skipRequested || qEnvironmentVariableIsSet(GL_INTEGRATION_VARIABLE))
    {
        return;
    }
    qputenv(GL_INTEGRATION_VARIABLE, QByteArrayLiteral("none"));
    skipRequested = true;
#endif
}

void RestoreOpenGlIntegration()
{
#ifndef Q_OS_WIN
    if (skipRequested)
    {
        qunsetenv(GL_INTEGRATION_VARIABLE);
        skipRequested = false;
    }
#endif
}
} // namespace PLATFORM
