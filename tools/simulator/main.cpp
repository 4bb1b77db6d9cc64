// ZR_APP_SIMULATOR: stand-in for the simulator program of a package. Started by the launcher with a
// session folder as its single argument, it reads the session's settings.ini and serves the device's web
// page on 127.0.0.1:PORT until the page asks for a shut down (exit code 0) or a reboot (exit code 1).

#include "SIM_ClassDeviceState.h"
#include "SIM_ClassSessionSettings.h"
#include "SIM_ClassWebServer.h"

#include <QString>

#include <cstdio>

namespace
{
// Exit codes of bad input; 0 and 1 belong to shut down and reboot.
constexpr int EXIT_USAGE = 2;         // no session folder given, or it does not exist
constexpr int EXIT_SETTINGS = 3;      // settings.ini missing, unreadable or malformed
constexpr int EXIT_PORT_INVALID = 4;  // PORT missing or not a port number
constexpr int EXIT_PORT_TAKEN = 5;    // another program holds 127.0.0.1:PORT
constexpr int EXIT_SERVER_FAILED = 6; // the server stopped without a request

int Fail(int code, const QString& text)
{
    std::fprintf(stderr, "ZR_APP_SIMULATOR: %s\n", qUtf8Printable(text));
    return code;
}

int ExitCodeOf(CLASS_SIMULATOR_SETTINGS::Result result)
{
    switch (result)
    {
    case CLASS_SIMULATOR_SETTINGS::Result::FolderMissing:
        return EXIT_USAGE;
    case CLASS_SIMULATOR_SETTINGS::Result::PortInvalid:
        return EXIT_PORT_INVALID;
    default:
        return EXIT_SETTINGS;
    }
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        return Fail(EXIT_USAGE, QStringLiteral("usage: ZR_APP_SIMULATOR <session folder>"));
    }
    CLASS_SIMULATOR_SETTINGS settings;
    const CLASS_SIMULATOR_SETTINGS::Result result = settings.Read(QString::fromLocal8Bit(argv[1]));
    if (result != CLASS_SIMULATOR_SETTINGS::Result::Ok)
    {
        return Fail(ExitCodeOf(result), settings.ErrorText());
    }

    CLASS_SIMULATOR_DEVICE device(settings.AudioCard());
    const QString webRoot = CLASS_SIMULATOR_SERVER::ChooseWebRoot(settings.SessionFolder());
    CLASS_SIMULATOR_SERVER server(settings, device, webRoot);
    if (!server.Bind())
    {
        return Fail(
            EXIT_PORT_TAKEN,
            QStringLiteral("port %1 on 127.0.0.1 is already in use by another program").arg(settings.Port()));
    }
    std::printf(
        "ZR_APP_SIMULATOR: %s (%s, version %s) listening on http://127.0.0.1:%u, web application: %s\n",
        qUtf8Printable(settings.Name()), qUtf8Printable(settings.DeviceModel()),
        qUtf8Printable(settings.Version()), static_cast<unsigned>(settings.Port()),
        qUtf8Printable(webRoot == CLASS_SIMULATOR_SERVER::BUILT_IN_WEB_ROOT ? QStringLiteral("built-in")
                                                                            : webRoot));
    std::fflush(stdout);

    const int code = server.Run();
    return code < 0 ? Fail(EXIT_SERVER_FAILED, QStringLiteral("the web server stopped unexpectedly")) : code;
}
