// Run control: small shell scripts stand in for the simulator program (bin/ZR_APP_SIMULATOR of the
// package folder); each run appends "$0|$#|$1" to a record file before doing what the test needs.

#include "BackEndFixture.h"
#include "TestFiles.h"
#include "TraceCapture.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionRunner.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_MessageBox.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{
const QString VERSION = QStringLiteral("3.1.51");
const QByteArray RUN_FOREVER = "exec sleep 300";
} // namespace

class TestSessionRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startRunsThePackageProgramWithTheSessionFolder();
    void simulatorEnding_data();
    void simulatorEnding();
    void rebootRestartsWithTheSameFolder();
    void endlessRebootsAreStopped();
    void stopEndsTheWholeTreeWithoutShutdownHandling();
    void secondSessionCannotStart();
    void runningSessionCannotBeDeleted();
    void programThatFailsToStartIsNotShownRunning();
    void takenPortIsRefused();
    void quittingStopsTheSimulator();
    void realStandInSimulator();
    void helpersThatLeftTheTreeEndWithTheSession_data();
    void helpersThatLeftTheTreeEndWithTheSession();

private:
    // One saved session on a free port; returns its port.
    int SavedSession();
    void Start(int index);
    void ExpectIdle(int index);
    // The stand-in simulator of the build, or empty (the test is skipped) when it is not built.
    static QString StandInSimulator();

    std::unique_ptr<BackEndFixture> world;
    QTemporaryDir logs;
};

void TestSessionRunner::initTestCase()
{
    BackEndFixture::StartTracing(logs.path());
}

void TestSessionRunner::init()
{
    CLASS_MESSAGE_BOX::ClearHistory();
    world = std::make_unique<BackEndFixture>();
    QVERIFY(world->IsValid());
    QVERIFY(world->WriteCatalogue({VERSION}));
}

void TestSessionRunner::cleanup()
{
    world.reset();
}

int TestSessionRunner::SavedSession()
{
    const int port = world->CreateAndSaveSession();
    [&]() { QTRY_VERIFY(world->Button(QStringLiteral("startButton"))->isEnabled()); }();
    return port;
}

void TestSessionRunner::Start(int index)
{
    world->Click(QStringLiteral("startButton"));
    QTRY_VERIFY(!world->backEnd->IsSessionIdle(index));
}

void TestSessionRunner::ExpectIdle(int index)
{
    QTRY_VERIFY(world->backEnd->IsSessionIdle(index));
    QCOMPARE(world->Card(index)->GetLedState(), static_cast<int>(CLASS_SESSION_WIDGET::LED_STOPPED));
    QCOMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Start Session"));
    QVERIFY(!world->Button(QStringLiteral("openWebButton"))->isEnabled());
    QVERIFY(world->Panel(index)->isEnabled());
    QCOMPARE(world->backEnd->GetSessionProcessId(index), 0);
}

void TestSessionRunner::startRunsThePackageProgramWithTheSessionFolder()
{
    QVERIFY(world->InstallPackage(VERSION, RUN_FOREVER));
    world->Build();
    const int port = SavedSession();
    TraceCapture log;
    Start(0);

    QCOMPARE(world->Card(0)->GetLedState(), static_cast<int>(CLASS_SESSION_WIDGET::LED_RUNNING));
    QCOMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Stop Session"));
    QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
    QVERIFY(world->Button(QStringLiteral("openWebButton"))->isEnabled());
    QVERIFY(!world->Panel(0)->isEnabled());
    QCOMPARE(world->window->GetWebPageUrl(), QStringLiteral("http://127.0.0.1:%1").arg(port));
    // The line names the back end's unit and the starting function.
    const QRegularExpression launched(
        QStringLiteral("\\]\\.\\.\\\\mng_launcher\\\\DEVICE\\\\DEVICE_ClassMainBackEnd "
                       "SLOT_StartSession\\(\\) Line \\d+ Simulator Launched\\n$"));
    QVERIFY2(!log.infos.filter(launched).isEmpty(), qPrintable(log.infos.join(QString())));

    QTRY_COMPARE(world->Runs().size(), 1);
    const QStringList run = world->Runs().at(0).split(QLatin1Char('|'));
    QCOMPARE(run.value(0), world->AppFolder() + QStringLiteral("/TARVO_3_1_51/bin/ZR_APP_SIMULATOR"));
    QCOMPARE(run.value(1), QStringLiteral("1"));
    QCOMPARE(run.value(2), world->backEnd->GetSessionFolder(0));

    const qint64 pid = world->backEnd->GetSessionProcessId(0);
    world->Click(QStringLiteral("startButton"));
    ExpectIdle(0);
    QVERIFY(ProcessGone(pid));
}

void TestSessionRunner::simulatorEnding_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("errorLine");
    QTest::newRow("shut down (exit 0)") << QByteArray("exit 0") << QString();
    QTest::newRow("crash") << QByteArray("kill -SEGV $$") << QStringLiteral("The simulator crashed");
    QTest::newRow("unknown exit code 3")
        << QByteArray("exit 3") << QStringLiteral("The simulator ended with the exit code 3");
}

void TestSessionRunner::simulatorEnding()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, errorLine);
    QVERIFY(world->InstallPackage(VERSION, "sleep 0.2\n" + script));
    world->Build();
    SavedSession();
    TraceCapture log;
    Start(0);
    ExpectIdle(0);
    QCOMPARE(world->Runs().size(), 1);
    QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
    if (errorLine.isEmpty())
    {
        QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join(QString())));
    }
    else
    {
        QVERIFY2(log.HasError(errorLine), qPrintable(log.errors.join(QString())));
    }
    QVERIFY(!log.HasError(QStringLiteral("Failed to identify session")));
}

void TestSessionRunner::rebootRestartsWithTheSameFolder()
{
    // The first run asks for a reboot, the second keeps running.
    const QByteArray script =
        "if [ $(wc -l < '" + world->RecordFile().toUtf8() + "') -le 1 ]; then exit 1; fi\n" + RUN_FOREVER;
    QVERIFY(world->InstallPackage(VERSION, script));
    world->Build();
    SavedSession();
    Start(0);
    QTRY_COMPARE(world->Runs().size(), 2);
    QCOMPARE(world->Runs().at(1), world->Runs().at(0));
    QTRY_VERIFY(world->backEnd->GetSessionProcessId(0) > 0);
    QVERIFY(!world->backEnd->IsSessionIdle(0));
    QCOMPARE(world->Card(0)->GetLedState(), static_cast<int>(CLASS_SESSION_WIDGET::LED_RUNNING));
    QCOMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Stop Session"));
    world->Click(QStringLiteral("startButton"));
    ExpectIdle(0);
}

void TestSessionRunner::endlessRebootsAreStopped()
{
    QVERIFY(world->InstallPackage(VERSION, "exit 1"));
    world->Build();
    SavedSession();
    TraceCapture log;
    Start(0);
    ExpectIdle(0);
    // The first run and the five restarts allowed within a minute; no sixth restart.
    QCOMPARE(world->Runs().size(), 1 + CLASS_SESSION_RUNNER::RESTART_LIMIT);
    QVERIFY(CLASS_MESSAGE_BOX::LastText().contains(QStringLiteral("reboot")));
    QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Warning);
    QVERIFY(log.HasError(QStringLiteral("not restarted")));

    // A new start by the user begins a new count.
    QFile::remove(world->RecordFile());
    Start(0);
    ExpectIdle(0);
    QCOMPARE(world->Runs().size(), 1 + CLASS_SESSION_RUNNER::RESTART_LIMIT);
}

void TestSessionRunner::stopEndsTheWholeTreeWithoutShutdownHandling()
{
    const QString childFile = world->Path() + QStringLiteral("/child.pid");
    QVERIFY(
        world->InstallPackage(VERSION, "sleep 300 &\necho $! > '" + childFile.toUtf8() + "'\nwait\nexit 1"));
    world->Build();
    SavedSession();
    TraceCapture log;
    Start(0);
    QTRY_VERIFY(QFile(childFile).size() > 0);
    QFile file(childFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const qint64 child = file.readAll().trimmed().toLongLong();
    const qint64 simulator = world->backEnd->GetSessionProcessId(0);
    QVERIFY(child > 0 && simulator > 0);
    QVERIFY(!ProcessGone(child));

    world->Click(QStringLiteral("startButton"));
    ExpectIdle(0);
    QVERIFY(ProcessGone(simulator));
    QTRY_VERIFY(ProcessGone(child));
    // The kill is neither a reboot (no second run) nor a crash to report.
    QCoreApplication::processEvents();
    QTest::qWait(200);
    QCOMPARE(world->Runs().size(), 1);
    QVERIFY(world->backEnd->IsSessionIdle(0));
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join(QString())));
}

void TestSessionRunner::secondSessionCannotStart()
{
    QVERIFY(world->InstallPackage(VERSION, RUN_FOREVER));
    world->Build();
    SavedSession();
    SavedSession();
    world->SelectCard(0);
    QTRY_VERIFY(world->Panel(0)->isVisible());
    Start(0);

    world->SelectCard(1);
    QTRY_VERIFY(world->Panel(1)->isVisible());
    QTRY_COMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Start Session"));
    QVERIFY(!world->Button(QStringLiteral("openWebButton"))->isEnabled());
    world->Click(QStringLiteral("startButton"));
    QTRY_COMPARE(CLASS_MESSAGE_BOX::LastText(), QStringLiteral("One session is already running!"));
    QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Warning);
    QVERIFY(world->backEnd->IsSessionIdle(1));
    QVERIFY(!world->backEnd->IsSessionIdle(0));
    QCOMPARE(world->Runs().size(), 1);

    world->SelectCard(0);
    QTRY_COMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Stop Session"));
    world->Click(QStringLiteral("startButton"));
    ExpectIdle(0);
}

void TestSessionRunner::runningSessionCannotBeDeleted()
{
    QVERIFY(world->InstallPackage(VERSION, RUN_FOREVER));
    world->Build();
    SavedSession();
    Start(0);
    world->Click(QStringLiteral("deleteSessionButton"));
    QTRY_COMPARE(CLASS_MESSAGE_BOX::LastText(), QStringLiteral("Already running !"));
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    QVERIFY(QFileInfo::exists(world->backEnd->GetSessionFolder(0)));
    QVERIFY(!world->backEnd->IsSessionIdle(0));
}

void TestSessionRunner::programThatFailsToStartIsNotShownRunning()
{
    QVERIFY(world->InstallPackage(VERSION, QByteArray())); // a package without its program
    world->Build();
    SavedSession();
    TraceCapture log;
    QSignalSpy request(world->window, &CLASS_MAIN_WINDOW::SIGNAL_RequestStartOrStopSession);
    world->Click(QStringLiteral("startButton"));
    const QString program = world->AppFolder() + QStringLiteral("/TARVO_3_1_51/bin/ZR_APP_SIMULATOR");
    QTRY_VERIFY(CLASS_MESSAGE_BOX::LastText().contains(program));
    QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
    QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Warning);
    ExpectIdle(0);
    QVERIFY(log.HasError(program));
    QVERIFY(!log.HasInfo(QStringLiteral("Simulator Launched")));
}

void TestSessionRunner::takenPortIsRefused()
{
    QVERIFY(world->InstallPackage(VERSION, RUN_FOREVER));
    world->Build();
    const int port = SavedSession();
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress(QHostAddress::LocalHost), static_cast<quint16>(port)));
    world->Click(QStringLiteral("startButton"));
    QTRY_VERIFY(CLASS_MESSAGE_BOX::LastText().contains(QString::number(port)));
    QCOMPARE(CLASS_MESSAGE_BOX::LastIcon(), QMessageBox::Warning);
    ExpectIdle(0);
    QVERIFY(world->Runs().isEmpty());

    holder.close();
    Start(0);
    QTRY_COMPARE(world->Runs().size(), 1);
}

void TestSessionRunner::quittingStopsTheSimulator()
{
    QVERIFY(world->InstallPackage(VERSION, RUN_FOREVER));
    world->Build();
    SavedSession();
    Start(0);
    const qint64 pid = world->backEnd->GetSessionProcessId(0);
    QVERIFY(pid > 0);
    world->Destroy();
    QVERIFY(ProcessGone(pid));
}

QString TestSessionRunner::StandInSimulator()
{
    const QString program =
        qEnvironmentVariable("TARVO_BINARY_DIR") + QStringLiteral("/tools/simulator/ZR_APP_SIMULATOR");
    return QFileInfo(program).isExecutable() ? program : QString();
}

void TestSessionRunner::realStandInSimulator()
{
    const QString program = StandInSimulator();
    if (program.isEmpty())
    {
        QSKIP("The stand-in simulator is not built");
    }
    QVERIFY(world->InstallProgram(VERSION, program));
    world->Build();
    const int port = SavedSession();
    Start(0);

    // The simulator needs a moment to listen; ask until it answers.
    QNetworkAccessManager network;
    QJsonObject status;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&]()
        {
            QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/api/status").arg(port)));
            request.setTransferTimeout(2000);
            QNetworkReply* reply = network.get(request);
            QSignalSpy finished(reply, &QNetworkReply::finished);
            finished.wait(3000);
            const bool ok = reply->error() == QNetworkReply::NoError;
            status = QJsonDocument::fromJson(reply->readAll()).object();
            reply->deleteLater();
            return ok;
        }(),
        10000);
    QCOMPARE(status.value(QStringLiteral("name")).toString(), QStringLiteral("Session 1"));
    QCOMPARE(status.value(QStringLiteral("port")).toInt(), port);
    QVERIFY(!world->backEnd->IsSessionIdle(0));

    const qint64 pid = world->backEnd->GetSessionProcessId(0);
    world->Click(QStringLiteral("startButton"));
    ExpectIdle(0);
    QVERIFY(ProcessGone(pid));
}

void TestSessionRunner::helpersThatLeftTheTreeEndWithTheSession_data()
{
    // How the package program starts its helper, the real stand-in simulator serving the session's port.
    QTest::addColumn<QByteArray>("launch");
    // How the session ends: "stop" (the user), "shutdown" (exit 0), "reboot" (exit 1, then runs on), "quit".
    QTest::addColumn<QString>("ending");
    const QByteArray doubleFork = "( \"$sim\" \"$1\" > /dev/null 2>&1 & echo $! >> \"$helpers\" )";
    const QByteArray newSession = "setsid \"$sim\" \"$1\" > /dev/null 2>&1 &\necho $! >> \"$helpers\"";
    const QByteArray daemon = "( setsid \"$sim\" \"$1\" > /dev/null 2>&1 & echo $! >> \"$helpers\" )";
    QTest::newRow("double fork, stop") << doubleFork << "stop";
    QTest::newRow("setsid, stop") << newSession << "stop";
    QTest::newRow("setsid and double fork, stop") << daemon << "stop";
    QTest::newRow("double fork, shut down") << doubleFork << "shutdown";
    QTest::newRow("setsid and double fork, reboot") << daemon << "reboot";
    QTest::newRow("setsid, quit") << newSession << "quit";
}

void TestSessionRunner::helpersThatLeftTheTreeEndWithTheSession()
{
    QFETCH(QByteArray, launch);
    QFETCH(QString, ending);
    const QString program = StandInSimulator();
    if (program.isEmpty())
    {
        QSKIP("The stand-in simulator is not built");
    }
    const QString helpersFile = world->Path() + QStringLiteral("/helpers.pid");
    const QByteArray endings = ending == QLatin1String("shutdown") ? "exit 0"
                               : ending == QLatin1String("reboot")
                                   ? "if [ $(wc -l < \"$helpers\") -le 1 ]; then exit 1; fi\n" + RUN_FOREVER
                                   : RUN_FOREVER;
    QVERIFY(world->InstallPackage(
        VERSION, "sim='" + program.toUtf8() + "'\nhelpers='" + helpersFile.toUtf8() + "'\n" +
                     "port=$(sed -n 's/^PORT=//p' \"$1/settings.ini\")\n" + launch + "\n" +
                     "until bash -c \"exec 3<>/dev/tcp/127.0.0.1/$port\" 2>/dev/null; do sleep 0.05; done\n" +
                     endings));
    world->Build();
    const int port = SavedSession();
    Start(0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile(helpersFile).size() > 0, 10000);
    const auto helpers = [&]
    {
        QList<qint64> pids;
        for (const QByteArray& line : ReadFile(helpersFile).split('\n'))
        {
            if (!line.trimmed().isEmpty())
            {
                pids.append(line.trimmed().toLongLong());
            }
        }
        return pids;
    };
    const qint64 first = helpers().value(0);
    QVERIFY(first > 0);

    if (ending == QLatin1String("stop"))
    {
        QTRY_VERIFY_WITH_TIMEOUT(PortAnswers(static_cast<quint16>(port)), 10000);
        world->Click(QStringLiteral("startButton"));
        ExpectIdle(0);
    }
    else if (ending == QLatin1String("shutdown"))
    {
        ExpectIdle(0);
    }
    else if (ending == QLatin1String("reboot"))
    {
        QTRY_COMPARE_WITH_TIMEOUT(helpers().size(), 2, 10000);
        // The restarted simulator's helper took the port that the first one had to let go.
        QTRY_COMPARE_WITH_TIMEOUT(ProcessState(first), char(0), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(PortAnswers(static_cast<quint16>(port)), 10000);
        QVERIFY(ProcessAlive(helpers().value(1)));
        world->Click(QStringLiteral("startButton"));
        ExpectIdle(0);
    }
    else
    {
        QTRY_VERIFY_WITH_TIMEOUT(PortAnswers(static_cast<quint16>(port)), 10000);
        world->Destroy();
    }
    // Ended and reaped: not even a zombie is left, and the port is free for the next start.
    for (const qint64 helper : helpers())
    {
        QTRY_COMPARE(ProcessState(helper), char(0));
    }
    QVERIFY(PLATFORM::IsPortFree(static_cast<quint16>(port)));
}

QTEST_MAIN(TestSessionRunner)
#include "TestSessionRunner.moc"
