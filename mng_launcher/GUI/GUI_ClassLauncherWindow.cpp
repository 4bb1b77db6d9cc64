#include "GUI/GUI_ClassLauncherWindow.h"

#include "DEVICE/DEVICE_Constants.h"

#include <QCloseEvent>
#include <QCoreApplication>

CLASS_LAUNCHER_WINDOW::CLASS_LAUNCHER_WINDOW(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(LAUNCHER_TITLE + QStringLiteral(" v") + LAUNCHER_VERSION);
}

void CLASS_LAUNCHER_WINDOW::closeEvent(QCloseEvent* event)
{
    QCoreApplication::quit();
    event->accept();
}
