// Session folders that cannot be used. The tests run as root in CI, where permission bits stop nothing, so
// each location is made unusable by what stands there: a file where a folder is expected, a folder (or a
// pipe) where a file is expected, a name or a path longer than the system allows. Each case checks that
// whatever stood there is still there, unchanged, that the other sessions load and save, and that the
// failure is reported (an error line in the log; the session stays marked unsaved when it could not be
// written).

#include "BackEndFixture.h"
#include "FaultSupport.h"
#include "SmallFileSystem.h"
#include "TraceCapture.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_MessageBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace
{
const QString VERSION = QStringLiteral("3.1.51");
const QString GOOD = QStringLiteral("Tarvo2024_01_01_00_00_00");
const QString BROKEN = QStringLiteral("Tarvo2024_02_02_00_00_00");
const QByteArray GOOD_SETTINGS = "[General]\nDEVICE_TYPE=4\nPORT=3000\nVERSION=3.1.51\nNAME=Good\n";
const QByteArray OBSTACLE = "the user's own file, not the launcher's\n";
constexpr int NAME_MAX_BYTES = 255;
constexpr int PATH_MAX_BYTES = 4096;
// The lines of a save name the session back end's unit and SLOT_SaveRequest.
const QString SAVE_ORIGIN =
    QStringLiteral("..\\mng_launcher\\DEVICE\\DEVICE_ClassMainBackEnd SLOT_SaveRequest");

// A folder path of about length characters below base, made of names the system accepts.
QString DeepFolder(const QString& base, int length)
{
    QString path = base;
    while (path.size() < length)
    {
        const int room = length - path.size() - 1;
        path += QLatin1Char('/') + QString(qMin(room, 200), QLatin1Char('d'));
    }
    return path;
}
} // namespace

class TestSessionStoreFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void unusableSessionsRoot_data();
    void unusableSessionsRoot();
    void unreadableSessionFolder_data();
    void unreadableSessionFolder();
    void fileWhereASessionSubfolderIsExpected_data();
    void fileWhereASessionSubfolderIsExpected();
    void sessionFolderReplacedByAFile();
    void fullDiskDuringSave();

private:
    // The main view and the back end on the given sessions root (the fixture's locations otherwise).
    void BuildOn(const QString& sessionsRoot);
    // Types a new name into the selected session's panel and presses Save.
    void RenameAndSave(int index, const QString& name);
    QLineEdit* NameEditor(int index) const;

    std::unique_ptr<BackEndFixture> world;
    QTemporaryDir logs;
};

void TestSessionStoreFaults::initTestCase()
{
    BackEndFixture::StartTracing(logs.path());
}

void TestSessionStoreFaults::init()
{
    CLASS_MESSAGE_BOX::ClearHistory();
    world = std::make_unique<BackEndFixture>();
    QVERIFY(world->IsValid());
    QVERIFY(world->InstallPackage(VERSION, QByteArray()));
}

void TestSessionStoreFaults::cleanup()
{
    // A save makes the session folder the current directory: leave it before the folder goes.
    QDir::setCurrent(QDir::tempPath());
    world.reset();
}

void TestSessionStoreFaults::BuildOn(const QString& sessionsRoot)
{
    TARVO_VERSION_INFO_LOCATIONS locations = world->Locations();
    locations.sessionsRoot = sessionsRoot;
    world->window = new CLASS_MAIN_WINDOW();
    world->window->resize(1000, 700);
    world->window->show();
    world->backEnd = new CLASS_MAIN_BACKEND(world->window, nullptr, locations);
}

QLineEdit* TestSessionStoreFaults::NameEditor(int index) const
{
    return world->Panel(index)->findChild<QLineEdit*>(QStringLiteral("labelEditor"));
}

void TestSessionStoreFaults::RenameAndSave(int index, const QString& name)
{
    QLineEdit* editor = NameEditor(index);
    QVERIFY(editor != nullptr);
    editor->clear();
    QTest::keyClicks(editor, name);
    QTRY_VERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    world->Click(QStringLiteral("saveButton"));
    QCoreApplication::processEvents();
}

void TestSessionStoreFaults::unusableSessionsRoot_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("the sessions root is a file") << "root file";
    QTest::newRow("a parent of the sessions root is a file") << "parent file";
    QTest::newRow("a name in the root's path is too long") << "long name";
    QTest::newRow("the root's path is too long for anything in it") << "long path";
}

void TestSessionStoreFaults::unusableSessionsRoot()
{
    QFETCH(QString, obstacle);
    const QString base = world->Path() + QStringLiteral("/data");
    QString root;
    QString blocker; // the file that stands in the way
    if (obstacle == QStringLiteral("root file"))
    {
        blocker = base + QStringLiteral("/Tarvo_Simulator");
        root = blocker + QLatin1Char('/');
    }
    else if (obstacle == QStringLiteral("parent file"))
    {
        blocker = base + QStringLiteral("/VORNTAL");
        root = blocker + QStringLiteral("/Tarvo_Simulator/");
    }
    else if (obstacle == QStringLiteral("long name"))
    {
        root = base + QLatin1Char('/') + QString(NAME_MAX_BYTES + 1, QLatin1Char('n')) + QLatin1Char('/');
    }
    else
    {
        // The root itself can be made, but no session folder name fits below it.
        root = DeepFolder(base, PATH_MAX_BYTES - 10) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(root));
    }
    if (!blocker.isEmpty())
    {
        QVERIFY(WriteBytes(blocker, OBSTACLE));
    }
    const QStringList before = TreeSnapshot(base);

    TraceCapture log;
    BuildOn(root);
    QCOMPARE(world->backEnd->GetSessionCount(), 0);
    if (obstacle != QStringLiteral("long path"))
    {
        QTRY_VERIFY2(log.HasError(QStringLiteral("Failed to create the working directory : ") + root),
                     qPrintable(log.errors.join(QString())));
    }

    // A new session cannot be saved: it stays unsaved (Save still offered) and the failure is logged.
    world->Click(QStringLiteral("createSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 1);
    RenameAndSave(0, QStringLiteral("Lost?"));
    QTRY_VERIFY2(log.ErrorsStartingWith(QStringLiteral("Failed to create the working directory : ") + root +
                                            QStringLiteral("Tarvo"),
                                        SAVE_ORIGIN) > 0,
                 qPrintable(log.errors.join(QString())));
    QTRY_VERIFY(log.HasError(QStringLiteral("Error opening file for writing:")));
    QVERIFY(world->backEnd->IsSessionModified(0));
    QTRY_VERIFY(
        CLASS_MESSAGE_BOX::LastText().startsWith(QStringLiteral("The session \"Lost?\" could not be saved")));
    QVERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    QCOMPARE(world->Card(0)->GetName(), QStringLiteral("Lost?"));
    // What stood in the way is untouched.
    QCOMPARE(TreeSnapshot(base), before);

    // The unsaved session can still be removed.
    world->Click(QStringLiteral("deleteSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 0);
    QCOMPARE(TreeSnapshot(base), before);
}

void TestSessionStoreFaults::unreadableSessionFolder_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("catalogueCopy");
    QTest::addColumn<QString>("logged");
    const QString parseFailed = QStringLiteral("Failed to parse file ");
    QTest::newRow("settings.ini is a folder") << "ini folder" << true << parseFailed;
    QTest::newRow("settings.ini is a named pipe") << "ini pipe" << true << parseFailed;
    // Without a catalogue copy the session versions are read for the fallback catalogue as well.
    QTest::newRow("settings.ini is a named pipe, first run") << "ini pipe" << false << parseFailed;
    QTest::newRow("the session folder is a file") << "folder file" << true << QString();
    // A session kept on another disk, say: its target has no settings.ini, and is neither emptied nor used.
    QTest::newRow("the session folder is a link to a folder without settings.ini")
        << "folder link" << true << QStringLiteral("Left alone a link in the sessions folder : ");
}

void TestSessionStoreFaults::unreadableSessionFolder()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, catalogueCopy);
    QFETCH(QString, logged);
    QVERIFY(QDir().mkpath(world->SessionsRoot()));
    QVERIFY(!catalogueCopy || world->WriteCatalogue({VERSION}));
    const QString root = world->SessionsRoot();
    QVERIFY(WriteBytes(root + GOOD + QStringLiteral("/settings.ini"), GOOD_SETTINGS));
    const QString broken = root + BROKEN;
    const QString outside = world->Path() + QStringLiteral("/other-disk");
    if (obstacle == QStringLiteral("folder file"))
    {
        QVERIFY(WriteBytes(broken, OBSTACLE));
    }
    else if (obstacle == QStringLiteral("folder link"))
    {
        QVERIFY(WriteBytes(outside + QStringLiteral("/ZR_APPS/index.html"), OBSTACLE));
        QVERIFY(WriteBytes(outside + QStringLiteral("/notes.txt"), OBSTACLE));
        QVERIFY(QFile::link(outside, broken));
    }
    else
    {
        QVERIFY(WriteBytes(broken + QStringLiteral("/ZR_APPS/index.html"), OBSTACLE));
        QVERIFY(WriteBytes(broken + QStringLiteral("/notes.txt"), OBSTACLE));
        const QString ini = broken + QStringLiteral("/settings.ini");
        if (obstacle == QStringLiteral("ini folder"))
        {
            QVERIFY(WriteBytes(ini + QStringLiteral("/inside.txt"), OBSTACLE));
        }
        else
        {
            QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
        }
    }
    const QStringList brokenBefore = TreeSnapshot(root + QStringLiteral("..")).filter(BROKEN);
    const QStringList outsideBefore = TreeSnapshot(outside);

    TraceCapture log;
    world->Build();
    // The readable session loads; the other one is reported and left as it is.
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    QCOMPARE(world->Card(0)->GetName(), QStringLiteral("Good"));
    if (!logged.isEmpty())
    {
        const QString file =
            obstacle == QStringLiteral("folder link") ? QString() : QStringLiteral("/settings.ini");
        QTRY_VERIFY2(log.HasError(logged + broken + file), qPrintable(log.errors.join(QString())));
    }
    QCOMPARE(TreeSnapshot(root + QStringLiteral("..")).filter(BROKEN), brokenBefore);
    QCOMPARE(TreeSnapshot(outside), outsideBefore);

    // The readable session saves as usual, and a new start loads the same.
    RenameAndSave(0, QStringLiteral("Still good"));
    QTRY_VERIFY(!world->backEnd->IsSessionModified(0));
    QCOMPARE(IniValue(root + GOOD + QStringLiteral("/settings.ini"), QStringLiteral("NAME")),
             QStringLiteral("Still good"));
    world->Destroy();
    world->Build();
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    QCOMPARE(world->Card(0)->GetName(), QStringLiteral("Still good"));
    QCOMPARE(TreeSnapshot(root + QStringLiteral("..")).filter(BROKEN), brokenBefore);
    QCOMPARE(TreeSnapshot(outside), outsideBefore);
}

void TestSessionStoreFaults::fileWhereASessionSubfolderIsExpected_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("asLink");
    QTest::addColumn<QString>("logged");
    QTest::newRow("ZR_APPS is a file") << "ZR_APPS" << false << "Failed to copy session resources";
    QTest::newRow("tmp is a file") << "tmp" << false << "Failed to create the tmp directory : ";
    // A link is removed as a link and a folder of the launcher's made: its target is neither emptied
    // nor written.
    QTest::newRow("ZR_APPS is a link to a folder") << "ZR_APPS" << true << QString();
    QTest::newRow("tmp is a link to a folder") << "tmp" << true << QString();
}

void TestSessionStoreFaults::fileWhereASessionSubfolderIsExpected()
{
    QFETCH(QString, entry);
    QFETCH(bool, asLink);
    QFETCH(QString, logged);
    QVERIFY(world->WriteCatalogue({VERSION}));
    const QString folder = world->SessionsRoot() + GOOD;
    const QString outside = world->Path() + QStringLiteral("/outside");
    QVERIFY(WriteBytes(folder + QStringLiteral("/settings.ini"), GOOD_SETTINGS));
    if (asLink)
    {
        QVERIFY(WriteBytes(outside + QStringLiteral("/keep.txt"), OBSTACLE));
        QVERIFY(QFile::link(outside, folder + QLatin1Char('/') + entry));
    }
    else
    {
        QVERIFY(WriteBytes(folder + QLatin1Char('/') + entry, OBSTACLE));
    }
    const QStringList outsideBefore = TreeSnapshot(outside);

    TraceCapture log;
    world->Build();
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    RenameAndSave(0, QStringLiteral("Renamed"));
    // The save goes on past the step that failed: the settings are written, the failure is logged.
    QTRY_VERIFY2(logged.isEmpty() || log.ErrorsStartingWith(logged, SAVE_ORIGIN) > 0,
                 qPrintable(log.errors.join(QString())));
    QTRY_VERIFY(!world->backEnd->IsSessionModified(0));
    QCOMPARE(IniValue(folder + QStringLiteral("/settings.ini"), QStringLiteral("NAME")),
             QStringLiteral("Renamed"));
    if (asLink)
    {
        const QFileInfo made(folder + QLatin1Char('/') + entry);
        QVERIFY(made.isDir() && !made.isSymLink());
        QCOMPARE(TreeSnapshot(outside), outsideBefore);
    }
    else
    {
        QCOMPARE(FileBytes(folder + QLatin1Char('/') + entry), OBSTACLE);
    }
}

void TestSessionStoreFaults::fullDiskDuringSave()
{
    SMALL_FILE_SYSTEM disk(512);
    if (!disk.IsMounted())
    {
        QSKIP(qPrintable(disk.Problem()));
    }
    const QString root = disk.Path() + QStringLiteral("/sessions/");
    const QString ini = root + GOOD + QStringLiteral("/settings.ini");
    QVERIFY(WriteBytes(root + QStringLiteral("tarvo4kpackages.ini"), "[General]\nTARVO_3_1_51=3.1.51\n"));
    QVERIFY(WriteBytes(ini, GOOD_SETTINGS));
    TraceCapture log;
    BuildOn(root);
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    RenameAndSave(0, QStringLiteral("Saved"));
    QTRY_VERIFY(!world->backEnd->IsSessionModified(0));
    const QByteArray saved = FileBytes(ini);
    QVERIFY(saved.contains("NAME=Saved"));

    // With the disk full, a save fails as a whole: the old file stays byte for byte, the session stays
    // unsaved and the user is told.
    CLASS_MESSAGE_BOX::ClearHistory();
    QVERIFY(disk.FillUp());
    RenameAndSave(0, QStringLiteral("Lost"));
    QTRY_VERIFY(
        CLASS_MESSAGE_BOX::LastText().startsWith(QStringLiteral("The session \"Lost\" could not be saved")));
    QVERIFY(world->backEnd->IsSessionModified(0));
    QVERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    QCOMPARE(FileBytes(ini), saved);
    QVERIFY(log.HasError(QStringLiteral("Error")));

    // With room again the same save goes through.
    QVERIFY(disk.FreeUp());
    world->Click(QStringLiteral("saveButton"));
    QTRY_VERIFY(!world->backEnd->IsSessionModified(0));
    QCOMPARE(IniValue(ini, QStringLiteral("NAME")), QStringLiteral("Lost"));
    QDir::setCurrent(QDir::tempPath());
}

void TestSessionStoreFaults::sessionFolderReplacedByAFile()
{
    QVERIFY(world->WriteCatalogue({VERSION}));
    const QString folder = world->SessionsRoot() + GOOD;
    QVERIFY(WriteBytes(folder + QStringLiteral("/settings.ini"), GOOD_SETTINGS));
    TraceCapture log;
    world->Build();
    QCOMPARE(world->backEnd->GetSessionCount(), 1);

    // While the launcher runs, something else takes the folder's place.
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(WriteBytes(folder, OBSTACLE));
    RenameAndSave(0, QStringLiteral("Renamed"));
    QTRY_VERIFY2(log.ErrorsStartingWith(QStringLiteral("Failed to create the working directory : ") + folder,
                                        SAVE_ORIGIN) > 0,
                 qPrintable(log.errors.join(QString())));
    QVERIFY(world->backEnd->IsSessionModified(0));
    QVERIFY(world->Button(QStringLiteral("saveButton"))->isEnabled());
    QVERIFY(CLASS_MESSAGE_BOX::LastText().contains(QStringLiteral("could not be saved")));
    QCOMPARE(FileBytes(folder), OBSTACLE);

    // Deleting the session removes it from the list but not the file that is not the launcher's.
    world->Click(QStringLiteral("deleteSessionButton"));
    QTRY_COMPARE(world->backEnd->GetSessionCount(), 0);
    QCOMPARE(FileBytes(folder), OBSTACLE);
}

QTEST_MAIN(TestSessionStoreFaults)
#include "TestSessionStoreFaults.moc"
