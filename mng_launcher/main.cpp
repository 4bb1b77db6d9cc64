#include "APP/APP_LauncherMain.h"

int main(int argc, char* argv[])
{
    return RunLauncher(argc, argv);
}
