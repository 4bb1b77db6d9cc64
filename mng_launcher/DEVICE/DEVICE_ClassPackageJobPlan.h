#ifndef DEVICE_CLASSPACKAGEJOBPLAN_H
#define DEVICE_CLASSPACKAGEJOBPLAN_H

#include <QStringList>

// What one job of the installer does with the packages: the versions it goes through, in order (the packages
// list, then the installed versions that the list does not hold: those can only go), and among them the ones
// it installs and the ones it removes.
class CLASS_PACKAGE_JOB_PLAN
{
public:
    CLASS_PACKAGE_JOB_PLAN(const QStringList& packages, const QStringList& installed,
                           const QStringList& wanted);

    const QStringList& Versions() const { return versions; }
    // Installed and not wanted, once each, in job order.
    QStringList Removals() const;
    // Wanted and not installed, once each, in job order.
    QStringList Installations() const;

    // The installed versions (version texts only) that packages does not hold, in their order.
    static QStringList UnlistedVersions(const QStringList& packages, const QStringList& installed);

private:
    // The versions of the job, once each, for which keep(version is installed, version is wanted) holds.
    QStringList Select(bool (*keep)(bool isInstalled, bool isWanted)) const;

    QStringList installed;
    QStringList wanted;
    QStringList versions;
};

#endif // DEVICE_CLASSPACKAGEJOBPLAN_H
