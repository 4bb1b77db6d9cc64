#ifndef APP_CLASSSINGLEAPPLICATION_H
#define APP_CLASSSINGLEAPPLICATION_H

#include <QApplication>

// The application object of the window; its single-instance lock keeps a second copy of the same user
// from running over the same sessions.
class CLASS_SINGLE_APPLICATION : public QApplication
{
    Q_OBJECT

public:
    CLASS_SINGLE_APPLICATION(int& argc, char** argv);
    ~CLASS_SINGLE_APPLICATION() override;

    // True for the first copy: the lock (SingleInstanceLockPath) could be taken.
    bool TryLock();

private:
    // Holds the lock while it lives; deleted first by the destructor.
    QObject* instanceLock;
};

#endif // APP_CLASSSINGLEAPPLICATION_H
