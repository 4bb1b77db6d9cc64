#ifndef DEVICE_CLASSPACKAGEMARKS_H
#define DEVICE_CLASSPACKAGEMARKS_H

#include "DEVICE/DEVICE_ClassPackageView.h"

#include <QString>
#include <QStringList>

class CLASS_PACKAGE_MANAGER_BACKEND;

// What the installer tells about each package of its list: in the window, a box ticked when the package is
// installed and marked "signed" when the server's last accepted signed index lists it; in the trust store,
// how the archive of an installed package was verified.
class CLASS_PACKAGE_MARKS
{
public:
    explicit CLASS_PACKAGE_MARKS(const CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // Ticks exactly the installed packages, so that a box shows what is installed.
    void TickInstalled(const QStringList& installed) const;
    // Marks each box signed or unsigned.
    void MarkSigned() const;
    // The versions of the packages list that the server's last accepted signed index lists (none when the
    // server is not signed).
    QStringList SignedVersions() const;
    // Remembers how the archive of the package installed (or removed: trust empty) in folder was verified.
    void RecordTrust(const QString& packageFolder, const QString& trust) const;

private:
    // set(box index, whether versions holds the box's package) for every box of the window.
    void SetEachBox(void (CLASS_PACKAGE_VIEW::*set)(int, bool), const QStringList& versions) const;

    const CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGEMARKS_H
