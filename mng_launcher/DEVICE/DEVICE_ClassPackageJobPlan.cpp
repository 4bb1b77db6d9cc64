#include "DEVICE/DEVICE_ClassPackageJobPlan.h"

#include "DEVICE/DEVICE_Helpers.h"

CLASS_PACKAGE_JOB_PLAN::CLASS_PACKAGE_JOB_PLAN(const QStringList& packages, const QStringList& installed,
                                               const QStringList& wanted)
    : installed(installed), wanted(wanted), versions(packages + UnlistedVersions(packages, installed))
{
}

QStringList CLASS_PACKAGE_JOB_PLAN::Removals() const
{
    return Select([](bool isInstalled, bool isWanted) { return isInstalled && !isWanted; });
}

QStringList CLASS_PACKAGE_JOB_PLAN::Installations() const
{
    return Select([](bool isInstalled, bool isWanted) { return !isInstalled && isWanted; });
}

QStringList CLASS_PACKAGE_JOB_PLAN::Select(bool (*keep)(bool isInstalled, bool isWanted)) const
{
    QStringList selected;
    for (const QString& version : versions)
    {
        if (keep(installed.contains(version), wanted.contains(version)) && !selected.contains(version))
        {
            selected.append(version);
        }
    }
    return selected;
}

QStringList CLASS_PACKAGE_JOB_PLAN::UnlistedVersions(const QStringList& packages,
                                                     const QStringList& installed)
{
    QStringList unlisted;
    for (const QString& version : installed)
    {
        // A folder whose name gives no version text ("old_TARVO_3_1_51_bak") is no package of the launcher.
        if (IsVersionText(version) && !packages.contains(version))
        {
            unlisted.append(version);
        }
    }
    return unlisted;
}
