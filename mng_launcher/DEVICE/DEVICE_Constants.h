#ifndef DEVICE_CONSTANTS_H
#define DEVICE_CONSTANTS_H

#include "DEVICE/DEVICE_ClassServerAddress.h"
#include "LauncherVersion.h"

#include <QString>

// The launcher's fixed identity and transfer limits.
inline const QString LAUNCHER_VERSION = QStringLiteral(TARVO_LAUNCHER_VERSION);
inline const QString LAUNCHER_TITLE = QStringLiteral("Tarvo 4k Simulator");
inline const QString MESSAGE_BOX_TITLE = QStringLiteral("Tarvo 4k Simulator");
inline constexpr int LAUNCHER_PRODUCT_ID = 1002;
inline constexpr int LAUNCHER_DEV_CHANNEL = -1;
// The update server's address is read at run time: see CLASS_SERVER_ADDRESS.
// Limit of a small transfer (catalogue, probe, version file) and of package download inactivity.
inline constexpr int SMALL_TRANSFER_TIMEOUT_MS = 15000;
inline constexpr int DOWNLOAD_INACTIVITY_TIMEOUT_MS = 30000;

// Files of the launcher's own in the sessions root: its state file, the catalogue's local copy and the
// single-instance lock (Linux).
inline const QString STATE_FILE_NAME = QStringLiteral("tarvoversionsconfig");
inline const QString LOCAL_CATALOGUE_NAME = QStringLiteral("tarvo4kpackages.ini");
inline const QString LOCK_FILE_NAME = QStringLiteral("Tarvo4kSimulator.lock");
// The user's package folder lay in the sessions root under this name; it has moved out (UserPackagesFolder).
inline const QString OLD_USER_PACKAGES_FOLDER_NAME = QStringLiteral("packages");
// The first line a command that works alone logs after the log's banner; a run without it is a window's.
inline const QString COMMAND_RUN_LOG_LINE = QStringLiteral("Command line: --");

#endif // DEVICE_CONSTANTS_H
