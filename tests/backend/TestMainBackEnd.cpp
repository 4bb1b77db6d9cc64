// The session list operations, driven as the user drives them: buttons of the main view and the bottom
// bar, the editors of the setup panels. Each test runs in its own temporary world (BackEndFixture).

#include "BackEndFixture.h"
#include "TestFiles.h"
#include "TestHttpServer.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSelectPlatform.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

namespace
{
const QString VERSION = QStringLiteral("3.1.51");

// Every queued notice of the panels (up to three hops) has arrived.
void Settle()
{
    for (int round = 0; round < 10; ++round)
    {
        QCoreApplication::processEvents();
    }
}
} // namespace

class TestMainBackEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void stateFileStartsAtLauncherVersionInTheSessionsRoot();
    void sessionLimit_data();
    void sessionLimit();
    void newSessionThenSaved();
    void discardOfNeverSavedSessionChangesNothing();
    void editThenDiscardRestoresEverything();
    void deleteRemovesTheSelectedSessionOnly();
    void duplicateCopiesAndSavesItself();
    void duplicateOfNeverSavedSessionIsRefused();
    void newFoldersNeverReuseATakenName();
    void loadedSessionsAreShownLockedAndClean();
    void sessionWithMissingVersion_data();
    void sessionWithMissingVersion();
    void refreshKeepsEachSessionsSettings();
    void laterCatalogueKeepsEachSessionsVersion();
    void versionIsKeptByItsText_data();
    void versionIsKeptByItsText();
    void lostOnQuit_data();
    void lostOnQuit();
    void newSessionStartsOnAnInstalledVersion_data();
    void newSessionStartsOnAnInstalledVersion();
    void markupInTheSettingsFileIsShownAsText_data();
    void markupInTheSettingsFileIsShownAsText();

private:
    void CreateSession();
    void SaveSelected();
    void WriteSession(const QString& folderName, int deviceIndex, int port, const QString& version,
                      const QString& name, int audio);

    std::unique_ptr<BackEndFixture> world;
    QTemporaryDir logs;
};

void TestMainBackEnd::initTestCase()
{
    BackEndFixture::StartTracing(logs.path());
}

void TestMainBackEnd::init()
{
    CLASS_MESSAGE_BOX::ClearHistory();
    world = std::make_unique<BackEndFixture>();
    QVERIFY(world->IsValid());
    QVERIFY(world->InstallPackage(VERSION, "exec sleep 300"));
    QVERIFY(world->WriteCatalogue({VERSION}));
}

void TestMainBackEnd::cleanup()
{
    world.reset();
}

void TestMainBackEnd::CreateSession()
{
    const int count = world->backEnd->GetSessionCount();
    world->Click(QStringLiteral("createSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), count + 1);
    QTRY_VERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
}

void TestMainBackEnd::SaveSelected()
{
    world->Click(QStringLiteral("saveButton"));
    QTRY_VERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());
    QTRY_VERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
}

void TestMainBackEnd::WriteSession(const QString& folderName, int deviceIndex, int port,
                                   const QString& version, const QString& name, int audio)
{
    SESSION_SETTINGS_DATA data;
    data.deviceIndex = deviceIndex;
    data.port = port;
    data.versionText = version;
    data.name = name;
    data.audioCard = audio;
    const QString folder = world->SessionsRoot() + folderName;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(CLASS_SESSION_SETTINGS::Write(folder, data));
}

void TestMainBackEnd::stateFileStartsAtLauncherVersionInTheSessionsRoot()
{
    // Started from some other folder: the state file still lives beside the sessions.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    world->Build();
    QDir::setCurrent(previous);

    const QString stateFile = world->SessionsRoot() + QStringLiteral("tarvoversionsconfig");
    QCOMPARE(world->backEnd->GetStateFilePath(), stateFile);
    QCOMPARE(IniValue(stateFile, QStringLiteral("TARVO_LAST_VERSION_CHECKED")), QStringLiteral("1.5.3"));
    QVERIFY(!QFile::exists(elsewhere.path() + QStringLiteral("/tarvoversionsconfig")));

    world->backEnd->SetLastVersionChecked(QStringLiteral("1.6.0"));
    world->Destroy();
    world->Build();
    QCOMPARE(world->backEnd->GetLastVersionChecked(), QStringLiteral("1.6.0"));
}

void TestMainBackEnd::sessionLimit_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("create new session") << QStringLiteral("createSessionButton");
    QTest::newRow("duplicate session") << QStringLiteral("duplicateSessionButton");
}

void TestMainBackEnd::sessionLimit()
{
    QFETCH(QString, button);
    world->Build();
    for (int count = 0; count < CLASS_MAIN_BACKEND::MAX_SESSIONS; ++count)
    {
        CreateSession();
        if (QTest::currentTestFailed())
        {
            return;
        }
    }
    SaveSelected(); // a saved session could be duplicated but for the limit
    const QStringList folders = world->SessionFolders();
    QCOMPARE(folders.size(), 1);

    world->Click(button);
    QTRY_COMPARE(CLASS_MESSAGE_BOX::LastText(),
                 QStringLiteral("You have reached the maximum number of sessions!"));
    QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
    QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Information);
    Settle();
    QCOMPARE(world->backEnd->GetSessionCount(), CLASS_MAIN_BACKEND::MAX_SESSIONS);
    QCOMPARE(world->window->GetSessionWidget(CLASS_MAIN_BACKEND::MAX_SESSIONS), nullptr);
    QCOMPARE(world->SessionFolders(), folders);
}

void TestMainBackEnd::newSessionThenSaved()
{
    world->Build();
    CreateSession();
    CLASS_GLOBAL_SETUP* panel = world->Panel(0);
    CLASS_SESSION_WIDGET* card = world->Card(0);
    QCOMPARE(card->GetName(), QStringLiteral("Session 1"));
    QCOMPARE(panel->GetLabel(), QStringLiteral("Session 1"));
    QCOMPARE(panel->GetPortValue(), 3000);
    QCOMPARE(card->GetVersion(), QStringLiteral("v3.1.51"));
    QVERIFY(!world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(world->SessionFolders().isEmpty());

    // A "Dalvogrid 4K" named Studio on port 3100 with the audio card.
    QLineEdit* label = panel->findChild<QLineEdit*>(QStringLiteral("labelEditor"));
    label->clear();
    QTest::keyClicks(label, QStringLiteral("Studio"));
    panel->findChild<QSpinBox*>(QStringLiteral("portEditor"))->setValue(3100);
    QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("typeButton1")), Qt::LeftButton);
    QTRY_COMPARE(panel->GetSelection().value(1), 1);
    QTRY_COMPARE(card->GetDevice(), QStringLiteral("Tarvo 4k Dalvogrid 4K"));
    QCheckBox* audio = panel->findChild<QCheckBox*>(QStringLiteral("audioCheckBox"));
    QVERIFY(audio != nullptr);
    audio->click();
    QTRY_COMPARE(panel->GetSelection().value(2), 1);

    SaveSelected();
    QVERIFY(!world->Button(QStringLiteral("discardButton"))->isEnabled());
    QVERIFY(!world->backEnd->IsSessionModified(0));
    QVERIFY(world->backEnd->IsSessionLocked(0));
    QCOMPARE(card->GetName(), QStringLiteral("Studio"));
    QCOMPARE(card->GetPort(), QStringLiteral("3100"));
    QCOMPARE(world->window->GetWebPageUrl(), QStringLiteral("http://127.0.0.1:3100"));

    // Device model and audio card are locked; the version list stays usable.
    for (QPushButton* type : panel->GetPlatformSelector()->findChildren<QPushButton*>())
    {
        QVERIFY2(!type->isEnabled(), qPrintable(type->text()));
    }
    QVERIFY(!panel->findChild<QCheckBox*>(QStringLiteral("audioCheckBox"))->isEnabled());
    QVERIFY(panel->findChild<QComboBox*>(QStringLiteral("versionList"))->isEnabled());

    const QString folder = world->backEnd->GetSessionFolder(0);
    QCOMPARE(QFileInfo(folder).dir().absolutePath() + QLatin1Char('/'),
             QDir(world->SessionsRoot()).absolutePath() + QLatin1Char('/'));
    QVERIFY(QRegularExpression(QStringLiteral("^Tarvo\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d$"))
                .match(QFileInfo(folder).fileName())
                .hasMatch());
    QVERIFY(QFileInfo(folder + QStringLiteral("/tmp")).isDir());
    QCOMPARE(ReadFile(folder + QStringLiteral("/ZR_APPS/index.html")), QByteArray("<html>3.1.51</html>"));
    const QString settings = folder + QStringLiteral("/settings.ini");
    QCOMPARE(IniValue(settings, QStringLiteral("DEVICE_TYPE")), QStringLiteral("4"));
    QCOMPARE(IniValue(settings, QStringLiteral("PORT")), QStringLiteral("3100"));
    QCOMPARE(IniValue(settings, QStringLiteral("VERSION")), VERSION);
    QCOMPARE(IniValue(settings, QStringLiteral("NAME")), QStringLiteral("Studio"));
    QCOMPARE(IniValue(settings, QStringLiteral("MEZZA_AUDIO/PLUGGED")), QStringLiteral("1"));
}

void TestMainBackEnd::discardOfNeverSavedSessionChangesNothing()
{
    world->Build();
    CreateSession();
    QTest::keyClicks(world->Panel(0)->findChild<QLineEdit*>(QStringLiteral("labelEditor")),
                     QStringLiteral("X"));
    QSignalSpy discard(world->window, &CLASS_MAIN_WINDOW::SIGNAL_RequestToDiscardSession);
    world->Click(QStringLiteral("discardButton"));
    QTRY_COMPARE(discard.count(), 1);
    Settle();
    QCOMPARE(world->Panel(0)->GetLabel(), QStringLiteral("Session 1X"));
    QVERIFY(world->backEnd->IsSessionModified(0));
    QVERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(world->SessionFolders().isEmpty());
}

void TestMainBackEnd::editThenDiscardRestoresEverything()
{
    world->Build();
    CreateSession();
    CLASS_GLOBAL_SETUP* panel = world->Panel(0);
    panel->findChild<QSpinBox*>(QStringLiteral("portEditor"))->setValue(3200);
    QTest::keyClicks(panel->findChild<QTextEdit*>(QStringLiteral("descriptionEditor")),
                     QStringLiteral("first"));
    SaveSelected();
    const QList<int> saved = panel->GetSelection();

    QTest::keyClicks(panel->findChild<QLineEdit*>(QStringLiteral("labelEditor")), QStringLiteral("X"));
    panel->findChild<QSpinBox*>(QStringLiteral("portEditor"))->setValue(3201);
    QTest::keyClicks(panel->findChild<QTextEdit*>(QStringLiteral("descriptionEditor")),
                     QStringLiteral(" more"));
    QTRY_VERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(world->Button(QStringLiteral("discardButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("startButton"))->isEnabled());

    world->Click(QStringLiteral("discardButton"));
    QTRY_COMPARE(panel->GetLabel(), QStringLiteral("Session 1"));
    QCOMPARE(panel->GetPortValue(), 3200);
    QCOMPARE(panel->GetDescription(), QStringLiteral("first"));
    QCOMPARE(panel->GetSelection(), saved);
    QTRY_VERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("discardButton"))->isEnabled());
    // The restored selection rebuilt the audio box: it is locked again, and nothing counts as an edit.
    Settle();
    QVERIFY(!panel->findChild<QCheckBox*>(QStringLiteral("audioCheckBox"))->isEnabled());
    QVERIFY(!world->backEnd->IsSessionModified(0));
    QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
}

void TestMainBackEnd::deleteRemovesTheSelectedSessionOnly()
{
    world->Build();
    for (int count = 0; count < 3; ++count)
    {
        CreateSession();
        SaveSelected();
        if (QTest::currentTestFailed())
        {
            return;
        }
    }
    const QString first = world->backEnd->GetSessionFolder(0);
    const QString middle = world->backEnd->GetSessionFolder(1);
    const QString last = world->backEnd->GetSessionFolder(2);
    world->SelectCard(1);
    QTRY_VERIFY(world->Panel(1)->isVisible());

    world->Click(QStringLiteral("deleteSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 2);
    QVERIFY(!QFileInfo::exists(middle));
    QCOMPARE(world->backEnd->GetSessionFolder(0), first);
    QCOMPARE(world->backEnd->GetSessionFolder(1), last);
    QCOMPARE(world->Panel(0)->GetLabel(), QStringLiteral("Session 1"));
    QCOMPARE(world->Panel(1)->GetLabel(), QStringLiteral("Session 3"));
    QCOMPARE(world->Card(1)->GetName(), QStringLiteral("Session 3"));

    world->Click(QStringLiteral("deleteSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 1);
    world->Click(QStringLiteral("deleteSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 0);
    QVERIFY(world->SessionFolders().isEmpty());
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("discardButton"))->isEnabled());
}

void TestMainBackEnd::duplicateCopiesAndSavesItself()
{
    world->Build();
    CreateSession();
    world->Panel(0)->findChild<QSpinBox*>(QStringLiteral("portEditor"))->setValue(3456);
    SaveSelected();
    const QString source = world->backEnd->GetSessionFolder(0);
    QFile marker(source + QStringLiteral("/tmp/marker"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();

    world->Click(QStringLiteral("duplicateSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 2);
    QCOMPARE(world->Card(1)->GetName(), QStringLiteral("Session 1(1)"));
    QCOMPARE(world->Card(1)->GetPort(), QStringLiteral("3456"));
    QCOMPARE(world->Panel(1)->GetPortValue(), 3456);
    // Saved by itself a moment later.
    QTRY_VERIFY(!world->backEnd->IsSessionModified(1));
    QVERIFY(world->backEnd->IsSessionLocked(1));
    const QString copy = world->backEnd->GetSessionFolder(1);
    QVERIFY(copy != source);
    QVERIFY(QFileInfo(copy).fileName().startsWith(QStringLiteral("Tarvo")));
    QVERIFY(QFile::exists(copy + QStringLiteral("/tmp/marker")));
    QCOMPARE(IniValue(copy + QStringLiteral("/settings.ini"), QStringLiteral("NAME")),
             QStringLiteral("Session 1(1)"));
    QCOMPARE(IniValue(copy + QStringLiteral("/settings.ini"), QStringLiteral("PORT")),
             QStringLiteral("3456"));
    QCOMPARE(IniValue(source + QStringLiteral("/settings.ini"), QStringLiteral("NAME")),
             QStringLiteral("Session 1"));
    QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
}

void TestMainBackEnd::duplicateOfNeverSavedSessionIsRefused()
{
    world->Build();
    CreateSession();
    world->Click(QStringLiteral("duplicateSessionButton"));
    QTRY_COMPARE(CLASS_MESSAGE_BOX::LastText(), QStringLiteral("You should save session first !"));
    Settle();
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    QVERIFY(world->SessionFolders().isEmpty());
}

void TestMainBackEnd::newFoldersNeverReuseATakenName()
{
    // Folders named after the next seconds exist already (sessions made in the same second).
    const QDateTime now = QDateTime::currentDateTime();
    QStringList taken;
    for (int second = 0; second < 4; ++second)
    {
        const QString name = CLASS_SESSION_SETTINGS::SessionFolderName(now.addSecs(second));
        WriteSession(name, 0, 3000, VERSION, QStringLiteral("Taken"), 0);
        taken.append(name);
    }
    world->Build();
    QCOMPARE(world->backEnd->GetSessionCount(), 4);
    CreateSession();
    SaveSelected();
    world->Click(QStringLiteral("duplicateSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 6);
    QTRY_VERIFY(!world->backEnd->IsSessionModified(5));

    QStringList folders;
    for (int index = 0; index < 6; ++index)
    {
        folders.append(QFileInfo(world->backEnd->GetSessionFolder(index)).fileName());
    }
    QCOMPARE(QSet<QString>(folders.begin(), folders.end()).size(), 6);
    for (const QString& name : taken)
    {
        QCOMPARE(
            IniValue(world->SessionsRoot() + name + QStringLiteral("/settings.ini"), QStringLiteral("NAME")),
            QStringLiteral("Taken"));
    }
}

void TestMainBackEnd::loadedSessionsAreShownLockedAndClean()
{
    WriteSession(QStringLiteral("Tarvo2024_03_05_14_07_59"), 1, 4100, QStringLiteral("3_1_51"),
                 QStringLiteral("Studio"), 1);
    WriteSession(QStringLiteral("Tarvo2024_03_06_10_00_00"), 2, 4200, VERSION, QStringLiteral("Stage"), 0);
    QVERIFY(QDir().mkpath(world->SessionsRoot() + QStringLiteral("Tarvo2024_01_01_00_00_00")));
    world->Build();

    QCOMPARE(world->backEnd->GetSessionCount(), 2);
    QVERIFY(!QFileInfo::exists(world->SessionsRoot() + QStringLiteral("Tarvo2024_01_01_00_00_00")));
    QCOMPARE(world->Card(0)->GetName(), QStringLiteral("Studio"));
    QCOMPARE(world->Card(0)->GetPort(), QStringLiteral("4100"));
    QCOMPARE(world->Card(0)->GetVersion(), QStringLiteral("v3.1.51"));
    QCOMPARE(world->Card(0)->GetDevice(), QStringLiteral("Tarvo 4k Dalvogrid 4K"));
    QCOMPARE(world->Card(1)->GetDevice(), QStringLiteral("Tarvo 4k Brekka 4K"));
    QCOMPARE(world->Panel(0)->GetSelection(), (QList<int>{0, 1, 1}));
    QCOMPARE(world->Panel(1)->GetSelection(), (QList<int>{0, 2, 0}));
    QVERIFY(world->backEnd->IsSessionLocked(0));
    QVERIFY(world->backEnd->IsSessionLocked(1));
    QVERIFY(!world->Panel(0)->isVisible());
    QVERIFY(world->Panel(1)->isVisible());
    QCOMPARE(world->window->GetWebPageUrl(), QStringLiteral("http://127.0.0.1:4200"));
    QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());

    // The panels' own start-up notices are no edits; an edit made while they settle still counts.
    Settle();
    QVERIFY(!world->backEnd->IsSessionModified(1));
    QTest::keyClicks(world->Panel(1)->findChild<QLineEdit*>(QStringLiteral("labelEditor")),
                     QStringLiteral("X"));
    QTRY_VERIFY_WITH_TIMEOUT(world->Button(QStringLiteral("saveButton"))->isEnabled(),
                             2 * CLASS_MAIN_BACKEND::CONNECT_LOADED_DELAY_MS);
    QVERIFY(world->backEnd->IsSessionModified(1));
    QVERIFY(!world->backEnd->IsSessionModified(0));
    QCOMPARE(world->Card(0)->GetDevice(), QStringLiteral("Tarvo 4k Dalvogrid 4K"));
}

void TestMainBackEnd::sessionWithMissingVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("catalogue");
    // Offered by the catalogue but not installed.
    QTest::newRow("offered, not installed")
        << QStringLiteral("3.2.0") << QStringList{VERSION, QStringLiteral("3.2.0")};
    // Unknown to the catalogue: the session keeps it all the same, marked as missing.
    QTest::newRow("unknown version") << QStringLiteral("9.9.9") << QStringList{VERSION};
}

// Nothing starts on a missing version; the user picks an installed one and saves.
void TestMainBackEnd::sessionWithMissingVersion()
{
    QFETCH(QString, version);
    QFETCH(QStringList, catalogue);
    QVERIFY(world->WriteCatalogue(catalogue));
    WriteSession(QStringLiteral("Tarvo2024_03_05_14_07_59"), 0, 4100, version, QStringLiteral("Old"), 0);
    world->Build();
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    QCOMPARE(world->Card(0)->GetVersion(), QStringLiteral("v") + version);
    QVERIFY(world->backEnd->IsSessionModified(0));
    Settle();
    QVERIFY(world->Panel(0)->IsVersionMissing());
    QVERIFY(!world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("discardButton"))->isEnabled());

    QComboBox* list = world->Panel(0)->findChild<QComboBox*>(QStringLiteral("versionList"));
    QVERIFY(list->isEnabled());
    list->setCurrentIndex(list->findData(VERSION));
    QTRY_VERIFY_WITH_TIMEOUT(world->Button(QStringLiteral("saveButton"))->isEnabled(),
                             2 * CLASS_MAIN_BACKEND::CONNECT_LOADED_DELAY_MS);
    QVERIFY(!world->Panel(0)->IsVersionMissing());
    SaveSelected();
    QCOMPARE(IniValue(world->backEnd->GetSessionFolder(0) + QStringLiteral("/settings.ini"),
                      QStringLiteral("VERSION")),
             VERSION);
    QCOMPARE(world->Card(0)->GetVersion(), QStringLiteral("v") + VERSION);
}

void TestMainBackEnd::refreshKeepsEachSessionsSettings()
{
    QVERIFY(world->WriteCatalogue({VERSION, QStringLiteral("3.2.0")}));
    WriteSession(QStringLiteral("Tarvo2024_03_05_14_07_59"), 1, 4100, VERSION, QStringLiteral("Studio"), 1);
    WriteSession(QStringLiteral("Tarvo2024_03_06_10_00_00"), 2, 4200, QStringLiteral("3.2.0"),
                 QStringLiteral("Stage"), 0);
    world->Build();
    const QString studioFile = world->backEnd->GetSessionFolder(0) + QStringLiteral("/settings.ini");
    const QString stageFile = world->backEnd->GetSessionFolder(1) + QStringLiteral("/settings.ini");
    const QByteArray studioBefore = ReadFile(studioFile);
    const QByteArray stageBefore = ReadFile(stageFile);
    const int newKey = world->backEnd->GetVersionInfo()->GetVersionsTable().key(QStringLiteral("3.2.0"), -1);
    const int oldKey = world->backEnd->GetVersionInfo()->GetVersionsTable().key(VERSION, -1);
    QVERIFY(newKey >= 0 && oldKey >= 0);
    Settle();
    QVERIFY(world->Panel(1)->IsVersionMissing());
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());

    // The package manager installs 3.2.0 and reports the change.
    QVERIFY(world->InstallPackage(QStringLiteral("3.2.0"), "exec sleep 300"));
    world->backEnd->GetVersionInfo()->FindInstalledVersions();
    world->backEnd->SLOT_RefreshUpdaters();
    Settle();

    QCOMPARE(world->Panel(0)->GetSelection(), (QList<int>{oldKey, 1, 1}));
    QCOMPARE(world->Panel(1)->GetSelection(), (QList<int>{newKey, 2, 0}));
    QVERIFY(!world->Panel(1)->IsVersionMissing());
    QCOMPARE(ReadFile(studioFile), studioBefore);
    QCOMPARE(ReadFile(stageFile), stageBefore);
    QVERIFY(!world->Panel(0)->findChild<QCheckBox*>(QStringLiteral("audioCheckBox"))->isEnabled());
    QVERIFY(!world->backEnd->IsSessionModified(0));
    // Stage was loaded with a version that was missing; installed now, with nothing changed, it is clean.
    QVERIFY(!world->backEnd->IsSessionModified(1));
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());

    world->SelectCard(0);
    QTRY_VERIFY(world->Panel(0)->isVisible());
    QTRY_VERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(!world->Button(QStringLiteral("saveButton"))->isEnabled());
    QCOMPARE(world->Card(0)->GetDevice(), QStringLiteral("Tarvo 4k Dalvogrid 4K"));
}

// The window shows the local catalogue copy; the remote catalogue arrives later with other keys and
// without a version that a session uses. Every session keeps its version, unmodified.
void TestMainBackEnd::laterCatalogueKeepsEachSessionsVersion()
{
    QVERIFY(world->WriteCatalogue({VERSION, QStringLiteral("3.0.0")}));
    WriteSession(QStringLiteral("Tarvo2024_03_05_14_07_59"), 1, 4100, VERSION, QStringLiteral("Studio"), 1);
    WriteSession(QStringLiteral("Tarvo2024_03_06_10_00_00"), 2, 4200, QStringLiteral("3.0.0"),
                 QStringLiteral("Old"), 0);
    TestHttpServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/tarvo4kpackages.ini"),
                    "[General]\nTARVO_3_2_0=3.2.0\nTARVO_3_1_51=3.1.51\n");
    world->Build(server.Url(QStringLiteral("/tarvo4kpackages.ini")));
    const QString studioFile = world->backEnd->GetSessionFolder(0) + QStringLiteral("/settings.ini");
    const QByteArray studioBefore = ReadFile(studioFile);
    const QMap<int, QString> local{{0, VERSION}, {1, QStringLiteral("3.0.0")}};
    QCOMPARE(world->backEnd->GetVersionInfo()->GetVersionsTable(), local);
    Settle();
    const bool oldModified = world->backEnd->IsSessionModified(1);

    world->backEnd->RefreshCatalogue();
    const QMap<int, QString> arrived{
        {0, QStringLiteral("3.2.0")}, {1, VERSION}, {2, QStringLiteral("3.0.0")}};
    QTRY_COMPARE(world->backEnd->GetVersionInfo()->GetVersionsTable(), arrived);
    Settle();
    QCOMPARE(world->Panel(0)->GetSelection(), (QList<int>{1, 1, 1}));
    QCOMPARE(world->Panel(1)->GetSelection(), (QList<int>{2, 2, 0}));
    QCOMPARE(world->Panel(0)->findChild<QComboBox*>(QStringLiteral("versionList"))->count(), 3);
    QVERIFY(!world->backEnd->IsSessionModified(0));
    // Old was loaded with a version that is not installed: it waits for a save, as before.
    QCOMPARE(world->backEnd->IsSessionModified(1), oldModified);
    QCOMPARE(ReadFile(studioFile), studioBefore);
}

// Whatever the catalogue says, before or after it arrives: a session shows, starts and saves the version it
// was saved with (3.2.0, installed), never the entry that happens to sit at its table key.
void TestMainBackEnd::versionIsKeptByItsText_data()
{
    QTest::addColumn<QStringList>("localCopy"); // empty: no local copy
    QTest::addColumn<QByteArray>("served");     // empty: no server answers
    QTest::addColumn<bool>("createdBeforeCatalogue");
    const QByteArray both("[General]\nTARVO_3_1_51=3.1.51\nTARVO_3_2_0=3.2.0\n");
    const QByteArray withoutIt("[General]\nTARVO_3_1_51=3.1.51\nTARVO_3_0_0=3.0.0\n");
    QTest::newRow("no copy, server answers") << QStringList() << both << false;
    QTest::newRow("no copy, no server") << QStringList() << QByteArray() << false;
    QTest::newRow("copy lacks the version")
        << QStringList{VERSION, QStringLiteral("3.0.0")} << QByteArray() << false;
    QTest::newRow("session created before the catalogue") << QStringList() << both << true;
    QTest::newRow("catalogue drops the version")
        << QStringList{QStringLiteral("3.2.0"), VERSION} << withoutIt << false;
}

void TestMainBackEnd::versionIsKeptByItsText()
{
    QFETCH(QStringList, localCopy);
    QFETCH(QByteArray, served);
    QFETCH(bool, createdBeforeCatalogue);
    const QString kept = QStringLiteral("3.2.0");
    QVERIFY(world->InstallPackage(kept, "exec sleep 300"));
    QVERIFY(QFile::remove(world->SessionsRoot() + QStringLiteral("tarvo4kpackages.ini")));
    if (!localCopy.isEmpty())
    {
        QVERIFY(world->WriteCatalogue(localCopy));
    }
    if (!createdBeforeCatalogue)
    {
        WriteSession(QStringLiteral("Tarvo2024_03_05_14_07_59"), 0, 4100, kept, QStringLiteral("Kept"), 0);
    }
    TestHttpServer server;
    QVERIFY(server.Start());
    if (!served.isEmpty())
    {
        server.SetRoute(QStringLiteral("/tarvo4kpackages.ini"), served);
    }
    world->Build(served.isEmpty() ? QString() : server.Url(QStringLiteral("/tarvo4kpackages.ini")));
    if (createdBeforeCatalogue)
    {
        CreateSession();
        SaveSelected();
    }
    world->backEnd->RefreshCatalogue();
    QTRY_VERIFY(!world->backEnd->GetVersionInfo()->IsFetching());
    Settle();

    const QComboBox* list = world->Panel(0)->findChild<QComboBox*>(QStringLiteral("versionList"));
    QCOMPARE(list->currentText(), kept);
    QCOMPARE(world->Card(0)->GetVersion(), QStringLiteral("v") + kept);
    QVERIFY(!world->backEnd->IsSessionModified(0));
    // A new label is saved with the session's own version.
    QTest::keyClicks(world->Panel(0)->findChild<QLineEdit*>(QStringLiteral("labelEditor")),
                     QStringLiteral("X"));
    QTRY_VERIFY_WITH_TIMEOUT(world->Button(QStringLiteral("saveButton"))->isEnabled(),
                             2 * CLASS_MAIN_BACKEND::CONNECT_LOADED_DELAY_MS);
    SaveSelected();
    QCOMPARE(IniValue(world->backEnd->GetSessionFolder(0) + QStringLiteral("/settings.ini"),
                      QStringLiteral("VERSION")),
             kept);
    world->Click(QStringLiteral("startButton"));
    QTRY_VERIFY(!world->Runs().isEmpty());
    QVERIFY2(world->Runs().constLast().contains(QStringLiteral("/TARVO_3_2_0/bin/ZR_APP_SIMULATOR|")),
             qPrintable(world->Runs().constLast()));
}

void TestMainBackEnd::lostOnQuit_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("lost");
    QTest::newRow("saved, unchanged") << QStringLiteral("saved") << false;
    QTest::newRow("saved, then edited") << QStringLiteral("edited") << true;
    QTest::newRow("created, never saved, untouched") << QStringLiteral("new") << true;
    QTest::newRow("loaded, version missing, untouched") << QStringLiteral("missing") << false;
}

void TestMainBackEnd::lostOnQuit()
{
    QFETCH(QString, state);
    QFETCH(bool, lost);
    if (state == QStringLiteral("missing"))
    {
        WriteSession(QStringLiteral("Tarvo2024_03_05_14_07_59"), 0, 4100, QStringLiteral("3.9.0"),
                     QStringLiteral("Old"), 0);
    }
    world->Build();
    if (state != QStringLiteral("missing"))
    {
        CreateSession();
    }
    if (state == QStringLiteral("saved") || state == QStringLiteral("edited"))
    {
        SaveSelected();
    }
    if (state == QStringLiteral("edited"))
    {
        QTest::keyClicks(world->Panel(0)->findChild<QLineEdit*>(QStringLiteral("labelEditor")),
                         QStringLiteral("X"));
        QTRY_VERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    }
    Settle();
    QCOMPARE(world->backEnd->IsLostOnQuit(0), lost);
}

void TestMainBackEnd::newSessionStartsOnAnInstalledVersion_data()
{
    QTest::addColumn<QStringList>("catalogue");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("missing");
    QTest::newRow("first entry installed")
        << QStringList{VERSION, QStringLiteral("3.2.0")} << VERSION << false;
    QTest::newRow("first entry missing") << QStringList{QStringLiteral("3.2.0"), VERSION} << VERSION << false;
    QTest::newRow("nothing installed")
        << QStringList{QStringLiteral("3.2.0"), QStringLiteral("3.9.0")} << QString() << true;
}

void TestMainBackEnd::newSessionStartsOnAnInstalledVersion()
{
    QFETCH(QStringList, catalogue);
    QFETCH(QString, expected);
    QFETCH(bool, missing);
    QVERIFY(world->WriteCatalogue(catalogue));
    if (missing)
    {
        QVERIFY(QDir(world->AppFolder() + QStringLiteral("/TARVO_3_1_51")).removeRecursively());
    }
    world->Build();
    world->Click(QStringLiteral("createSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 1);
    Settle();
    QCOMPARE(world->Panel(0)->IsVersionMissing(), missing);
    QCOMPARE(world->Button(QStringLiteral("saveButton"))->isEnabled(), !missing);
    if (!expected.isEmpty())
    {
        const int key = world->backEnd->GetVersionInfo()->GetVersionsTable().key(expected, -1);
        QCOMPARE(world->Panel(0)->GetVersionIndex(), key);
        QCOMPARE(world->Card(0)->GetVersion(), QStringLiteral("v") + expected);
    }
}

void TestMainBackEnd::markupInTheSettingsFileIsShownAsText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const QStringList keys{QStringLiteral("NAME"),
                           QStringLiteral("DESCRIPTION"),
                           QStringLiteral("VERSION"),
                           QStringLiteral("PORT"),
                           QStringLiteral("DEVICE_TYPE"),
                           QStringLiteral("ZRJ_INT_PORT"),
                           QStringLiteral("ZRJ_EXT_PORT"),
                           QStringLiteral("ZRP_INT_PORT"),
                           QStringLiteral("MEZZA_AUDIO/PLUGGED")};
    // Rendered as rich text, file:///dev/zero is read as an image until memory runs out.
    const QStringList values{QStringLiteral("<h1>Big</h1><table><tr><td>x</td></tr></table>"),
                             QStringLiteral("<img src='file:///dev/zero?1'><img src='file:///dev/zero?2'>")};
    for (const QString& key : keys)
    {
        QTest::addRow("%s, HTML", qPrintable(key)) << key << values.at(0);
        QTest::addRow("%s, file image", qPrintable(key)) << key << values.at(1);
    }
}

void TestMainBackEnd::markupInTheSettingsFileIsShownAsText()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QString folderName = QStringLiteral("Tarvo2024_03_05_14_07_59");
    WriteSession(folderName, 0, 4100, VERSION, QStringLiteral("Studio"), 1);
    {
        QSettings file(world->SessionsRoot() + folderName + QStringLiteral("/settings.ini"),
                       QSettings::IniFormat);
        file.setValue(key, value);
    }
    world->Build();
    Settle();
    if (key == QStringLiteral("NAME"))
    {
        QCOMPARE(world->Card(0)->GetName(), value);
    }
    for (const QLabel* label : world->window->findChildren<QLabel*>())
    {
        if (Qt::mightBeRichText(label->text()))
        {
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
    }
    // A tooltip guesses rich text from its content: the value may only appear in it escaped.
    for (const QWidget* widget : world->window->findChildren<QWidget*>())
    {
        QVERIFY2(!Qt::mightBeRichText(widget->toolTip()) || !widget->toolTip().contains(value),
                 qPrintable(widget->toolTip()));
    }
    if (!CLASS_MESSAGE_BOX::Texts().isEmpty())
    {
        QCOMPARE(CLASS_MESSAGE_BOX::LastFormat(), Qt::PlainText);
    }
}

QTEST_MAIN(TestMainBackEnd)
#include "TestMainBackEnd.moc"
