#ifndef GUI_CLASSLAUNCHERWINDOW_H
#define GUI_CLASSLAUNCHERWINDOW_H

#include <QMainWindow>

// The launcher's only top-level window.
class CLASS_LAUNCHER_WINDOW : public QMainWindow
{
    Q_OBJECT

public:
    explicit CLASS_LAUNCHER_WINDOW(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};

#endif // GUI_CLASSLAUNCHERWINDOW_H
