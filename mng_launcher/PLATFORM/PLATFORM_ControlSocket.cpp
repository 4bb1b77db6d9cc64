#include "PLATFORM/PLATFORM_Files.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace PLATFORM
{
QString ControlSocketName(bool makeFolder)
{
    const QString application = QCoreApplication::applicationName();
#ifdef Q_OS_WIN
    // A named pipe; the server's user access option restricts it to this user.
    return application + QStringLiteral(".control.") + qEnvironmentVariable("USERNAME");
#else
    // The session's runtime folder is the user's own; without one, a private folder of the user's cache.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
    {
        return runtime + QLatin1Char('/') + application + QStringLiteral(".control");
    }
    QString folder = PrivateCacheRoot() + QLatin1Char('/') + application;
    if (makeFolder ? MakePrivateCacheFolder(application, &folder) != PRIVATE_PLACE::Ready
                   : !QFileInfo(folder).isDir())
    {
        return QString();
    }
    return folder + QStringLiteral("/control");
#endif
}
} // namespace PLATFORM
