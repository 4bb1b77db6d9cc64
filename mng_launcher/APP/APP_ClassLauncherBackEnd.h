#ifndef APP_CLASSLAUNCHERBACKEND_H
#define APP_CLASSLAUNCHERBACKEND_H

#include <QObject>

class CLASS_LAUNCHER_WINDOW;

// The top-level back end: creates and owns the launcher window.
class CLASS_LAUNCHER_BACKEND : public QObject
{
    Q_OBJECT

public:
    explicit CLASS_LAUNCHER_BACKEND(QObject* parent = nullptr);
    ~CLASS_LAUNCHER_BACKEND() override;

    void Start();
    CLASS_LAUNCHER_WINDOW* Window() const { return window; }

private:
    CLASS_LAUNCHER_WINDOW* window;
};

#endif // APP_CLASSLAUNCHERBACKEND_H
