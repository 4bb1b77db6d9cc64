#include "CLI/CLI_ClassWindowHost.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "LauncherTestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
QList<CLASS_MANAGE_PACKAGE*> PackageWindows()
{
    QList<CLASS_MANAGE_PACKAGE*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
    {
        if (CLASS_MANAGE_PACKAGE* window = qobject_cast<CLASS_MANAGE_PACKAGE*>(widget))
        {
            windows << window;
        }
    }
    return windows;
}
} // namespace

// The "&Package manager" entry of the launcher window: one window at a time, a fresh one after closing.
class TestPackageManagerMenu : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        // The session back end reads and writes its folders under HOME and the working directory.
        QVERIFY(home.isValid());
        QVERIFY(PrepareLauncherWindowEnvironment(home.path()));
    }

    void oneWindowAtATimeAndAFreshOneAfterClosing()
    {
        CLASS_LAUNCHER_WINDOW launcher;
        QCOMPARE(launcher.PackageDialog(), static_cast<CLASS_MANAGE_PACKAGE*>(nullptr));
        launcher.PackageManagerAction()->trigger();
        QVERIFY(launcher.PackageDialog() == nullptr); // queued: opens from the event loop
        QTRY_VERIFY(launcher.PackageDialog() != nullptr);
        QPointer<CLASS_MANAGE_PACKAGE> first = launcher.PackageDialog();
        QVERIFY(first->isVisible());
        // A package command from the command line waits for the window to close (it may run a job).
        auto* commands = new CLASS_WINDOW_HOST(
            launcher.SessionBackEnd(), [&launcher]() { return launcher.PackageDialog() != nullptr; },
            &launcher);
        QCOMPARE(commands->CanChangePackages().exitCode, int(EXIT_REFUSED));
        QVERIFY(first->parent() == nullptr);
        QCOMPARE(first->windowTitle(), QStringLiteral("Package manager"));

        launcher.PackageManagerAction()->trigger();
        launcher.PackageManagerAction()->trigger();
        QCoreApplication::processEvents(); // the two queued requests run (and find the open window)
        QCOMPARE(PackageWindows().size(), 1);
        QCOMPARE(launcher.PackageDialog(), first.data());

        first->close();
        QTRY_VERIFY(first.isNull());
        QTRY_VERIFY(launcher.PackageDialog() == nullptr);
        QCOMPARE(commands->CanChangePackages().exitCode, int(EXIT_DONE));

        launcher.PackageManagerAction()->trigger();
        QTRY_VERIFY(launcher.PackageDialog() != nullptr);
        QVERIFY(launcher.PackageDialog() != first.data());
        QCOMPARE(PackageWindows().size(), 1);
        launcher.PackageDialog()->close();
        QTRY_VERIFY(launcher.PackageDialog() == nullptr);
    }

    void closingTheLauncherLeavesNoDanglingPointer()
    {
        QPointer<CLASS_MANAGE_PACKAGE> window;
        {
            CLASS_LAUNCHER_WINDOW launcher;
            launcher.PackageManagerAction()->trigger();
            QTRY_VERIFY(launcher.PackageDialog() != nullptr);
            window = launcher.PackageDialog();
        }
        // The window is not owned by the launcher window; closing it later still works.
        QVERIFY(!window.isNull());
        window->close();
        QTRY_VERIFY(window.isNull());
    }
};

QTEST_MAIN(TestPackageManagerMenu)
#include "TestPackageManagerMenu.moc"
