#ifndef TESTS_LAUNCHERTESTENVIRONMENT_H
#define TESTS_LAUNCHERTESTENVIRONMENT_H

// Set-up shared by the suites that build the launcher's widgets (header-only: link launcher_core).

#include "DEVICE/DEVICE_StartUp.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_Theme.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

// Once per widget suite: standard locations in test mode, the launcher's resources (style sheet, fonts,
// icons) and the type aliases that its signals carry.
inline void PrepareLauncherWidgets()
{
    QStandardPaths::setTestModeEnabled(true);
    InitLauncherResources();
    RegisterTypeAliases();
}

// Once per suite that builds the whole launcher window: its session folders and state file are read and
// written below HOME and the working directory, so both become the given temporary folder, and every
// message box answers at once. False when the folder cannot be made the working directory.
inline bool PrepareLauncherWindowEnvironment(const QString& home)
{
    qputenv("HOME", QFile::encodeName(home));
    if (!QDir::setCurrent(home))
    {
        return false;
    }
    PrepareLauncherWidgets();
    CLASS_MESSAGE_BOX::SetAutoAnswer(true);
    return true;
}

#endif // TESTS_LAUNCHERTESTENVIRONMENT_H
