#include "DEVICE/DEVICE_SingleInstanceLock.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_Constants.h"
#include "PLATFORM/PLATFORM_Platform.h"

namespace
{
const char* const SINGLE_INSTANCE_KEY = "5b8f2c1e-7d4a-4e93-a0c6-3f1d9e7b2a48";
} // namespace

bool TakeSingleInstanceLock(QObject* holder)
{
    return PLATFORM::TakeSingleInstanceLock(holder, QString::fromLatin1(SINGLE_INSTANCE_KEY),
                                            SingleInstanceLockPath());
}

QString SingleInstanceLockPath()
{
    return CLASS_SESSION_SETTINGS::SessionsRoot() + LOCK_FILE_NAME;
}
