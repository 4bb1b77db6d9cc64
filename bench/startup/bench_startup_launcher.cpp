// The launcher's start-up exactly as main.cpp runs it (RunLauncher), with a probe that reports the first
// paint of its window (see FIRST_PAINT_PROBE for the modes: exit, quit, stay). The mode is this program's
// last argument; the launcher itself sees only the program name.

#include "FirstPaintProbe.h"

#include "APP/APP_LauncherMain.h"

#include <memory>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    const QString mode = FIRST_PAINT_PROBE::ModeOf(argc, argv);
    int launcherArgc = 1;
    char* launcherArgv[] = {argv[0], nullptr};
    std::unique_ptr<FIRST_PAINT_PROBE> probe;
    return RunLauncher(launcherArgc, launcherArgv,
                       [&]() { probe = std::make_unique<FIRST_PAINT_PROBE>(sinceMain, mode); });
}
