#include "DEVICE/DEVICE_ClassLauncherBackEnd.h"
#include "DEVICE/DEVICE_ClassSingleApplication.h"
#include "DEVICE/DEVICE_StartUp.h"
#include "GUI/GUI_Theme.h"

#include <QMessageBox>

#include <cstdlib>

int main(int argc, char* argv[])
{
    // These attributes only take effect before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);

    CLASS_SINGLE_APPLICATION application(argc, argv);
    if (!application.TryLock())
    {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), QStringLiteral("Application already running."),
                              QMessageBox::Ok);
        std::exit(1);
    }

    InitLauncherResources();
    RegisterTypeAliases();
    StartTracing();

    CLASS_LAUNCHER_BACKEND launcherBackEnd;
    launcherBackEnd.Start();
    return application.exec();
}
