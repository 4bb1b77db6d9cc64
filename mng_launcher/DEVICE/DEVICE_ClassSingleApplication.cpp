#include "DEVICE/DEVICE_ClassSingleApplication.h"

#include "PLATFORM/PLATFORM_Platform.h"

#include <QSharedMemory>

const char* const CLASS_SINGLE_APPLICATION::SINGLE_INSTANCE_KEY = "5b8f2c1e-7d4a-4e93-a0c6-3f1d9e7b2a48";

CLASS_SINGLE_APPLICATION::CLASS_SINGLE_APPLICATION(int& argc, char** argv)
    : QApplication(argc, argv),
      instanceLock(new QSharedMemory(QString::fromLatin1(SINGLE_INSTANCE_KEY), this))
{
}

CLASS_SINGLE_APPLICATION::~CLASS_SINGLE_APPLICATION()
{
    if (instanceLock->isAttached())
    {
        instanceLock->detach();
    }
    delete instanceLock;
}

bool CLASS_SINGLE_APPLICATION::TryLock()
{
    PLATFORM::PrepareSingleInstanceLock(*instanceLock);
    return instanceLock->create(1, QSharedMemory::ReadWrite);
}
