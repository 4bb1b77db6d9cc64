#include "DEVICE/DEVICE_ClassPackageDownload.h"
#include "DEVICE/DEVICE_ClassPackageIndex.h"
#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassPartialDownload.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_DownloadProgress.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_Theme.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "PackageTestSupport.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRProgressBar.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TraceCapture.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace
{
const QString TREE = QStringLiteral("/~ftp-xml/tarvo4ksimulator/");
const QString CATALOGUE_PATH = TREE + QStringLiteral("tarvo4kpackages.ini");
const QString PROBE_PATH = QStringLiteral("/probe");
const QString INDEX_PATH = TREE + QStringLiteral("tarvo4kindex.json");
const QByteArray THREE_PACKAGES("[General]\nTARVO_1_0_0=1.0.0\nTARVO_2_0_0=2.0.0\nTARVO_3_0_0=3.0.0\n");
constexpr int JOB_WAIT_MS = 30000;
// Every installer line names the installer's unit and the job, or the extraction.
const QString JOB_ORIGIN =
    QStringLiteral("..\\mng_launcher\\DEVICE\\DEVICE_ClassPackageManager SLOT_UpdatePackages");
const QString EXTRACTION_ORIGIN =
    QStringLiteral("..\\mng_launcher\\DEVICE\\DEVICE_ClassPackageManager ExtractPackage");

QString ServerPath(const QString& version)
{
    return TREE + PLATFORM::PackageArchiveFolder() + QLatin1Char('/') + PackageFolderName(version) +
           QStringLiteral(".zip");
}

// A fixture of tests/data/signing: the test keys, made with the real minisign.
QString SigningFixture(const QString& name)
{
    return QFINDTESTDATA(QStringLiteral("../data/signing/") + name);
}

QByteArray Package(const QString& version, int extraFiles = 0)
{
    return BuildPackageArchive(PackageFolderName(version), QStringList(), extraFiles);
}

// An extractor script: listings ("-Z1", "-Z -s") go to the real unzip, the extraction runs body.
QByteArray ExtractorScript(const QByteArray& body)
{
    return "#!/bin/sh\ncase \"$1\" in -Z*) exec unzip \"$@\";; esac\n" + body + "\n";
}
} // namespace

// The package installer driven through its window: removals, installations, the failures that end a job,
// cancelling, closing the window while a job runs, the checksum and the archive checks.
class TestPackageManager : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHttpServer> server;
    std::unique_ptr<QTemporaryDir> applicationFolder;
    std::unique_ptr<QTemporaryDir> sessionsRoot;
    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<CLASS_TARVO_VERSION_INFO> versionInfo;
    QPointer<CLASS_MANAGE_PACKAGE> dialog;
    QPointer<CLASS_PACKAGE_MANAGER_BACKEND> backend;
    std::function<void(const QString&, int)> onShow;
    QList<QPair<QString, int>> shows;

    void Route(const QString& path, const QByteArray& body, int status = 200)
    {
        server->SetRoute(path, body, status);
    }
    void ServePackage(const QString& version, int extraFiles = 0)
    {
        Route(ServerPath(version), Package(version, extraFiles));
    }
    QString PackageFolder(const QString& version) const
    {
        return applicationFolder->filePath(PackageFolderName(version));
    }
    bool Installed(const QString& version) const
    {
        return QFileInfo(PackageFolder(version) + QStringLiteral("/bin/ZR_APP_SIMULATOR")).isFile();
    }
    void Install(const QString& version)
    {
        QVERIFY(WriteTestFile(PackageFolder(version) + QStringLiteral("/bin/ZR_APP_SIMULATOR"), "x", true));
    }
    QString Script(const QByteArray& body)
    {
        const QString path = work->filePath(QStringLiteral("extractor.sh"));
        WriteTestFile(path, ExtractorScript(body), true);
        return path;
    }

    QString TrustFolder() const { return work->filePath(QStringLiteral("trust")); }
    QStringList TrustedKeys() const
    {
        return {QString::fromUtf8(ReadTestFile(SigningFixture(QStringLiteral("test-key-trusted.pub"))))};
    }
    // Serves an index of one package entry (version, size and SHA-256 as given) signed with the trusted
    // test key, or with the untrusted one.
    void ServeSignedIndex(const QString& version, qint64 size, const QByteArray& sha256, bool trustedKey)
    {
        const QByteArray index = QStringLiteral("{\"serial\": 1, \"expires\": \"2099-01-01T00:00:00Z\", "
                                                "\"packages\": [{\"version\": \"%1\", \"file\": \"%2\", "
                                                "\"size\": %3, \"sha256\": \"%4\"}]}\n")
                                     .arg(version, CLASS_PACKAGE_INDEX::ArchiveFile(version))
                                     .arg(size)
                                     .arg(QString::fromLatin1(sha256))
                                     .toUtf8();
        const QString file = work->filePath(QStringLiteral("tarvo4kindex.json"));
        QVERIFY(WriteTestFile(file, index));
        const QString key =
            trustedKey ? QStringLiteral("test-key-trusted.key") : QStringLiteral("test-key-untrusted.key");
        QVERIFY(
            SignWithMinisign(SigningFixture(key), file, QStringLiteral("file:tarvo4kindex.json serial:1")));
        Route(INDEX_PATH, index);
        Route(INDEX_PATH + QStringLiteral(".minisig"), ReadTestFile(file + QStringLiteral(".minisig")));
    }

    PACKAGE_MANAGER_OPTIONS Options() const
    {
        PACKAGE_MANAGER_OPTIONS options;
        options.packagesUrl = server->Url(TREE);
        options.probeUrl = server->Url(PROBE_PATH);
        options.removalPauseMs = 1;
        options.downloadInactivityMs = 5000;
        options.checksumTimeoutMs = 5000;
        options.extractorTimeoutMs = 10000;
        options.trustFolder = TrustFolder();
        options.trustedKeys = TrustedKeys();
        options.downloadsFolder = work->filePath(QStringLiteral("downloads"));
        return options;
    }

    // The catalogue as served, the window and its back end as the launcher window opens them.
    void Open(const QByteArray& catalogue, const PACKAGE_MANAGER_OPTIONS& options,
              const QString& programFolder = QString())
    {
        Route(CATALOGUE_PATH, catalogue);
        TARVO_VERSION_INFO_LOCATIONS locations;
        locations.applicationFolder = programFolder.isEmpty() ? applicationFolder->path() : programFolder;
        locations.sessionsRoot = sessionsRoot->path() + QStringLiteral("/");
        locations.catalogueUrl = server->Url(CATALOGUE_PATH);
        locations.transferTimeoutMs = 5000;
        locations.trustFolder = TrustFolder();
        locations.trustedKeys = TrustedKeys();
        versionInfo = std::make_unique<CLASS_TARVO_VERSION_INFO>(locations);
        dialog = new CLASS_MANAGE_PACKAGE(versionInfo.get());
        backend = new CLASS_PACKAGE_MANAGER_BACKEND(dialog, versionInfo.get(), nullptr, options);
        if (!dialog.isNull())
        {
            dialog->Attach(backend);
            connect(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_ValueChanged, this,
                    [this](SDWord value)
                    {
                        shows.append({dialog->StatusText(), value});
                        if (onShow)
                        {
                            onShow(dialog->StatusText(), value);
                        }
                    });
            dialog->show();
            QVERIFY(dialog->isVisible() == !dialog->IsClosed());
            QVERIFY(dialog->IsClosed() || QTest::qWaitForWindowExposed(dialog));
        }
    }

    void Tick(const QStringList& versions)
    {
        for (int i = 0; i < dialog->PackageCount(); ++i)
        {
            dialog->PackageBox(i)->setChecked(versions.contains(dialog->PackageBox(i)->text()));
        }
    }
    QPushButton* Button(const char* name) const
    {
        return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // Presses Apply and waits for the job's end.
    bool Apply()
    {
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        QTest::mouseClick(Button("applybutton"), Qt::LeftButton);
        return changed.wait(JOB_WAIT_MS) && changed.count() == 1;
    }
    void ClickCancel() { QTest::mouseClick(Button("cancelbutton"), Qt::LeftButton); }
    bool ValuesInRange() const
    {
        for (const auto& show : shows)
        {
            if (show.second < 0 || show.second > 100)
            {
                return false;
            }
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        InitLauncherResources();
    }

    void init()
    {
        applicationFolder = std::make_unique<QTemporaryDir>();
        sessionsRoot = std::make_unique<QTemporaryDir>();
        work = std::make_unique<QTemporaryDir>();
        server = std::make_unique<TestHttpServer>();
        QVERIFY(server->Start());
        Route(PROBE_PATH, "ok");
        shows.clear();
        onShow = nullptr;
    }

    void cleanup()
    {
        onShow = nullptr;
        delete backend.data();
        delete dialog.data();
        versionInfo.reset();
        server.reset();
        CLASS_MESSAGE_BOX::SetAutoAnswer(false);
        CLASS_MESSAGE_BOX::ClearHistory();
    }

    void openingTicksTheInstalledPackagesAndTellsAboutTheInternet_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<bool>("noInternet");
        QTest::newRow("probe answers") << "ok" << false;
        QTest::newRow("probe not found") << "404" << true;
        QTest::newRow("probe unreachable") << "closed" << true;
    }
    void openingTicksTheInstalledPackagesAndTellsAboutTheInternet()
    {
        QFETCH(QString, probe);
        QFETCH(bool, noInternet);
        Install(QStringLiteral("2.0.0"));
        PACKAGE_MANAGER_OPTIONS options = Options();
        TestHttpServer closed;
        if (probe == QStringLiteral("404"))
        {
            Route(PROBE_PATH, "gone", 404);
        }
        else if (probe == QStringLiteral("closed"))
        {
            QVERIFY(closed.Start());
            options.probeUrl = closed.Url(PROBE_PATH);
            closed.Stop();
        }
        Open(THREE_PACKAGES, options);
        QCOMPARE(dialog->PackageCount(), 3);
        QStringList ticked;
        dialog->GetCheckedPackages(ticked);
        QCOMPARE(ticked, QStringList{QStringLiteral("2.0.0")});
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("warningtext"))->isVisible(), noInternet);
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("warningicon"))->isVisible(), noInternet);
        // The notice names the address that does not answer; removals need no server, so Apply stays.
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("warningtext"))->text().contains(options.probeUrl),
                 noInternet);
        QVERIFY(Button("applybutton")->isEnabled());
        Tick({});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(!Installed(QStringLiteral("2.0.0")));
    }

    void tickedEqualToInstalledDoesNothing()
    {
        Install(QStringLiteral("1.0.0"));
        Open(THREE_PACKAGES, Options());
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        backend->SLOT_UpdatePackages();
        QCOMPARE(changed.count(), 0);
        QVERIFY(shows.isEmpty());
        QCOMPARE(dialog->StatusText(), QString());
        QVERIFY(dialog->ProgressBar()->isHidden());
        QVERIFY(Button("applybutton")->isEnabled());
    }

    void sameSetInAnotherOrderRunsAndFindsNothingToDo()
    {
        // Boxes follow the catalogue (key names: 10.0.0 before 9.0.0, reversed), installed versions the
        // version order: equal sets, different lists.
        Install(QStringLiteral("9.0.0"));
        Install(QStringLiteral("10.0.0"));
        Open("[General]\nTARVO_10_0_0=10.0.0\nTARVO_9_0_0=9.0.0\n", Options());
        QStringList ticked;
        dialog->GetCheckedPackages(ticked);
        QCOMPARE(ticked, (QStringList{QStringLiteral("9.0.0"), QStringLiteral("10.0.0")}));
        QCOMPARE(versionInfo->GetInstalledVersions(),
                 (QStringList{QStringLiteral("10.0.0"), QStringLiteral("9.0.0")}));
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(shows.isEmpty());
        QVERIFY(Installed(QStringLiteral("9.0.0")) && Installed(QStringLiteral("10.0.0")));
    }

    void untickingAFolderAlreadyDeletedByHand()
    {
        TraceCapture traces;
        Install(QStringLiteral("1.0.0"));
        Open(THREE_PACKAGES, Options());
        QVERIFY(QDir(PackageFolder(QStringLiteral("1.0.0"))).removeRecursively());
        Tick({});
        QVERIFY(Apply());
        const QList<QPair<QString, int>> expected{{QStringLiteral("Removing 1.0.0"), 0},
                                                  {QStringLiteral("Removing 1.0.0"), 50},
                                                  {QStringLiteral("Removing 1.0.0"), 100}};
        QCOMPARE(shows, expected);
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QCOMPARE(traces.ErrorCount(), 0);
    }

    void installsAndRemovesInOneJob()
    {
        TraceCapture traces;
        Install(QStringLiteral("3.0.0"));
        ServePackage(QStringLiteral("2.0.0"), 40);
        ServePackage(QStringLiteral("1.0.0"));
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.progressHideDelayMs = 100;
        Open(THREE_PACKAGES, options);
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        bool buttonsDisabledDuringJob = true;
        onShow = [&](const QString&, int)
        {
            buttonsDisabledDuringJob = buttonsDisabledDuringJob && !Button("applybutton")->isEnabled() &&
                                       !Button("closebutton")->isEnabled() &&
                                       dialog->ProgressBar()->isVisible();
        };
        Tick({QStringLiteral("2.0.0"), QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(!QFileInfo::exists(PackageFolder(QStringLiteral("3.0.0"))));
        QVERIFY(Installed(QStringLiteral("2.0.0")));
        QVERIFY(QFileInfo::exists(PackageFolder(QStringLiteral("2.0.0")) +
                                  QStringLiteral("/ressources/file_39.txt")));
        QVERIFY(Installed(QStringLiteral("1.0.0")));
        QCOMPARE(versionInfo->GetInstalledVersions(),
                 (QStringList{QStringLiteral("2.0.0"), QStringLiteral("1.0.0")}));
        QVERIFY(buttonsDisabledDuringJob);
        QVERIFY(ValuesInRange());
        QVERIFY(shows.contains({QStringLiteral("Installing updater 2.0.0"), 100}));
        // Each download says which of the job's downloads it is, and how far it is.
        const auto downloading = [this](const QString& start)
        {
            return std::any_of(shows.cbegin(), shows.cend(),
                               [&start](const QPair<QString, int>& show)
                               { return show.first.startsWith(start); });
        };
        QVERIFY(downloading(QStringLiteral("Downloading 2.0.0 (1 of 2) \u2014 ")));
        QVERIFY(downloading(QStringLiteral("Downloading 1.0.0 (2 of 2) \u2014 ")));
        QCOMPARE(shows.last(), (QPair<QString, int>(QStringLiteral("Installing updater 1.0.0"), 100)));
        QVERIFY(Button("applybutton")->isEnabled() && Button("closebutton")->isEnabled());
        QTRY_VERIFY(dialog->ProgressBar()->isHidden());
        QVERIFY(dialog->findChild<QPushButton*>(QStringLiteral("cancelbutton"))->isHidden());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(traces.ErrorCount(), 0);
    }

    void untickingAPackageFolderThatIsALinkRemovesOnlyTheLink()
    {
        // A link in a package folder's place (planted, or made by hand): unticking the package removes the
        // link, and the folder it leads to keeps every file.
        QTemporaryDir documents;
        QVERIFY(WriteTestFile(documents.filePath(QStringLiteral("letter.txt")), "mine"));
        QVERIFY(QFile::link(documents.path(), PackageFolder(QStringLiteral("3.0.0"))));
        Open(THREE_PACKAGES, Options());
        Tick({});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(!QFileInfo(PackageFolder(QStringLiteral("3.0.0"))).isSymLink());
        QCOMPARE(ReadTestFile(documents.filePath(QStringLiteral("letter.txt"))), QByteArray("mine"));
    }

    void theHidingOfAnEarlierJobLeavesTheNextAlone()
    {
        // The progress area of a job that follows at once stays visible: the earlier job's hiding timer
        // must not fire into it.
        Install(QStringLiteral("3.0.0"));
        ServePackage(QStringLiteral("1.0.0"), 40);
        server->SetChunked(ServerPath(QStringLiteral("1.0.0")), 256, 50);
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.progressHideDelayMs = 300;
        Open(THREE_PACKAGES, options);
        Tick({});
        QVERIFY(Apply());
        QVERIFY(dialog->ProgressBar()->isVisible());
        QElapsedTimer secondJob;
        secondJob.start();
        bool hiddenDuringJob = false;
        qint64 lastShowMs = 0;
        onShow = [&](const QString&, int)
        {
            hiddenDuringJob = hiddenDuringJob || dialog->ProgressBar()->isHidden();
            lastShowMs = secondJob.elapsed();
        };
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QVERIFY2(lastShowMs > 2 * options.progressHideDelayMs, "the second job was too short to tell");
        QVERIFY(!hiddenDuringJob);
        QTRY_VERIFY(dialog->ProgressBar()->isHidden());
    }

    void aFailedDownloadEndsTheJob_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("status");
        QTest::newRow("not found") << "404"
                                   << "Failed: the server answered HTTP 404";
        QTest::newRow("server error") << "500"
                                      << "Failed: the server answered HTTP 500";
        QTest::newRow("cut short") << "truncated"
                                   << "Failed: connection closed by 127.0.0.1";
        QTest::newRow("stalled") << "stalled"
                                 << "Failed: timed out";
        // A status that is not followed and raises no error: the body is no download of the archive.
        QTest::newRow("300 with a package as body") << "300"
                                                    << "Failed: the server answered HTTP 300";
    }
    void aFailedDownloadEndsTheJob()
    {
        QFETCH(QString, failure);
        QFETCH(QString, status);
        TraceCapture traces;
        ServePackage(QStringLiteral("1.0.0"));
        PACKAGE_MANAGER_OPTIONS options = Options();
        const QString bad = ServerPath(QStringLiteral("3.0.0"));
        if (failure == QStringLiteral("truncated"))
        {
            ServePackage(QStringLiteral("3.0.0"), 20);
            server->SetTruncated(bad, 300);
        }
        else if (failure == QStringLiteral("stalled"))
        {
            ServePackage(QStringLiteral("3.0.0"), 20);
            server->SetChunked(bad, 200, 3000);
            options.downloadInactivityMs = 300;
        }
        else if (failure == QStringLiteral("500"))
        {
            Route(bad, "oops", 500);
        }
        else if (failure == QStringLiteral("300"))
        {
            Route(bad, Package(QStringLiteral("3.0.0")), 300);
        }
        options.progressHideDelayMs = 0;
        Open(THREE_PACKAGES, options);
        Tick({QStringLiteral("3.0.0"), QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        // The reason stays on show, and the boxes tell what is installed: nothing.
        QCOMPARE(dialog->StatusText(), status);
        QCoreApplication::processEvents();
        QVERIFY(!dialog->ProgressBar()->isHidden());
        QStringList ticked;
        dialog->GetCheckedPackages(ticked);
        QCOMPARE(ticked, QStringList());
        QVERIFY(!QFileInfo::exists(PackageFolder(QStringLiteral("3.0.0"))));
        QVERIFY(!Installed(QStringLiteral("1.0.0")));
        QCOMPARE(server->RequestCount(ServerPath(QStringLiteral("1.0.0"))), 0);
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Error downloading file:"), JOB_ORIGIN), 1);
        QVERIFY(ValuesInRange());
    }

    void aSlowButSteadyDownloadIsNotCutShort()
    {
        // The limit is on silence, not on the whole transfer: this one lasts several times the limit.
        ServePackage(QStringLiteral("1.0.0"), 40);
        server->SetChunked(ServerPath(QStringLiteral("1.0.0")), 256, 50);
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.downloadInactivityMs = 400;
        Open(THREE_PACKAGES, options);
        Tick({QStringLiteral("1.0.0")});
        QElapsedTimer timer;
        timer.start();
        QVERIFY(Apply());
        QVERIFY2(timer.elapsed() > 3 * options.downloadInactivityMs,
                 "the download was not slow enough to tell");
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(Installed(QStringLiteral("1.0.0")));
    }

    void downloadWithoutAUsableSize_data()
    {
        QTest::addColumn<bool>("emptyBody");
        QTest::newRow("size not announced (-1)") << false;
        QTest::newRow("size 0") << true;
    }
    void downloadWithoutAUsableSize()
    {
        QFETCH(bool, emptyBody);
        const QByteArray archive = Package(QStringLiteral("1.0.0"), 200);
        UnannouncedLengthServer unannounced(archive);
        PACKAGE_MANAGER_OPTIONS options = Options();
        if (emptyBody)
        {
            Route(ServerPath(QStringLiteral("1.0.0")), QByteArray());
        }
        else
        {
            options.packagesUrl = unannounced.Url(TREE);
        }
        Open(THREE_PACKAGES, options);
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QVERIFY(ValuesInRange());
        // While downloading, the reports change the text only; a size learnt at the end may fill the bar.
        for (const auto& show : shows)
        {
            QVERIFY2(!show.first.startsWith(QStringLiteral("Downloading")) || show.second == 100,
                     qPrintable(show.first + QStringLiteral(" %1").arg(show.second)));
        }
        QCOMPARE(dialog->StatusText(),
                 emptyBody ? QStringLiteral("Failed: archive refused (not a readable zip archive)")
                           : QStringLiteral("Finished"));
        QCOMPARE(Installed(QStringLiteral("1.0.0")), !emptyBody);
    }

    // An installed copy's program folder is not the user's to write: packages go to the user's own folder,
    // are found there (by the catalogue and by the program path of a session) and removed from there. When
    // neither place can be written, the job says so before it downloads anything.
    void packagesGoToTheUserFolderWhenTheProgramFolderIsNotWritable()
    {
        // A home of its own (its name must not hold the program's name: the sessions root is derived by
        // removing that name from the data location).
        const QTemporaryDir testHome(QDir::tempPath() + QStringLiteral("/home-XXXXXX"));
        const QByteArray home = qgetenv("HOME");
        QVERIFY(qputenv("HOME", testHome.path().toUtf8()));
        const auto restoreHome = qScopeGuard([&home]() { qputenv("HOME", home); });
        // A folder below a plain file can be neither written nor made, even by root.
        QVERIFY(WriteTestFile(work->filePath(QStringLiteral("opt")), "a file", false));
        const QString programFolder = work->filePath(QStringLiteral("opt/tarvo"));
        const QString userFolder = UserPackagesFolder();
        QVERIFY2(userFolder.startsWith(testHome.path()), qPrintable(userFolder));
        const QString installed = userFolder + QLatin1Char('/') + PackageFolderName(QStringLiteral("1.0.0"));
        ServePackage(QStringLiteral("1.0.0"));
        Open(THREE_PACKAGES, Options(), programFolder);

        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(QFileInfo(installed + QStringLiteral("/bin/ZR_APP_SIMULATOR")).isFile());
        QCOMPARE(versionInfo->GetInstalledVersions(), QStringList{QStringLiteral("1.0.0")});
        QCOMPARE(FindPackageFolder(programFolder, QStringLiteral("1.0.0")), installed);
        QStringList ticked;
        dialog->GetCheckedPackages(ticked);
        QCOMPARE(ticked, QStringList{QStringLiteral("1.0.0")});

        Tick({});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(!QFileInfo::exists(installed));
        QVERIFY(versionInfo->GetInstalledVersions().isEmpty());

        // The user's folder blocked as well.
        QVERIFY(QDir(userFolder).removeRecursively());
        QVERIFY(WriteTestFile(userFolder, "a file", false));
        const int requests = server->RequestCount(ServerPath(QStringLiteral("1.0.0")));
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QVERIFY2(dialog->StatusText().startsWith(QStringLiteral("Failed: no permission to write ")),
                 qPrintable(dialog->StatusText()));
        QCOMPARE(server->RequestCount(ServerPath(QStringLiteral("1.0.0"))), requests);
    }

    void cancelDuringADownload()
    {
        TraceCapture traces;
        ServePackage(QStringLiteral("3.0.0"), 40);
        server->SetChunked(ServerPath(QStringLiteral("3.0.0")), 256, 100);
        ServePackage(QStringLiteral("1.0.0"));
        Open(THREE_PACKAGES, Options());
        bool cancelled = false;
        onShow = [&](const QString& text, int value)
        {
            if (!cancelled && text.startsWith(QStringLiteral("Downloading 3.0.0 (1 of 2) ")) && value > 0)
            {
                cancelled = true;
                ClickCancel();
            }
        };
        Tick({QStringLiteral("3.0.0"), QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QVERIFY(cancelled);
        QCOMPARE(dialog->StatusText(), QStringLiteral("Aborted"));
        QVERIFY(!QFileInfo::exists(PackageFolder(QStringLiteral("3.0.0"))));
        QVERIFY(!Installed(QStringLiteral("1.0.0")));
        QCOMPARE(server->RequestCount(ServerPath(QStringLiteral("1.0.0"))), 0);
        QCOMPARE(traces.ErrorCount(), 0);
    }

    void cancelDuringARemoval()
    {
        Install(QStringLiteral("3.0.0"));
        Install(QStringLiteral("2.0.0"));
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.removalPauseMs = 100;
        Open(THREE_PACKAGES, options);
        bool cancelled = false;
        onShow = [&](const QString& text, int)
        {
            if (!cancelled && text == QStringLiteral("Removing 3.0.0"))
            {
                cancelled = true;
                ClickCancel();
            }
        };
        Tick({});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Aborted"));
        QVERIFY(!QFileInfo::exists(PackageFolder(QStringLiteral("3.0.0")))); // the removal ran to its end
        QVERIFY(Installed(QStringLiteral("2.0.0")));                         // the next entry was not touched
        QCOMPARE(shows.last(), (QPair<QString, int>(QStringLiteral("Removing 3.0.0"), 100)));
        QCOMPARE(versionInfo->GetInstalledVersions(), QStringList{QStringLiteral("2.0.0")});
    }

    void aSecondApplyDuringAJobIsIgnored()
    {
        ServePackage(QStringLiteral("1.0.0"), 20);
        server->SetChunked(ServerPath(QStringLiteral("1.0.0")), 512, 50);
        Open(THREE_PACKAGES, Options());
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        bool again = false;
        onShow = [&](const QString&, int)
        {
            if (!again)
            {
                again = true;
                backend->SLOT_UpdatePackages();
            }
        };
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QVERIFY(again);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(server->RequestCount(ServerPath(QStringLiteral("1.0.0"))), 1);
        QVERIFY(Installed(QStringLiteral("1.0.0")));
    }

    void aFailedExtractionEndsTheJob_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QString>("reason");
        QTest::newRow("extractor missing") << QByteArray() << "Failed to list the package : "
                                           << "the extractor %1 is missing";
        QTest::newRow("exits non-zero after writing")
            << QByteArray("unzip \"$@\"\nexit 2") << "Failed to unzip the package : "
            << "archive refused by the extractor (exit code 2)";
        QTest::newRow("crashes after writing")
            << QByteArray("unzip \"$@\"\nkill -9 $$") << "Failed to unzip the package : "
            << "archive refused by the extractor (exit code 9)";
        QTest::newRow("too slow") << QByteArray("unzip \"$@\"\nexec sleep 30")
                                  << "Failed to unzip the package : "
                                  << "the extractor did not start or did not end in time";
    }
    void aFailedExtractionEndsTheJob()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, logged);
        QFETCH(QString, reason);
        TraceCapture traces;
        ServePackage(QStringLiteral("3.0.0"));
        ServePackage(QStringLiteral("1.0.0"));
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.extractorProgram =
            script.isEmpty() ? work->filePath(QStringLiteral("no-such-unzip")) : Script(script);
        options.extractorTimeoutMs = 1500;
        Open(THREE_PACKAGES, options);
        Tick({QStringLiteral("3.0.0"), QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Failed: ") + reason.arg(options.extractorProgram));
        // What the extractor wrote before it failed is gone again: nothing shows as installed.
        QVERIFY(!QFileInfo::exists(PackageFolder(QStringLiteral("3.0.0"))));
        QVERIFY(versionInfo->GetInstalledVersions().isEmpty());
        QCOMPARE(server->RequestCount(ServerPath(QStringLiteral("1.0.0"))), 0);
        QTRY_COMPARE(traces.ErrorsStartingWith(logged, EXTRACTION_ORIGIN), 1);
    }

    void extractionProgressStaysWithinTheBar()
    {
        // Many output notifications: one step per three of them, never past the end of the bar.
        ServePackage(QStringLiteral("1.0.0"));
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.extractorProgram = Script(
            "i=0\nwhile [ $i -lt 400 ]; do echo line $i; i=$((i+1)); sleep 0.002; done\nexec unzip \"$@\"");
        Open(THREE_PACKAGES, options);
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(Installed(QStringLiteral("1.0.0")));
        QVERIFY(ValuesInRange());
        int extractionSteps = 0;
        for (const auto& show : shows)
        {
            extractionSteps +=
                (show.first == QStringLiteral("Installing updater 1.0.0") && show.second > 0) ? 1 : 0;
        }
        QVERIFY2(extractionSteps > 3, qPrintable(QString::number(extractionSteps)));
    }

    void archivesReachingOutsideTheirFolderAreRefused_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("reason");
        const QString outside = QStringLiteral("an entry lies outside TARVO_1_0_0");
        QTest::newRow("parent folder") << "../outside_%1.txt" << outside;
        QTest::newRow("another package folder") << "TARVO_9_9_9/bin/ZR_APP_SIMULATOR" << outside;
        QTest::newRow("beside the package folder") << "loose_%1.txt" << outside;
        // Every later save would copy what the link leads to into the session.
        QTest::newRow("a link inside the package to /")
            << "-> /" << QStringLiteral("the entry TARVO_1_0_0/ressources/outside is a symbolic link");
    }
    void archivesReachingOutsideTheirFolderAreRefused()
    {
        QFETCH(QString, extra);
        QFETCH(QString, reason);
        TraceCapture traces;
        const QString unique = QFileInfo(applicationFolder->path()).fileName();
        const QString entry = extra.contains(QStringLiteral("%1")) ? extra.arg(unique) : extra;
        Route(ServerPath(QStringLiteral("1.0.0")),
              BuildPackageArchive(PackageFolderName(QStringLiteral("1.0.0")), {entry}));
        Open(THREE_PACKAGES, Options());
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(dialog->StatusText(), QStringLiteral("Failed: archive refused (%1)").arg(reason));
        QVERIFY(QDir(applicationFolder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + QStringLiteral("/outside_") + unique +
                                   QStringLiteral(".txt")));
        QTRY_COMPARE(traces.ErrorsStartingWith(QStringLiteral("Refused the package "), EXTRACTION_ORIGIN), 1);
    }

    void archiveEntryRules_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("package folder and below")
            << QStringList{"TARVO_1/", "TARVO_1/bin/", "TARVO_1/bin/x"} << true;
        QTest::newRow("current folder parts") << QStringList{"TARVO_1/./bin/x"} << true;
        QTest::newRow("parent at the start") << QStringList{"TARVO_1/a", "../x"} << false;
        QTest::newRow("parent inside") << QStringList{"TARVO_1/../../x"} << false;
        QTest::newRow("parent with backslashes") << QStringList{"TARVO_1\\..\\..\\x"} << false;
        QTest::newRow("absolute") << QStringList{"/etc/passwd"} << false;
        QTest::newRow("absolute with backslash") << QStringList{"\\Windows\\x"} << false;
        QTest::newRow("drive letter") << QStringList{"C:/x"} << false;
        QTest::newRow("other folder") << QStringList{"TARVO_2/x"} << false;
        QTest::newRow("folder name prefix") << QStringList{"TARVO_10/x"} << false;
        QTest::newRow("through a stored link") << QStringList{"TARVO_1/link", "TARVO_1/link/passwd"} << false;
        QTest::newRow("nothing") << QStringList{} << false;
    }
    void archiveEntryRules()
    {
        QFETCH(QStringList, entries);
        QFETCH(bool, accepted);
        QCOMPARE(ArchiveEntriesStayIn(entries, QStringLiteral("TARVO_1")), accepted);
    }

    void checksumBesideTheArchive_data()
    {
        QTest::addColumn<QString>("checksum");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("status");
        const QString finished = QStringLiteral("Finished");
        const QString mismatch = QStringLiteral("Failed: checksum mismatch");
        QTest::newRow("matching, sha256sum layout") << "match" << true << finished;
        QTest::newRow("matching, upper case") << "upper" << true << finished;
        QTest::newRow("not published (404)") << "none" << true << finished;
        QTest::newRow("mismatch") << "mismatch" << false << mismatch;
        QTest::newRow("empty file") << "empty" << false << mismatch;
        QTest::newRow("package and checksum moved to a mirror") << "mirror" << true << finished;
        QTest::newRow("matching, but answered 300")
            << "300" << false << "Failed: no checksum (the server answered HTTP 300)";
    }
    void checksumBesideTheArchive()
    {
        QFETCH(QString, checksum);
        QFETCH(bool, installed);
        QFETCH(QString, status);
        TraceCapture traces;
        const QByteArray archive = Package(QStringLiteral("1.0.0"));
        const QByteArray digest = QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex();
        const QByteArray wrong = QCryptographicHash::hash("other", QCryptographicHash::Sha256).toHex();
        const QString path = ServerPath(QStringLiteral("1.0.0"));
        const QString mirror = QStringLiteral("/mirror/TARVO_1_0_0.zip");
        Route(path, archive);
        if (checksum == QStringLiteral("match"))
        {
            Route(path + QStringLiteral(".sha256"), digest + "  TARVO_1_0_0.zip\n");
        }
        else if (checksum == QStringLiteral("upper"))
        {
            Route(path + QStringLiteral(".sha256"), digest.toUpper());
        }
        else if (checksum == QStringLiteral("mismatch"))
        {
            Route(path + QStringLiteral(".sha256"), wrong + "  TARVO_1_0_0.zip\n");
        }
        else if (checksum == QStringLiteral("empty"))
        {
            Route(path + QStringLiteral(".sha256"), QByteArray());
        }
        else if (checksum == QStringLiteral("300"))
        {
            Route(path + QStringLiteral(".sha256"), digest + "  TARVO_1_0_0.zip\n", 300);
        }
        else if (checksum == QStringLiteral("mirror"))
        {
            Route(mirror, archive);
            Route(mirror + QStringLiteral(".sha256"), digest + "  TARVO_1_0_0.zip\n");
            server->SetRedirect(path, server->Url(mirror), 301);
            server->SetRedirect(path + QStringLiteral(".sha256"),
                                server->Url(mirror + QStringLiteral(".sha256")));
        }
        Open(THREE_PACKAGES, Options());
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        if (checksum == QStringLiteral("mirror"))
        {
            // The job asks once, beside the archive's own address, and reads the mirror's copy. Qt's redirect
            // follower may send the request that drew the redirect a second time on the same connection (the
            // first hop's handler still listens when the next hop starts), so the redirecting address may
            // count two; the copy the checksum came from counts exactly the job's one request.
            QVERIFY(server->RequestCount(path + QStringLiteral(".sha256")) >= 1);
            QCOMPARE(server->RequestCount(mirror + QStringLiteral(".sha256")), 1);
        }
        else
        {
            QCOMPARE(server->RequestCount(path + QStringLiteral(".sha256")), 1);
        }
        QCOMPARE(Installed(QStringLiteral("1.0.0")), installed);
        QCOMPARE(dialog->StatusText(), status);
        if (checksum == QStringLiteral("mismatch"))
        {
            QVERIFY(!QFileInfo::exists(PackageFolder(QStringLiteral("1.0.0"))));
            const QStringList errors = traces.AllErrors();
            QCOMPARE(errors.size(), 1);
            QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Checksum mismatch for "), JOB_ORIGIN), 1);
            QVERIFY(errors.first().contains(QStringLiteral("expected ") + QString::fromLatin1(wrong)));
            QVERIFY(errors.first().contains(QStringLiteral("computed ") + QString::fromLatin1(digest)));
        }
    }

    void signedIndexDecidesTheInstallation_data()
    {
        QTest::addColumn<QString>("served");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("status");
        QTest::newRow("listed and matching") << "match" << true << "Finished";
        // A server that announces another size than the index gives is not even listened to.
        QTest::newRow("archive of another size")
            << "size" << false << "Failed: download refused (the server announces";
        QTest::newRow("archive with another SHA-256")
            << "sha256" << false << "Failed: the archive's SHA-256 differs from the signed index";
        QTest::newRow("version not in the index")
            << "unlisted" << false << "Failed: 1.0.0 is not in the signed index";
        QTest::newRow("index signed with an unknown key")
            << "unknown key" << false << "Failed: signed with an unknown key";
        QTest::newRow("pinned server turned unsigned")
            << "pinned" << false
            << "Failed: the server publishes no signed index (the server's index was signed with key";
        QTest::newRow("unsigned server, signed packages required")
            << "required" << false
            << "Failed: the server publishes no signed index, and signed packages are required";
    }
    void signedIndexDecidesTheInstallation()
    {
        QFETCH(QString, served);
        QFETCH(bool, installed);
        QFETCH(QString, status);
        const QByteArray archive = Package(QStringLiteral("1.0.0"));
        const QByteArray digest = QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex();
        const QString path = ServerPath(QStringLiteral("1.0.0"));
        Route(path, archive);
        if (served != QStringLiteral("required"))
        {
            const bool unlisted = served == QStringLiteral("unlisted");
            ServeSignedIndex(unlisted ? QStringLiteral("2.0.0") : QStringLiteral("1.0.0"),
                             archive.size() + (served == QStringLiteral("size") ? 1 : 0),
                             served == QStringLiteral("sha256") ? QByteArray(64, 'a') : digest,
                             served != QStringLiteral("unknown key"));
        }
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.requireSigned = served == QStringLiteral("required");
        Open(THREE_PACKAGES, options);
        // The index came with the catalogue: the window marks what it vouches for.
        const bool vouched = served == QStringLiteral("match") || served == QStringLiteral("size") ||
                             served == QStringLiteral("sha256") || served == QStringLiteral("pinned");
        QCOMPARE(dialog->PackageTrustText(2),
                 vouched ? QStringLiteral("signed") : QStringLiteral("unsigned"));
        if (served == QStringLiteral("pinned"))
        {
            server->RemoveRoute(INDEX_PATH);
        }
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(Installed(QStringLiteral("1.0.0")), installed);
        QVERIFY2(dialog->StatusText().startsWith(status), qPrintable(dialog->StatusText()));
        // What the index refuses is not even downloaded; a signed server's .sha256 is never asked for.
        const bool downloaded = vouched && served != QStringLiteral("pinned");
        QCOMPARE(server->RequestCount(path), downloaded ? 1 : 0);
        QCOMPARE(server->RequestCount(path + QStringLiteral(".sha256")), 0);
        QCOMPARE(CLASS_TRUST_STORE(TrustFolder()).InstallationTrust(PackageFolder(QStringLiteral("1.0.0"))),
                 installed ? CLASS_TRUST_STORE::TRUST_SIGNED : QString());
    }

    void closingTheWindowDuringAJob_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<bool>("installed");
        QTest::newRow("during the download") << "Downloading 1.0.0 (1 of 1)" << false;
        QTest::newRow("during the extraction") << "Installing updater 1.0.0" << true;
        QTest::newRow("during a removal") << "Removing 3.0.0" << false;
    }
    void closingTheWindowDuringAJob()
    {
        QFETCH(QString, phase);
        QFETCH(bool, installed);
        Install(QStringLiteral("3.0.0"));
        ServePackage(QStringLiteral("1.0.0"), 40);
        server->SetChunked(ServerPath(QStringLiteral("1.0.0")), 256, 50);
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.removalPauseMs = 50;
        options.extractorProgram = Script("i=0\nwhile [ $i -lt 30 ]; do echo line $i; i=$((i+1)); sleep "
                                          "0.01; done\nsleep 1\nexec unzip \"$@\"");
        Open(THREE_PACKAGES, options);
        // As the launcher window does: the back end goes once the window is destroyed.
        connect(dialog.data(), &QObject::destroyed, backend.data(), &QObject::deleteLater,
                Qt::QueuedConnection);
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        QSignalSpy destroyed(backend.data(), &QObject::destroyed);
        onShow = [&](const QString& text, int value)
        {
            if (text.startsWith(phase) && (value > 0 || phase.startsWith(QStringLiteral("Removing"))))
            {
                onShow = nullptr;
                dialog->close();
            }
        };
        Tick({QStringLiteral("1.0.0")});
        QTest::mouseClick(Button("applybutton"), Qt::LeftButton);
        QVERIFY(destroyed.wait(JOB_WAIT_MS));
        QVERIFY(dialog.isNull());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(Installed(QStringLiteral("1.0.0")), installed);
        QCOMPARE(versionInfo->GetInstalledVersions().contains(QStringLiteral("1.0.0")), installed);
    }

    // Installed versions that the catalogue does not list (installed from a file, or dropped from it): the
    // window, which shows no box for them, leaves them alone; a job told they are not wanted removes them.
    // A version is digits and dots: an archive named otherwise installs nothing.
    void versionsTheCatalogueDoesNotList_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("unlistedStays");
        QTest::newRow("the window keeps it") << "window" << true;
        QTest::newRow("a job that does not want it removes it") << "job" << false;
        QTest::newRow("an archive named without a version is refused") << "no version" << true;
    }
    void versionsTheCatalogueDoesNotList()
    {
        QFETCH(QString, how);
        QFETCH(bool, unlistedStays);
        Install(QStringLiteral("9.9.9"));
        Install(QStringLiteral("1.0.0"));
        Open(THREE_PACKAGES, Options());
        int status = CLASS_PACKAGE_MANAGER_BACKEND::JOB_DONE;
        if (how == QLatin1String("window"))
        {
            Tick({});
            QVERIFY(Apply());
        }
        else if (how == QLatin1String("job"))
        {
            status = backend->RunJob({QStringLiteral("1.0.0")});
        }
        else
        {
            const QString archive = work->filePath(QStringLiteral("TARVO_..zip"));
            QVERIFY(WriteTestFile(archive, BuildPackageArchive(QStringLiteral("TARVO_."))));
            status = backend->InstallArchiveFile(archive, QStringLiteral("."));
            QCOMPARE(status, int(CLASS_PACKAGE_MANAGER_BACKEND::JOB_FAILED));
            QVERIFY(backend->ArchiveRefused());
            QVERIFY(!QFileInfo::exists(applicationFolder->filePath(QStringLiteral("TARVO_."))));
            status = CLASS_PACKAGE_MANAGER_BACKEND::JOB_DONE;
        }
        QCOMPARE(status, int(CLASS_PACKAGE_MANAGER_BACKEND::JOB_DONE));
        QCOMPARE(Installed(QStringLiteral("9.9.9")), unlistedStays);
        QCOMPARE(Installed(QStringLiteral("1.0.0")), how != QLatin1String("window"));
        QCOMPARE(versionInfo->GetInstalledVersions().contains(QStringLiteral("9.9.9")), unlistedStays);
    }

    // Removing a version that saved sessions use names them first; "No" removes (and installs) nothing.
    void removingAVersionThatSessionsUse_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(QMessageBox::No);
        QTest::newRow("yes") << int(QMessageBox::Yes);
    }
    void removingAVersionThatSessionsUse()
    {
        QFETCH(int, answer);
        const bool yes = answer == QMessageBox::Yes;
        QVERIFY(WriteTestFile(sessionsRoot->filePath(QStringLiteral("Tarvo2024_03_05_14_07_59/settings.ini")),
                              "[General]\nNAME=Studio\nVERSION=1.0.0\n"));
        QVERIFY(WriteTestFile(sessionsRoot->filePath(QStringLiteral("Tarvo2024_03_06_10_00_00/settings.ini")),
                              "[General]\nNAME=Other\nVERSION=2.0.0\n"));
        Install(QStringLiteral("1.0.0"));
        ServePackage(QStringLiteral("2.0.0"));
        Open(THREE_PACKAGES, Options());
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        Tick({QStringLiteral("2.0.0")});
        CLASS_MESSAGE_BOX::SetNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
        QTest::mouseClick(Button("applybutton"), Qt::LeftButton);
        QTRY_COMPARE(CLASS_MESSAGE_BOX::Texts().size(), 1);
        QCOMPARE(
            CLASS_MESSAGE_BOX::LastText(),
            QStringLiteral("Session Studio (Tarvo2024_03_05_14_07_59) uses 1.0.0; it cannot start until a "
                           "version is chosen.\n\nRemove anyway?"));
        QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Question);
        QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        // The job runs from the event loop (its waits are local loops): it may be over already.
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), yes ? 1 : 0, JOB_WAIT_MS);
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), yes ? 1 : 0);
        QCOMPARE(Installed(QStringLiteral("1.0.0")), !yes);
        QCOMPARE(Installed(QStringLiteral("2.0.0")), yes);
        QVERIFY(Button("applybutton")->isEnabled());
    }

    void anIncompatibleCatalogueClosesTheWindow()
    {
        CLASS_MESSAGE_BOX::SetAutoAnswer(true);
        Open("[General]\nTARVO_1_0_0=1.0.0\n[version]\ncompatibility=2\n", Options());
        QCOMPARE(
            CLASS_MESSAGE_BOX::LastText(),
            QStringLiteral("Please update your simulator, a package isn't compatible with this version."));
        QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Information);
        QTRY_VERIFY(dialog.isNull());
    }

    void aCompatibleCatalogueKeepsTheWindow()
    {
        CLASS_MESSAGE_BOX::SetAutoAnswer(true);
        Open("[General]\nTARVO_1_0_0=1.0.0\n[version]\ncompatibility=1\n", Options());
        QVERIFY(CLASS_MESSAGE_BOX::Texts().isEmpty());
        QVERIFY(!dialog.isNull() && dialog->isVisible());
    }

    void aCatalogueWithoutPackages()
    {
        // Only a local copy can hold no package: a downloaded catalogue without one is not kept.
        const QByteArray empty("[version]\ncompatibility=1\n");
        QVERIFY(WriteFile(sessionsRoot->filePath(QStringLiteral("tarvo4kpackages.ini")), empty));
        Open(empty, Options());
        QCOMPARE(dialog->PackageCount(), 0);
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        QSignalSpy requested(dialog.data(), &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate);
        QTest::mouseClick(Button("applybutton"), Qt::LeftButton);
        QVERIFY(requested.wait(1000));
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 0);
    }

    // A download cut short, paused, or finished but not installed keeps its part; the next install asks for
    // the rest of the same file (Range, If-Range with its ETag, no compression) and goes by the answer. The
    // checksum published beside the archive tells whether the bytes were put together right.
    void aKeptPartIsResumed_data()
    {
        QTest::addColumn<QString>("before"); // how the first attempt ended: "cut", "pause", "whole"
        QTest::addColumn<int>("ranges");     // TestHttpServer::RANGES of the second attempt
        QTest::addColumn<bool>("changed");   // the file changes (another ETag) between the attempts
        QTest::addColumn<int>("requests");   // requests of the second attempt
        QTest::addColumn<bool>("restOnly");  // the second attempt received nothing but the rest
        const int honour = int(TestHttpServer::RANGES::Honour);
        QTest::newRow("206 where the part ends") << "cut" << honour << false << 1 << true;
        QTest::newRow("206 at a wrong offset")
            << "cut" << int(TestHttpServer::RANGES::WrongOffset) << false << 2 << false;
        QTest::newRow("200: the range ignored")
            << "cut" << int(TestHttpServer::RANGES::Ignore) << false << 1 << false;
        QTest::newRow("416 for another length")
            << "cut" << int(TestHttpServer::RANGES::Unsatisfiable) << false << 2 << false;
        QTest::newRow("416 for the part's length: it is whole") << "whole" << honour << false << 1 << true;
        QTest::newRow("changed ETag: 200 with the new file") << "cut" << honour << true << 1 << false;
        QTest::newRow("paused in the window, resumed") << "pause" << honour << false << 1 << true;
    }
    void aKeptPartIsResumed()
    {
        QFETCH(QString, before);
        QFETCH(int, ranges);
        QFETCH(bool, changed);
        QFETCH(int, requests);
        QFETCH(bool, restOnly);
        const QString path = ServerPath(QStringLiteral("1.0.0"));
        const QByteArray original = Package(QStringLiteral("1.0.0"), 200);
        const QByteArray newer = Package(QStringLiteral("1.0.0"), 201);
        const auto serve = [this, &path](const QByteArray& archive, const QByteArray& tag)
        {
            Route(path, archive);
            server->SetETag(path, tag);
            Route(path + QStringLiteral(".sha256"),
                  QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex());
        };
        serve(original, "\"v1\"");
        if (before == QStringLiteral("pause"))
        {
            server->SetChunked(path, 2048, 20);
            onShow = [this](const QString& text, int value)
            {
                if (text.startsWith(QStringLiteral("Downloading 1.0.0")) && value > 10)
                {
                    onShow = nullptr;
                    QTest::mouseClick(Button("pausebutton"), Qt::LeftButton);
                }
            };
        }
        else
        {
            server->SetTruncated(path, original.size() / 2);
        }
        Open(THREE_PACKAGES, Options());
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        const QString part = work->filePath(QStringLiteral("downloads/TARVO_1_0_0.zip.part"));
        QCOMPARE(dialog->StatusText(), before == QStringLiteral("pause")
                                           ? QStringLiteral("Paused")
                                           : QStringLiteral("Failed: connection closed by 127.0.0.1"));
        QVERIFY(QFileInfo(part).size() > 0 && QFileInfo(part).size() < original.size());
        QCOMPARE(QFileInfo(part).permissions() &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
        if (before == QStringLiteral("whole"))
        {
            QFile rest(part);
            QVERIFY(rest.open(QIODevice::Append));
            rest.write(original.mid(int(rest.size())));
        }
        const qint64 kept = QFileInfo(part).size();
        server->SetTruncated(path, -1);
        server->SetChunked(path, 0, 0);
        server->SetRanges(path, static_cast<TestHttpServer::RANGES>(ranges));
        if (changed)
        {
            serve(newer, "\"v2\"");
        }
        // A paused download's answer streams on until the server notices the closed connection: its last
        // bytes belong to the first attempt, not to the second.
        QTRY_COMPARE(server->StreamsInProgress(), 0);
        const int requestsBefore = server->RequestCount(path);
        const qint64 sentBefore = server->BytesSent(path);

        QSignalSpy changedPackages(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        if (before == QStringLiteral("pause"))
        {
            QCOMPARE(Button("pausebutton")->text(), QStringLiteral("Resume"));
            QVERIFY(Button("pausebutton")->isVisible());
            QTest::mouseClick(Button("pausebutton"), Qt::LeftButton);
            QVERIFY(changedPackages.wait(JOB_WAIT_MS));
        }
        else
        {
            Tick({QStringLiteral("1.0.0")});
            QVERIFY(Apply());
        }
        QCOMPARE(dialog->StatusText(), QStringLiteral("Finished"));
        QVERIFY(Installed(QStringLiteral("1.0.0")));
        QCOMPARE(QFileInfo::exists(PackageFolder(QStringLiteral("1.0.0")) +
                                   QStringLiteral("/ressources/file_200.txt")),
                 changed);
        QCOMPARE(server->RequestCount(path) - requestsBefore, requests);
        QCOMPARE(server->LastRequestHeader(path, "Accept-Encoding"), QByteArray("identity"));
        // With one request it was the one for the rest; a second one asks for the whole file.
        QCOMPARE(server->LastRequestHeader(path, "Range"),
                 requests == 1 ? "bytes=" + QByteArray::number(kept) + '-' : QByteArray());
        QCOMPARE(server->LastRequestHeader(path, "If-Range"),
                 requests == 1 ? QByteArray("\"v1\"") : QByteArray());
        const qint64 sent = server->BytesSent(path) - sentBefore;
        QVERIFY2(restOnly ? sent == original.size() - kept : sent >= original.size() / 2,
                 qPrintable(QStringLiteral("%1 bytes sent, %2 kept").arg(sent).arg(kept)));
        QVERIFY(QDir(work->filePath(QStringLiteral("downloads"))).isEmpty());
    }

    // The kept part and its record are never opened through a link: a link planted in the place of one stays
    // a link, and what it points at stays untouched.
    void aLinkInThePlaceOfAKeptPartIsNotFollowed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("installed");
        QTest::newRow("the part") << "TARVO_1_0_0.zip.part" << false;
        QTest::newRow("its record") << "TARVO_1_0_0.zip.part.info" << true;
    }
    void aLinkInThePlaceOfAKeptPartIsNotFollowed()
    {
        QFETCH(QString, name);
        QFETCH(bool, installed);
        ServePackage(QStringLiteral("1.0.0"));
        const QString target = work->filePath(QStringLiteral("precious.txt"));
        QVERIFY(WriteTestFile(target, "mine"));
        const QString downloads = work->filePath(QStringLiteral("downloads"));
        QVERIFY(QDir().mkpath(downloads));
        QVERIFY(QFile::link(target, downloads + QLatin1Char('/') + name));
        Open(THREE_PACKAGES, Options());
        Tick({QStringLiteral("1.0.0")});
        QVERIFY(Apply());
        QCOMPARE(Installed(QStringLiteral("1.0.0")), installed);
        QCOMPARE(dialog->StatusText(),
                 installed ? QStringLiteral("Finished")
                           : QStringLiteral("Error downloading: cannot write the download (%1 "
                                            "is no file of the user's own)")
                                 .arg(downloads + QStringLiteral("/TARVO_1_0_0.zip.part")));
        QCOMPARE(ReadTestFile(target), QByteArray("mine"));
        QVERIFY(QFileInfo(target).isFile() && !QFileInfo(target).isSymLink());
    }

    // The size the package index gives for an archive bounds its download.
    void theIndexSizeBoundsTheDownload_data()
    {
        QTest::addColumn<QString>("length");    // "announced": Content-Length; "unannounced": none
        QTest::addColumn<qint64>("difference"); // the index's size minus the archive's
        QTest::addColumn<QString>("reason");    // empty: downloaded
        QTest::newRow("the size of the index") << "announced" << qint64(0) << QString();
        QTest::newRow("another size announced")
            << "announced" << qint64(-1)
            << "download refused (the server announces ARCHIVE bytes, the index INDEX)";
        QTest::newRow("more bytes than the index, unannounced")
            << "unannounced" << qint64(-100) << "download refused (more than the INDEX bytes of the index)";
    }
    void theIndexSizeBoundsTheDownload()
    {
        QFETCH(QString, length);
        QFETCH(qint64, difference);
        QFETCH(QString, reason);
        const QByteArray archive = Package(QStringLiteral("1.0.0"), 20);
        UnannouncedLengthServer unannounced(archive);
        Route(ServerPath(QStringLiteral("1.0.0")), archive);
        PACKAGE_MANAGER_OPTIONS options = Options();
        options.packagesUrl =
            length == QStringLiteral("announced") ? server->Url(TREE) : unannounced.Url(TREE);
        CLASS_PACKAGE_MANAGER_BACKEND installer(nullptr, nullptr, nullptr, options);
        QVERIFY(QDir().mkpath(options.downloadsFolder));
        CLASS_PARTIAL_DOWNLOAD part(options.downloadsFolder, QStringLiteral("TARVO_1_0_0.zip"));
        CLASS_PACKAGE_DOWNLOAD step(installer);
        const qint64 expected = archive.size() + difference;
        step.SetExpectedSize(expected);
        QByteArray sha256;
        QCOMPARE(step.DownloadArchive(installer.ArchiveUrl(QStringLiteral("1.0.0")), part, sha256),
                 reason.isEmpty());
        reason.replace(QStringLiteral("ARCHIVE"), QString::number(archive.size()))
            .replace(QStringLiteral("INDEX"), QString::number(expected));
        QCOMPARE(installer.FailureReason(), reason);
        QCOMPARE(ReadTestFile(part.ArchivePath()), reason.isEmpty() ? archive : QByteArray());
        QVERIFY(!QFileInfo::exists(part.PartPath()));
    }

    // Refresh downloads the catalogue again: its packages replace the boxes; a server that does not answer
    // is named.
    void refreshDownloadsTheCatalogueAgain_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::newRow("a catalogue with one more package") << true;
        QTest::newRow("the server gone") << false;
    }
    void refreshDownloadsTheCatalogueAgain()
    {
        QFETCH(bool, reachable);
        Install(QStringLiteral("2.0.0"));
        Open(THREE_PACKAGES, Options());
        QCOMPARE(dialog->PackageCount(), 3);
        Route(CATALOGUE_PATH, reachable ? THREE_PACKAGES + "TARVO_4_0_0=4.0.0\n" : QByteArray("gone"),
              reachable ? 200 : 404);
        QSignalSpy changed(backend.data(), &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged);
        QTest::mouseClick(Button("refreshbutton"), Qt::LeftButton);
        QVERIFY(changed.wait(JOB_WAIT_MS));
        QCOMPARE(dialog->PackageCount(), reachable ? 4 : 3);
        QStringList ticked;
        dialog->GetCheckedPackages(ticked);
        QCOMPARE(ticked, QStringList{QStringLiteral("2.0.0")});
        const QString address = server->Url(CATALOGUE_PATH);
        QCOMPARE(dialog->StatusText().startsWith(
                     QStringLiteral("The catalogue could not be downloaded from ") + address),
                 !reachable);
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("warningtext"))->isVisible(), !reachable);
        QVERIFY(Button("applybutton")->isEnabled() && Button("refreshbutton")->isEnabled());
    }

    void downloadProgressText_data()
    {
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("speed");
        QTest::addColumn<QString>("text");
        const qint64 mb = 1024 * 1024;
        const QString start = QStringLiteral("Downloading 3.2.0 (1 of 2)");
        const QString dash = QStringLiteral(" \u2014 ");
        QTest::newRow("before the first byte") << qint64(0) << qint64(-1) << qint64(-1) << start;
        QTest::newRow("size, speed and time")
            << 41 * mb << 100 * mb << 12 * mb
            << start + dash + QStringLiteral("41 of 100 MB, 12 MB/s, 5 s left");
        QTest::newRow("speed not measured yet")
            << 41 * mb << 100 * mb << qint64(-1) << start + dash + "41 of 100 MB";
        QTest::newRow("size not announced")
            << 41 * mb << qint64(-1) << 12 * mb << start + dash + "41 MB, 12 MB/s";
        QTest::newRow("small numbers with a decimal") << 3 * mb + mb / 2 << 9 * mb << qint64(850 * 1024)
                                                      << start + dash + "3.5 of 9 MB, 850 kB/s, 7 s left";
        QTest::newRow("minutes") << qint64(0) << 100 * mb << mb / 2
                                 << start + dash + "0 of 100 MB, 512 kB/s, 3 min 20 s left";
        QTest::newRow("hours") << qint64(0) << 4000 * mb << mb / 2
                               << start + dash + "0 of 3.9 GB, 512 kB/s, 2 h 13 min left";
        QTest::newRow("bytes") << qint64(100) << qint64(900) << qint64(-1) << start + dash + "100 of 900 B";
    }
    void downloadProgressText()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, total);
        QFETCH(qint64, speed);
        QFETCH(QString, text);
        QCOMPARE(DownloadProgressText({QStringLiteral("3.2.0"), 1, 2, received, total, speed}), text);
    }

    void archiveLocation()
    {
        CLASS_PACKAGE_MANAGER_BACKEND defaults(nullptr, nullptr);
        QCOMPARE(defaults.ArchiveUrl(QStringLiteral("3.1.51")), CLASS_SERVER_ADDRESS::PackagesUrl() +
                                                                    PLATFORM::PackageArchiveFolder() +
                                                                    QStringLiteral("/TARVO_3_1_51.zip"));
        QCOMPARE(defaults.Options().extractorProgram, PLATFORM::UnzipProgram());
        QCOMPARE(defaults.Options().removalPauseMs, 300);
        QCOMPARE(defaults.Options().downloadInactivityMs, DOWNLOAD_INACTIVITY_TIMEOUT_MS);
    }
};

QTEST_MAIN(TestPackageManager)
#include "TestPackageManager.moc"
