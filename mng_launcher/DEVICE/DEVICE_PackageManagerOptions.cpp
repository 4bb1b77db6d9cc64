#include "DEVICE/DEVICE_PackageManagerOptions.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Constants.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QFileInfo>

namespace
{
constexpr int DEFAULT_REMOVAL_PAUSE_MS = 300;
constexpr int DEFAULT_EXTRACTOR_TIMEOUT_MS = 30000;
constexpr int DEFAULT_PROGRESS_HIDE_DELAY_MS = 5000;
} // namespace

PACKAGE_MANAGER_OPTIONS
PACKAGE_MANAGER_OPTIONS::WithDefaults(const CLASS_TARVO_VERSION_INFO* versionInfo) const
{
    PACKAGE_MANAGER_OPTIONS filled = *this;
    if (filled.packagesUrl.isEmpty())
    {
        filled.packagesUrl = CLASS_SERVER_ADDRESS::PackagesUrl();
    }
    if (!filled.packagesUrl.endsWith(QLatin1Char('/')))
    {
        filled.packagesUrl += QLatin1Char('/');
    }
    if (filled.applicationFolder.isEmpty())
    {
        filled.applicationFolder =
            versionInfo != nullptr ? versionInfo->GetApplicationFolder() : PLATFORM::ApplicationFolder();
    }
    if (filled.extractorProgram.isEmpty())
    {
        filled.extractorProgram = PLATFORM::UnzipProgram();
    }
    if (filled.probeUrl.isEmpty())
    {
        filled.probeUrl = CLASS_SERVER_ADDRESS::ProbeUrl();
    }
    if (filled.sessionsRoot.isEmpty())
    {
        // The catalogue's local copy lies in the sessions root it was made for.
        filled.sessionsRoot = versionInfo != nullptr ? QFileInfo(versionInfo->GetLocalCatalogueFile()).path()
                                                     : CLASS_SESSION_SETTINGS::SessionsRoot();
    }
    filled.removalPauseMs = filled.removalPauseMs < 0 ? DEFAULT_REMOVAL_PAUSE_MS : filled.removalPauseMs;
    filled.downloadInactivityMs =
        filled.downloadInactivityMs <= 0 ? DOWNLOAD_INACTIVITY_TIMEOUT_MS : filled.downloadInactivityMs;
    filled.checksumTimeoutMs =
        filled.checksumTimeoutMs <= 0 ? SMALL_TRANSFER_TIMEOUT_MS : filled.checksumTimeoutMs;
    filled.extractorTimeoutMs =
        filled.extractorTimeoutMs <= 0 ? DEFAULT_EXTRACTOR_TIMEOUT_MS : filled.extractorTimeoutMs;
    filled.progressHideDelayMs =
        filled.progressHideDelayMs < 0 ? DEFAULT_PROGRESS_HIDE_DELAY_MS : filled.progressHideDelayMs;
    if (filled.trustFolder.isEmpty())
    {
        filled.trustFolder = CLASS_TRUST_STORE::DefaultFolder();
    }
    filled.requireSigned = filled.requireSigned || CLASS_TRUST_STORE::RequireSigned();
    return filled;
}
