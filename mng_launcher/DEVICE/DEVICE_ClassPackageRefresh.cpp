#include "DEVICE/DEVICE_ClassPackageRefresh.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassPackageMarks.h"
#include "DEVICE/DEVICE_ClassPackageProgress.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"

CLASS_PACKAGE_REFRESH::CLASS_PACKAGE_REFRESH(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

void CLASS_PACKAGE_REFRESH::ShowInstalled()
{
    const PACKAGE_MANAGER_OPTIONS& options = backend.options;
    const CLASS_PACKAGE_MARKS marks(backend);
    marks.TickInstalled(ListInstalledVersionsIn(PackageFolders(options.applicationFolder)));
    marks.MarkSigned();
    const bool reachable = IsInternetReachable(options.probeUrl, SMALL_TRANSFER_TIMEOUT_MS);
    if (backend.view == nullptr)
    {
        return;
    }
    // Removals need no server: the notice names the one that does not answer, and Apply stays.
    backend.view->SetNoInternet(!reachable, WithoutUserInfo(options.probeUrl));
    if (backend.versionInfo->GetCompatibility() > 1)
    {
        backend.view->ShowIncompatibleAndClose();
    }
}

void CLASS_PACKAGE_REFRESH::FetchCatalogue()
{
    CLASS_TARVO_VERSION_INFO* versionInfo = backend.versionInfo;
    backend.progress.KeepShown();
    backend.view->SetButtonsEnabled(false);
    backend.view->SetProgressHidden(false);
    backend.progress.SetPauseButton(PACKAGE_PAUSE_BUTTON::Hidden);
    const QString address = WithoutUserInfo(versionInfo->GetCatalogueUrl());
    backend.view->SetStatusText(QStringLiteral("Downloading the catalogue from ") + address);
    const bool fetched = versionInfo->FetchPackages();
    versionInfo->FindPackagesList();
    versionInfo->FindInstalledVersions();
    // The window may have gone during the download.
    CLASS_PACKAGE_VIEW* view = backend.view;
    if (view == nullptr)
    {
        return;
    }
    backend.packages = versionInfo->GetPackagesList();
    view->SetPackages(backend.packages.values());
    CLASS_PACKAGE_MARKS(backend).TickInstalled(versionInfo->GetInstalledVersions());
    view->SetNoInternet(!fetched, address);
    view->SetStatusText(fetched ? QStringLiteral("Catalogue up to date")
                                : QStringLiteral("The catalogue could not be downloaded from %1: %2")
                                      .arg(address, versionInfo->LastFetchError()));
    view->SetButtonsEnabled(true);
    backend.progress.HideLater();
}
