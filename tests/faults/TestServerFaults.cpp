// The update server failing in every way a real one does: refusing the connection, answering after the
// client's time limit, stalling in the middle of a body, answering 500, closing the connection half way;
// and the package archive itself arriving cut short or damaged. Each case checks that what was on disk
// before is still there, that nothing is left behind in the temporary folder, and that the user is told
// (a box, the package window's status line, an error line in the log).

#include "BackEndFixture.h"
#include "FaultSupport.h"
#include "FaultyServer.h"
#include "LauncherTestEnvironment.h"
#include "PackageTestSupport.h"
#include "TraceCapture.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "GUI/GUI_MessageBox.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_UPDATER/UPDATER_ClassUpdaterFromWeb.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace
{
// Client limits injected for the test, and a server that is slower than all of them.
constexpr int CLIENT_LIMIT_MS = 500;
constexpr int SERVER_SLOW_MS = 4000;
constexpr int JOB_WAIT_MS = 30000;

const QString TREE = QStringLiteral("/~ftp-xml/tarvo4ksimulator/");
const QString CATALOGUE_PATH = TREE + QStringLiteral("tarvo4kpackages.ini");
const QString VERSION_PATH = QStringLiteral("/~ftp-xml/ruvoraduridedi.json");
const QString PROBE_PATH = QStringLiteral("/probe");
const QString KEPT = QStringLiteral("1.0.0");  // installed before, stays ticked
const QString ADDED = QStringLiteral("2.0.0"); // the package whose installation fails
const QByteArray OLD_CATALOGUE = "[General]\nTARVO_1_0_0=1.0.0\nTARVO_2_0_0=2.0.0\n";
const QByteArray NEW_CATALOGUE = "[General]\nTARVO_1_0_0=1.0.0\nTARVO_2_0_0=2.0.0\nTARVO_3_0_0=3.0.0\n";
const QByteArray NEWER_LAUNCHER = "[{\"Version\":\"9.0.0\",\"ProductName\":\"Tarvo 4k Simulator\","
                                  "\"Url\":\"http://example.invalid/dl\",\"ProductId\":1002}]";
const QString CHECK_FAILED =
    QStringLiteral("Failed to check version, please check your connection before retrying.");

QString ArchivePath(const QString& version)
{
    return TREE + PLATFORM::PackageArchiveFolder() + QLatin1Char('/') + PackageFolderName(version) +
           QStringLiteral(".zip");
}

void AddServerFaultRows()
{
    QTest::addColumn<SERVER_FAULT>("fault");
    QTest::newRow("connection refused") << SERVER_FAULT::Refused;
    QTest::newRow("answer after the time limit") << SERVER_FAULT::Slow;
    QTest::newRow("body stalls beyond the time limit") << SERVER_FAULT::Stalls;
    QTest::newRow("500 internal error") << SERVER_FAULT::Status500;
    QTest::newRow("connection closed half way") << SERVER_FAULT::CutShort;
}

// The stored bytes of the simulator program changed: the archive's CRC no longer matches.
QByteArray DamagedArchive(const QByteArray& archive)
{
    QByteArray damaged = archive;
    const int at = damaged.indexOf("exit 0");
    if (at >= 0)
    {
        damaged[at + 5] = '9';
    }
    return damaged;
}
} // namespace

class TestServerFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void catalogueDownloadFailsAndTheLastCatalogueStays_data() { AddServerFaultRows(); }
    void catalogueDownloadFailsAndTheLastCatalogueStays();
    void requestedVersionCheckFailsWithABox_data() { AddServerFaultRows(); }
    void requestedVersionCheckFailsWithABox();
    void packageInstallFailsAndNothingIsLost_data();
    void packageInstallFailsAndNothingIsLost();

private:
    // A fresh folder for this case below the work folder (never below the watched temporary folder).
    QString CaseFolder(const QString& name) const;
    QString TempFolder() const { return work.path() + QStringLiteral("/tmp"); }
    QStringList TempLeftovers() const;
    // Runs one package job with the ticks given; true when the job ended.
    bool ApplyPackages(CLASS_MANAGE_PACKAGE* dialog, CLASS_PACKAGE_MANAGER_BACKEND* backend,
                       const QStringList& ticked);

    QTemporaryDir work;
    QTemporaryDir logs;
    int caseNumber = 0;
    QString caseRoot;
};

void TestServerFaults::initTestCase()
{
    QVERIFY(work.isValid());
    BackEndFixture::StartTracing(logs.path());
    // Downloads and archives go to a temporary folder of our own, so that leftovers can be seen.
    QVERIFY(QDir().mkpath(TempFolder()));
    qputenv("TMPDIR", QFile::encodeName(TempFolder()));
    // The launcher window reads and writes below HOME and the working directory.
    const QString home = work.path() + QStringLiteral("/home");
    QVERIFY(QDir().mkpath(home));
    QVERIFY(PrepareLauncherWindowEnvironment(home));
}

void TestServerFaults::init()
{
    CLASS_MESSAGE_BOX::ClearHistory();
    caseRoot = CaseFolder(QStringLiteral("case%1").arg(++caseNumber));
}

void TestServerFaults::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir(caseRoot).removeRecursively();
}

QString TestServerFaults::CaseFolder(const QString& name) const
{
    const QString folder = work.path() + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    return folder;
}

QStringList TestServerFaults::TempLeftovers() const
{
    QStringList entries =
        QDir(TempFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    // The about dialog keeps its licence page there on purpose, for the browser to open.
    entries.removeAll(QStringLiteral("ZR_EULA.html"));
    return entries;
}

void TestServerFaults::catalogueDownloadFailsAndTheLastCatalogueStays()
{
    QFETCH(SERVER_FAULT, fault);
    FAULTY_SERVER server;
    QVERIFY(server.Start(fault, CATALOGUE_PATH, NEW_CATALOGUE, SERVER_SLOW_MS));
    const QString sessionsRoot = caseRoot + QStringLiteral("/sessions/");
    const QString local = sessionsRoot + QStringLiteral("tarvo4kpackages.ini");
    QVERIFY(WriteBytes(local, OLD_CATALOGUE));

    TraceCapture log;
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = caseRoot;
    locations.sessionsRoot = sessionsRoot;
    locations.catalogueUrl = server.Url();
    locations.transferTimeoutMs = CLIENT_LIMIT_MS;
    const CLASS_TARVO_VERSION_INFO info(locations);

    // The last catalogue that arrived stays, byte for byte, and is the one in use.
    QCOMPARE(FileBytes(local), OLD_CATALOGUE);
    const QMap<int, QString> expected{{0, ADDED}, {1, KEPT}};
    QCOMPARE(info.GetPackagesList(), expected);
    QTRY_VERIFY2(log.HasError(QStringLiteral("Error downloading file:")),
                 qPrintable(log.errors.join(QString())));
    QVERIFY2(TempLeftovers().isEmpty(), qPrintable(TempLeftovers().join(QLatin1Char(' '))));
}

void TestServerFaults::requestedVersionCheckFailsWithABox()
{
    QFETCH(SERVER_FAULT, fault);
    FAULTY_SERVER server;
    QVERIFY(server.Start(fault, VERSION_PATH, NEWER_LAUNCHER, SERVER_SLOW_MS));

    CLASS_LAUNCHER_WINDOW window;
    // The automatic check of the start asks the built-in address; it stays silent whatever it finds.
    QTRY_COMPARE_WITH_TIMEOUT(window.WebUpdater()->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle, 20000);
    QCoreApplication::processEvents();
    const QString lastChecked = window.SessionBackEnd()->GetLastVersionChecked();
    CLASS_MESSAGE_BOX::ClearHistory();
    window.WebUpdater()->SetVersionFileUrl(server.Url());
    window.WebUpdater()->SetTransferTimeout(CLIENT_LIMIT_MS);

    window.UpdateCheckAction()->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(CLASS_MESSAGE_BOX::Texts().size(), 1, 20000);
    // The box names the server and why it failed.
    QVERIFY2(CLASS_MESSAGE_BOX::LastText().startsWith(
                 CHECK_FAILED + QStringLiteral("\n\nServer: ") +
                 QUrl(server.Url()).adjusted(QUrl::RemovePath).toString() + QStringLiteral("\nReason: ")),
             qPrintable(CLASS_MESSAGE_BOX::LastText()));
    QVERIFY(!CLASS_MESSAGE_BOX::LastText().endsWith(QStringLiteral("Reason: unknown")));
    QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
    // Nothing was announced, so nothing is remembered as announced.
    QCOMPARE(window.SessionBackEnd()->GetLastVersionChecked(), lastChecked);
    QTRY_COMPARE(window.WebUpdater()->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle);
    QVERIFY2(TempLeftovers().isEmpty(), qPrintable(TempLeftovers().join(QLatin1Char(' '))));
}

void TestServerFaults::packageInstallFailsAndNothingIsLost_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("reason");
    const QString download = QStringLiteral("Error downloading file:");
    const QString listing = QStringLiteral("Failed to list the package : ");
    const QString unzipping = QStringLiteral("Failed to unzip the package : ");
    const QString unreadable = QStringLiteral("archive refused (not a readable zip archive)");
    QTest::newRow("connection refused") << "refused" << download << "connection refused by 127.0.0.1";
    QTest::newRow("answer after the time limit") << "slow" << download << "timed out";
    QTest::newRow("body stalls beyond the time limit") << "stalls" << download << "timed out";
    QTest::newRow("500 internal error") << "500" << download << "the server answered HTTP 500";
    QTest::newRow("connection closed half way") << "cut" << download << "connection closed by 127.0.0.1";
    QTest::newRow("half an archive served as whole") << "half" << listing << unreadable;
    QTest::newRow("not a zip archive") << "garbage" << listing << unreadable;
    QTest::newRow("damaged entry (bad CRC)")
        << "crc" << unzipping << "archive refused by the extractor (exit code 2)";
    QTest::newRow("damaged entry with a matching checksum")
        << "crc+sha" << unzipping << "archive refused by the extractor (exit code 2)";
}

bool TestServerFaults::ApplyPackages(CLASS_MANAGE_PACKAGE* dialog, CLASS_PACKAGE_MANAGER_BACKEND* backend,
                                     const QStringList& ticked)
{
    for (int i = 0; i < dialog->PackageCount(); ++i)
    {
        dialog->PackageBox(i)->setChecked(ticked.contains(dialog->PackageBox(i)->text()));
    }
    QSignalSpy changed(backend, &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("applybutton")), Qt::LeftButton);
    return changed.wait(JOB_WAIT_MS);
}

void TestServerFaults::packageInstallFailsAndNothingIsLost()
{
    QFETCH(QString, how);
    QFETCH(QString, logged);
    QFETCH(QString, reason);
    const QByteArray archive = BuildPackageArchive(PackageFolderName(ADDED));
    QVERIFY(!archive.isEmpty());
    QByteArray served = archive;
    if (how == QStringLiteral("half"))
    {
        served = archive.left(archive.size() / 2);
    }
    else if (how == QStringLiteral("garbage"))
    {
        served = QByteArray("this is not a zip archive\n").repeated(40);
    }
    else if (how.startsWith(QStringLiteral("crc")))
    {
        served = DamagedArchive(archive);
        QVERIFY(served != archive);
    }
    const QMap<QString, SERVER_FAULT> serverFaults{{QStringLiteral("refused"), SERVER_FAULT::Refused},
                                                   {QStringLiteral("slow"), SERVER_FAULT::Slow},
                                                   {QStringLiteral("stalls"), SERVER_FAULT::Stalls},
                                                   {QStringLiteral("500"), SERVER_FAULT::Status500},
                                                   {QStringLiteral("cut"), SERVER_FAULT::CutShort}};
    FAULTY_SERVER packages;
    if (serverFaults.contains(how))
    {
        QVERIFY(packages.Start(serverFaults.value(how), ArchivePath(ADDED), archive, SERVER_SLOW_MS));
    }
    else
    {
        QVERIFY(packages.Heal(ArchivePath(ADDED), served));
    }
    if (how == QStringLiteral("crc+sha"))
    {
        packages.Server()->SetRoute(ArchivePath(ADDED) + QStringLiteral(".sha256"),
                                    QCryptographicHash::hash(served, QCryptographicHash::Sha256).toHex() +
                                        "  " + PackageFolderName(ADDED).toUtf8() + ".zip\n");
    }
    TestHttpServer healthy;
    QVERIFY(healthy.Start());
    healthy.SetRoute(CATALOGUE_PATH, OLD_CATALOGUE);
    healthy.SetRoute(PROBE_PATH, "ok");
    healthy.SetRoute(ArchivePath(ADDED), archive);

    // Before: one package installed, one session using it, the catalogue copy.
    const QString applicationFolder = caseRoot + QStringLiteral("/app");
    const QString sessionsRoot = caseRoot + QStringLiteral("/sessions/");
    const QString kept = applicationFolder + QLatin1Char('/') + PackageFolderName(KEPT);
    QVERIFY(WriteBytes(kept + QStringLiteral("/bin/ZR_APP_SIMULATOR"), "#!/bin/sh\nexit 0\n"));
    QVERIFY(WriteBytes(kept + QStringLiteral("/ressources/ZR_APPS/index.html"), "<html>kept</html>"));
    QVERIFY(WriteBytes(sessionsRoot + QStringLiteral("Tarvo2024_03_05_14_07_59/settings.ini"),
                       "[General]\nNAME=Studio\nVERSION=1.0.0\nPORT=3000\n"));
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = applicationFolder;
    locations.sessionsRoot = sessionsRoot;
    locations.catalogueUrl = healthy.Url(CATALOGUE_PATH);
    locations.transferTimeoutMs = 5000;
    CLASS_TARVO_VERSION_INFO versionInfo(locations);
    const QStringList appBefore = TreeSnapshot(applicationFolder);
    const QStringList sessionsBefore = TreeSnapshot(sessionsRoot);

    PACKAGE_MANAGER_OPTIONS options;
    options.packagesUrl = packages.Server()->Url(TREE);
    options.probeUrl = healthy.Url(PROBE_PATH);
    options.removalPauseMs = 1;
    options.downloadInactivityMs = CLIENT_LIMIT_MS;
    options.checksumTimeoutMs = CLIENT_LIMIT_MS;
    options.extractorTimeoutMs = 10000;
    TraceCapture log;
    {
        QPointer<CLASS_MANAGE_PACKAGE> dialog = new CLASS_MANAGE_PACKAGE(&versionInfo);
        auto* backend = new CLASS_PACKAGE_MANAGER_BACKEND(dialog, &versionInfo, nullptr, options);
        dialog->Attach(backend);
        dialog->show();
        QVERIFY(ApplyPackages(dialog, backend, {KEPT, ADDED}));
        // Told: the window's status line, and the reason in the error log.
        QCOMPARE(dialog->StatusText(), QStringLiteral("Failed: ") + reason);
        QTRY_VERIFY2(log.HasError(logged), qPrintable(log.errors.join(QString())));
        delete backend;
        delete dialog.data();
    }
    // Nothing lost, nothing half-installed, nothing left in the temporary folder.
    QCOMPARE(TreeSnapshot(applicationFolder), appBefore);
    QCOMPARE(TreeSnapshot(sessionsRoot), sessionsBefore);
    QCOMPARE(versionInfo.GetInstalledVersions(), QStringList{KEPT});
    QVERIFY2(TempLeftovers().isEmpty(), qPrintable(TempLeftovers().join(QLatin1Char(' '))));

    // Once the server is healthy again the same installation goes through.
    options.packagesUrl = healthy.Url(TREE);
    QPointer<CLASS_MANAGE_PACKAGE> dialog = new CLASS_MANAGE_PACKAGE(&versionInfo);
    auto* backend = new CLASS_PACKAGE_MANAGER_BACKEND(dialog, &versionInfo, nullptr, options);
    dialog->Attach(backend);
    dialog->show();
    QVERIFY(ApplyPackages(dialog, backend, {KEPT, ADDED}));
    QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
    QCOMPARE(versionInfo.GetInstalledVersions(), (QStringList{ADDED, KEPT}));
    QCOMPARE(FileBytes(kept + QStringLiteral("/ressources/ZR_APPS/index.html")),
             QByteArray("<html>kept</html>"));
    delete backend;
    delete dialog.data();
    QVERIFY2(TempLeftovers().isEmpty(), qPrintable(TempLeftovers().join(QLatin1Char(' '))));
}

QTEST_MAIN(TestServerFaults)
#include "TestServerFaults.moc"
