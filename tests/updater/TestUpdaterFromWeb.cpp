#include "QT_UPDATER/UPDATER_ClassUpdaterFromWeb.h"
#include "TestHttpServer.h"
#include "TraceCapture.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The web version check and binary download against the programmable HTTP server on 127.0.0.1.
class TestUpdaterFromWeb : public QObject
{
    Q_OBJECT

private:
    TestHttpServer server;
    // Every temporary folder of this run, the updater's included, is made in here.
    QTemporaryDir temporaryRoot;
    const QString versionPath = QStringLiteral("/~ftp-xml/ruvoraduridedi.json");

    QJsonObject Entry(const QString& version, int dev = -2) const
    {
        QJsonObject entry{{"Version", version},
                          {"ProductName", "Tarvo 4k Simulator"},
                          {"Url", server.Url("/bin/app-" + version + ".bin")},
                          {"ProductId", 1002},
                          {"VersionName", "Release " + version}};
        if (dev != -2)
        {
            entry.insert(QStringLiteral("Dev"), dev);
        }
        return entry;
    }
    static QByteArray Json(const QJsonArray& entries) { return QJsonDocument(entries).toJson(); }

    std::unique_ptr<CLASS_UPDATER_FROM_WEB> Updater(const QString& path = QString())
    {
        return std::make_unique<CLASS_UPDATER_FROM_WEB>(
            QStringLiteral("1.5.3"), server.Url(path.isEmpty() ? versionPath : path), 1002, -1);
    }
    // The updater's own temporary folders still present.
    QStringList UpdaterFolders() const
    {
        return QDir(temporaryRoot.path())
            .entryList(QStringList{QCoreApplication::applicationName() + QStringLiteral("-*")}, QDir::Dirs);
    }
    // Runs one check to its end and returns the signal's arguments.
    QList<QVariant> Check(CLASS_UPDATER_FROM_WEB& updater)
    {
        QSignalSpy finished(&updater, &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        if (!updater.CheckIfNewVersionIsAvailable() || !finished.wait(10000))
        {
            return {};
        }
        return finished.takeFirst();
    }
    // Publishes entries 1.6.0, 1.7.0 (Dev 1) and 1.5.3 and checks them.
    void CheckThreeVersions(CLASS_UPDATER_FROM_WEB& updater)
    {
        server.SetRoute(versionPath, Json({Entry("1.6.0"), Entry("1.7.0", 1), Entry("1.5.3")}));
        QCOMPARE(Check(updater), (QList<QVariant>{true, true}));
        server.SetRoute(QStringLiteral("/bin/app-1.6.0.bin"), "binary 1.6.0");
        server.SetRoute(QStringLiteral("/bin/app-1.7.0.bin"), "binary 1.7.0");
    }
    QString Destination()
    {
        auto* folder = new QTemporaryDir(temporaryRoot.filePath(QStringLiteral("destination-XXXXXX")));
        folder->setAutoRemove(true);
        connect(this, &QObject::destroyed, [folder] { delete folder; });
        return folder->path();
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(temporaryRoot.isValid());
        qputenv("TMPDIR", QFile::encodeName(temporaryRoot.path()));
        QCOMPARE(QDir::tempPath(), temporaryRoot.path());
        QVERIFY(server.Start());
    }

    void check_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("isSuccessfull");
        QTest::addColumn<bool>("moreRecentFound");
        QTest::addColumn<QString>("mostRecent");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<int>("errors");

        QTest::newRow("empty array") << QByteArray("[]") << true << false << "1.5.3" << QStringList() << 0;
        QTest::newRow("other channel never qualifies")
            << Json({Entry("1.6.0"), Entry("1.7.0", 1), Entry("1.5.3")}) << true << true << "1.6.0"
            << QStringList{"1.5.3", "1.6.0", "1.7.0"} << 0;
        QJsonObject withoutUrl = Entry("9.0.0");
        withoutUrl.remove(QStringLiteral("Url"));
        QTest::newRow("entry without Url ignored")
            << Json({withoutUrl, Entry("1.6.0")}) << true << true << "1.6.0" << QStringList{"1.6.0"} << 0;
        QTest::newRow("non-objects skipped")
            << QByteArray("[1, \"x\", null, [], ") + QJsonDocument(Entry("1.6.1")).toJson() + "]" << true
            << true << "1.6.1" << QStringList{"1.6.1"} << 0;
        QTest::newRow("highest wins in any order")
            << Json({Entry("1.6.0"), Entry("1.8.0", -1), Entry("1.7.0")}) << true << true << "1.8.0"
            << QStringList{"1.6.0", "1.7.0", "1.8.0"} << 0;
        QTest::newRow("older only") << Json({Entry("1.4.0"), Entry("1.5.2")}) << true << false << "1.5.3"
                                    << QStringList{"1.4.0", "1.5.2"} << 0;
        QTest::newRow("longer version is newer")
            << Json({Entry("1.5.3.0")}) << true << true << "1.5.3.0" << QStringList{"1.5.3.0"} << 0;
        QTest::newRow("object at top level")
            << QJsonDocument(Entry("2.0.0")).toJson() << false << false << "1.5.3" << QStringList() << 1;
        QTest::newRow("broken document")
            << QByteArray("[{\"Version\": ") << false << false << "1.5.3" << QStringList() << 1;
        // Only a web address may become the link of the announcement: any other entry is left out, logged.
        QJsonObject localFile = Entry("1.9.0");
        localFile.insert(QStringLiteral("Url"), QStringLiteral("file:///etc/passwd"));
        QJsonObject script = Entry("1.8.0");
        script.insert(QStringLiteral("Url"), QStringLiteral("javascript:alert(1)"));
        QJsonObject noHost = Entry("1.7.0");
        noHost.insert(QStringLiteral("Url"), QStringLiteral("http:/etc/passwd"));
        QJsonObject secure = Entry("1.6.0");
        secure.insert(QStringLiteral("Url"), QStringLiteral("HTTPS://example.invalid/dl"));
        QTest::newRow("entries whose Url is no web address ignored")
            << Json({localFile, script, noHost, secure}) << true << true << "1.6.0" << QStringList{"1.6.0"}
            << 3;
        QTest::newRow("only entry with a file Url ignored")
            << Json({localFile}) << true << false << "1.5.3" << QStringList() << 1;
    }

    void check()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, isSuccessfull);
        QFETCH(bool, moreRecentFound);
        QFETCH(QString, mostRecent);
        QFETCH(QStringList, stored);
        QFETCH(int, errors);

        TraceCapture traces;
        server.SetRoute(versionPath, body);
        auto updater = Updater();
        QCOMPARE(Check(*updater), (QList<QVariant>{isSuccessfull, moreRecentFound}));
        QCOMPARE(updater->GetMostRecentVersion().toString(), mostRecent);
        QStringList versions;
        for (const QVersionNumber& version : updater->GetVersions().keys())
        {
            versions << version.toString();
        }
        versions.sort();
        QCOMPARE(versions, stored);
        QCOMPARE(updater->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle);
        QCOMPARE(UpdaterFolders(), QStringList());
        QCOMPARE(traces.ErrorCount(), errors);
    }

    void objectAtTopLevelTrace()
    {
        TraceCapture traces;
        server.SetRoute(versionPath, QJsonDocument(Entry("2.0.0")).toJson());
        auto updater = Updater();
        QCOMPARE(Check(*updater), (QList<QVariant>{false, false}));
        QCOMPARE(traces
                     .Errors(QStringLiteral("DownloadVersionFinished"),
                             QStringLiteral("Failed to extract JSonObject with error \"") +
                                 QJsonParseError().errorString() + QStringLiteral("\""))
                     .size(),
                 1);
        QVERIFY(traces.AllErrors().first().contains(
            QStringLiteral("..\\mng_launcher\\MODULES\\QT_UPDATER\\UPDATER_ClassUpdaterFromWeb "
                           "DownloadVersionFinished() Line ")));
    }

    void mostRecentVersionInfo()
    {
        server.SetRoute(versionPath, Json({Entry("1.6.0"), Entry("1.5.3")}));
        auto updater = Updater();
        QCOMPARE(Check(*updater), (QList<QVariant>{true, true}));
        const VersionInfo info = updater->GetMostRecentVersionInfo();
        QCOMPARE(info.version, QVersionNumber(1, 6, 0));
        QCOMPARE(info.productName, QStringLiteral("Tarvo 4k Simulator"));
        QCOMPARE(info.versionName, QStringLiteral("Release 1.6.0"));
        QCOMPARE(info.url, server.Url(QStringLiteral("/bin/app-1.6.0.bin")));
        QCOMPARE(info.productId, 1002);
        QCOMPARE(info.dev, -1);

        // Nothing newer: the running version has no entry of its own unless published.
        server.SetRoute(versionPath, Json({Entry("1.4.0")}));
        auto upToDate = Updater();
        QCOMPARE(Check(*upToDate), (QList<QVariant>{true, false}));
        QVERIFY(upToDate->GetMostRecentVersionInfo().version.isNull());
        QVERIFY(upToDate->GetMostRecentVersionInfo().url.isEmpty());
    }

    void resultsAccumulateUntilReset()
    {
        auto updater = Updater();
        server.SetRoute(versionPath, Json({Entry("1.6.0")}));
        QCOMPARE(Check(*updater), (QList<QVariant>{true, true}));
        // The same version again is not newer than the one already found.
        server.SetRoute(versionPath, Json({Entry("1.6.0"), Entry("1.4.0")}));
        QCOMPARE(Check(*updater), (QList<QVariant>{true, false}));
        QCOMPARE(updater->GetVersions().size(), 2);

        updater->ResetVersions();
        QCOMPARE(updater->GetMostRecentVersion(), QVersionNumber(1, 5, 3));
        QVERIFY(updater->GetVersions().isEmpty());
        QCOMPARE(Check(*updater), (QList<QVariant>{true, true}));
    }

    void secondCheckWhileRunning()
    {
        const QString slowPath = QStringLiteral("/slow/versions.json");
        server.SetRoute(slowPath, Json({Entry("1.6.0")}));
        server.SetDelay(slowPath, 300);
        auto updater = Updater(slowPath);
        QSignalSpy finished(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        QVERIFY(updater->CheckIfNewVersionIsAvailable());
        QVERIFY(updater->CheckIfNewVersionIsAvailable());
        QVERIFY(!updater->CopyMostRecentBinary(Destination(), QStringLiteral("app.bin")));
        QVERIFY(finished.wait(10000));
        QTest::qWait(400);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first(), (QList<QVariant>{true, true}));
        QCOMPARE(server.RequestCount(slowPath), 1);
    }

    void downloadFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("delay");
        QTest::newRow("404") << "/absent.json" << 0;
        QTest::newRow("server silent past the transfer limit") << "/silent.json" << 60000;
    }

    void downloadFailures()
    {
        QFETCH(QString, path);
        QFETCH(int, delay);
        if (delay > 0)
        {
            server.SetRoute(path, "[]");
            server.SetDelay(path, delay);
        }
        TraceCapture traces;
        auto updater = Updater(path);
        updater->SetTransferTimeout(300);
        QCOMPARE(Check(*updater), (QList<QVariant>{false, false}));
        QCOMPARE(updater->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle);
        QCOMPARE(UpdaterFolders(), QStringList());
        // Only the downloader's own line: the updater adds none.
        QCOMPARE(traces.ErrorCount(), 1);
        // The updater is free for the next check.
        server.SetRoute(versionPath, "[]");
        auto next = Updater();
        QCOMPARE(Check(*next), (QList<QVariant>{true, false}));
    }

    void devFilter()
    {
        auto updater = Updater();
        CheckThreeVersions(*updater);
        updater->SetDevFilter(1);
        QCOMPARE(updater->GetMostRecentVersion(), QVersionNumber(1, 7, 0));
        QCOMPARE(updater->GetMostRecentVersionInfo().dev, 1);

        const QString folder = Destination();
        QSignalSpy binary(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_BinaryDownloadFinished);
        QVERIFY(updater->CopyMostRecentBinary(folder, QStringLiteral("app.bin")));
        QVERIFY(binary.wait(10000));
        QCOMPARE(Read(folder + QStringLiteral("/app.bin")), QByteArray("binary 1.7.0"));

        // A channel without newer entries leaves the running version as the most recent.
        updater->SetDevFilter(5);
        QCOMPARE(updater->GetMostRecentVersion(), QVersionNumber(1, 5, 3));
    }

    void devFilterNeverQualifiesOlderVersions()
    {
        server.SetRoute(versionPath, Json({Entry("1.4.0", 1)}));
        auto updater = Updater();
        QCOMPARE(Check(*updater), (QList<QVariant>{true, false}));
        updater->SetDevFilter(1);
        QCOMPARE(updater->GetMostRecentVersion(), QVersionNumber(1, 5, 3));
        server.SetRoute(versionPath, Json({Entry("1.4.0", 1), Entry("1.4.5", 1)}));
        QCOMPARE(Check(*updater), (QList<QVariant>{true, false}));
    }

    void binaryDownload_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("isSuccessfull");
        QTest::addColumn<QStringList>("filesAfter");

        QTest::newRow("renamed") << QStringList() << "Tarvo.bin" << true << QStringList{"Tarvo.bin"};
        QTest::newRow("same name as the address")
            << QStringList() << "app-1.6.0.bin" << true << QStringList{"app-1.6.0.bin"};
        QTest::newRow("address name taken in the folder")
            << QStringList{"app-1.6.0.bin"} << "Tarvo.bin" << true
            << QStringList{"Tarvo.bin", "app-1.6.0.bin"};
        QTest::newRow("requested name taken")
            << QStringList{"Tarvo.bin"} << "Tarvo.bin" << false << QStringList{"Tarvo.bin"};
    }

    void binaryDownload()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, fileName);
        QFETCH(bool, isSuccessfull);
        QFETCH(QStringList, filesAfter);

        auto updater = Updater();
        CheckThreeVersions(*updater);
        const QString folder = Destination();
        for (const QString& name : existing)
        {
            QFile file(folder + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kept");
        }
        TraceCapture traces;
        QSignalSpy binary(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_BinaryDownloadFinished);
        QVERIFY(updater->CopyMostRecentBinary(folder, fileName));
        QCOMPARE(updater->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::DownloadingBinary);
        QVERIFY(!updater->CheckIfNewVersionIsAvailable());
        QVERIFY(binary.wait(10000));
        QCOMPARE(binary.first(), QList<QVariant>{isSuccessfull});
        QCOMPARE(updater->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle);
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), filesAfter);
        const QString target = folder + QDir::separator() + fileName;
        QCOMPARE(Read(target), isSuccessfull ? QByteArray("binary 1.6.0") : QByteArray("kept"));
        for (const QString& name : existing)
        {
            if (name != fileName || !isSuccessfull)
            {
                QCOMPARE(Read(folder + QLatin1Char('/') + name), QByteArray("kept"));
            }
        }
        if (!isSuccessfull)
        {
            QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Failed to copy file : ") + folder +
                                               QStringLiteral("/app-1.6.0.bin to ") + target),
                     1);
        }
    }

    void binaryRequestRefused_data()
    {
        QTest::addColumn<bool>("chosenVersion");
        QTest::newRow("most recent") << false;
        QTest::newRow("chosen version") << true;
    }

    void binaryRequestRefused()
    {
        QFETCH(bool, chosenVersion);
        const QString function =
            chosenVersion ? QStringLiteral("CopyBinary") : QStringLiteral("CopyMostRecentBinary");
        auto updater = Updater();
        CheckThreeVersions(*updater);
        const auto request = [&](const QString& folder)
        {
            return chosenVersion
                       ? updater->CopyBinary(QVersionNumber(1, 7, 0), folder, QStringLiteral("a.bin"))
                       : updater->CopyMostRecentBinary(folder, QStringLiteral("a.bin"));
        };
        TraceCapture traces;
        QVERIFY(!request(QString()));
        QCOMPARE(traces.Errors(function, QStringLiteral("Invalid path.")).size(), 1);
        QVERIFY(!request(temporaryRoot.filePath(QStringLiteral("absent"))));
        QCOMPARE(
            traces.Errors(function, QStringLiteral("Path given is not a directory (or doesn't even exist)"))
                .size(),
            1);
        QCOMPARE(updater->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle);
    }

    void chosenBinary()
    {
        auto updater = Updater();
        CheckThreeVersions(*updater);
        const QString folder = Destination();
        TraceCapture traces;
        QVERIFY(!updater->CopyBinary(QVersionNumber(3, 0, 0), folder, QStringLiteral("x.bin")));
        QCOMPARE(traces.ErrorCount(), 0);

        QSignalSpy binary(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_BinaryDownloadFinished);
        QVERIFY(updater->CopyBinary(QVersionNumber(1, 7, 0), folder, QStringLiteral("x.bin")));
        QVERIFY(binary.wait(10000));
        QCOMPARE(binary.first(), QList<QVariant>{true});
        QCOMPARE(Read(folder + QStringLiteral("/x.bin")), QByteArray("binary 1.7.0"));

        // A binary that is not on the server.
        QVERIFY(updater->CopyBinary(QVersionNumber(1, 5, 3), folder, QStringLiteral("y.bin")));
        QVERIFY(binary.wait(10000));
        QCOMPARE(binary.last(), QList<QVariant>{false});
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"x.bin"});
    }

    void reportWhileIdle()
    {
        TraceCapture traces;
        auto updater = Updater();
        QSignalSpy checked(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        updater->SLOT_DownloadFinished(QStringLiteral("/nowhere"));
        updater->SLOT_DownloadFailed();
        QCOMPARE(traces
                     .Errors(QStringLiteral("SLOT_DownloadFinished"),
                             QStringLiteral("Unexpected download finished"))
                     .size(),
                 1);
        QCOMPARE(
            traces.Errors(QStringLiteral("SLOT_DownloadFailed"), QStringLiteral("Unexpected download failed"))
                .size(),
            1);
        QCOMPARE(checked.count(), 0);
    }

    void cleanupTestCase() { server.Stop(); }
};

QTEST_GUILESS_MAIN(TestUpdaterFromWeb)
#include "TestUpdaterFromWeb.moc"
