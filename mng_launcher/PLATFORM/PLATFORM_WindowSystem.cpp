#include "PLATFORM/PLATFORM_Platform.h"

#include <QByteArray>

#ifndef Q_OS_WIN
#include <fontconfig/fontconfig.h>

#include <future>
#include <system_error>
#endif

namespace PLATFORM
{
namespace
{
#ifndef Q_OS_WIN
const char* const GL_INTEGRATION_VARIABLE = "QT_XCB_GL_INTEGRATION";
// Set while the launcher's own request stands (never when the user had chosen an integration).
bool skipRequested = false;
// fontconfig is thread-safe: a lookup that comes first still loads the configuration itself, and the
// one loaded second is dropped.
std::future<void> fontConfiguration;
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

void LoadFontConfigurationAhead()
{
#ifndef Q_OS_WIN
    if (fontConfiguration.valid())
    {
        return;
    }
    try
    {
        fontConfiguration = std::async(std::launch::async, []() { FcInit(); });
    }
    catch (const std::system_error&)
    {
        // No thread to spare: the first font lookup loads the configuration, as without this call.
    }
#endif
}

void AwaitFontConfiguration()
{
#ifndef Q_OS_WIN
    if (fontConfiguration.valid())
    {
        fontConfiguration.wait();
    }
#endif
}
} // namespace PLATFORM
