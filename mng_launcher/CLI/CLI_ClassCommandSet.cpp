#include "CLI/CLI_ClassCommandSet.h"

#include <QCommandLineOption>
#include <QFileInfo>
#include <QJsonArray>
#include <QList>

namespace
{
struct COMMAND_OPTION
{
    CLI_COMMAND_KIND kind;
    const char* name;
    const char* values; // how the values read in the help text
    const char* description;
    int minimumValues;
    int maximumValues; // -1: no limit
};

const QList<COMMAND_OPTION>& CommandOptions()
{
    static const QList<COMMAND_OPTION> options = {
        {CLI_COMMAND_KIND::List, "list", "",
         "Lists every session: folder, name, description, model, version, "
         "installed or not, port, running or not.",
         0, 0},
        {CLI_COMMAND_KIND::Packages, "packages", "",
         "Lists the catalogue's packages (its local copy) with their installed flag and folder.", 0, 0},
        {CLI_COMMAND_KIND::Status, "status", "", "Tells which session runs, if any.", 0, 0},
        {CLI_COMMAND_KIND::Install, "install", "<version>...",
         "Installs simulator packages from the update server.", 1, -1},
        {CLI_COMMAND_KIND::Remove, "remove", "<version>...", "Removes installed simulator packages.", 1, -1},
        {CLI_COMMAND_KIND::InstallFile, "install-file", "<archive.zip>",
         "Installs a package archive TARVO_<version>.zip from a file (checked against its signature "
         "<archive>.minisig, else a .sha256 file, beside it when there is one).",
         1, 1},
        {CLI_COMMAND_KIND::Export, "export", "<session> <folder>",
         "Exports a session into <folder>/<session folder>.zip.", 2, 2},
        {CLI_COMMAND_KIND::Import, "import", "<archive.zip>", "Imports a session archive.", 1, 1},
        {CLI_COMMAND_KIND::Start, "start", "<session>",
         "Starts a session's simulator. Without a running launcher the command keeps running, without "
         "a window, until --stop or SIGTERM/SIGINT.",
         1, 1},
        {CLI_COMMAND_KIND::Stop, "stop", "[<session>]", "Stops the running simulator.", 0, 1},
        {CLI_COMMAND_KIND::Diagnostics, "diagnostics", "<file.zip>",
         "Writes a support bundle: logs of this and the previous run, state file, catalogue copy, every "
         "session's settings.ini, installed packages, trusted keys and pinned servers, versions.",
         1, 1},
    };
    return options;
}

const QString JSON_OPTION = QStringLiteral("json");
const QString REFRESH_OPTION = QStringLiteral("refresh");
const QString SERVER_KEY = QStringLiteral("server");
const QString TRUSTED_KEYS_KEY = QStringLiteral("trustedKeys");
const QString REQUIRE_SIGNED_KEY = QStringLiteral("requireSigned");

const char* const EXIT_CODES_TEXT = "\nExit codes:\n"
                                    "  0  done\n"
                                    "  1  usage error (also a <version> that is not digits and dots)\n"
                                    "  2  no such session, version or file\n"
                                    "  3  refused (already running, one session already running, limit,\n"
                                    "     unsafe archive, folder or file exists, ambiguous session name)\n"
                                    "  4  failed (network, checksum, signature, extraction, disk)\n"
                                    "\n<session> is a session's folder name or its name. With a launcher\n"
                                    "running for this user, --install, --remove, --install-file, --export,\n"
                                    "--import, --start, --stop and --diagnostics go to it and its window\n"
                                    "follows; otherwise the command does the work itself.\n";

bool IsReadingKind(CLI_COMMAND_KIND kind)
{
    return kind == CLI_COMMAND_KIND::List || kind == CLI_COMMAND_KIND::Packages ||
           kind == CLI_COMMAND_KIND::Status;
}

bool CheckValues(const CLI_COMMAND& command, QString& reason)
{
    if (command.json && !IsReadingKind(command.kind))
    {
        reason = QStringLiteral("--json goes with --list, --packages or --status.");
        return false;
    }
    if (command.refresh && command.kind != CLI_COMMAND_KIND::Packages)
    {
        reason = QStringLiteral("--refresh goes with --packages.");
        return false;
    }
    if (command.arguments.contains(QString()))
    {
        reason = QStringLiteral("An empty value was given.");
        return false;
    }
    for (const COMMAND_OPTION& option : CommandOptions())
    {
        const int count = command.arguments.size();
        if (option.kind == command.kind &&
            (count < option.minimumValues || (option.maximumValues >= 0 && count > option.maximumValues)))
        {
            const QString values = QString::fromUtf8(option.values);
            reason =
                QStringLiteral("--") + QString::fromLatin1(option.name) +
                (values.isEmpty() ? QStringLiteral(" takes no value.") : QStringLiteral(" takes ") + values);
            return false;
        }
    }
    return true;
}
} // namespace

void CLASS_COMMAND_SET::AddOptions(QCommandLineParser& parser)
{
    for (const COMMAND_OPTION& option : CommandOptions())
    {
        QString description = QString::fromUtf8(option.description);
        const QString values = QString::fromUtf8(option.values);
        if (!values.isEmpty())
        {
            description = values + QStringLiteral("  ") + description;
        }
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.name), description));
    }
    parser.addOption(QCommandLineOption(
        JSON_OPTION,
        QStringLiteral("With --list, --packages, --status: one JSON document on standard output.")));
    parser.addOption(QCommandLineOption(
        REFRESH_OPTION, QStringLiteral("With --packages: download the catalogue before listing it.")));
    parser.addPositionalArgument(QStringLiteral("values"), QStringLiteral("The command's values."),
                                 QStringLiteral("[values...]"));
}

bool CLASS_COMMAND_SET::Read(const QCommandLineParser& parser, CLI_COMMAND& command, QString& reason)
{
    command = CLI_COMMAND();
    QStringList chosen;
    for (const COMMAND_OPTION& option : CommandOptions())
    {
        if (parser.isSet(QString::fromLatin1(option.name)))
        {
            command.kind = option.kind;
            chosen.append(QStringLiteral("--") + QString::fromLatin1(option.name));
        }
    }
    command.arguments = parser.positionalArguments();
    command.json = parser.isSet(JSON_OPTION);
    command.refresh = parser.isSet(REFRESH_OPTION);
    if (chosen.size() > 1)
    {
        reason = QStringLiteral("One command at a time: ") + chosen.join(QStringLiteral(", "));
        return false;
    }
    if (command.kind == CLI_COMMAND_KIND::None)
    {
        if (command.json || command.refresh)
        {
            reason = QStringLiteral("--json and --refresh go with a command.");
            return false;
        }
        if (!command.arguments.isEmpty())
        {
            reason = QStringLiteral("Unexpected argument '%1'.").arg(command.arguments.first());
            return false;
        }
        return true;
    }
    return CheckValues(command, reason);
}

QString CLASS_COMMAND_SET::ExitCodesText()
{
    return QString::fromUtf8(EXIT_CODES_TEXT);
}

bool CLASS_COMMAND_SET::IsReading(CLI_COMMAND_KIND kind)
{
    return IsReadingKind(kind);
}

QString CLASS_COMMAND_SET::KindName(CLI_COMMAND_KIND kind)
{
    for (const COMMAND_OPTION& option : CommandOptions())
    {
        if (option.kind == kind)
        {
            return QString::fromLatin1(option.name);
        }
    }
    return QString();
}

QJsonObject CLASS_COMMAND_SET::ToJson(const CLI_COMMAND& command)
{
    return QJsonObject{{QStringLiteral("command"), KindName(command.kind)},
                       {QStringLiteral("arguments"), QJsonArray::fromStringList(command.arguments)},
                       {JSON_OPTION, command.json},
                       {REFRESH_OPTION, command.refresh},
                       {SERVER_KEY, command.server},
                       {TRUSTED_KEYS_KEY, QJsonArray::fromStringList(command.trustedKeys)},
                       {REQUIRE_SIGNED_KEY, command.requireSigned}};
}

CLI_COMMAND CLASS_COMMAND_SET::FromJson(const QJsonObject& object)
{
    CLI_COMMAND command;
    const QString name = object.value(QStringLiteral("command")).toString();
    for (const COMMAND_OPTION& option : CommandOptions())
    {
        if (name == QLatin1String(option.name))
        {
            command.kind = option.kind;
        }
    }
    for (const QJsonValue& value : object.value(QStringLiteral("arguments")).toArray())
    {
        command.arguments.append(value.toString());
    }
    command.json = object.value(JSON_OPTION).toBool();
    command.refresh = object.value(REFRESH_OPTION).toBool();
    command.server = object.value(SERVER_KEY).toString();
    for (const QJsonValue& value : object.value(TRUSTED_KEYS_KEY).toArray())
    {
        command.trustedKeys.append(value.toString());
    }
    command.requireSigned = object.value(REQUIRE_SIGNED_KEY).toBool();
    return command;
}

void CLASS_COMMAND_SET::MakePathsAbsolute(CLI_COMMAND& command)
{
    int first = -1;
    switch (command.kind)
    {
    case CLI_COMMAND_KIND::Export:
        first = 1;
        break;
    case CLI_COMMAND_KIND::Import:
    case CLI_COMMAND_KIND::InstallFile:
    case CLI_COMMAND_KIND::Diagnostics:
        first = 0;
        break;
    default:
        return;
    }
    for (int i = first; i < command.arguments.size(); ++i)
    {
        command.arguments[i] = QFileInfo(command.arguments.at(i)).absoluteFilePath();
    }
}
