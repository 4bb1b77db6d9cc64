#ifndef DEVICE_CONSTANTS_H
#define DEVICE_CONSTANTS_H

#include <QString>

// The launcher's fixed identity and server locations (the server base is chosen at configure time).
inline const QString LAUNCHER_VERSION = QStringLiteral("1.5.3");
inline const QString LAUNCHER_TITLE = QStringLiteral("Tarvo 4k Simulator");
inline const QString MESSAGE_BOX_TITLE = QStringLiteral("Tarvo 4k Simulator");
inline constexpr int LAUNCHER_PRODUCT_ID = 1002;
inline constexpr int LAUNCHER_DEV_CHANNEL = -1;
inline const QString UPDATE_SERVER = QStringLiteral(TARVO_UPDATE_SERVER);
inline const QString PROBE_URL = QStringLiteral(TARVO_PROBE_URL);
inline const QString CATALOGUE_URL = UPDATE_SERVER + QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini");
inline const QString PACKAGES_URL = UPDATE_SERVER + QStringLiteral("/~ftp-xml/tarvo4ksimulator/");
inline const QString VERSION_FILE_URL = UPDATE_SERVER + QStringLiteral("/~ftp-xml/ruvoraduridedi.json");
// Limit of a small transfer (catalogue, probe, version file) and of package download inactivity.
inline constexpr int SMALL_TRANSFER_TIMEOUT_MS = 15000;
inline constexpr int DOWNLOAD_INACTIVITY_TIMEOUT_MS = 30000;

#endif // DEVICE_CONSTANTS_H
