#include "DEVICE/DEVICE_ClassServerAddress.h"

#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QUrl>

const char* const CLASS_SERVER_ADDRESS::SERVER_VARIABLE = "TARVO_UPDATE_SERVER";
const char* const CLASS_SERVER_ADDRESS::PROBE_VARIABLE = "TARVO_PROBE_URL";

namespace
{
QString WithoutTrailingSlashes(QString url)
{
    while (url.endsWith(QLatin1Char('/')))
    {
        url.chop(1);
    }
    return url;
}
} // namespace

QString CLASS_SERVER_ADDRESS::BuiltInServer()
{
    return WithoutTrailingSlashes(QStringLiteral(TARVO_UPDATE_SERVER));
}

bool CLASS_SERVER_ADDRESS::IsValid(const QString& url)
{
    const QUrl address(url);
    return UTILS::IsWebUrl(url) && !address.hasQuery() && !address.hasFragment();
}

bool CLASS_SERVER_ADDRESS::SetServer(const QString& url)
{
    if (!url.isEmpty() && !IsValid(url))
    {
        return false;
    }
    CommandLineServer() = WithoutTrailingSlashes(url.trimmed());
    return true;
}

QString CLASS_SERVER_ADDRESS::Server()
{
    const QString chosen = ChosenServer();
    return chosen.isEmpty() ? BuiltInServer() : chosen;
}

QString CLASS_SERVER_ADDRESS::ChosenServer()
{
    if (!CommandLineServer().isEmpty())
    {
        return CommandLineServer();
    }
    const QString fromEnvironment = qEnvironmentVariable(SERVER_VARIABLE).trimmed();
    return IsValid(fromEnvironment) ? WithoutTrailingSlashes(fromEnvironment) : QString();
}

QString CLASS_SERVER_ADDRESS::ProbeUrl()
{
    const QString fromEnvironment = qEnvironmentVariable(PROBE_VARIABLE).trimmed();
    if (IsValid(fromEnvironment))
    {
        return fromEnvironment;
    }
    // Configured without a probe of its own, the build's probe is the built-in server's root.
    const QString builtIn = QStringLiteral(TARVO_PROBE_URL);
    return WithoutTrailingSlashes(builtIn) == BuiltInServer() ? Server() + QLatin1Char('/') : builtIn;
}

QString CLASS_SERVER_ADDRESS::CatalogueUrl()
{
    return PackagesUrl() + QStringLiteral("tarvo4kpackages.ini");
}

QString CLASS_SERVER_ADDRESS::PackagesUrl()
{
    return Server() + QStringLiteral("/~ftp-xml/tarvo4ksimulator/");
}

QString CLASS_SERVER_ADDRESS::VersionFileUrl()
{
    return Server() + QStringLiteral("/~ftp-xml/ruvoraduridedi.json");
}

QString& CLASS_SERVER_ADDRESS::CommandLineServer()
{
    static QString address;
    return address;
}
