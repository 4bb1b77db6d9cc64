#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "TestFiles.h"
#include "TestHttpServer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
void MakeFolders(const QString& root, const QStringList& names)
{
    for (const QString& name : names)
    {
        QVERIFY(QDir(root).mkpath(name));
    }
}
} // namespace

// The shared folder and version helpers.
class TestHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("newer");
        QTest::newRow("3.2.0 vs 3.10.0") << "3.2.0"
                                         << "3.10.0" << false;
        QTest::newRow("3.10.0 vs 3.2.0") << "3.10.0"
                                         << "3.2.0" << true;
        QTest::newRow("3.10.0 vs 3.9.9") << "3.10.0"
                                         << "3.9.9" << true;
        QTest::newRow("3.1.51 vs 3.1.6") << "3.1.51"
                                         << "3.1.6" << true;
        QTest::newRow("3.1 vs 3.1.0: shorter is newer") << "3.1"
                                                        << "3.1.0" << true;
        QTest::newRow("3.1.0 vs 3.1") << "3.1.0"
                                      << "3.1" << false;
        QTest::newRow("equal texts") << "3.1.51"
                                     << "3.1.51" << false;
        QTest::newRow("empty vs empty") << ""
                                        << "" << false;
        QTest::newRow("number beats no number") << "4"
                                                << "" << false;
        QTest::newRow("old.3.1.51.bak vs 3.2.0") << "old.3.1.51.bak"
                                                 << "3.2.0" << false;
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, newer);
        QCOMPARE(VersionIsNewer(a, b), newer);
    }

    void sortNewestFirst()
    {
        QStringList versions = {QStringLiteral("3.1.51"), QStringLiteral("3.10.1"), QStringLiteral("3.2.0")};
        SortNewestFirst(versions);
        QCOMPARE(versions,
                 (QStringList{QStringLiteral("3.10.1"), QStringLiteral("3.2.0"), QStringLiteral("3.1.51")}));
    }

    void packageFolderName_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("folder");
        QTest::newRow("three numbers") << "3.1.51"
                                       << "TARVO_3_1_51";
        QTest::newRow("empty") << ""
                               << "TARVO_";
    }
    void packageFolderName()
    {
        QFETCH(QString, version);
        QFETCH(QString, folder);
        QCOMPARE(PackageFolderName(version), folder);
    }

    void listInstalledVersions_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QStringList>("versions");
        QTest::newRow("packages and bin")
            << QStringList{"TARVO_3_2_0", "bin", "TARVO_3_1_51"} << QStringList{"3.1.51", "3.2.0"};
        QTest::newRow("prefix anywhere")
            << QStringList{"old_TARVO_3_1_51_bak"} << QStringList{"old.3.1.51.bak"};
        QTest::newRow("case-sensitive") << QStringList{"tarvo_3_1_51", "Tarvo_1"} << QStringList();
        QTest::newRow("nothing") << QStringList() << QStringList();
    }
    void listInstalledVersions()
    {
        QFETCH(QStringList, folders);
        QFETCH(QStringList, versions);
        QTemporaryDir root;
        MakeFolders(root.path(), folders);
        QVERIFY(WriteFile(root.filePath(QStringLiteral("TARVO_9_9_9.zip")), "not a folder"));
        QCOMPARE(ListInstalledVersions(root.path()), versions);
    }

    void listInstalledVersionsOfAMissingFolderIsEmpty()
    {
        QTemporaryDir root;
        QVERIFY(ListInstalledVersions(root.filePath(QStringLiteral("none"))).isEmpty());
    }

    void listSessionVersionsNewestFirst()
    {
        QTemporaryDir root;
        QVERIFY(WriteFile(root.filePath(QStringLiteral("Tarvo1/settings.ini")), "VERSION=3_1_51\n"));
        QVERIFY(WriteFile(root.filePath(QStringLiteral("Tarvo2/settings.ini")), "VERSION=3.10.0\n"));
        QVERIFY(WriteFile(root.filePath(QStringLiteral("Tarvo3/settings.ini")), "VERSION=3.2.0\n"));
        QVERIFY(WriteFile(root.filePath(QStringLiteral("Tarvo4/settings.ini")), "NAME=no version\n"));
        QVERIFY(WriteFile(root.filePath(QStringLiteral("tarvo4kpackages.ini")), "TARVO_9_0_0=9.0.0\n"));
        // A folder without VERSION gives an empty text, which the order puts first (it is the shortest).
        QCOMPARE(ListSessionVersions(root.path()), (QStringList{QString(), "3.10.0", "3.2.0", "3.1.51"}));
    }

    void copyDirectoryCopiesTheTree()
    {
        QTemporaryDir source;
        QTemporaryDir target;
        QVERIFY(WriteFile(source.filePath(QStringLiteral("a.txt")), "a"));
        QVERIFY(WriteFile(source.filePath(QStringLiteral("ZR_APPS/index.html")), "page"));
        QVERIFY(WriteFile(source.filePath(QStringLiteral("ZR_APPS/js/app.js")), "js"));
        QVERIFY(QDir(source.path()).mkpath(QStringLiteral("empty")));
        const QString into = target.filePath(QStringLiteral("new/session"));
        QVERIFY(CopyDirectory(source.path(), into));
        QCOMPARE(ReadFile(into + QStringLiteral("/a.txt")), QByteArray("a"));
        QCOMPARE(ReadFile(into + QStringLiteral("/ZR_APPS/index.html")), QByteArray("page"));
        QCOMPARE(ReadFile(into + QStringLiteral("/ZR_APPS/js/app.js")), QByteArray("js"));
        QVERIFY(QFileInfo(into + QStringLiteral("/empty")).isDir());
    }

    void copyDirectoryOverExistingFilesGoesOn()
    {
        QTemporaryDir source;
        QTemporaryDir target;
        QVERIFY(WriteFile(source.filePath(QStringLiteral("same.txt")), "new"));
        QVERIFY(WriteFile(source.filePath(QStringLiteral("sub/same.txt")), "new"));
        QVERIFY(WriteFile(source.filePath(QStringLiteral("sub/other.txt")), "other"));
        QVERIFY(WriteFile(source.filePath(QStringLiteral("fresh.txt")), "fresh"));
        QVERIFY(WriteFile(target.filePath(QStringLiteral("same.txt")), "old"));
        QVERIFY(WriteFile(target.filePath(QStringLiteral("sub/same.txt")), "old"));
        QVERIFY(!CopyDirectory(source.path(), target.path()));
        QCOMPARE(ReadFile(target.filePath(QStringLiteral("same.txt"))), QByteArray("old"));
        QCOMPARE(ReadFile(target.filePath(QStringLiteral("sub/same.txt"))), QByteArray("old"));
        QCOMPARE(ReadFile(target.filePath(QStringLiteral("sub/other.txt"))), QByteArray("other"));
        QCOMPARE(ReadFile(target.filePath(QStringLiteral("fresh.txt"))), QByteArray("fresh"));
    }

    void copyDirectoryRefusesATargetInsideTheSource_data()
    {
        QTest::addColumn<QString>("relativeTarget");
        QTest::newRow("itself") << ".";
        QTest::newRow("sub-folder") << "inner/copy";
    }
    void copyDirectoryRefusesATargetInsideTheSource()
    {
        QFETCH(QString, relativeTarget);
        QTemporaryDir source;
        QVERIFY(WriteFile(source.filePath(QStringLiteral("a.txt")), "a"));
        QVERIFY(!CopyDirectory(source.path(), source.path() + QStringLiteral("/") + relativeTarget));
        QVERIFY(!QFileInfo::exists(source.filePath(QStringLiteral("inner"))));
    }

    void copyDirectoryNeverFollowsALink_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("source");
        QTest::newRow("the source folder is a link") << "linked"
                                                     << "linked";
        QTest::newRow("a link inside the source") << "source/real/ressources"
                                                  << "source/real";
        QTest::newRow("the target folder is a link") << "target"
                                                     << "source/real";
    }
    void copyDirectoryNeverFollowsALink()
    {
        // outside/ holds a tree that must be neither copied nor written.
        QFETCH(QString, link);
        QFETCH(QString, source);
        QTemporaryDir work;
        const QString outside = work.filePath(QStringLiteral("outside"));
        QVERIFY(WriteFile(outside + QStringLiteral("/secret.txt"), "secret"));
        QVERIFY(WriteFile(work.filePath(QStringLiteral("source/real/a.txt")), "a"));
        QVERIFY(QFile::link(outside, work.filePath(link)));
        QVERIFY(!CopyDirectory(work.filePath(source), work.filePath(QStringLiteral("target"))));
        // Nothing of outside/ was copied, and nothing was written into it.
        const QString target = work.filePath(QStringLiteral("target"));
        QVERIFY(QFileInfo(target).isSymLink() ||
                (!QFileInfo::exists(target + QStringLiteral("/secret.txt")) &&
                 !QFileInfo::exists(target + QStringLiteral("/ressources"))));
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"secret.txt"});
    }

    // The user's package folder left the sessions root: an old one moves once, and only when it is a real
    // package folder of the user's own.
    void oldUserPackagesFolderMovesOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("moved");
        QTest::newRow("package folder") << "folder" << true;
        QTest::newRow("nothing there") << "none" << false;
        QTest::newRow("a link") << "link" << false;
        QTest::newRow("a session planted there") << "session" << false;
        QTest::newRow("the new place exists") << "new exists" << false;
    }
    void oldUserPackagesFolderMovesOnce()
    {
        QFETCH(QString, kind);
        QFETCH(bool, moved);
        QTemporaryDir work;
        const QString oldFolder = work.filePath(QStringLiteral("sessions/packages"));
        const QString newFolder = work.filePath(QStringLiteral("data/Tarvo4kSimulator/packages"));
        const QString program = QStringLiteral("/TARVO_3_1_51/bin/ZR_APP_SIMULATOR");
        const QString elsewhere = work.filePath(QStringLiteral("elsewhere"));
        QVERIFY(WriteFile((kind == QLatin1String("link") ? elsewhere : oldFolder) + program, "#!/bin/sh\n"));
        if (kind == QLatin1String("none"))
        {
            QVERIFY(QDir(oldFolder).removeRecursively());
        }
        else if (kind == QLatin1String("link"))
        {
            QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("sessions"))));
            QVERIFY(QFile::link(elsewhere, oldFolder));
        }
        else if (kind == QLatin1String("session"))
        {
            QVERIFY(WriteFile(oldFolder + QStringLiteral("/settings.ini"), "[General]\nNAME=Planted\n"));
        }
        else if (kind == QLatin1String("new exists"))
        {
            QVERIFY(QDir().mkpath(newFolder));
        }

        const QString logged = MoveOldUserPackagesFolder(oldFolder, newFolder);
        QCOMPARE(QFileInfo::exists(newFolder + program), moved);
        QCOMPARE(QFileInfo::exists(oldFolder) || QFileInfo(oldFolder).isSymLink(), !moved && kind != "none");
        QCOMPARE(logged.isEmpty(), kind == QLatin1String("none"));
        QVERIFY2(logged.startsWith(moved ? QStringLiteral("Moved") : QStringLiteral("Left")) ||
                     logged.isEmpty(),
                 qPrintable(logged));
        QVERIFY(kind != QLatin1String("link") || QFileInfo::exists(elsewhere + program));
        // Once only: a second start finds nothing to move.
        QVERIFY(!moved || MoveOldUserPackagesFolder(oldFolder, newFolder).isEmpty());
    }

    void theUserPackageFolderLiesOutsideTheSessionsRoot()
    {
        const QString root = QDir::cleanPath(CLASS_SESSION_SETTINGS::SessionsRoot());
        QVERIFY(!UserPackagesFolder().startsWith(root + QLatin1Char('/')));
        QCOMPARE(OldUserPackagesFolder(), root + QStringLiteral("/packages"));
    }

    void reachability_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("answers") << 200 << true;
        QTest::newRow("server error") << 500 << false;
        QTest::newRow("not found") << 404 << false;
    }
    void reachability()
    {
        QFETCH(int, status);
        QFETCH(bool, reachable);
        TestHttpServer server;
        QVERIFY(server.Start());
        server.SetRoute(QStringLiteral("/"), "home", status);
        QCOMPARE(IsInternetReachable(server.Url(QStringLiteral("/")), 5000), reachable);
        QCOMPARE(server.RequestCount(QStringLiteral("/")), 1);
    }

    void reachabilityOfAClosedPortIsFalse()
    {
        int port = 0;
        {
            TestHttpServer server;
            QVERIFY(server.Start());
            port = server.Port();
        }
        QVERIFY(!IsInternetReachable(QStringLiteral("http://127.0.0.1:%1/").arg(port), 5000));
    }

    void silentProbeEndsWithinItsLimit()
    {
        TestHttpServer server;
        QVERIFY(server.Start());
        server.SetRoute(QStringLiteral("/"), "late");
        server.SetDelay(QStringLiteral("/"), 60000);
        // Without the limit the server would answer 200 after its delay and the probe would succeed.
        QVERIFY(!IsInternetReachable(server.Url(QStringLiteral("/")), 300));
        server.Stop();
    }
};

QTEST_GUILESS_MAIN(TestHelpers)
#include "TestHelpers.moc"
