#ifndef DEVICE_CLASSSINGLEAPPLICATION_H
#define DEVICE_CLASSSINGLEAPPLICATION_H

#include <QApplication>

// The application object; its single-instance lock keeps a second copy of the same user from running
// over the same sessions.
class CLASS_SINGLE_APPLICATION : public QApplication
{
    Q_OBJECT

public:
    static const char* const SINGLE_INSTANCE_KEY;

    CLASS_SINGLE_APPLICATION(int& argc, char** argv);
    ~CLASS_SINGLE_APPLICATION() override;

    // True for the first copy: the lock could be taken (platform layer: TakeSingleInstanceLock).
    bool TryLock();
    // Takes the same lock for holder, which keeps it until it is destroyed (a command that works without
    // a window); true when it was free.
    static bool TakeLock(QObject* holder);

    // The lock file on Linux: "Tarvo4kSimulator.lock" in the sessions root, a folder of the user's own
    // that does not depend on TMPDIR.
    static QString LockFilePath();

private:
    // Holds the lock while it lives; deleted first by the destructor.
    QObject* instanceLock;
};

#endif // DEVICE_CLASSSINGLEAPPLICATION_H
