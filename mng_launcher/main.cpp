#include "DEVICE/DEVICE_LauncherMain.h"

int main(int argc, char* argv[])
{
    return RunLauncher(argc, argv);
}
