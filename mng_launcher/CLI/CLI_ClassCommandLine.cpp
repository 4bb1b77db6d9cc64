#include "CLI/CLI_ClassCommandLine.h"

#include "CLI/CLI_ClassCommandSet.h"

#include "DEVICE/DEVICE_ClassMinisign.h"
#include "DEVICE/DEVICE_ClassServerAddress.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Constants.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_ClassProxyFactory.h"

#include <QFile>
#include <QTextStream>

namespace
{
// The options QGuiApplication and QApplication read from the command line themselves.
const char* const QT_OPTIONS_WITH_VALUE[] = {"platform",        "platformpluginpath",
                                             "platformtheme",   "plugin",
                                             "qwindowgeometry", "qwindowicon",
                                             "qwindowtitle",    "display",
                                             "geometry",        "style",
                                             "stylesheet",      "session"};
const char* const QT_FLAGS[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
// A public key file holds two short lines.
constexpr qint64 MAX_KEY_FILE_BYTES = 4096;
} // namespace

CLASS_COMMAND_LINE::CLASS_COMMAND_LINE()
    : helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help and ends.")),
      versionOption({QStringLiteral("v"), QStringLiteral("version")},
                    QStringLiteral("Shows the launcher's version and ends.")),
      updateServerOption(QStringLiteral("update-server"),
                         QStringLiteral("Asks the update server at <URL> for packages and launcher updates "
                                        "(default: %1; the %2 environment variable also sets it).")
                             .arg(CLASS_SERVER_ADDRESS::BuiltInServer(),
                                  QString::fromLatin1(CLASS_SERVER_ADDRESS::SERVER_VARIABLE)),
                         QStringLiteral("URL")),
      trustedKeyOption(
          QStringLiteral("trusted-key"),
          QStringLiteral("Trusts the minisign public key in <file.pub> for signed package indexes "
                         "and archives, besides the built-in keys and those of the trust folder "
                         "(may be given several times)."),
          QStringLiteral("file.pub")),
      requireSignedOption(QStringLiteral("require-signed"),
                          QStringLiteral("Refuses packages that no signed index or signature vouches for.")),
      proxyOption(
          QStringLiteral("proxy"),
          QStringLiteral("Sends every request through the proxy at <URL> (http://host:port or "
                         "socks5://host:port; default: http_proxy, https_proxy and no_proxy, in lower or "
                         "upper case)."),
          QStringLiteral("URL"))
{
    parser.setApplicationDescription(QStringLiteral("%1 %2: creates, configures and runs simulated devices.")
                                         .arg(LAUNCHER_TITLE, LAUNCHER_VERSION));
    // Qt's window options are written with one dash (-platform offscreen).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addOption(updateServerOption);
    parser.addOption(trustedKeyOption);
    parser.addOption(requireSignedOption);
    parser.addOption(proxyOption);
    CLASS_COMMAND_SET::AddOptions(parser);
    AddQtWindowOptions();
}

int CLASS_COMMAND_LINE::Process(const QStringList& arguments, QTextStream& output, QTextStream& errors)
{
    if (!parser.parse(arguments))
    {
        return UsageError(parser.errorText(), errors);
    }
    if (parser.isSet(helpOption))
    {
        output << parser.helpText() << CLASS_COMMAND_SET::ExitCodesText();
        return EXIT_DONE;
    }
    QString reason;
    if (!CLASS_COMMAND_SET::Read(parser, command, reason))
    {
        return UsageError(reason, errors);
    }
    if (parser.isSet(versionOption))
    {
        output << LAUNCHER_TITLE << ' ' << LAUNCHER_VERSION << '\n';
        return EXIT_DONE;
    }
    if (!ApplyUpdateServer(errors) || !ApplyTrust(errors) || !ApplyProxy(errors))
    {
        return EXIT_USAGE;
    }
    return command.kind == CLI_COMMAND_KIND::None ? START_WINDOW : RUN_COMMAND;
}

bool CLASS_COMMAND_LINE::ApplyTrust(QTextStream& errors)
{
    QStringList keys;
    for (const QString& path : parser.values(trustedKeyOption))
    {
        QFile file(path);
        MINISIGN_PUBLIC_KEY key;
        QString reason = QStringLiteral("cannot be read");
        const QByteArray text = file.open(QIODevice::ReadOnly) ? file.read(MAX_KEY_FILE_BYTES) : QByteArray();
        if (text.isEmpty() || !CLASS_MINISIGN::ParsePublicKey(text, key, &reason))
        {
            UsageError(QStringLiteral("--trusted-key %1: %2.").arg(path, reason), errors);
            return false;
        }
        keys.append(QString::fromUtf8(text));
    }
    CLASS_TRUST_STORE::SetCommandLineKeys(keys);
    CLASS_TRUST_STORE::SetRequireSigned(parser.isSet(requireSignedOption));
    command.trustedKeys = keys;
    command.requireSigned = parser.isSet(requireSignedOption);
    return true;
}

void CLASS_COMMAND_LINE::AddQtWindowOptions()
{
    for (const char* name : QT_OPTIONS_WITH_VALUE)
    {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QT_FLAGS)
    {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

int CLASS_COMMAND_LINE::UsageError(const QString& message, QTextStream& errors) const
{
    errors << message << '\n' << QStringLiteral("Try --help for the options.") << '\n';
    return EXIT_USAGE;
}

bool CLASS_COMMAND_LINE::ApplyUpdateServer(QTextStream& errors)
{
    const QString fromEnvironment = qEnvironmentVariable(CLASS_SERVER_ADDRESS::SERVER_VARIABLE).trimmed();
    if (!fromEnvironment.isEmpty() && !CLASS_SERVER_ADDRESS::IsValid(fromEnvironment))
    {
        errors << QStringLiteral("%1 is not an http or https address and is ignored: %2")
                      .arg(QString::fromLatin1(CLASS_SERVER_ADDRESS::SERVER_VARIABLE), fromEnvironment)
               << '\n';
    }
    const QString fromCommandLine = parser.value(updateServerOption).trimmed();
    if (parser.isSet(updateServerOption) && !CLASS_SERVER_ADDRESS::SetServer(fromCommandLine))
    {
        UsageError(
            QStringLiteral("--update-server needs an http or https address, not '%1'.").arg(fromCommandLine),
            errors);
        return false;
    }
    return true;
}

bool CLASS_COMMAND_LINE::ApplyProxy(QTextStream& errors)
{
    const QString proxy = parser.value(proxyOption).trimmed();
    if (parser.isSet(proxyOption) && !CLASS_PROXY_FACTORY::IsValidProxy(proxy))
    {
        UsageError(
            QStringLiteral("--proxy needs an http or socks5 address, not '%1'.").arg(WithoutUserInfo(proxy)),
            errors);
        return false;
    }
    CLASS_PROXY_FACTORY::Install(proxy);
    return true;
}
