#ifndef DEVICE_CLASSDIAGNOSTICS_H
#define DEVICE_CLASSDIAGNOSTICS_H

#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_RunResult.h"

#include <QString>
#include <QStringList>

// The support bundle of --diagnostics: one zip archive with the log files of this and the previous run
// and of the last run of the window, the launcher's state file, the catalogue's local copy, every
// session's settings.ini, the names of the installed package folders, the trusted keys (their ids and
// where they come from) and the pinned servers, and the launcher, Qt and system versions. Only plain files
// are copied, never through a link, and the logs without the user info of any web address in them; the
// archive is made in a private folder and then written, 0600 as the logs are, to a name that must not exist.
class CLASS_DIAGNOSTICS
{
public:
    explicit CLASS_DIAGNOSTICS(const TARVO_VERSION_INFO_LOCATIONS& locations);

    RUN_RESULT Write(const QString& archivePath) const;

    // The log files of the two newest runs in the folder and of the newest run of the window before them
    // (every file whose name starts with their run number and "_", continuations included). The run whose
    // info log is ownInfoFile (this process's) is not taken for the window's.
    static QStringList NewestRunLogs(const QString& logFolder, const QString& ownInfoFile = QString());
    // The folder of this process's log files; empty when tracing is off.
    static QString LogFolder();

private:
    bool Collect(const QString& bundle) const;
    QString AboutText() const;
    // "Trusted keys:" and "Pinned servers:", one per line.
    QString TrustText() const;

    TARVO_VERSION_INFO_LOCATIONS locations;
};

#endif // DEVICE_CLASSDIAGNOSTICS_H
