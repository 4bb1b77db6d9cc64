#ifndef CLI_CLASSCOMMANDEXECUTOR_H
#define CLI_CLASSCOMMANDEXECUTOR_H

#include "CLI/CLI_ClassSessionDirectory.h"
#include "CLI/CLI_CommandTypes.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"

#include <QString>

class CLASS_SESSION_HOST;
class CLASS_TRUST_STORE;
struct INDEX_VERDICT;

// Runs one command on the launcher's own back ends (session settings, catalogue, installer, archives,
// run control): checks what the command names, then reads, or acts through the session host. In a
// command's own process (no window) or in the launcher that a command reached over the control socket.
class CLASS_COMMAND_EXECUTOR
{
public:
    // host: the launcher that holds the sessions, null for a reading command that runs alone. The
    // locations default to the launcher's own.
    explicit CLASS_COMMAND_EXECUTOR(
        CLASS_SESSION_HOST* host = nullptr,
        const TARVO_VERSION_INFO_LOCATIONS& locations = TARVO_VERSION_INFO_LOCATIONS());

    CLI_RESULT Execute(const CLI_COMMAND& command, const CLI_PROGRESS& progress = CLI_PROGRESS());

private:
    // Refused (exit 3) when the command asks the update server and chose another one than this process
    // asks; done otherwise.
    static CLI_RESULT ServerRefusal(const CLI_COMMAND& command);
    CLI_RESULT List(const CLI_COMMAND& command) const;
    CLI_RESULT Packages(const CLI_COMMAND& command) const;
    CLI_RESULT Status(const CLI_COMMAND& command) const;
    CLI_RESULT Start(const CLI_COMMAND& command);
    CLI_RESULT Stop(const CLI_COMMAND& command);
    CLI_RESULT Export(const CLI_COMMAND& command) const;
    CLI_RESULT Import(const CLI_COMMAND& command);
    CLI_RESULT Diagnostics(const CLI_COMMAND& command) const;
    CLI_RESULT Install(const CLI_COMMAND& command, const CLI_PROGRESS& progress);
    CLI_RESULT Remove(const CLI_COMMAND& command, const CLI_PROGRESS& progress);
    CLI_RESULT InstallFile(const CLI_COMMAND& command, const CLI_PROGRESS& progress);
    // False (a usage error in failure) when a value of the command is no version text.
    static bool CheckVersionArguments(const CLI_COMMAND& command, CLI_RESULT& failure);
    // Runs a job of the package installer (wanted: the versions to have; or, with archivePath, that file
    // for its version) and turns its status into a result.
    CLI_RESULT RunPackageJob(const CLI_COMMAND& command, const QStringList& wanted,
                             const QString& archivePath, const QString& version,
                             const CLI_PROGRESS& progress);
    // What a finished job changed, from the installed versions before and after it.
    QString ChangedPackages(const QStringList& before, const QStringList& after) const;
    // How a package of --packages is (installed) or would be (not installed) verified: "signed",
    // "checksum" or "none".
    static QString PackageTrust(const CLASS_TRUST_STORE& store, const INDEX_VERDICT& verdict,
                                const QString& version, bool installed, const QString& folder,
                                bool requireSigned);
    // The sessions on disk, with the running ones marked.
    CLASS_SESSION_DIRECTORY Directory() const;

    CLASS_SESSION_HOST* host;
    TARVO_VERSION_INFO_LOCATIONS locations;
};

#endif // CLI_CLASSCOMMANDEXECUTOR_H
