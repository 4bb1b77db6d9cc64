#include "DEVICE/DEVICE_ClassSingleApplication.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_Constants.h"
#include "PLATFORM/PLATFORM_Platform.h"

const char* const CLASS_SINGLE_APPLICATION::SINGLE_INSTANCE_KEY = "5b8f2c1e-7d4a-4e93-a0c6-3f1d9e7b2a48";

CLASS_SINGLE_APPLICATION::CLASS_SINGLE_APPLICATION(int& argc, char** argv)
    : QApplication(argc, argv), instanceLock(new QObject(this))
{
}

CLASS_SINGLE_APPLICATION::~CLASS_SINGLE_APPLICATION()
{
    delete instanceLock;
}

bool CLASS_SINGLE_APPLICATION::TryLock()
{
    return TakeLock(instanceLock);
}

bool CLASS_SINGLE_APPLICATION::TakeLock(QObject* holder)
{
    return PLATFORM::TakeSingleInstanceLock(holder, QString::fromLatin1(SINGLE_INSTANCE_KEY), LockFilePath());
}

QString CLASS_SINGLE_APPLICATION::LockFilePath()
{
    return CLASS_SESSION_SETTINGS::SessionsRoot() + LOCK_FILE_NAME;
}
