#include "APP/APP_ClassSingleApplication.h"

#include "DEVICE/DEVICE_SingleInstanceLock.h"

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
    return TakeSingleInstanceLock(instanceLock);
}
