#include "SIM_ClassSessionSettings.h"
#include "SystemProbes.h"
#include "TestFiles.h"

#include "DEVICE/DEVICE_DeviceTables.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
using Result = CLASS_SIMULATOR_SETTINGS::Result;

struct Reply
{
    int status = 0;
    QByteArray body;
    QString contentType;

    QJsonObject Json() const { return QJsonDocument::fromJson(body).object(); }
};

// Writes settings.ini the way the launcher saves a session.
void WriteSessionSettings(const QString& folder, int deviceType, const QVariant& port, const QString& version,
                          const QString& name, const QString& description, bool audioCard)
{
    QSettings file(folder + QStringLiteral("/settings.ini"), QSettings::IniFormat);
    file.setValue(QStringLiteral("DEVICE_TYPE"), deviceType);
    if (port.isValid())
    {
        file.setValue(QStringLiteral("PORT"), port.toString());
    }
    file.setValue(QStringLiteral("VERSION"), version);
    file.setValue(QStringLiteral("NAME"), name);
    file.setValue(QStringLiteral("ZRJ_INT_PORT"), 10506);
    file.setValue(QStringLiteral("ZRJ_EXT_PORT"), 10606);
    file.setValue(QStringLiteral("ZRP_INT_PORT"), 10500);
    file.setValue(QStringLiteral("KB700S_PORT"), 10691);
    file.setValue(QStringLiteral("DESCRIPTION"), description);
    for (int card = 0; card < CARD_GROUP_COUNT; ++card)
    {
        const QString group = CardGroupName(card);
        const bool plugged = card < 4 || (group == QLatin1String("MEZZA_AUDIO") && audioCard);
        file.beginGroup(group);
        file.setValue(QStringLiteral("PLUGGED"), plugged ? 1 : 0);
        file.setValue(QStringLiteral("TYPE"), 0);
        file.setValue(QStringLiteral("SLOT"), 0);
        file.endGroup();
    }
    file.sync();
}

} // namespace

// ZR_APP_SIMULATOR: what it reads from settings.ini, what it serves, and how it ends.
class TestSimulator : public QObject
{
    Q_OBJECT

private:
    QNetworkAccessManager network;
    std::unique_ptr<QTemporaryDir> session;
    std::unique_ptr<QProcess> simulator;
    quint16 port = 0;
    QByteArray output;

    QString SessionPath() const { return session->path(); }

    QUrl Url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
    }

    Reply Send(QNetworkReply* reply)
    {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
        {
            finished.wait(10000);
        }
        Reply result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
        reply->deleteLater();
        return result;
    }

    Reply Get(const QString& path)
    {
        QNetworkRequest request(Url(path));
        request.setTransferTimeout(10000);
        return Send(network.get(request));
    }

    Reply Post(const QString& path, const QJsonObject& body = QJsonObject())
    {
        QNetworkRequest request(Url(path));
        request.setTransferTimeout(10000);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        return Send(network.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)));
    }

    // Sends request bytes exactly as given and returns the whole answer.
    QByteArray Exchange(const QByteArray& request) const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(10000))
        {
            return QByteArray();
        }
        socket.write(request);
        QByteArray answer;
        while (socket.waitForReadyRead(10000))
        {
            answer += socket.readAll();
        }
        return answer + socket.readAll();
    }

    // Starts the simulator on the session folder and waits until it says it is listening.
    bool StartSimulator()
    {
        simulator = std::make_unique<QProcess>();
        simulator->start(QStringLiteral(SIMULATOR_PROGRAM), {SessionPath()});
        if (!simulator->waitForStarted(10000))
        {
            return false;
        }
        output.clear();
        QElapsedTimer timer;
        timer.start();
        while (!output.contains("listening on") && timer.elapsed() < 10000 &&
               simulator->state() == QProcess::Running)
        {
            simulator->waitForReadyRead(200);
            output += simulator->readAllStandardOutput();
        }
        return output.contains("listening on");
    }

    void WriteStudioSession(bool audioCard = true)
    {
        WriteSessionSettings(SessionPath(), 4, port, QStringLiteral("3_2_0"), QStringLiteral("Studio"),
                             QStringLiteral("Control room\nsecond line"), audioCard);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus");
        QVERIFY(QFileInfo(QStringLiteral(SIMULATOR_PROGRAM)).isExecutable());
    }

    void init()
    {
        session = std::make_unique<QTemporaryDir>();
        QVERIFY(session->isValid());
        port = FreePort();
        QVERIFY(port != 0);
    }

    void cleanup()
    {
        if (simulator && simulator->state() != QProcess::NotRunning)
        {
            simulator->kill();
            simulator->waitForFinished(10000);
        }
        simulator.reset();
        session.reset();
    }

    // ---- settings.ini ----

    void readsSettings_data()
    {
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<QString>("storedVersion");
        QTest::addColumn<bool>("audioCard");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::newRow("Dalvogrid with audio card") << 4 << "3.1.51" << true << "Dalvogrid 4K"
                                                   << "3.1.51";
        QTest::newRow("version stored with underscores") << 2 << "3_10_1" << false << "Brekka 4K"
                                                         << "3.10.1";
        QTest::newRow("Orvane") << 3 << "3.2.0" << false << "Orvane 4K"
                                << "3.2.0";
        QTest::newRow("code without entry") << 99 << "3.2.0" << false << "Dalvoscan 4K"
                                            << "3.2.0";
        QTest::newRow("code without model name") << 5 << "3.2.0" << true << "Dalvoscan 4K"
                                                 << "3.2.0";
    }

    void readsSettings()
    {
        QFETCH(int, deviceType);
        QFETCH(QString, storedVersion);
        QFETCH(bool, audioCard);
        QFETCH(QString, model);
        QFETCH(QString, version);
        WriteSessionSettings(SessionPath(), deviceType, 3000, storedVersion,
                             QStringLiteral("Studio, \"A\" = 1"), QStringLiteral("first line\nsecond; line"),
                             audioCard);

        CLASS_SIMULATOR_SETTINGS settings;
        QCOMPARE(settings.Read(SessionPath()), Result::Ok);
        QCOMPARE(settings.Port(), quint16(3000));
        QCOMPARE(settings.Name(), QStringLiteral("Studio, \"A\" = 1"));
        QCOMPARE(settings.Description(), QStringLiteral("first line\nsecond; line"));
        QCOMPARE(settings.DeviceTypeCode(), deviceType);
        QCOMPARE(settings.DeviceModel(), model);
        QCOMPARE(settings.Version(), version);
        QCOMPARE(settings.AudioCard(), audioCard);
        QCOMPARE(settings.Cards().size(), CARD_GROUP_COUNT);
        QCOMPARE(settings.Cards().at(6), qMakePair(QStringLiteral("MEZZA_AUDIO"), audioCard));
        QCOMPARE(settings.Cards().at(0), qMakePair(QStringLiteral("MOTHERBOARD"), true));
    }

    void rejectsSettings_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("no session folder")
            << "nofolder" << int(Result::FolderMissing) << "session folder not found";
        QTest::newRow("no settings.ini") << "nofile" << int(Result::FileMissing) << "settings file not found";
        QTest::newRow("settings.ini is a folder")
            << "folder" << int(Result::FileUnreadable) << "not readable";
        QTest::newRow("broken section") << "malformed" << int(Result::FileMalformed) << "malformed";
        QTest::newRow("PORT missing") << "noport" << int(Result::PortInvalid) << "PORT is missing";
        QTest::newRow("PORT not a number") << "abc" << int(Result::PortInvalid) << "not a port number";
        QTest::newRow("PORT zero") << "0" << int(Result::PortInvalid) << "not a port number";
        QTest::newRow("PORT too high") << "65536" << int(Result::PortInvalid) << "not a port number";
        QTest::newRow("PORT negative") << "-80" << int(Result::PortInvalid) << "not a port number";
    }

    void rejectsSettings()
    {
        QFETCH(QString, situation);
        QFETCH(int, result);
        QFETCH(QString, text);
        QString folder = SessionPath();
        if (situation == QLatin1String("nofolder"))
        {
            folder += QStringLiteral("/missing");
        }
        else if (situation == QLatin1String("folder"))
        {
            QVERIFY(QDir(folder).mkdir(QStringLiteral("settings.ini")));
        }
        else if (situation == QLatin1String("malformed"))
        {
            QVERIFY(WriteFile(folder + QStringLiteral("/settings.ini"), "[General\nPORT=3000\n"));
        }
        else if (situation != QLatin1String("nofile"))
        {
            WriteSessionSettings(folder, 1,
                                 situation == QLatin1String("noport") ? QVariant() : QVariant(situation),
                                 QStringLiteral("3.1.51"), QStringLiteral("S"), QString(), false);
        }
        CLASS_SIMULATOR_SETTINGS settings;
        QCOMPARE(int(settings.Read(folder)), result);
        QVERIFY2(settings.ErrorText().contains(text), qPrintable(settings.ErrorText()));
    }

    // ---- the running simulator ----

    void servesBuiltInPageAndStatus()
    {
        WriteStudioSession();
        QVERIFY2(StartSimulator(), simulator->readAllStandardError().constData());

        const Reply page = Get(QStringLiteral("/"));
        QCOMPARE(page.status, 200);
        QVERIFY(page.contentType.startsWith(QLatin1String("text/html")));
        QVERIFY(page.body.contains("<script src=\"app.js\">"));
        const Reply script = Get(QStringLiteral("/app.js"));
        QCOMPARE(script.status, 200);
        QVERIFY(script.contentType.startsWith(QLatin1String("text/javascript")));
        QVERIFY(script.body.contains("/api/status"));
        QCOMPARE(Get(QStringLiteral("/style.css")).status, 200);

        const Reply status = Get(QStringLiteral("/api/status"));
        QCOMPARE(status.status, 200);
        QCOMPARE(status.contentType, QStringLiteral("application/json"));
        const QJsonObject json = status.Json();
        QCOMPARE(json.value(QStringLiteral("name")).toString(), QStringLiteral("Studio"));
        QCOMPARE(json.value(QStringLiteral("description")).toString(),
                 QStringLiteral("Control room\nsecond line"));
        QCOMPARE(json.value(QStringLiteral("deviceModel")).toString(), QStringLiteral("Dalvogrid 4K"));
        QCOMPARE(json.value(QStringLiteral("version")).toString(), QStringLiteral("3.2.0"));
        QCOMPARE(json.value(QStringLiteral("port")).toInt(), int(port));
        QCOMPARE(json.value(QStringLiteral("audioCard")).toBool(), true);
        QCOMPARE(json.value(QStringLiteral("state")).toString(), QStringLiteral("running"));
        QCOMPARE(json.value(QStringLiteral("webApplication")).toString(), QStringLiteral("built-in"));
        QCOMPARE(json.value(QStringLiteral("cards")).toArray().size(), CARD_GROUP_COUNT);
    }

    void servesTheSessionsWebApplication()
    {
        WriteStudioSession();
        QVERIFY(QDir(SessionPath()).mkpath(QStringLiteral("ZR_APPS/sub")));
        QVERIFY(
            WriteFile(SessionPath() + QStringLiteral("/ZR_APPS/index.html"), "<html>session copy</html>"));
        QVERIFY(
            WriteFile(SessionPath() + QStringLiteral("/ZR_APPS/sub/index.html"), "<html>sub page</html>"));
        QVERIFY(StartSimulator());

        QCOMPARE(Get(QStringLiteral("/")).body, QByteArray("<html>session copy</html>"));
        QCOMPARE(Get(QStringLiteral("/sub/")).body, QByteArray("<html>sub page</html>"));
        QCOMPARE(Get(QStringLiteral("/app.js")).status, 404); // only the session's copy is served
        QCOMPARE(Get(QStringLiteral("/api/status")).Json().value(QStringLiteral("webApplication")).toString(),
                 QStringLiteral("session"));
        QCOMPARE(Get(QStringLiteral("/api/nothing")).status, 404);
    }

    void keepsRequestsInsideTheWebApplication_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("parent folder") << QByteArray("/../settings.ini");
        QTest::newRow("encoded parent folder") << QByteArray("/%2e%2e/settings.ini");
        QTest::newRow("backslashes") << QByteArray("/..%5csettings.ini");
        QTest::newRow("deeper") << QByteArray("/sub/../../settings.ini");
    }

    void keepsRequestsInsideTheWebApplication()
    {
        QFETCH(QByteArray, path);
        WriteStudioSession();
        QVERIFY(QDir(SessionPath()).mkpath(QStringLiteral("ZR_APPS/sub")));
        QVERIFY(
            WriteFile(SessionPath() + QStringLiteral("/ZR_APPS/index.html"), "<html>session copy</html>"));
        QVERIFY(StartSimulator());
        // Sent as is: a client would tidy the path up before sending it.
        const QByteArray answer =
            Exchange("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                     "\r\nConnection: close\r\n\r\n");
        QVERIFY2(answer.startsWith("HTTP/1.1 404"), answer.constData());
        QVERIFY(!answer.contains("VERSION"));
    }

    void answersOnlyItsOwnPage_data()
    {
        QTest::addColumn<QByteArray>("request"); // "METHOD path"
        QTest::addColumn<QByteArray>("host");    // "PORT" stands for the session's port
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("origin"); // empty: no Origin header
        QTest::addColumn<int>("status");

        const QByteArray route = "POST /api/routing";
        const QByteArray json = "application/json";
        QTest::newRow("status, own address") << QByteArray("GET /api/status") << QByteArray("127.0.0.1:PORT")
                                             << QByteArray() << QByteArray() << 200;
        QTest::newRow("page, localhost")
            << QByteArray("GET /") << QByteArray("LOCALHOST:PORT") << QByteArray() << QByteArray() << 200;
        QTest::newRow("status, rebound name")
            << QByteArray("GET /api/status") << QByteArray("attacker.example:PORT") << QByteArray()
            << QByteArray() << 403;
        QTest::newRow("page, rebound name")
            << QByteArray("GET /") << QByteArray("attacker.example") << QByteArray() << QByteArray() << 403;
        QTest::newRow("status, no port") << QByteArray("GET /api/status") << QByteArray("127.0.0.1")
                                         << QByteArray() << QByteArray() << 403;
        QTest::newRow("status, other port") << QByteArray("GET /api/status") << QByteArray("127.0.0.1:1")
                                            << QByteArray() << QByteArray() << 403;
        QTest::newRow("routing, own page")
            << route << QByteArray("127.0.0.1:PORT") << json << QByteArray("http://127.0.0.1:PORT") << 200;
        QTest::newRow("routing, own page at localhost")
            << route << QByteArray("localhost:PORT") << QByteArray("application/JSON; charset=utf-8")
            << QByteArray("http://localhost:PORT") << 200;
        QTest::newRow("routing, program without Origin")
            << route << QByteArray("127.0.0.1:PORT") << json << QByteArray() << 200;
        QTest::newRow("routing, foreign Host")
            << route << QByteArray("attacker.example:PORT") << json << QByteArray() << 403;
        QTest::newRow("routing, text/plain")
            << route << QByteArray("127.0.0.1:PORT") << QByteArray("text/plain") << QByteArray() << 403;
        QTest::newRow("routing, form")
            << route << QByteArray("127.0.0.1:PORT") << QByteArray("application/x-www-form-urlencoded")
            << QByteArray("http://attacker.example") << 403;
        QTest::newRow("routing, no Content-Type")
            << route << QByteArray("127.0.0.1:PORT") << QByteArray() << QByteArray() << 403;
        QTest::newRow("routing, foreign Origin")
            << route << QByteArray("127.0.0.1:PORT") << json << QByteArray("http://attacker.example") << 403;
        QTest::newRow("routing, null Origin")
            << route << QByteArray("127.0.0.1:PORT") << json << QByteArray("null") << 403;
        QTest::newRow("routing, Origin of another port")
            << route << QByteArray("127.0.0.1:PORT") << json << QByteArray("http://127.0.0.1:1") << 403;
        QTest::newRow("shutdown, text/plain")
            << QByteArray("POST /api/shutdown") << QByteArray("127.0.0.1:PORT") << QByteArray("text/plain")
            << QByteArray() << 403;
        QTest::newRow("reboot, foreign Origin")
            << QByteArray("POST /api/reboot") << QByteArray("127.0.0.1:PORT") << json
            << QByteArray("http://attacker.example") << 403;
        QTest::newRow("shutdown, foreign Host")
            << QByteArray("POST /api/shutdown") << QByteArray("attacker.example:PORT") << json << QByteArray()
            << 403;
    }

    void answersOnlyItsOwnPage()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, origin);
        QFETCH(int, status);
        WriteStudioSession();
        QVERIFY(StartSimulator());

        const QByteArray portText = QByteArray::number(port);
        const QByteArray body = "{\"output\": 2, \"input\": 3}";
        QByteArray message = request + " HTTP/1.1\r\nHost: " + host.replace("PORT", portText) + "\r\n";
        if (!contentType.isEmpty())
        {
            message += "Content-Type: " + contentType + "\r\n";
        }
        if (!origin.isEmpty())
        {
            message += "Origin: " + origin.replace("PORT", portText) + "\r\n";
        }
        if (request.startsWith("POST"))
        {
            message += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        }
        message += "Connection: close\r\n\r\n";
        if (request.startsWith("POST"))
        {
            message += body;
        }
        const QByteArray answer = Exchange(message);
        QVERIFY2(answer.startsWith("HTTP/1.1 " + QByteArray::number(status)), answer.constData());
        if (status == 403)
        {
            QVERIFY2(!answer.contains("Studio"), answer.constData()); // nothing of the session leaks
        }

        // A refused request changed nothing: the simulator still answers, output 2 still shows input 2.
        const bool routed = status == 200 && request.startsWith("POST");
        const QJsonArray routing =
            Get(QStringLiteral("/api/status")).Json().value(QStringLiteral("routing")).toArray();
        QCOMPARE(routing.at(1).toObject().value(QStringLiteral("input")).toInt(), routed ? 3 : 2);
        QCOMPARE(simulator->state(), QProcess::Running);
    }

    void controlsChangeTheDevice()
    {
        WriteStudioSession(false);
        QVERIFY(StartSimulator());

        Reply routed = Post(QStringLiteral("/api/routing"), {{"output", 2}, {"input", 3}});
        QCOMPARE(routed.status, 200);
        const QJsonArray routing =
            Get(QStringLiteral("/api/status")).Json().value(QStringLiteral("routing")).toArray();
        QCOMPARE(routing.at(1).toObject().value(QStringLiteral("input")).toInt(), 3);
        QCOMPARE(routing.at(0).toObject().value(QStringLiteral("input")).toInt(), 1);
        QCOMPARE(Post(QStringLiteral("/api/routing"), {{"output", 9}, {"input", 1}}).status, 400);
        QCOMPARE(Post(QStringLiteral("/api/routing"), {{"output", 1}}).status, 400);

        const Reply pattern = Post(QStringLiteral("/api/testpattern"), {{"pattern", "Colour bars"}});
        QCOMPARE(pattern.status, 200);
        QCOMPARE(pattern.Json().value(QStringLiteral("testPattern")).toString(),
                 QStringLiteral("Colour bars"));
        QCOMPARE(Post(QStringLiteral("/api/testpattern"), {{"pattern", "Plaid"}}).status, 400);

        // Without an audio card there is nothing to embed.
        const Reply audio = Post(QStringLiteral("/api/audio"), {{"embedded", true}});
        QCOMPARE(audio.status, 409);
        QVERIFY(
            audio.Json().value(QStringLiteral("error")).toString().contains(QLatin1String("no audio card")));
        QCOMPARE(Get(QStringLiteral("/api/status")).Json().value(QStringLiteral("audioEmbedded")).toBool(),
                 false);
    }

    void audioCardCanBeSwitched()
    {
        WriteStudioSession(true);
        QVERIFY(StartSimulator());
        QCOMPARE(Post(QStringLiteral("/api/audio"), {{"embedded", false}}).status, 200);
        QCOMPARE(Get(QStringLiteral("/api/status")).Json().value(QStringLiteral("audioEmbedded")).toBool(),
                 false);
        QCOMPARE(Post(QStringLiteral("/api/audio"), {{"embedded", "yes"}}).status, 400);
    }

    void endsOnRequest_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("shut down") << "/api/shutdown" << 0;
        QTest::newRow("reboot") << "/api/reboot" << 1;
    }

    void endsOnRequest()
    {
        QFETCH(QString, request);
        QFETCH(int, exitCode);
        WriteStudioSession();
        QVERIFY(StartSimulator());
        QSignalSpy finished(simulator.get(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));

        // The page gets its answer before the program ends.
        const Reply answer = Post(request);
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.Json().value(QStringLiteral("exitCode")).toInt(), exitCode);

        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QCOMPARE(simulator->exitStatus(), QProcess::NormalExit);
        QCOMPARE(simulator->exitCode(), exitCode);
        // The port is free again for the restarted simulator.
        QTcpServer again;
        QVERIFY(again.listen(QHostAddress::LocalHost, port));
    }

    void rejectsBadInput_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no argument") << "noargument" << 2 << "usage: ZR_APP_SIMULATOR <session folder>";
        QTest::newRow("two arguments") << "twoarguments" << 2 << "usage: ZR_APP_SIMULATOR <session folder>";
        QTest::newRow("no session folder") << "nofolder" << 2 << "session folder not found";
        QTest::newRow("no settings.ini") << "nofile" << 3 << "settings file not found";
        QTest::newRow("broken settings.ini") << "malformed" << 3 << "malformed";
        QTest::newRow("PORT missing") << "noport" << 4 << "PORT is missing";
        QTest::newRow("PORT out of range") << "70000" << 4 << "not a port number (1 to 65535)";
        QTest::newRow("port taken") << "taken" << 5 << "is already in use by another program";
    }

    void rejectsBadInput()
    {
        QFETCH(QString, situation);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QStringList arguments{SessionPath()};
        QTcpServer holder;
        if (situation == QLatin1String("noargument"))
        {
            arguments.clear();
        }
        else if (situation == QLatin1String("twoarguments"))
        {
            arguments << SessionPath();
        }
        else if (situation == QLatin1String("nofolder"))
        {
            arguments = QStringList{SessionPath() + QStringLiteral("/gone")};
        }
        else if (situation == QLatin1String("malformed"))
        {
            QVERIFY(WriteFile(SessionPath() + QStringLiteral("/settings.ini"), "[General\nPORT=3000\n"));
        }
        else if (situation == QLatin1String("noport"))
        {
            WriteSessionSettings(SessionPath(), 1, QVariant(), QStringLiteral("3.1.51"), QStringLiteral("S"),
                                 QString(), false);
        }
        else if (situation == QLatin1String("70000"))
        {
            WriteSessionSettings(SessionPath(), 1, 70000, QStringLiteral("3.1.51"), QStringLiteral("S"),
                                 QString(), false);
        }
        else if (situation == QLatin1String("taken"))
        {
            QVERIFY(holder.listen(QHostAddress::LocalHost, port));
            WriteStudioSession();
        }
        QProcess process;
        process.start(QStringLiteral(SIMULATOR_PROGRAM), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString error = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(error.startsWith(QLatin1String("ZR_APP_SIMULATOR: ")), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "TestSimulator.moc"
