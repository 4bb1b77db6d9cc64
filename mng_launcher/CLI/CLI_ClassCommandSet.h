#ifndef CLI_CLASSCOMMANDSET_H
#define CLI_CLASSCOMMANDSET_H

#include "CLI/CLI_CommandTypes.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>

// The commands of the launcher's command line (--list, --install, --start, ...): their options on the
// launcher's parser, the check of their values, and their form on the control socket.
class CLASS_COMMAND_SET
{
public:
    // Adds every command option, --json, --refresh and the commands' values to the parser.
    static void AddOptions(QCommandLineParser& parser);
    // The command of a parsed command line; kind None when it names none (the window starts). False with
    // a reason on a usage error: two commands, a wrong number of values, --json or --refresh where they
    // mean nothing, values without a command.
    static bool Read(const QCommandLineParser& parser, CLI_COMMAND& command, QString& reason);
    // The exit codes, for the help text.
    static QString ExitCodesText();
    // --list, --packages and --status only read.
    static bool IsReading(CLI_COMMAND_KIND kind);

    // The option name of a command ("list", "install-file"); empty for None.
    static QString KindName(CLI_COMMAND_KIND kind);
    // A command as it travels to a running launcher, and back; an unknown name gives kind None.
    static QJsonObject ToJson(const CLI_COMMAND& command);
    static CLI_COMMAND FromJson(const QJsonObject& object);
    // File and folder values made absolute against the current folder, so that another process reads
    // them alike.
    static void MakePathsAbsolute(CLI_COMMAND& command);
};

#endif // CLI_CLASSCOMMANDSET_H
