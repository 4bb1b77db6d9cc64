#ifndef DEVICE_CLASSSINGLEAPPLICATION_H
#define DEVICE_CLASSSINGLEAPPLICATION_H

#include <QApplication>

class QSharedMemory;

// The application object; its one-byte shared-memory segment keeps a second copy from running.
class CLASS_SINGLE_APPLICATION : public QApplication
{
    Q_OBJECT

public:
    static const char* const SINGLE_INSTANCE_KEY;

    CLASS_SINGLE_APPLICATION(int& argc, char** argv);
    ~CLASS_SINGLE_APPLICATION() override;

    // True for the first copy: the lock segment could be created.
    bool TryLock();

private:
    QSharedMemory* instanceLock;
};

#endif // DEVICE_CLASSSINGLEAPPLICATION_H
