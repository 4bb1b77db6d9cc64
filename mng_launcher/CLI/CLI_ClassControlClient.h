#ifndef CLI_CLASSCONTROLCLIENT_H
#define CLI_CLASSCONTROLCLIENT_H

#include "CLI/CLI_CommandTypes.h"

class QLocalSocket;

// The command side of the control socket: hands a command to the launcher that runs for this user and
// waits for its result, printing its progress lines as they come. It tries every place where the launcher
// may listen and talks only to a server of this user.
class CLASS_CONTROL_CLIENT
{
public:
    enum class OUTCOME
    {
        NoLauncher, // nothing listens: the command does its work itself
        Answered,   // result holds the launcher's answer
        Lost,       // the launcher went away or stopped answering; result says so
    };
    // Without a progress line or the result for this long, the launcher counts as not answering.
    static constexpr int INACTIVITY_LIMIT_MS = 120000;
    static constexpr int CONNECT_LIMIT_MS = 2000;

    static OUTCOME Send(const CLI_COMMAND& command, CLI_RESULT& result, const CLI_PROGRESS& progress);

private:
    // Connects socket to the first place where a server of this user answers.
    static bool ConnectToLauncher(QLocalSocket& socket);
};

#endif // CLI_CLASSCONTROLCLIENT_H
