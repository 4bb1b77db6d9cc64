// Export and import as the user runs them: the File menu's entries, the dialogs (answered in advance), the
// session back end's cards, and the boxes that tell of a refusal or a failure.

#include "ArchiveTestSupport.h"
#include "CLI/CLI_ClassSessionDirectory.h"
#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionArchive.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_FileDialog.h"
#include "GUI/GUI_MessageBox.h"
#include "TraceCapture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
const QString SESSION = QStringLiteral("Tarvo2024_03_05_14_07_59");
const QString VERSION = QStringLiteral("3.1.51");
const QString IMPORT_FILTER = QStringLiteral("Compressed (*.zip *.rar *.7z)");

quint16 UnusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress(QHostAddress::LocalHost), 0);
    return probe.serverPort();
}

// A launcher's world in a temporary folder: an application folder with the session's package installed,
// a sessions root with the catalogue copy, the main view and the session back end.
class World
{
public:
    explicit World(const QString& base) : base(base)
    {
        QDir().mkpath(AppFolder() + QLatin1Char('/') + PackageFolderName(VERSION) +
                      QStringLiteral("/ressources"));
        QDir().mkpath(Root());
        QSettings catalogue(Root() + QStringLiteral("tarvo4kpackages.ini"), QSettings::IniFormat);
        catalogue.setValue(PackageFolderName(VERSION), VERSION);
    }
    ~World() { Stop(); }

    QString AppFolder() const { return base + QStringLiteral("/app"); }
    QString Root() const { return base + QStringLiteral("/sessions/"); }

    void Start()
    {
        TARVO_VERSION_INFO_LOCATIONS locations;
        locations.applicationFolder = AppFolder();
        locations.sessionsRoot = Root();
        locations.catalogueUrl = QStringLiteral("http://127.0.0.1:%1/tarvo4kpackages.ini").arg(UnusedPort());
        locations.transferTimeoutMs = 3000;
        window = std::make_unique<CLASS_MAIN_WINDOW>();
        window->show();
        backEnd = std::make_unique<CLASS_MAIN_BACKEND>(window.get(), nullptr, locations);
    }
    void Stop()
    {
        backEnd.reset();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<CLASS_MAIN_WINDOW> window;
    std::unique_ptr<CLASS_MAIN_BACKEND> backEnd;

private:
    QString base;
};

QStringList Entries(const QString& archive)
{
    return QString::fromUtf8(RunTool(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive}))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// True when no dialog took the answer given in advance (and takes it now, so that none is left over).
bool DialogNotAsked(const QString& answer)
{
    return CLASS_FILE_DIALOG::GetExistingDirectory(nullptr, QString(), QString()) == answer;
}
} // namespace

class TestArchiveBackEnd : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> temp;
    std::unique_ptr<World> first;  // where sessions are exported from
    std::unique_ptr<World> second; // the other computer, with an empty sessions root
    QString Target() const { return temp->path() + QStringLiteral("/target"); }

    QString ExportFromFirst()
    {
        first->Start();
        CLASS_FILE_DIALOG::SetNextFileName(Target());
        first->backEnd->ExportRequest();
        first->Stop();
        return Target() + QLatin1Char('/') + SESSION + QStringLiteral(".zip");
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        CLASS_MESSAGE_BOX::SetAutoAnswer(true);
        QVERIFY(TraceCapture().Ready());
    }

    void init()
    {
        temp = std::make_unique<QTemporaryDir>();
        QVERIFY(temp->isValid());
        QVERIFY(QDir().mkpath(Target()));
        first = std::make_unique<World>(temp->path() + QStringLiteral("/first"));
        second = std::make_unique<World>(temp->path() + QStringLiteral("/second"));
        QVERIFY(MakeSessionFolder(first->Root() + SESSION, QStringLiteral("Studio A"), 3100));
        CLASS_MESSAGE_BOX::ClearHistory();
        CLASS_SESSION_ARCHIVE::SetDefaultTimeLimits(CLASS_SESSION_ARCHIVE::START_TIMEOUT_MS,
                                                    CLASS_SESSION_ARCHIVE::FINISH_TIMEOUT_MS);
    }

    void cleanup()
    {
        first.reset();
        second.reset();
        temp.reset();
    }

    void exportWritesTheSelectedSession()
    {
        const QString archive = ExportFromFirst();
        const QStringList entries = Entries(archive);
        QVERIFY(entries.contains(SESSION + QStringLiteral("/settings.ini")));
        QVERIFY(entries.contains(SESSION + QStringLiteral("/ZR_APPS/index.html")));
        QVERIFY(CLASS_MESSAGE_BOX::Texts().isEmpty());
    }

    void exportWithoutSavedSessionAsksNothing_data()
    {
        QTest::addColumn<bool>("newSession");
        QTest::newRow("no session") << false;
        QTest::newRow("never saved session") << true;
    }

    void exportWithoutSavedSessionAsksNothing()
    {
        QFETCH(bool, newSession);
        World& world = *second;
        world.Start();
        if (newSession)
        {
            world.backEnd->CreateNewSession();
            QCOMPARE(world.backEnd->GetSessionCount(), 1);
        }
        CLASS_FILE_DIALOG::SetNextFileName(Target());
        world.backEnd->ExportRequest();
        QVERIFY(DialogNotAsked(Target()));
        QVERIFY(Tree(Target()).isEmpty());
        QVERIFY(CLASS_MESSAGE_BOX::Texts().isEmpty());
    }

    void cancelledDialogsDoNothing()
    {
        first->Start();
        const QMap<QString, QByteArray> before = Tree(first->Root());
        CLASS_FILE_DIALOG::SetNextFileName(QString());
        first->backEnd->ExportRequest();
        CLASS_FILE_DIALOG::SetNextFileName(QString());
        first->backEnd->ImportRequest();
        QCOMPARE(CLASS_FILE_DIALOG::LastFilter(), IMPORT_FILTER);
        QCOMPARE(first->backEnd->GetSessionCount(), 1);
        QCOMPARE(Tree(first->Root()), before);
        QVERIFY(Tree(Target()).isEmpty());
        QVERIFY(CLASS_MESSAGE_BOX::Texts().isEmpty());
    }

    void failedExportIsLoggedAndShown()
    {
        QVERIFY(WriteScript(first->AppFolder() + QStringLiteral("/zip"), "exit 2"));
        first->Start();
        TraceCapture traces;
        CLASS_FILE_DIALOG::SetNextFileName(Target());
        first->backEnd->ExportRequest();
        QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Information);
        QCOMPARE(CLASS_MESSAGE_BOX::LastText(),
                 QStringLiteral("Couldn't export the session %1 to %2.").arg(SESSION, Target()));
        QTRY_COMPARE(
            traces.Errors(QStringLiteral("ExportRequest"), QStringLiteral("Couldn't compress session"))
                .size(),
            1);
        QVERIFY(Tree(Target()).isEmpty());
    }

    // An archive saved before is replaced only on "Yes", and only by a complete one.
    void exportOverAnExistingArchive_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("zipFails");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("no: nothing written") << int(QMessageBox::No) << false << false;
        QTest::newRow("yes: replaced") << int(QMessageBox::Yes) << false << true;
        QTest::newRow("yes, but the export fails: the old archive stays")
            << int(QMessageBox::Yes) << true << false;
    }

    void exportOverAnExistingArchive()
    {
        QFETCH(int, answer);
        QFETCH(bool, zipFails);
        QFETCH(bool, replaced);
        const QString archive = Target() + QLatin1Char('/') + SESSION + QStringLiteral(".zip");
        QVERIFY(WriteFile(archive, "the user's own archive"));
        if (zipFails)
        {
            QVERIFY(WriteScript(first->AppFolder() + QStringLiteral("/zip"),
                                "echo partial > \"$2.zip\"\nexit 2"));
        }
        first->Start();
        CLASS_FILE_DIALOG::SetNextFileName(Target());
        CLASS_MESSAGE_BOX::SetNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        first->backEnd->ExportRequest();

        QCOMPARE(CLASS_MESSAGE_BOX::Texts().value(0),
                 QStringLiteral("The archive %1 already exists. Replace it?").arg(archive));
        QCOMPARE(ReadFile(archive) == "the user's own archive", !replaced);
        if (replaced)
        {
            QVERIFY(Entries(archive).contains(SESSION + QStringLiteral("/settings.ini")));
        }
        // Nothing else in the folder: no staging folder, no half-written archive.
        QCOMPARE(QDir(Target()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{SESSION + QStringLiteral(".zip")});
    }

    // The window's list and --list take the same folders of the sessions root for sessions; a folder that
    // is none is neither loaded nor cleaned away.
    void sessionsAsTheWindowAndTheListSeeThem_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<bool>("withSettings");
        QTest::addColumn<bool>("isSession");
        QTest::newRow("a session named packages") << QStringLiteral("packages") << true << true;
        QTest::newRow("old package folder left behind") << QStringLiteral("packages") << false << false;
        QTest::newRow("name starting with -") << QStringLiteral("-session") << true << false;
        QTest::newRow("control character") << QStringLiteral("Tar\u0007vo") << true << false;
        QTest::newRow("lock file's name") << QStringLiteral("Tarvo4kSimulator.lock") << true << false;
        QTest::newRow("plain name") << QStringLiteral("Rack 4") << true << true;
    }

    void sessionsAsTheWindowAndTheListSeeThem()
    {
        QFETCH(QString, folderName);
        QFETCH(bool, withSettings);
        QFETCH(bool, isSession);
        World& world = *second;
        const QString folder = world.Root() + folderName;
        if (withSettings)
        {
            QVERIFY(MakeSessionFolder(folder, QStringLiteral("Studio B"), 3300));
        }
        else
        {
            QVERIFY(QDir().mkpath(folder + QStringLiteral("/TARVO_3_1_51/bin")));
        }
        const QMap<QString, QByteArray> before = Tree(folder);
        const CLASS_SESSION_DIRECTORY directory(world.Root(), world.AppFolder());
        world.Start();

        QCOMPARE(directory.Sessions().size(), isSession ? 1 : 0);
        QCOMPARE(world.backEnd->GetSessionCount(), isSession ? 1 : 0);
        if (isSession)
        {
            QCOMPARE(directory.Sessions().first().folder, folderName);
            QCOMPARE(QDir(world.backEnd->GetSessionFolder(0)).dirName(), folderName);
        }
        QCOMPARE(Tree(folder), before);
    }

    // The session comes back on the other computer as a new card with its folder, settings and content,
    // completed as at start: device label at once, change signals connected 2500 ms later.
    void importedSessionBecomesANewCard()
    {
        const QString archive = ExportFromFirst();
        World& world = *second;
        world.Start();
        QCOMPARE(world.backEnd->GetSessionCount(), 0);
        CLASS_FILE_DIALOG::SetNextFileName(archive);
        world.backEnd->ImportRequest();

        QCOMPARE(CLASS_FILE_DIALOG::LastFilter(), IMPORT_FILTER);
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
        QCOMPARE(world.backEnd->GetSessionCount(), 1);
        QCOMPARE(QDir(world.backEnd->GetSessionFolder(0)).dirName(), SESSION);
        QCOMPARE(Tree(world.Root() + SESSION), Tree(first->Root() + SESSION));
        CLASS_SESSION_WIDGET* card = world.window->GetSessionWidget(0);
        QCOMPARE(card->GetName(), QStringLiteral("Studio A"));
        QCOMPARE(card->GetPort(), QStringLiteral("3100"));
        QVERIFY2(card->GetDevice().endsWith(DEVICE_MODEL_NAMES.value(2)), qPrintable(card->GetDevice()));
        QVERIFY(!world.backEnd->IsSessionModified(0));

        // An edit is noticed only once the panel's change signals are connected, 2500 ms after the import.
        world.backEnd->GetSetupPanel(0)->SetDescription(QStringLiteral("edited"));
        QCoreApplication::processEvents();
        QVERIFY2(!world.backEnd->IsSessionModified(0), "change signals connected at once");
        QTRY_VERIFY_WITH_TIMEOUT(world.backEnd->IsSessionModified(0), 6000);
    }

    // People rename their exports: the folder the archive holds is loaded at once all the same, and is
    // still there, once, after a restart.
    void renamedArchiveBecomesANewCard()
    {
        const QString exported = ExportFromFirst();
        const QString archive = Target() + QStringLiteral("/Backup of Studio A.zip");
        QVERIFY(QFile::rename(exported, archive));
        World& world = *second;
        world.Start();
        CLASS_FILE_DIALOG::SetNextFileName(archive);
        world.backEnd->ImportRequest();
        QVERIFY2(CLASS_MESSAGE_BOX::Texts().isEmpty(), qPrintable(CLASS_MESSAGE_BOX::LastText()));
        QCOMPARE(world.backEnd->GetSessionCount(), 1);
        QCOMPARE(QDir(world.backEnd->GetSessionFolder(0)).dirName(), SESSION);
        QCOMPARE(world.window->GetSessionWidget(0)->GetName(), QStringLiteral("Studio A"));

        world.Stop();
        world.Start();
        QCOMPARE(world.backEnd->GetSessionCount(), 1);
        QCOMPARE(world.window->GetSessionWidget(0)->GetName(), QStringLiteral("Studio A"));
    }

    void importOfAnExistingFolderIsRefused()
    {
        const QString archive = ExportFromFirst();
        first->Start();
        const QMap<QString, QByteArray> before = Tree(first->Root());
        CLASS_FILE_DIALOG::SetNextFileName(archive);
        first->backEnd->ImportRequest();
        QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        QCOMPARE(CLASS_MESSAGE_BOX::LastText(),
                 QStringLiteral("The session folder %1 already exists. The archive %1.zip was not imported.")
                     .arg(SESSION));
        QCOMPARE(first->backEnd->GetSessionCount(), 1);
        QCOMPARE(Tree(first->Root()), before);
    }

    void stuckExtractorEndsWithABox()
    {
        const QString archive = ExportFromFirst();
        QVERIFY(WriteScript(second->AppFolder() + QStringLiteral("/unzip"), "exec sleep 30"));
        CLASS_SESSION_ARCHIVE::SetDefaultTimeLimits(5000, 700);
        World& world = *second;
        world.Start();
        const QMap<QString, QByteArray> before = Tree(world.Root());
        CLASS_FILE_DIALOG::SetNextFileName(archive);
        world.backEnd->ImportRequest();
        QCOMPARE(CLASS_MESSAGE_BOX::LastText(),
                 QStringLiteral("The archive %1.zip could not be unpacked.").arg(SESSION));
        QCOMPARE(world.backEnd->GetSessionCount(), 0);
        QCOMPARE(Tree(world.Root()), before);
    }

    // The File menu's entries reach the session back end from the event loop.
    void menuEntriesExportAndImport()
    {
        const QString archive = ExportFromFirst();
        // The launcher window's own sessions root lands in a temporary home (whose path must not hold
        // the application's name: the sessions root drops every occurrence of it).
        const QTemporaryDir homeDir(QDir::tempPath() + QStringLiteral("/tarvo-home-XXXXXX"));
        const QString home = homeDir.path();
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_DATA_HOME", home.toUtf8() + "/data");
        const QString root = CLASS_SESSION_SETTINGS::SessionsRoot();
        const QString menuSession = QStringLiteral("Tarvo2025_01_02_03_04_05");
        const bool made =
            root.startsWith(home) && MakeSessionFolder(root + menuSession, QStringLiteral("Menu"), 3200);
        if (made)
        {
            CLASS_LAUNCHER_WINDOW launcher;
            CLASS_MAIN_BACKEND* backEnd = launcher.SessionBackEnd();
            QCOMPARE(backEnd->GetSessionCount(), 1);

            CLASS_FILE_DIALOG::SetNextFileName(Target());
            launcher.ExportAction()->trigger();
            const QString exported = Target() + QLatin1Char('/') + menuSession + QStringLiteral(".zip");
            QVERIFY(!QFileInfo::exists(exported)); // queued: not yet
            QTRY_VERIFY(QFileInfo::exists(exported));

            CLASS_FILE_DIALOG::SetNextFileName(archive);
            launcher.ImportAction()->trigger();
            QCOMPARE(backEnd->GetSessionCount(), 1);
            QTRY_COMPARE(backEnd->GetSessionCount(), 2);
            QCOMPARE(QDir(backEnd->GetSessionFolder(1)).dirName(), SESSION);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qputenv("HOME", oldHome);
        qputenv("XDG_DATA_HOME", oldData);
        QVERIFY2(made, qPrintable(root));
    }
};

QTEST_MAIN(TestArchiveBackEnd)
#include "TestArchiveBackEnd.moc"
