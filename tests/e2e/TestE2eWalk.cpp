// A newcomer's first hour with the launcher, in one process: the real launcher window, built by the
// launcher back end as at start-up, against the real local update server and the real stand-in simulator.
// Every step acts as a user would: clicks on buttons, check boxes and cards, typing, menu entries; modal
// boxes are answered by the box helper and file dialogs by the dialog helper. The steps run in order and
// share the window; a step that fails skips the ones after it.

#include "APP/APP_ClassLauncherBackEnd.h"
#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "E2eWorld.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_ClassWindowGeometry.h"
#include "GUI/GUI_FileDialog.h"
#include "GUI/GUI_MessageBox.h"
#include "LauncherTestEnvironment.h"
#include "OpenerStandIn.h"
#include "TestFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace
{
constexpr int QUICK_MS = 5000;    // a queued reaction, a local HTTP answer
constexpr int PROCESS_MS = 20000; // a simulator starting or ending
constexpr int JOB_MS = 60000;     // a package job: download, checksum, unpacking

const QString NAME = QStringLiteral("E2E Studio");
const QString MODEL = QStringLiteral("Dalvogrid 4K");
const int MODEL_INDEX = 1;
const int MODEL_CODE = 4;
const QString VERSION = QStringLiteral("3.1.51");
const QString OTHER_VERSION = QStringLiteral("3.2.0");
const QString NOT_INSTALLED = QStringLiteral("\t- Not installed");
const QString DESCRIPTION = QStringLiteral("Walked through by the end-to-end test");
const QString ANNOUNCEMENT = QStringLiteral("Tarvo 4k Simulator v1.6.0 is available on Vorntal website.");

QAction* MenuEntry(QMenu* menu, const QString& objectName)
{
    for (QAction* action : menu->actions())
    {
        if (action->objectName() == objectName)
        {
            return action;
        }
    }
    return nullptr;
}

// The one visible setup panel (the selected session's), or null.
CLASS_GLOBAL_SETUP* VisiblePanel(const QWidget* root)
{
    CLASS_GLOBAL_SETUP* found = nullptr;
    for (CLASS_GLOBAL_SETUP* panel : root->findChildren<CLASS_GLOBAL_SETUP*>())
    {
        if (panel->isVisible())
        {
            if (found != nullptr)
            {
                return nullptr;
            }
            found = panel;
        }
    }
    return found;
}

QJsonObject JsonOf(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}
} // namespace

// Runs a checking helper and leaves the step when it failed.
#define CHECKED(call)                                                                                        \
    do                                                                                                       \
    {                                                                                                        \
        call;                                                                                                \
        if (QTest::currentTestFailed())                                                                      \
        {                                                                                                    \
            return;                                                                                          \
        }                                                                                                    \
    } while (false)

class TestE2eWalk : public QObject
{
    Q_OBJECT

private:
    E2E_WORLD world;
    std::unique_ptr<CLASS_LAUNCHER_BACKEND> launcher;
    // Stands in for the desktop's opener: "Open Web ZKM" hands it the address.
    OPENER_STAND_IN browser;
    quint16 webPort = 0;
    QString exportedFolderName;
    QByteArray exportedSettings;
    QString archive;
    bool broken = false;
    QElapsedTimer stepTimer;

    CLASS_LAUNCHER_WINDOW* Window() const { return launcher->Window(); }
    CLASS_MAIN_WINDOW* View() const { return Window()->GetMainWindow(); }
    CLASS_MAIN_BACKEND* Sessions() const { return Window()->SessionBackEnd(); }
    QPushButton* Button(const QString& objectName) const
    {
        return View()->findChild<QPushButton*>(objectName);
    }
    QString WebUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(webPort); }
    QString SettingsPath(int session) const
    {
        return Sessions()->GetSessionFolder(session) + QStringLiteral("/settings.ini");
    }

    // Clicks a button of the main view once it is enabled.
    bool ClickWhenEnabled(const QString& objectName)
    {
        QPushButton* button = Button(objectName);
        if (button == nullptr || !QTest::qWaitFor([button]() { return button->isEnabled(); }, QUICK_MS))
        {
            return false;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    // Opens the package manager from the File menu, ticks or unticks the versions, applies and waits
    // for the job's end; returns the final status line.
    QString ApplyPackages(const QStringList& tick, const QStringList& untick)
    {
        QAction* entry = MenuEntry(Window()->FileMenu(), QStringLiteral("actionPackageManager"));
        if (entry == nullptr)
        {
            return QStringLiteral("no package manager entry in the File menu");
        }
        entry->trigger();
        if (!QTest::qWaitFor([this]() { return Window()->PackageDialog() != nullptr; }, QUICK_MS))
        {
            return QStringLiteral("no package manager window");
        }
        CLASS_MANAGE_PACKAGE* dialog = Window()->PackageDialog();
        if (!QTest::qWaitForWindowExposed(dialog))
        {
            return QStringLiteral("the package manager window was not shown");
        }
        for (const QString& version : tick + untick)
        {
            QCheckBox* box = VisibleChild<QCheckBox>(dialog, version);
            if (box == nullptr)
            {
                return QStringLiteral("no box for ") + version;
            }
            if (box->isChecked() != tick.contains(version))
            {
                ClickCheckBox(box);
            }
        }
        QPushButton* apply = dialog->findChild<QPushButton*>(QStringLiteral("applybutton"));
        if (apply == nullptr || !apply->isEnabled())
        {
            return QStringLiteral("Apply is not available");
        }
        QTest::mouseClick(apply, Qt::LeftButton);
        // The job runs from the event loop; its end re-enables Apply under a final status line.
        const QStringList finals = {QStringLiteral("Finished"), QStringLiteral("Error downloading"),
                                    QStringLiteral("Aborted"), QStringLiteral("Failed removing updater"),
                                    QStringLiteral("Failed")};
        if (!QTest::qWaitFor([&]() { return apply->isEnabled() && finals.contains(dialog->StatusText()); },
                             JOB_MS))
        {
            return QStringLiteral("no end of the job within the limit: ") + dialog->StatusText();
        }
        const QString status = dialog->StatusText();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("closebutton")), Qt::LeftButton);
        if (!QTest::qWaitFor([this]() { return Window()->PackageDialog() == nullptr; }, QUICK_MS))
        {
            return QStringLiteral("the package manager window did not close");
        }
        return status;
    }

    bool PackageInstalled(const QString& version) const
    {
        const QFileInfo program(world.AppFolder() + QStringLiteral("/TARVO_") +
                                QString(version).replace(QLatin1Char('.'), QLatin1Char('_')) +
                                QStringLiteral("/bin/ZR_APP_SIMULATOR"));
        return program.isFile() && program.isExecutable();
    }

    void SelectCard(int index)
    {
        QTest::mouseClick(View()->GetSessionWidget(index), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(View()->GetSelectedSessionIndex(), index, QUICK_MS);
        QTRY_VERIFY_WITH_TIMEOUT(VisiblePanel(View()) == Sessions()->GetSetupPanel(index), QUICK_MS);
    }

    // The device answers on the session's port with the session's name and model.
    void CheckDeviceAnswers(const QString& name)
    {
        E2E_REPLY status;
        QTRY_VERIFY_WITH_TIMEOUT((status = HttpGet(WebUrl() + QStringLiteral("/api/status"))).status == 200,
                                 PROCESS_MS);
        const QJsonObject device = JsonOf(status.body);
        QCOMPARE(device.value(QStringLiteral("name")).toString(), name);
        QCOMPARE(device.value(QStringLiteral("deviceModel")).toString(), MODEL);
        QCOMPARE(device.value(QStringLiteral("version")).toString(), VERSION);
        QCOMPARE(device.value(QStringLiteral("port")).toInt(), static_cast<int>(webPort));
        QCOMPARE(device.value(QStringLiteral("audioCard")).toBool(), true);
        QCOMPARE(device.value(QStringLiteral("state")).toString(), QStringLiteral("running"));
    }

    void CheckSessionRunning(int index, bool running)
    {
        QTRY_COMPARE_WITH_TIMEOUT(View()->GetSessionWidget(index)->GetLedState(),
                                  running ? int(CLASS_SESSION_WIDGET::LED_RUNNING)
                                          : int(CLASS_SESSION_WIDGET::LED_STOPPED),
                                  PROCESS_MS);
        QTRY_COMPARE_WITH_TIMEOUT(Button(QStringLiteral("startButton"))->text(),
                                  running ? QStringLiteral("Stop Session") : QStringLiteral("Start Session"),
                                  QUICK_MS);
        QCOMPARE(Button(QStringLiteral("openWebButton"))->isEnabled(), running);
        QCOMPARE(dynamic_cast<CLASS_GLOBAL_SETUP*>(Sessions()->GetSetupPanel(index))->isEnabled(), !running);
    }

    // Every session's version list shows the version and marks it installed or not.
    void CheckVersionLists(bool versionInstalled)
    {
        for (int index = 0; index < Sessions()->GetSessionCount(); ++index)
        {
            auto* panel = dynamic_cast<CLASS_GLOBAL_SETUP*>(Sessions()->GetSetupPanel(index));
            QComboBox* versions = panel->findChild<QComboBox*>(QStringLiteral("versionList"));
            QVERIFY(versions != nullptr);
            const QString expected = versionInstalled ? VERSION : VERSION + NOT_INSTALLED;
            QTRY_COMPARE_WITH_TIMEOUT(versions->currentText(), expected, QUICK_MS);
            // The other version stays installed: the list stays open to move to it either way.
            QVERIFY(versions->isEnabled());
            QVERIFY2(versions->findText(OTHER_VERSION) >= 0, "the other installed version left the list");
            // The session keeps its own model through the refill.
            QCOMPARE(panel->GetSelection().value(1), MODEL_INDEX);
            QCOMPARE(View()->GetSessionWidget(index)->GetDevice(), QStringLiteral("Tarvo 4k ") + MODEL);
        }
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QString error;
        QVERIFY2(world.Start(error), qPrintable(error));
        qputenv("XDG_DATA_HOME", QFile::encodeName(world.Home() + QStringLiteral("/.local/share")));
        QVERIFY(PrepareLauncherWindowEnvironment(world.Home()));
        CLASS_MESSAGE_BOX::ClearHistory();
        QVERIFY(!browser.Program().isEmpty());
        PLATFORM::SetDesktopOpenerProgram(browser.Program());
        webPort = FreePort();
        QVERIFY(webPort > 0);

        world.PointLauncherHere();
        launcher = std::make_unique<CLASS_LAUNCHER_BACKEND>();
        launcher->Start();
        QVERIFY(QTest::qWaitForWindowExposed(Window()));
    }

    void init()
    {
        if (broken)
        {
            QSKIP("an earlier step failed");
        }
        stepTimer.start();
    }

    void cleanup()
    {
        broken = broken || QTest::currentTestFailed();
        qInfo("%s: %lld ms", QTest::currentTestFunction(), static_cast<long long>(stepTimer.elapsed()));
    }

    void cleanupTestCase()
    {
        PLATFORM::SetDesktopOpenerProgram(NO_DESKTOP_OPENER);
        launcher.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The first start: the window with its title and size, an empty list, and the newer launcher that
    // the server announces told once.
    void firstStartShowsTheWindowAndTheNews()
    {
        QCOMPARE(Window()->windowTitle(), QStringLiteral("Tarvo 4k Simulator v1.5.3"));
        // At its preferred size, within what the (offscreen, 800 x 600) screen leaves free.
        const QSize preferred(CLASS_LAUNCHER_WINDOW::PREFERRED_WIDTH,
                              CLASS_LAUNCHER_WINDOW::PREFERRED_HEIGHT);
        QCOMPARE(Window()->size(), CLASS_WINDOW_GEOMETRY::Choose(nullptr, CLASS_WINDOW_GEOMETRY::Screens(),
                                                                 preferred, Window()->minimumSize())
                                       .geometry.size());
        QCOMPARE(Sessions()->GetSessionCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(CLASS_MESSAGE_BOX::Texts().size(), 1, QUICK_MS);
        QVERIFY2(CLASS_MESSAGE_BOX::LastText().startsWith(ANNOUNCEMENT),
                 qPrintable(CLASS_MESSAGE_BOX::LastText()));
        QCOMPARE(Sessions()->GetLastVersionChecked(), QStringLiteral("1.6.0"));
        CLASS_MESSAGE_BOX::ClearHistory();
    }

    void packageManagerInstallsTwoPackages()
    {
        QVERIFY(!PackageInstalled(VERSION) && !PackageInstalled(OTHER_VERSION));
        QCOMPARE(ApplyPackages({VERSION, OTHER_VERSION}, {}), QStringLiteral("Finished"));
        QVERIFY(PackageInstalled(VERSION));
        QVERIFY(PackageInstalled(OTHER_VERSION));
        QVERIFY(!PackageInstalled(QStringLiteral("3.10.1")));
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
    }

    void newSessionIsNamedSetUpAndSaved()
    {
        QVERIFY(ClickWhenEnabled(QStringLiteral("createSessionButton")));
        QTRY_COMPARE_WITH_TIMEOUT(Sessions()->GetSessionCount(), 1, QUICK_MS);
        CLASS_GLOBAL_SETUP* panel = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((panel = VisiblePanel(View())) != nullptr, QUICK_MS);

        QLineEdit* label = VisibleChild<QLineEdit>(panel, QStringLiteral("Session label"));
        QSpinBox* port = VisibleChild<QSpinBox>(panel, QStringLiteral("Web port"));
        QTextEdit* description = VisibleChild<QTextEdit>(panel, QStringLiteral("Session description"));
        QPushButton* model = VisibleChild<QPushButton>(panel, MODEL);
        QComboBox* versions = VisibleChild<QComboBox>(panel, QStringLiteral("Simulator version"));
        QVERIFY(label != nullptr && port != nullptr && description != nullptr);
        QVERIFY(model != nullptr && versions != nullptr);

        ReplaceText(label, NAME);
        ReplaceText(port, QString::number(webPort));
        QTest::keyClicks(description, DESCRIPTION);
        QTest::mouseClick(model, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(View()->GetSessionWidget(0)->GetDevice(),
                                  QStringLiteral("Tarvo 4k ") + MODEL, QUICK_MS);
        QVERIFY(PickWithKeys(versions, VERSION));
        // The model's own configuration view, with its audio card box, replaced the previous one.
        QCheckBox* audio = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (audio = VisibleChild<QCheckBox>(panel, QStringLiteral("Audio card plugged"))) != nullptr,
            QUICK_MS);
        ClickCheckBox(audio);
        QVERIFY(audio->isChecked());

        QVERIFY(ClickWhenEnabled(QStringLiteral("saveButton")));
        QTRY_VERIFY_WITH_TIMEOUT(!Sessions()->IsSessionModified(0), QUICK_MS);
        CLASS_SESSION_WIDGET* card = View()->GetSessionWidget(0);
        QCOMPARE(card->GetName(), NAME);
        QCOMPARE(card->GetPort(), QString::number(webPort));
        QCOMPARE(card->GetVersion(), QStringLiteral("v") + VERSION);

        const QSettings settings(SettingsPath(0), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("NAME")).toString(), NAME);
        QCOMPARE(settings.value(QStringLiteral("PORT")).toInt(), static_cast<int>(webPort));
        QCOMPARE(settings.value(QStringLiteral("VERSION")).toString(), VERSION);
        QCOMPARE(settings.value(QStringLiteral("DEVICE_TYPE")).toInt(), MODEL_CODE);
        QCOMPARE(settings.value(QStringLiteral("DESCRIPTION")).toString(), DESCRIPTION);
        QCOMPARE(settings.value(QStringLiteral("MEZZA_AUDIO/PLUGGED")).toInt(), 1);
        QVERIFY(QFileInfo::exists(Sessions()->GetSessionFolder(0) + QStringLiteral("/ZR_APPS/index.html")));

        // Saved: Start is offered, the model and the audio card are locked, the version list is not.
        QVERIFY(Button(QStringLiteral("startButton"))->isEnabled());
        QVERIFY(!Button(QStringLiteral("saveButton"))->isEnabled());
        QVERIFY(!model->isEnabled());
        QVERIFY(!audio->isEnabled());
        QVERIFY(versions->isEnabled());
    }

    void startedSessionServesItsDevicePage()
    {
        QVERIFY(ClickWhenEnabled(QStringLiteral("startButton")));
        CHECKED(CheckSessionRunning(0, true));
        QVERIFY(ProcessAlive(Sessions()->GetSessionProcessId(0)));
        CHECKED(CheckDeviceAnswers(NAME));

        // "Open Web ZKM" opens the device's page, which is the session's own web application.
        QVERIFY(ClickWhenEnabled(QStringLiteral("openWebButton")));
        QTRY_COMPARE_WITH_TIMEOUT(browser.Arguments().size(), 1, QUICK_MS);
        QCOMPARE(QUrl(browser.Arguments().first()), QUrl(WebUrl()));
        const E2E_REPLY page = HttpGet(browser.Arguments().first());
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("<title>Tarvo 4K web control</title>"));
        const QJsonObject device = JsonOf(HttpGet(WebUrl() + QStringLiteral("/api/status")).body);
        QCOMPARE(device.value(QStringLiteral("webApplication")).toString(), QStringLiteral("session"));
    }

    void rebootFromTheDevicePageRestartsTheSimulator()
    {
        const qint64 before = Sessions()->GetSessionProcessId(0);
        const E2E_REPLY reboot = HttpPost(WebUrl() + QStringLiteral("/api/reboot"));
        QCOMPARE(reboot.status, 200);
        QCOMPARE(JsonOf(reboot.body).value(QStringLiteral("exitCode")).toInt(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!ProcessAlive(before), PROCESS_MS);
        QTRY_VERIFY_WITH_TIMEOUT(ProcessAlive(Sessions()->GetSessionProcessId(0)), PROCESS_MS);
        QVERIFY(Sessions()->GetSessionProcessId(0) != before);
        CHECKED(CheckDeviceAnswers(NAME));
        CHECKED(CheckSessionRunning(0, true));
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
    }

    void stopEndsTheSimulator()
    {
        const qint64 simulator = Sessions()->GetSessionProcessId(0);
        QVERIFY(ClickWhenEnabled(QStringLiteral("startButton")));
        CHECKED(CheckSessionRunning(0, false));
        QTRY_VERIFY_WITH_TIMEOUT(!ProcessAlive(simulator), PROCESS_MS);
        QCOMPARE(HttpGet(WebUrl() + QStringLiteral("/api/status")).status, 0);
    }

    void duplicateIsACopySavedByItself()
    {
        QVERIFY(ClickWhenEnabled(QStringLiteral("duplicateSessionButton")));
        QTRY_COMPARE_WITH_TIMEOUT(Sessions()->GetSessionCount(), 2, QUICK_MS);
        QTRY_VERIFY_WITH_TIMEOUT(!Sessions()->IsSessionModified(1), QUICK_MS);
        QCOMPARE(View()->GetSelectedSessionIndex(), 1);
        const QString copyName = NAME + QStringLiteral("(1)");
        QCOMPARE(View()->GetSessionWidget(1)->GetName(), copyName);
        QVERIFY(Sessions()->GetSessionFolder(1) != Sessions()->GetSessionFolder(0));
        const QSettings copy(SettingsPath(1), QSettings::IniFormat);
        QCOMPARE(copy.value(QStringLiteral("NAME")).toString(), copyName);
        QCOMPARE(copy.value(QStringLiteral("PORT")).toInt(), static_cast<int>(webPort));
        QCOMPARE(copy.value(QStringLiteral("VERSION")).toString(), VERSION);
        QCOMPARE(copy.value(QStringLiteral("DEVICE_TYPE")).toInt(), MODEL_CODE);
        QCOMPARE(copy.value(QStringLiteral("MEZZA_AUDIO/PLUGGED")).toInt(), 1);
    }

    void exportWritesTheSelectedSession()
    {
        CHECKED(SelectCard(0));
        exportedFolderName = QDir(Sessions()->GetSessionFolder(0)).dirName();
        exportedSettings = ReadFile(SettingsPath(0));
        archive = world.ExportFolder() + QLatin1Char('/') + exportedFolderName + QStringLiteral(".zip");
        CLASS_FILE_DIALOG::SetNextFileName(world.ExportFolder());
        MenuEntry(Window()->FileMenu(), QStringLiteral("actionExport"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(archive), QUICK_MS);
        const QStringList entries = ArchiveEntries(archive);
        QVERIFY2(entries.contains(exportedFolderName + QStringLiteral("/settings.ini")),
                 qPrintable(entries.join(QLatin1Char(' '))));
        QVERIFY(entries.contains(exportedFolderName + QStringLiteral("/ZR_APPS/index.html")));
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
    }

    void deleteRemovesTheSessionAndItsFolder()
    {
        const QString folder = Sessions()->GetSessionFolder(0);
        QCOMPARE(View()->GetSelectedSessionIndex(), 0);
        // The question names the session; No, the default answer, keeps it.
        CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::No);
        QVERIFY(ClickWhenEnabled(QStringLiteral("deleteSessionButton")));
        QTRY_VERIFY_WITH_TIMEOUT(CLASS_MESSAGE_BOX::LastText().contains(QStringLiteral("\"%1\"").arg(NAME)),
                                 QUICK_MS);
        QCoreApplication::processEvents();
        QCOMPARE(Sessions()->GetSessionCount(), 2);
        QVERIFY(QFileInfo::exists(folder));
        CLASS_MESSAGE_BOX::ClearHistory();

        QVERIFY(ClickWhenEnabled(QStringLiteral("deleteSessionButton")));
        QTRY_COMPARE_WITH_TIMEOUT(Sessions()->GetSessionCount(), 1, QUICK_MS);
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(CLASS_MESSAGE_BOX::Texts().size(), 1);
        CLASS_MESSAGE_BOX::ClearHistory();
        QCOMPARE(View()->GetSessionWidget(0)->GetName(), NAME + QStringLiteral("(1)"));
    }

    void importBringsTheSessionBack()
    {
        CLASS_FILE_DIALOG::SetNextFileName(archive);
        MenuEntry(Window()->FileMenu(), QStringLiteral("actionImport"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(Sessions()->GetSessionCount(), 2, QUICK_MS);
        QCOMPARE(QDir(Sessions()->GetSessionFolder(1)).dirName(), exportedFolderName);
        QCOMPARE(ReadFile(SettingsPath(1)), exportedSettings);
        CLASS_SESSION_WIDGET* card = View()->GetSessionWidget(1);
        QCOMPARE(card->GetName(), NAME);
        QCOMPARE(card->GetPort(), QString::number(webPort));
        QCOMPARE(card->GetVersion(), QStringLiteral("v") + VERSION);
        QTRY_COMPARE_WITH_TIMEOUT(card->GetDevice(), QStringLiteral("Tarvo 4k ") + MODEL, QUICK_MS);
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
    }

    // Removing the sessions' package marks their version as missing and blocks their start; installing
    // it again gives it back.
    void versionListsFollowThePackages()
    {
        CHECKED(SelectCard(1));
        // The sessions that use the version are named first; the removal goes ahead on "Yes".
        CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::Yes);
        QCOMPARE(ApplyPackages({OTHER_VERSION}, {VERSION}), QStringLiteral("Finished"));
        QCOMPARE(CLASS_MESSAGE_BOX::Texts().size(), 1);
        QVERIFY2(CLASS_MESSAGE_BOX::LastText().startsWith(QStringLiteral("Session ") + NAME) &&
                     CLASS_MESSAGE_BOX::LastText().contains(QStringLiteral(" uses ") + VERSION) &&
                     CLASS_MESSAGE_BOX::LastText().endsWith(QStringLiteral("Remove anyway?")),
                 qPrintable(CLASS_MESSAGE_BOX::LastText()));
        CLASS_MESSAGE_BOX::ClearHistory();
        QVERIFY(!PackageInstalled(VERSION));
        QVERIFY(PackageInstalled(OTHER_VERSION));
        CHECKED(CheckVersionLists(false));
        QTRY_VERIFY_WITH_TIMEOUT(!Button(QStringLiteral("startButton"))->isEnabled(), QUICK_MS);

        QCOMPARE(ApplyPackages({VERSION, OTHER_VERSION}, {}), QStringLiteral("Finished"));
        QVERIFY(PackageInstalled(VERSION));
        CHECKED(CheckVersionLists(true));
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
    }

    void updateCheckAnnouncesTheNewerLauncher()
    {
        MenuEntry(Window()->HelpMenu(), QStringLiteral("actionUpdateCheck"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(CLASS_MESSAGE_BOX::Texts().size(), 1, QUICK_MS);
        QVERIFY2(CLASS_MESSAGE_BOX::LastText().startsWith(ANNOUNCEMENT),
                 qPrintable(CLASS_MESSAGE_BOX::LastText()));
        QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        CLASS_MESSAGE_BOX::ClearHistory();
    }

    // Closing the window asks first while a simulator runs; once the user agrees, it quits, and the
    // launcher's end stops the simulator.
    void closingTheLauncherStopsTheRunningSimulator()
    {
        CHECKED(SelectCard(1));
        QVERIFY(ClickWhenEnabled(QStringLiteral("startButton")));
        CHECKED(CheckSessionRunning(1, true));
        CHECKED(CheckDeviceAnswers(NAME));
        const qint64 simulator = Sessions()->GetSessionProcessId(1);

        CLASS_MESSAGE_BOX::ClearHistory();
        CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::No);
        QVERIFY(!Window()->close());
        QVERIFY2(CLASS_MESSAGE_BOX::LastText().contains(QStringLiteral("\"%1\" is running").arg(NAME)),
                 qPrintable(CLASS_MESSAGE_BOX::LastText()));
        QVERIFY(ProcessAlive(simulator));
        CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::Yes);
        QVERIFY(Window()->close());
        // As the program does once its event loop has returned; no event loop runs from here on.
        launcher.reset();
        QVERIFY(!ProcessAlive(simulator));
        QVERIFY(PortFree(webPort));
    }
};

QTEST_MAIN(TestE2eWalk)
#include "TestE2eWalk.moc"
