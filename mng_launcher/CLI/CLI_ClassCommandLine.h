#ifndef CLI_CLASSCOMMANDLINE_H
#define CLI_CLASSCOMMANDLINE_H

#include "CLI/CLI_CommandTypes.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

class QTextStream;

// The launcher's command line. Without options the window starts; --help and --version print and end;
// --update-server sets the update server's address for this run, --trusted-key and --require-signed what
// this run trusts (for the window and for a command, also one handed to a running launcher), --proxy the
// proxy of every request (instead of http_proxy, https_proxy and no_proxy); a command (--list, --install,
// --start, ..., CLASS_COMMAND_SET) runs without a window. Qt's own window options (-platform,
// -style, ...) are accepted and left to the application object.
class CLASS_COMMAND_LINE
{
public:
    // Exit codes of a command line that does not start the window (those of every command).
    static constexpr int EXIT_DONE = ::EXIT_DONE;
    static constexpr int EXIT_USAGE = ::EXIT_USAGE;
    // Returned by Process when the window is to start.
    static constexpr int START_WINDOW = -1;
    // Returned by Process when a command is to run (Command() tells which).
    static constexpr int RUN_COMMAND = -2;

    CLASS_COMMAND_LINE();

    // Reads the arguments (the first is the program), applies the settings they give and prints what a
    // command prints to output, and usage errors and warnings to errors. Returns START_WINDOW, or the exit
    // code. Printing the help needs an application object.
    int Process(const QStringList& arguments, QTextStream& output, QTextStream& errors);

    // The command that Process found.
    const CLI_COMMAND& Command() const { return command; }

private:
    QCommandLineParser parser;
    QCommandLineOption helpOption;
    QCommandLineOption versionOption;
    QCommandLineOption updateServerOption;
    QCommandLineOption trustedKeyOption;
    QCommandLineOption requireSignedOption;
    QCommandLineOption proxyOption;
    CLI_COMMAND command;

    void AddQtWindowOptions();
    int UsageError(const QString& message, QTextStream& errors) const;
    bool ApplyUpdateServer(QTextStream& errors);
    // Reads the key files of --trusted-key; false (a usage error printed) when one is no minisign key.
    bool ApplyTrust(QTextStream& errors);
    // Makes the proxy of the environment, or of --proxy, the one of every request.
    bool ApplyProxy(QTextStream& errors);
};

#endif // CLI_CLASSCOMMANDLINE_H
