#include "DEVICE/DEVICE_ClassPackageRemoval.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassPackageMarks.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>

CLASS_PACKAGE_REMOVAL::CLASS_PACKAGE_REMOVAL(CLASS_PACKAGE_MANAGER_BACKEND& backend) : backend(backend) {}

bool CLASS_PACKAGE_REMOVAL::Remove(const QString& version)
{
    ShowStep(0);
    ShowStep(CLASS_PACKAGE_MANAGER_BACKEND::MAX_PROGRESS / 2);
    // The version goes from every place that holds it.
    for (const QString& place : PackageFolders(backend.options.applicationFolder))
    {
        const QString folder = PackageFolderPath(place, version);
        // A link in the package folder's place is removed as a link: what it points at stays untouched.
        if (!PLATFORM::RemoveFolder(folder))
        {
            TRACE_ERROR_IN(PACKAGE_JOB_ORIGIN,
                           QStringLiteral("Couldn't remove package directory at :") + folder);
            backend.Fail(CLASS_PACKAGE_MANAGER_BACKEND::JOB_REMOVAL_FAILED,
                         QStringLiteral("no permission to remove %1").arg(QDir::toNativeSeparators(folder)));
            return false;
        }
        CLASS_PACKAGE_MARKS(backend).RecordTrust(folder, QString());
    }
    ShowStep(CLASS_PACKAGE_MANAGER_BACKEND::MAX_PROGRESS);
    return true;
}

void CLASS_PACKAGE_REMOVAL::ShowStep(int value)
{
    backend.progress.ShowRemoving(value);
    QEventLoop loop;
    QTimer::singleShot(backend.options.removalPauseMs, &loop, &QEventLoop::quit);
    loop.exec();
}
