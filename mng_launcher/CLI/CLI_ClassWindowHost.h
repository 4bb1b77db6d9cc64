#ifndef CLI_CLASSWINDOWHOST_H
#define CLI_CLASSWINDOWHOST_H

#include "CLI/CLI_ClassSessionHost.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class CLASS_COMMAND_EXECUTOR;
class CLASS_CONTROL_SERVER;
class CLASS_MAIN_BACKEND;

// The launcher's window as the host of the commands that reach it over the control socket: a command
// acts through the window's session back end, so that its cards, LEDs and lists follow.
class CLASS_WINDOW_HOST : public QObject, public CLASS_SESSION_HOST
{
    Q_OBJECT

public:
    // Serves the control socket for the window's session back end; goes with its parent, the window.
    // packageManagerOpen tells whether the window's package manager is open (a package command waits).
    CLASS_WINDOW_HOST(CLASS_MAIN_BACKEND* backend, std::function<bool()> packageManagerOpen, QObject* parent);
    ~CLASS_WINDOW_HOST() override;

    // Starts listening; false (logged) when the socket could not be opened.
    bool Listen();

    QString Kind() const override;
    QStringList RunningFolders() const override;
    CLI_RESULT Start(const CLI_SESSION_INFO& session) override;
    CLI_RESULT Stop(const QString& folderName) override;
    void SessionImported(const QString& folderName) override;
    CLI_RESULT CanChangePackages() const override;
    CLASS_TARVO_VERSION_INFO* VersionInfo() override;
    void PackagesChanged() override;

private:
    // Index of the session of that folder name in the window's list, -1 when none.
    int IndexOf(const QString& folderName) const;

    QPointer<CLASS_MAIN_BACKEND> backend;
    std::function<bool()> packageManagerOpen;
    std::unique_ptr<CLASS_COMMAND_EXECUTOR> executor;
    CLASS_CONTROL_SERVER* server;
};

#endif // CLI_CLASSWINDOWHOST_H
