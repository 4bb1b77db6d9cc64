#ifndef CLI_COMMANDLINEMAIN_H
#define CLI_COMMANDLINEMAIN_H

#include "CLI/CLI_CommandTypes.h"

// Runs a command of the command line without a window (under the plain application object that read
// it) and returns the exit code: handed to the launcher that runs for this user when one answers on the
// control socket, else done here under the single-instance lock.
int RunCommand(const CLI_COMMAND& command);

#endif // CLI_COMMANDLINEMAIN_H
