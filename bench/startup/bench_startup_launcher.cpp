// The launcher's start-up as main.cpp runs it, with a probe that reports the first paint of its window
// (see FIRST_PAINT_PROBE for the modes: exit, quit, stay). Everything else is the shipped code.

#include "FirstPaintProbe.h"

#include "DEVICE/DEVICE_ClassLauncherBackEnd.h"
#include "DEVICE/DEVICE_ClassSingleApplication.h"
#include "DEVICE/DEVICE_StartUp.h"
#include "GUI/GUI_Theme.h"

int main(int argc, char* argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);

    CLASS_SINGLE_APPLICATION application(argc, argv);
    if (!application.TryLock())
    {
        std::fprintf(stderr, "bench_startup_launcher: another copy holds the single-instance lock\n");
        return 1;
    }
    const FIRST_PAINT_PROBE probe(sinceMain, FIRST_PAINT_PROBE::ModeOf(argc, argv));
    InitLauncherResources();
    RegisterTypeAliases();
    StartTracing();

    CLASS_LAUNCHER_BACKEND launcherBackEnd;
    launcherBackEnd.Start();
    return application.exec();
}
