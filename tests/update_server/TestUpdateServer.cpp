#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QVersionNumber>
#include <QtTest>

#include <memory>

namespace
{
const QString CONTENT = QStringLiteral(UPDATE_SERVER_CONTENT);
const QString PACKAGES = CONTENT + QStringLiteral("/~ftp-xml/tarvo4ksimulator");
const QString CATALOGUE_PATH = QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini");
const QString VERSION_FILE_PATH = QStringLiteral("/~ftp-xml/ruvoraduridedi.json");

QString FolderName(const QString& version)
{
    return QStringLiteral("TARVO_") + QString(version).replace(QLatin1Char('.'), QLatin1Char('_'));
}

QString ArchivePath(const QString& version)
{
    return PACKAGES + QStringLiteral("/Linux/") + FolderName(version) + QStringLiteral(".zip");
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Versions()
{
    return QStringLiteral(PACKAGE_VERSIONS).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
} // namespace

// The local update server: the content built from the stand-in simulator and the server that serves it.
class TestUpdateServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QProcess> server;
    QByteArray serverOutput;
    int port = 0;
    QNetworkAccessManager network;

    bool StartServer(const QStringList& arguments)
    {
        server = std::make_unique<QProcess>();
        server->start(QStringLiteral(UPDATE_SERVER_PROGRAM), arguments);
        if (!server->waitForStarted(10000))
        {
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (!serverOutput.contains('\n') && timer.elapsed() < 10000 &&
               server->state() == QProcess::Running)
        {
            server->waitForReadyRead(200);
            serverOutput += server->readAllStandardOutput();
        }
        const QRegularExpressionMatch match =
            QRegularExpression(
                QStringLiteral("^tarvo-update-server: serving .* on http://127\\.0\\.0\\.1:(\\d+)\\n"))
                .match(QString::fromUtf8(serverOutput));
        port = match.hasMatch() ? match.captured(1).toInt() : 0;
        return port > 0;
    }

    QNetworkReply* Get(const QString& path)
    {
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
        request.setTransferTimeout(10000);
        QNetworkReply* reply = network.get(request);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
        {
            finished.wait(15000);
        }
        return reply;
    }

    static int Status(QNetworkReply* reply)
    {
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus");
        QVERIFY2(QFileInfo(CONTENT).isDir(), qPrintable(CONTENT));
        QVERIFY(Versions().size() >= 3);
    }

    void cleanup()
    {
        if (server && server->state() != QProcess::NotRunning)
        {
            server->kill();
            server->waitForFinished(10000);
        }
        server.reset();
        serverOutput.clear();
        port = 0;
    }

    // ---- content ----

    void archiveHoldsThePackageFolder_data()
    {
        QTest::addColumn<QString>("version");
        for (const QString& version : Versions())
        {
            QTest::newRow(qPrintable(version)) << version;
        }
    }

    void archiveHoldsThePackageFolder()
    {
        QFETCH(QString, version);
        const QString folder = FolderName(version);
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), ArchivePath(version)});
        QVERIFY(unzip.waitForFinished(10000));
        QCOMPARE(unzip.exitCode(), 0);
        const QStringList entries =
            QString::fromUtf8(unzip.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& entry :
             {QStringLiteral("/bin/ZR_APP_SIMULATOR"), QStringLiteral("/ressources/ZR_APPS/index.html"),
              QStringLiteral("/ressources/ZR_APPS/app.js"), QStringLiteral("/ressources/ZR_APPS/style.css")})
        {
            QVERIFY2(entries.contains(folder + entry), qPrintable(folder + entry));
        }
        // One package folder at the top: extracted beside the launcher it is exactly that package.
        for (const QString& entry : entries)
        {
            QVERIFY2(entry.startsWith(folder + QLatin1Char('/')), qPrintable(entry));
        }
    }

    void checksumMatchesTheArchive_data() { archiveHoldsThePackageFolder_data(); }

    void checksumMatchesTheArchive()
    {
        QFETCH(QString, version);
        const QByteArray archive = ReadAll(ArchivePath(version));
        QVERIFY(archive.size() > 1000);
        const QByteArray expected =
            QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex() + '\n';
        QCOMPARE(ReadAll(ArchivePath(version) + QStringLiteral(".sha256")), expected);
    }

    void extractedPackageRuns()
    {
        // The launcher's own extraction: unzip -d <application folder> -o <archive>.
        QTemporaryDir applicationFolder;
        QVERIFY(applicationFolder.isValid());
        const QString version = Versions().constFirst();
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-d"), applicationFolder.path(),
                                              QStringLiteral("-o"), ArchivePath(version)});
        QVERIFY(unzip.waitForFinished(30000));
        QCOMPARE(unzip.exitCode(), 0);
        const QString program =
            applicationFolder.filePath(FolderName(version) + QStringLiteral("/bin/ZR_APP_SIMULATOR"));
        QVERIFY(QFileInfo(program).isExecutable());
        QVERIFY(QFileInfo::exists(applicationFolder.filePath(
            FolderName(version) + QStringLiteral("/ressources/ZR_APPS/index.html"))));
        // It is the stand-in simulator: without a session folder it answers with its usage.
        QProcess simulator;
        simulator.start(program, QStringList());
        QVERIFY(simulator.waitForFinished(10000));
        QCOMPARE(simulator.exitCode(), 2);
        QVERIFY(simulator.readAllStandardError().contains("usage: ZR_APP_SIMULATOR"));
    }

    void catalogueListsEveryPackage()
    {
        QSettings catalogue(PACKAGES + QStringLiteral("/tarvo4kpackages.ini"), QSettings::IniFormat);
        QCOMPARE(catalogue.status(), QSettings::NoError);
        QStringList keys = catalogue.childKeys();
        QStringList expected;
        for (const QString& version : Versions())
        {
            expected << FolderName(version);
            QCOMPARE(catalogue.value(FolderName(version)).toString(), version);
            QVERIFY(QFileInfo::exists(ArchivePath(version)));
        }
        keys.sort();
        expected.sort();
        QCOMPARE(keys, expected);
        QVERIFY(catalogue.childGroups().contains(QStringLiteral("version")));
        bool isNumber = false;
        const int compatibility = catalogue.value(QStringLiteral("version/compatibility")).toInt(&isNumber);
        QVERIFY(isNumber);
        QVERIFY(compatibility <= 1); // the package manager of launcher 1.5.3 works with it
    }

    void versionFileAnnouncesANewerLauncher()
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(ReadAll(CONTENT + VERSION_FILE_PATH), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(document.isArray());
        QVersionNumber newest;
        for (const QJsonValue& value : document.array())
        {
            const QJsonObject entry = value.toObject();
            QVERIFY(entry.value(QStringLiteral("Version")).isString());
            QVERIFY(entry.value(QStringLiteral("ProductName")).isString());
            QVERIFY(entry.value(QStringLiteral("Url")).isString());
            QCOMPARE(entry.value(QStringLiteral("ProductId")).toInt(), 1002);
            QVERIFY(!entry.contains(QStringLiteral("Dev"))); // qualifies for the launcher's filter -1
            const QUrl url(entry.value(QStringLiteral("Url")).toString());
            QCOMPARE(url.toString(QUrl::RemovePath), QStringLiteral(TARVO_UPDATE_SERVER));
            QVERIFY(QFileInfo::exists(CONTENT + url.path() + QStringLiteral("index.html")));
            newest =
                qMax(newest, QVersionNumber::fromString(entry.value(QStringLiteral("Version")).toString()));
        }
        QVERIFY(newest > QVersionNumber(1, 5, 3));
    }

    // ---- server ----

    void serverServesTheContent()
    {
        QVERIFY2(StartServer(
                     {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--content"), CONTENT}),
                 serverOutput.constData());

        QScopedPointer<QNetworkReply> root(Get(QStringLiteral("/")));
        QCOMPARE(Status(root.data()), 200);
        QScopedPointer<QNetworkReply> catalogue(Get(CATALOGUE_PATH));
        QCOMPARE(Status(catalogue.data()), 200);
        QCOMPARE(catalogue->readAll(), ReadAll(CONTENT + CATALOGUE_PATH));
        const QString archivePath = QStringLiteral("/~ftp-xml/tarvo4ksimulator/Linux/") +
                                    FolderName(Versions().constLast()) + QStringLiteral(".zip");
        QScopedPointer<QNetworkReply> archive(Get(archivePath));
        QCOMPARE(Status(archive.data()), 200);
        QCOMPARE(archive->header(QNetworkRequest::ContentTypeHeader).toString(),
                 QStringLiteral("application/zip"));
        QCOMPARE(archive->readAll(), ReadAll(CONTENT + archivePath));
        QScopedPointer<QNetworkReply> versions(Get(VERSION_FILE_PATH));
        QCOMPARE(versions->readAll(), ReadAll(CONTENT + VERSION_FILE_PATH));
        QScopedPointer<QNetworkReply> downloads(Get(QStringLiteral("/downloads/")));
        QCOMPARE(Status(downloads.data()), 200);
        QScopedPointer<QNetworkReply> missing(
            Get(QStringLiteral("/~ftp-xml/tarvo4ksimulator/Linux/TARVO_9_9_9.zip")));
        QCOMPARE(Status(missing.data()), 404);

        // Every request is logged; SIGTERM stops the server cleanly.
        QTRY_VERIFY((serverOutput += server->readAllStandardOutput())
                        .contains("GET " + CATALOGUE_PATH.toUtf8() + " 200"));
        QTRY_VERIFY((serverOutput += server->readAllStandardOutput())
                        .contains("GET /~ftp-xml/tarvo4ksimulator/Linux/TARVO_9_9_9.zip 404"));
        server->terminate();
        QVERIFY(server->waitForFinished(10000));
        QCOMPARE(server->exitStatus(), QProcess::NormalExit);
        QCOMPARE(server->exitCode(), 0);
        QVERIFY(server->readAllStandardOutput().contains("tarvo-update-server: stopped"));
    }

    void serverAnswersTheRootWithoutAnIndexPage()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        QVERIFY(StartServer(
            {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--content"), empty.path()}));
        QScopedPointer<QNetworkReply> root(Get(QStringLiteral("/")));
        QCOMPARE(Status(root.data()), 200);
        QScopedPointer<QNetworkReply> missing(Get(QStringLiteral("/index.html")));
        QCOMPARE(Status(missing.data()), 404);
    }

    void serverKeepsRequestsInsideTheContent()
    {
        QVERIFY(StartServer({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--content"),
                             CONTENT + QStringLiteral("/downloads")}));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        QVERIFY(socket.waitForConnected(10000));
        socket.write("GET /../index.html HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        QByteArray answer;
        while (socket.waitForReadyRead(10000))
        {
            answer += socket.readAll();
        }
        QVERIFY2(!answer.startsWith("HTTP/1.1 200"), answer.constData());
    }

    // Ranges of a package archive, as a download that continues a kept part asks for them; and a request
    // in absolute form, as a client asks a proxy ("GET http://host/path").
    void serverAnswersRanges_data()
    {
        QTest::addColumn<QByteArray>("range"); // "END": the archive's length
        QTest::addColumn<QString>("ifRange");  // "tag", "date": the archive's own; "other"; "": none
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("first"); // where the body starts in the archive
        QTest::addColumn<qint64>("count"); // its length; -1: to the end
        QTest::addColumn<bool>("throughProxy");
        QTest::newRow("no range: the whole file")
            << QByteArray() << "" << 200 << qint64(0) << qint64(-1) << false;
        QTest::newRow("the rest from an offset")
            << QByteArray("bytes=1000-") << "" << 206 << qint64(1000) << qint64(-1) << false;
        QTest::newRow("a closed range")
            << QByteArray("bytes=10-19") << "" << 206 << qint64(10) << qint64(10) << false;
        QTest::newRow("the last bytes")
            << QByteArray("bytes=-10") << "" << 206 << qint64(-10) << qint64(10) << false;
        QTest::newRow("If-Range with its ETag")
            << QByteArray("bytes=1000-") << "tag" << 206 << qint64(1000) << qint64(-1) << false;
        QTest::newRow("If-Range with its date")
            << QByteArray("bytes=1000-") << "date" << 206 << qint64(1000) << qint64(-1) << false;
        QTest::newRow("If-Range with another ETag: all of it")
            << QByteArray("bytes=1000-") << "other" << 200 << qint64(0) << qint64(-1) << false;
        QTest::newRow("past the end: 416 with the length")
            << QByteArray("bytes=END-") << "" << 416 << qint64(0) << qint64(0) << false;
        QTest::newRow("absolute form, as a proxy is asked")
            << QByteArray() << "" << 200 << qint64(0) << qint64(-1) << true;
    }

    void serverAnswersRanges()
    {
        QFETCH(QByteArray, range);
        QFETCH(QString, ifRange);
        QFETCH(int, status);
        QFETCH(qint64, first);
        QFETCH(qint64, count);
        QFETCH(bool, throughProxy);
        QVERIFY(StartServer(
            {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--content"), CONTENT}));
        const QString path = QStringLiteral("/~ftp-xml/tarvo4ksimulator/Linux/") +
                             FolderName(Versions().constLast()) + QStringLiteral(".zip");
        const QByteArray archive = ReadAll(CONTENT + path);
        QScopedPointer<QNetworkReply> plain(Get(path));
        const QByteArray tag = plain->rawHeader("ETag");
        QVERIFY2(tag.startsWith('"') && tag.endsWith('"'), tag.constData()); // strong: not W/"..."
        QCOMPARE(plain->rawHeader("Accept-Ranges"), QByteArray("bytes"));

        QNetworkRequest request(QUrl(QStringLiteral("http://%1%2")
                                         .arg(throughProxy ? QStringLiteral("tarvo-update.invalid")
                                                           : QStringLiteral("127.0.0.1:%1").arg(port))
                                         .arg(path)));
        request.setTransferTimeout(10000);
        request.setRawHeader("Accept-Encoding", "identity");
        range.replace("END", QByteArray::number(archive.size()));
        if (!range.isEmpty())
        {
            request.setRawHeader("Range", range);
        }
        const QMap<QString, QByteArray> validators{
            {QStringLiteral("tag"), tag},
            {QStringLiteral("date"), plain->rawHeader("Last-Modified")},
            {QStringLiteral("other"), "\"another\""}};
        if (!ifRange.isEmpty())
        {
            request.setRawHeader("If-Range", validators.value(ifRange));
        }
        QNetworkAccessManager client;
        if (throughProxy)
        {
            client.setProxy(
                QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), quint16(port)));
        }
        QScopedPointer<QNetworkReply> reply(client.get(request));
        QSignalSpy finished(reply.data(), &QNetworkReply::finished);
        QVERIFY(reply->isFinished() || finished.wait(15000));
        QCOMPARE(Status(reply.data()), status);
        const QByteArray body = reply->readAll();
        if (status == 416)
        {
            QCOMPARE(reply->rawHeader("Content-Range"), "bytes */" + QByteArray::number(archive.size()));
            return;
        }
        const qint64 start = first < 0 ? archive.size() + first : first;
        QCOMPARE(body, archive.mid(int(start), int(count)));
        QCOMPARE(reply->rawHeader("Content-Range"), status == 206
                                                        ? "bytes " + QByteArray::number(start) + '-' +
                                                              QByteArray::number(start + body.size() - 1) +
                                                              '/' + QByteArray::number(archive.size())
                                                        : QByteArray());
        // The log line counts the bytes sent; a request in absolute form is logged as it came.
        const QByteArray logged = (throughProxy ? "GET http://tarvo-update.invalid" : "GET ") +
                                  path.toUtf8() + ' ' + QByteArray::number(status) + ' ' +
                                  QByteArray::number(body.size()) + '\n';
        QTRY_VERIFY2((serverOutput += server->readAllStandardOutput()).contains(logged),
                     serverOutput.constData());
    }

    void serverRejects_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing content folder")
            << QStringList{QStringLiteral("--content"), QStringLiteral("/nonexistent/x")} << 2
            << "content folder not found";
        QTest::newRow("port not a number")
            << QStringList{QStringLiteral("--port"), QStringLiteral("http")} << 2 << "--port needs a number";
        QTest::newRow("port too high")
            << QStringList{QStringLiteral("--port"), QStringLiteral("65536")} << 2 << "--port needs a number";
        QTest::newRow("unknown argument") << QStringList{QStringLiteral("--verbose")} << 2 << "unknown";
        QTest::newRow("port taken") << QStringList{QStringLiteral("--port"), QStringLiteral("TAKEN")} << 3
                                    << "already in use";
    }

    void serverRejects()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost));
        arguments.replaceInStrings(QStringLiteral("TAKEN"), QString::number(holder.serverPort()));
        QProcess process;
        if (!arguments.contains(QStringLiteral("--content")))
        {
            arguments << QStringLiteral("--content") << CONTENT;
        }
        process.start(QStringLiteral(UPDATE_SERVER_PROGRAM), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2(process.readAllStandardError().contains(message.toUtf8()), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(TestUpdateServer)
#include "TestUpdateServer.moc"
