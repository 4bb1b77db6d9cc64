#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Constants.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "TraceCapture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

typedef QMap<int, QString> PackagesList;

namespace
{
const QString CATALOGUE_PATH = QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini");
// A captive portal's login page: some of its lines read as INI keys.
const QByteArray PORTAL_PAGE =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta name=\"viewport\" content=\"width=device-width\">\n"
    "<title>Hotel Wi-Fi</title>\n</head>\n<body>\n<form action=\"/login\" method=\"post\">\n"
    "<input name=\"room\" value=\"101\">\n</form>\n</body>\n</html>\n";
} // namespace

// The package catalogue: installed versions, the download with its fallbacks, and the packages list.
class TestTarvoVersionInfo : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server;
    std::unique_ptr<QTemporaryDir> applicationFolder;
    std::unique_ptr<QTemporaryDir> sessionsRoot;

    TARVO_VERSION_INFO_LOCATIONS Locations(int timeoutMs = 5000) const
    {
        TARVO_VERSION_INFO_LOCATIONS locations;
        locations.applicationFolder = applicationFolder->path();
        locations.sessionsRoot = sessionsRoot->path() + QStringLiteral("/");
        locations.catalogueUrl = server.Url(CATALOGUE_PATH);
        locations.transferTimeoutMs = timeoutMs;
        return locations;
    }
    QString LocalCatalogue() const { return sessionsRoot->filePath(QStringLiteral("tarvo4kpackages.ini")); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(server.Start());
    }

    void init()
    {
        applicationFolder = std::make_unique<QTemporaryDir>();
        sessionsRoot = std::make_unique<QTemporaryDir>();
        server.RemoveRoute(CATALOGUE_PATH);
    }

    void defaultsAreTheLaunchersOwnLocations()
    {
        const TARVO_VERSION_INFO_LOCATIONS filled = TARVO_VERSION_INFO_LOCATIONS().WithDefaults();
        QCOMPARE(filled.applicationFolder, QCoreApplication::applicationDirPath());
        QCOMPARE(filled.sessionsRoot, CLASS_SESSION_SETTINGS::SessionsRoot());
        QCOMPARE(filled.catalogueUrl, CLASS_SERVER_ADDRESS::Server() + CATALOGUE_PATH);
        QCOMPARE(filled.transferTimeoutMs, SMALL_TRANSFER_TIMEOUT_MS);
    }

    void installedVersionsNewestFirst()
    {
        for (const char* name :
             {"TARVO_3_1_51", "TARVO_3_10_1", "bin", "TARVO_3_2_0", "old_TARVO_3_1_51_bak"})
        {
            QVERIFY(QDir(applicationFolder->path()).mkdir(QString::fromLatin1(name)));
        }
        CLASS_TARVO_VERSION_INFO info(Locations());
        QCOMPARE(info.GetInstalledVersions(), (QStringList{"3.10.1", "3.2.0", "3.1.51", "old.3.1.51.bak"}));

        QVERIFY(QDir(applicationFolder->path()).mkdir(QStringLiteral("TARVO_4_0_0")));
        QVERIFY(QDir(applicationFolder->path()).rmdir(QStringLiteral("TARVO_3_2_0")));
        info.FindInstalledVersions();
        QCOMPARE(info.GetInstalledVersions(), (QStringList{"4.0.0", "3.10.1", "3.1.51", "old.3.1.51.bak"}));
    }

    void packagesListFromTheDownloadedCatalogue_data()
    {
        QTest::addColumn<QByteArray>("catalogue");
        QTest::addColumn<PackagesList>("packages");
        QTest::addColumn<int>("compatibility");
        QTest::addColumn<int>("skipped"); // entries that are no version, one logged line each
        QTest::newRow("reversed key order")
            << QByteArray("[General]\nTARVO_3_1_51=3.1.51\nTARVO_3_2_0=3.2.0\n")
            << PackagesList{{0, "3.2.0"}, {1, "3.1.51"}} << 1 << 0;
        QTest::newRow("order by key name, not by version")
            << QByteArray("[General]\nTARVO_3_10_0=3.10.0\nTARVO_3_9_0=3.9.0\n")
            << PackagesList{{0, "3.9.0"}, {1, "3.10.0"}} << 1 << 0;
        QTest::newRow("key names are not read")
            << QByteArray("[General]\nB=1.0.0\nA=2.0.0\nC=0.1\n")
            << PackagesList{{0, "0.1"}, {1, "1.0.0"}, {2, "2.0.0"}} << 1 << 0;
        QTest::newRow("compatibility 2") << QByteArray("TARVO_3_1_51=3.1.51\n[version]\ncompatibility=2\n")
                                         << PackagesList{{0, "3.1.51"}} << 2 << 0;
        QTest::newRow("compatibility not a number")
            << QByteArray("TARVO_3_1_51=3.1.51\n[version]\ncompatibility=abc\n")
            << PackagesList{{0, "3.1.51"}} << 0 << 0;
        QTest::newRow("version group without compatibility")
            << QByteArray("TARVO_3_1_51=3.1.51\n[version]\nother=5\n") << PackagesList{{0, "3.1.51"}} << 0
            << 0;
        QTest::newRow("other group only") << QByteArray("TARVO_3_1_51=3.1.51\n[versions]\ncompatibility=7\n")
                                          << PackagesList{{0, "3.1.51"}} << 1 << 0;
        // "TARVO_.." = "." would install a folder "TARVO_.": such entries are skipped.
        QTest::newRow("entries that are no version are skipped")
            << QByteArray(
                   "[General]\nTARVO_..=.\nTARVO_3_1_51=3.1.51\nTARVO_3_2=3..2\nTARVO_4_0_0=4.0.0 beta\n"
                   "TARVO_5=\nTARVO_6_0=6.0\\n\nTARVO_7=-7\n")
            << PackagesList{{0, "3.1.51"}} << 1 << 6;
    }
    void packagesListFromTheDownloadedCatalogue()
    {
        QFETCH(QByteArray, catalogue);
        QFETCH(PackagesList, packages);
        QFETCH(int, compatibility);
        QFETCH(int, skipped);
        TraceCapture traces;
        QVERIFY(WriteFile(LocalCatalogue(), "TARVO_1_0_0=1.0.0\n"));
        server.SetRoute(CATALOGUE_PATH, catalogue, 200, QStringLiteral("text/plain"));
        CLASS_TARVO_VERSION_INFO info(Locations());
        QCOMPARE(info.GetPackagesList(), packages);
        QCOMPARE(info.GetCompatibility(), compatibility);
        QCOMPARE(ReadFile(LocalCatalogue()), catalogue);
        QTRY_COMPARE(traces.ErrorCount(), skipped);
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Skipped a catalogue entry that is no version : ")),
                 skipped);
        // A later catalogue without a "version" group is of level 1, whatever this one said.
        QVERIFY(WriteFile(LocalCatalogue(), "TARVO_3_2_0=3.2.0\n"));
        info.FindPackagesList();
        QCOMPARE(info.GetCompatibility(), 1);
    }

    void failedDownloadWithoutAnythingKnown()
    {
        TraceCapture traces;
        QVERIFY(traces.Ready());
        server.SetRoute(CATALOGUE_PATH, "gone", 404);
        const CLASS_TARVO_VERSION_INFO info(Locations());
        QVERIFY(!QFileInfo::exists(LocalCatalogue()));
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.1.51"}}));
        QCOMPARE(info.GetCompatibility(), 1);
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Error downloading file:")), 1);
        QCOMPARE(traces.Infos(QStringLiteral("FindPackagesList"), QStringLiteral("Packages file is missing"))
                     .size(),
                 1);
        QVERIFY(traces.AllErrors().first().contains(
            QStringLiteral("..\\mng_launcher\\DEVICE\\DEVICE_ClassTarvoVersionInfo FetchPackages() Line ")));
    }

    void failedDownloadKeepsTheLocalCopy_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("not found") << "404";
        QTest::newRow("server error") << "500";
        QTest::newRow("cut short") << "truncated";
        QTest::newRow("server closed") << "closed";
        // Answers of someone else: a captive portal, a moved page, a body that only looks like INI.
        QTest::newRow("301 to a login page") << "301 portal";
        QTest::newRow("302 to a missing page") << "302 missing";
        QTest::newRow("redirect loop") << "loop";
        QTest::newRow("200 HTML login page") << "200 portal";
        QTest::newRow("200 INI without a package") << "200 no package";
    }
    void failedDownloadKeepsTheLocalCopy()
    {
        QFETCH(QString, failure);
        TraceCapture traces;
        const QByteArray old("[General]\nTARVO_3_0_0=3.0.0\nTARVO_3_0_1=3.0.1\n");
        QVERIFY(WriteFile(LocalCatalogue(), old));
        QVERIFY(QDir(applicationFolder->path()).mkdir(QStringLiteral("TARVO_3_5_0")));
        TARVO_VERSION_INFO_LOCATIONS locations = Locations();
        if (failure == QStringLiteral("truncated"))
        {
            server.SetRoute(CATALOGUE_PATH, QByteArray("[General]\nTARVO_9_0_0=9.0.0\n").repeated(100));
            server.SetTruncated(CATALOGUE_PATH, 20);
        }
        else if (failure == QStringLiteral("closed"))
        {
            TestHttpServer closed;
            QVERIFY(closed.Start());
            locations.catalogueUrl = closed.Url(CATALOGUE_PATH);
        }
        else if (failure == QStringLiteral("301 portal"))
        {
            server.SetRoute(QStringLiteral("/portal"), PORTAL_PAGE, 200, QStringLiteral("text/html"));
            server.SetRedirect(CATALOGUE_PATH, server.Url(QStringLiteral("/portal")), 301);
        }
        else if (failure == QStringLiteral("302 missing"))
        {
            server.SetRedirect(CATALOGUE_PATH, server.Url(QStringLiteral("/missing")));
        }
        else if (failure == QStringLiteral("loop"))
        {
            server.SetRedirect(CATALOGUE_PATH, server.Url(CATALOGUE_PATH));
        }
        else if (failure == QStringLiteral("200 portal"))
        {
            server.SetRoute(CATALOGUE_PATH, PORTAL_PAGE, 200, QStringLiteral("text/html"));
        }
        else if (failure == QStringLiteral("200 no package"))
        {
            server.SetRoute(CATALOGUE_PATH,
                            "[General]\nnotice=maintenance until 6 pm\n[version]\ncompatibility=1\n");
        }
        else
        {
            server.SetRoute(CATALOGUE_PATH, "<html>error</html>", failure.toInt());
        }
        const CLASS_TARVO_VERSION_INFO info(locations);
        QCOMPARE(ReadFile(LocalCatalogue()), old);
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.0.1"}, {1, "3.0.0"}}));
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Error downloading file:")), 1);
    }

    void catalogueMovedToAMirrorIsFollowed()
    {
        TraceCapture traces;
        QVERIFY(WriteFile(LocalCatalogue(), "TARVO_1_0_0=1.0.0\n"));
        const QByteArray moved("[General]\nTARVO_3_2_0=3.2.0\n");
        server.SetRoute(QStringLiteral("/mirror/tarvo4kpackages.ini"), moved, 200,
                        QStringLiteral("text/plain"));
        server.SetRedirect(CATALOGUE_PATH, server.Url(QStringLiteral("/mirror/tarvo4kpackages.ini")), 301);
        const CLASS_TARVO_VERSION_INFO info(Locations());
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.2.0"}}));
        QCOMPARE(ReadFile(LocalCatalogue()), moved);
        QCOMPARE(traces.ErrorCount(), 0);
    }

    void failedDownloadWritesTheFallbackFromKnownVersions()
    {
        TraceCapture traces;
        server.SetRoute(CATALOGUE_PATH, "gone", 404);
        QVERIFY(QDir(applicationFolder->path()).mkdir(QStringLiteral("TARVO_3_1_51")));
        QVERIFY(WriteFile(sessionsRoot->filePath(QStringLiteral("Tarvo2024_01_01_00_00_00/settings.ini")),
                          "VERSION=3_2_0\n"));
        QVERIFY(WriteFile(sessionsRoot->filePath(QStringLiteral("Tarvo2024_01_02_00_00_00/settings.ini")),
                          "VERSION=3.1.51\n"));
        QVERIFY(WriteFile(sessionsRoot->filePath(QStringLiteral("Tarvo2024_01_03_00_00_00/settings.ini")),
                          "NAME=none\n"));
        const CLASS_TARVO_VERSION_INFO info(Locations());

        QSettings fallback(LocalCatalogue(), QSettings::IniFormat);
        QCOMPARE(fallback.childKeys(), (QStringList{"TARVO_3_1_51", "TARVO_3_2_0"}));
        QCOMPARE(fallback.value(QStringLiteral("TARVO_3_1_51")).toString(), QStringLiteral("3.1.51"));
        QCOMPARE(fallback.value(QStringLiteral("TARVO_3_2_0")).toString(), QStringLiteral("3.2.0"));
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.2.0"}, {1, "3.1.51"}}));
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Error downloading file:")), 1);
    }

    void malformedLocalCopyGivesTheDefaultList()
    {
        TraceCapture traces;
        server.SetRoute(CATALOGUE_PATH, "gone", 404);
        QVERIFY(WriteFile(LocalCatalogue(), "TARVO_3_2_0=3.2.0\n[version\ncompatibility=3\n"));
        const CLASS_TARVO_VERSION_INFO info(Locations());
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.1.51"}}));
        QCOMPARE(info.GetCompatibility(), 1);
        QCOMPARE(
            traces.Errors(QStringLiteral("FindPackagesList"), QStringLiteral("Failed to parse packages file"))
                .size(),
            1);
    }

    void unwritableLocalCopyIsReported()
    {
        TraceCapture traces;
        server.SetRoute(CATALOGUE_PATH, "TARVO_3_2_0=3.2.0\n");
        QVERIFY(WriteFile(sessionsRoot->filePath(QStringLiteral("blocker")), "a file, not a folder"));
        TARVO_VERSION_INFO_LOCATIONS locations = Locations();
        locations.sessionsRoot = sessionsRoot->filePath(QStringLiteral("blocker/root/"));
        const CLASS_TARVO_VERSION_INFO info(locations);
        QCOMPARE(traces.ErrorsStartingWith(
                     QStringLiteral("Error opening file for writing:"),
                     QStringLiteral("..\\mng_launcher\\DEVICE\\DEVICE_ClassTarvoVersionInfo FetchPackages")),
                 1);
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.1.51"}}));
    }

    void silentServerEndsWithinTheLimit()
    {
        TraceCapture traces;
        // Were the wait unlimited, this catalogue would arrive after the delay and be used.
        server.SetRoute(CATALOGUE_PATH, "TARVO_9_9_9=9.9.9\n");
        server.SetDelay(CATALOGUE_PATH, 60000);
        const CLASS_TARVO_VERSION_INFO info(Locations(300));
        QCOMPARE(info.GetPackagesList(), (PackagesList{{0, "3.1.51"}}));
        QVERIFY(!QFileInfo::exists(LocalCatalogue()));
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Error downloading file:Operation canceled")), 1);
        server.SetDelay(CATALOGUE_PATH, 0);
    }

    void versionsTableIsACopyKeptApart()
    {
        server.SetRoute(CATALOGUE_PATH, "TARVO_3_1_51=3.1.51\nTARVO_3_2_0=3.2.0\n");
        CLASS_TARVO_VERSION_INFO info(Locations());
        QVERIFY(info.GetVersionsTable().isEmpty());
        info.SetVersionsTable(info.GetPackagesList());
        QCOMPARE(info.GetVersionsTable(), (PackagesList{{0, "3.2.0"}, {1, "3.1.51"}}));
    }
};

QTEST_GUILESS_MAIN(TestTarvoVersionInfo)
#include "TestTarvoVersionInfo.moc"
