#ifndef CLI_CLASSSESSIONHOST_H
#define CLI_CLASSSESSIONHOST_H

#include "CLI/CLI_ClassSessionDirectory.h"
#include "CLI/CLI_CommandTypes.h"

#include <QString>
#include <QStringList>

class CLASS_TARVO_VERSION_INFO;

// What a command needs of the launcher that holds the sessions while it runs: the launcher's window (its
// session back end) or, without one, the command's own headless run control. The command checks and
// finds; the host acts on its back ends, so that a window follows what a command did.
class CLASS_SESSION_HOST
{
public:
    virtual ~CLASS_SESSION_HOST() = default;

    // "window" or "headless", as --status reports it.
    virtual QString Kind() const = 0;
    // Folder names of the sessions whose simulator runs.
    virtual QStringList RunningFolders() const = 0;
    // Starts the session's simulator; the run control's refusal when it cannot (another one runs, its
    // version is not installed, its port is taken, the program does not start).
    virtual CLI_RESULT Start(const CLI_SESSION_INFO& session) = 0;
    // Stops the simulator of a running session.
    virtual CLI_RESULT Stop(const QString& folderName) = 0;
    // A session folder was unpacked into the sessions root.
    virtual void SessionImported(const QString& folderName) = 0;
    // Done when packages may be installed or removed now; else the refusal.
    virtual CLI_RESULT CanChangePackages() const = 0;
    // The package catalogue the host's sessions use (the installer works on it).
    virtual CLASS_TARVO_VERSION_INFO* VersionInfo() = 0;
    // Packages were installed or removed.
    virtual void PackagesChanged() = 0;
};

#endif // CLI_CLASSSESSIONHOST_H
