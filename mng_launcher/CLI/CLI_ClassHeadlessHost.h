#ifndef CLI_CLASSHEADLESSHOST_H
#define CLI_CLASSHEADLESSHOST_H

#include "CLI/CLI_ClassSessionHost.h"

#include <QList>
#include <QObject>

#include <memory>

class CLASS_SESSION_RECORD;
class CLASS_SESSION_RUNNER;
class CLASS_TARVO_VERSION_INFO;

// The sessions without a window: a command that runs while no launcher does holds the single-instance
// lock and runs simulators through the launcher's own run control (start with the session folder,
// reboot on exit code 1, stop with the process tree), on records made from the sessions' saved settings.
class CLASS_HEADLESS_HOST : public QObject, public CLASS_SESSION_HOST
{
    Q_OBJECT

public:
    explicit CLASS_HEADLESS_HOST(const QString& applicationFolder, QObject* parent = nullptr);
    ~CLASS_HEADLESS_HOST() override;

    QString Kind() const override;
    QStringList RunningFolders() const override;
    CLI_RESULT Start(const CLI_SESSION_INFO& session) override;
    CLI_RESULT Stop(const QString& folderName) override;
    void SessionImported(const QString&) override {}
    CLI_RESULT CanChangePackages() const override { return CLI_RESULT::Done(); }
    CLASS_TARVO_VERSION_INFO* VersionInfo() override { return versionInfo.get(); }
    void PackagesChanged() override {}

    // Stops every simulator that runs (the command ends).
    void StopAll();

signals:
    // No simulator runs any more: it was stopped, or it ended by itself (a shutdown, a crash, too many
    // reboots). Emitted from the event loop, after a reboot has had its chance to start it again.
    void SIGNAL_NothingRuns();

private:
    void OnStateChanged(int sessionIndex, bool running);

    std::unique_ptr<CLASS_TARVO_VERSION_INFO> versionInfo;
    QList<CLASS_SESSION_RECORD*> records;
    CLASS_SESSION_RUNNER* runner;
};

#endif // CLI_CLASSHEADLESSHOST_H
