#ifndef CLI_COMMANDTYPES_H
#define CLI_COMMANDTYPES_H

#include "DEVICE/DEVICE_RunResult.h"

#include <QString>
#include <QStringList>

#include <functional>

// Exit codes of every command.

enum CLI_EXIT_CODE
{
    EXIT_DONE = 0,      // the command did what it was asked
    EXIT_USAGE = 1,     // unknown option, missing or extra argument, a version that is none
    EXIT_NOT_FOUND = 2, // no such session, version or file
    EXIT_REFUSED = 3,   // already running, limit, unsafe archive, folder or file exists, ambiguous name
    EXIT_FAILED = 4,    // network, checksum, signature, extraction, disk
};

// The commands of the command line; None starts the window.
enum class CLI_COMMAND_KIND
{
    None,
    List,
    Packages,
    Status,
    Install,
    Remove,
    InstallFile,
    Export,
    Import,
    Start,
    Stop,
    Diagnostics,
};

// One parsed command line.
struct CLI_COMMAND
{
    CLI_COMMAND_KIND kind = CLI_COMMAND_KIND::None;
    QStringList arguments; // the command's own values (versions, session, folder, file)
    bool json = false;     // --json: one JSON document on standard output
    bool refresh = false;  // --refresh: download the catalogue before listing it
    QString server;        // the update server the command chose (--update-server, TARVO_UPDATE_SERVER)
    // --trusted-key (the texts of the .pub files, so that a launcher reached over the control socket reads
    // the same keys) and --require-signed: they go with the command wherever it runs.
    QStringList trustedKeys;
    bool requireSigned = false;
};

// What a command ends with: its exit code, what goes to standard output, and the one line for standard
// error when it was refused or failed.
struct CLI_RESULT
{
    int exitCode = EXIT_DONE;
    QString output;
    QString error;

    static CLI_RESULT Done(const QString& output = QString()) { return {EXIT_DONE, output, QString()}; }
    static CLI_RESULT Fail(int code, const QString& error) { return {code, QString(), error}; }
    // A run control result that was not done, as a command reports it: its reason on one line.
    static CLI_RESULT Refusal(const RUN_RESULT& result)
    {
        return Fail(ExitCode(result), result.reason.simplified());
    }
    // A back-end result as it is: its output when done, else its reason with the matching exit code.
    static CLI_RESULT Of(const RUN_RESULT& result)
    {
        return result.IsDone() ? Done(result.output) : Fail(ExitCode(result), result.reason);
    }
    static int ExitCode(const RUN_RESULT& result)
    {
        return result.outcome == RUN_RESULT::OUTCOME::Done       ? EXIT_DONE
               : result.outcome == RUN_RESULT::OUTCOME::NotFound ? EXIT_NOT_FOUND
               : result.outcome == RUN_RESULT::OUTCOME::Refused  ? EXIT_REFUSED
                                                                 : EXIT_FAILED;
    }
};

// Progress of a long command: the package concerned, a status text and a value (0 to 100; negative when
// only the text changed).
using CLI_PROGRESS = std::function<void(const QString& package, const QString& text, int value)>;

#endif // CLI_COMMANDTYPES_H
