#include "DEVICE/DEVICE_ClassPackageMarks.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"

CLASS_PACKAGE_MARKS::CLASS_PACKAGE_MARKS(const CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

void CLASS_PACKAGE_MARKS::TickInstalled(const QStringList& installed) const
{
    SetEachBox(&CLASS_PACKAGE_VIEW::SetPackageChecked, installed);
}

void CLASS_PACKAGE_MARKS::MarkSigned() const
{
    if (backend.view != nullptr)
    {
        SetEachBox(&CLASS_PACKAGE_VIEW::SetPackageSigned, SignedVersions());
    }
}

void CLASS_PACKAGE_MARKS::SetEachBox(void (CLASS_PACKAGE_VIEW::*set)(int, bool),
                                     const QStringList& versions) const
{
    if (backend.view == nullptr)
    {
        return;
    }
    int index = 0;
    for (auto it = backend.packages.constBegin(); it != backend.packages.constEnd(); ++it, ++index)
    {
        (backend.view->*set)(index, versions.contains(it.value()));
    }
}

QStringList CLASS_PACKAGE_MARKS::SignedVersions() const
{
    const PACKAGE_MANAGER_OPTIONS& options = backend.options;
    CLASS_TRUST_STORE store(options.trustFolder, options.trustedKeys);
    const INDEX_VERDICT verdict =
        CLASS_SIGNED_INDEX(store).Stored(CLASS_SIGNED_INDEX::ServerOf(options.packagesUrl));
    QStringList versions;
    for (const QString& version : backend.packages)
    {
        if (verdict.trust == INDEX_VERDICT::TRUST::Signed && verdict.index.FindPackage(version) != nullptr)
        {
            versions.append(version);
        }
    }
    return versions;
}

void CLASS_PACKAGE_MARKS::RecordTrust(const QString& packageFolder, const QString& trust) const
{
    CLASS_TRUST_STORE(backend.options.trustFolder).RecordInstallation(packageFolder, trust);
}
