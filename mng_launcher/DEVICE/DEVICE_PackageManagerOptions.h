#ifndef DEVICE_PACKAGEMANAGEROPTIONS_H
#define DEVICE_PACKAGEMANAGEROPTIONS_H

#include <QString>
#include <QStringList>

class CLASS_TARVO_VERSION_INFO;

// Where the installer looks and how long it waits; the defaults are the launcher's own.
struct PACKAGE_MANAGER_OPTIONS
{
    QString packagesUrl;       // base of the package archives; default: CLASS_SERVER_ADDRESS::PackagesUrl()
    QString applicationFolder; // where packages are installed; default: the catalogue's folder
    QString extractorProgram;  // the unzip program; default: PLATFORM::UnzipProgram()
    QString probeUrl;          // internet reachability probe; default: CLASS_SERVER_ADDRESS::ProbeUrl()
    QString sessionsRoot;      // the saved sessions a removal names; default: the catalogue's sessions root
    QString downloadsFolder;   // kept parts of downloads; default: <user's cache>/<application>/downloads
    int removalPauseMs = -1;   // pause after each removal step; default: 300
    int downloadInactivityMs = 0; // a download with no byte for this long fails; default: 30 s
    int checksumTimeoutMs = 0;    // limit of the checksum download; default: SMALL_TRANSFER_TIMEOUT_MS
    int extractorTimeoutMs = 0;   // limit of the extractor's start and of its end; default: 30 s
    int progressHideDelayMs = -1; // the progress area disappears this long after a job; default: 5 s
    QString trustFolder;          // trusted keys and what was accepted; default: CLASS_TRUST_STORE's
    QStringList trustedKeys;      // texts of .pub files trusted besides the trust folder's and built-in ones
    bool requireSigned = false;   // refuse packages of servers without a signed index (also --require-signed)

    // Every unset field replaced by its default (the application folder by the catalogue's).
    PACKAGE_MANAGER_OPTIONS WithDefaults(const CLASS_TARVO_VERSION_INFO* versionInfo) const;
};

#endif // DEVICE_PACKAGEMANAGEROPTIONS_H
