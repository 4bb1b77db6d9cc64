#include "CLI/CLI_ClassInstanceLock.h"

#include "DEVICE/DEVICE_ClassSingleApplication.h"
#include "PLATFORM/PLATFORM_Platform.h"

bool CLASS_INSTANCE_LOCK::Take()
{
    return PLATFORM::TakeSingleInstanceLock(
        this, QString::fromLatin1(CLASS_SINGLE_APPLICATION::SINGLE_INSTANCE_KEY),
        CLASS_SINGLE_APPLICATION::LockFilePath());
}
