#include "APP/APP_ClassLauncherBackEnd.h"

#include "GUI/GUI_ClassLauncherWindow.h"

CLASS_LAUNCHER_BACKEND::CLASS_LAUNCHER_BACKEND(QObject* parent) : QObject(parent), window(nullptr) {}

CLASS_LAUNCHER_BACKEND::~CLASS_LAUNCHER_BACKEND()
{
    delete window;
}

void CLASS_LAUNCHER_BACKEND::Start()
{
    window = new CLASS_LAUNCHER_WINDOW(nullptr);
    window->setMinimumSize(CLASS_LAUNCHER_WINDOW::MINIMUM_WIDTH, CLASS_LAUNCHER_WINDOW::MINIMUM_HEIGHT);
    window->ShowWhereLeft();
}
