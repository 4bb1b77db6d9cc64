#ifndef TESTS_LAUNCHERTESTENVIRONMENT_H
#define TESTS_LAUNCHERTESTENVIRONMENT_H

// Set-up shared by the suites that build the launcher's widgets (header-only: link launcher_core).

#include "DEVICE/DEVICE_StartUp.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_Theme.h"
#include "PLATFORM/PLATFORM_ClassDesktopOpener.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QString>

// Where the suites' addresses go when no test has put a stand-in in the opener's place: nowhere.
inline const QString NO_DESKTOP_OPENER = QStringLiteral("/nonexistent/tarvo-test-opener");

// Once per widget suite: standard locations in test mode, the launcher's resources (style sheet, fonts,
// icons) and the type aliases that its signals carry. No suite starts the desktop's real opener (a
// browser would open): an address goes to a program that is not there, unless a test sets a stand-in.
inline void PrepareLauncherWidgets()
{
    QStandardPaths::setTestModeEnabled(true);
    InitLauncherResources();
    RegisterTypeAliases();
    PLATFORM::SetDesktopOpenerProgram(NO_DESKTOP_OPENER);
}

// Puts the program in the place of the desktop's opener until the returned guard ends.
[[nodiscard]] inline auto UseDesktopOpener(const QString& program)
{
    PLATFORM::SetDesktopOpenerProgram(program);
    return qScopeGuard([]() { PLATFORM::SetDesktopOpenerProgram(NO_DESKTOP_OPENER); });
}

// True once every address handed to the desktop's opener has its outcome: the openers are the
// application's children until then.
inline bool DesktopOpenersEnded()
{
    return QCoreApplication::instance()
        ->findChildren<CLASS_DESKTOP_OPENER*>(QString(), Qt::FindDirectChildrenOnly)
        .isEmpty();
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
