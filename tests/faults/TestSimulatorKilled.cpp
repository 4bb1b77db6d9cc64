// The simulator of a running session killed from outside the launcher (kill -9 by the user, the system
// ending it). The real stand-in simulator runs; the test kills its process and checks that the session
// turns idle (red LED, "Start Session", Open Web ZKM off, panel editable again), that the end is logged
// as an error, that the session's folder is as it was, and that the session starts again.

#include "BackEndFixture.h"
#include "FaultSupport.h"
#include "TraceCapture.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_MessageBox.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include <signal.h>

namespace
{
const QString VERSION = QStringLiteral("3.1.51");
constexpr int ANSWER_WAIT_MS = 15000;

QString SimulatorProgram()
{
    return qEnvironmentVariable("TARVO_BINARY_DIR") + QStringLiteral("/tools/simulator/ZR_APP_SIMULATOR");
}

// True when the simulator answers its status request on the port.
bool Answers(int port)
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/api/status").arg(port)));
    request.setTransferTimeout(2000);
    std::unique_ptr<QNetworkReply> reply(network.get(request));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    finished.wait(3000);
    return reply->isFinished() && reply->error() == QNetworkReply::NoError;
}
} // namespace

class TestSimulatorKilled : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void killedFromOutside_data();
    void killedFromOutside();

private:
    // A new session on a free port, saved; returns the port.
    int SavedSession();
    void ExpectRunning(int index, bool selected);
    void ExpectIdle(int index, bool selected);

    std::unique_ptr<BackEndFixture> world;
    QTemporaryDir logs;
};

void TestSimulatorKilled::initTestCase()
{
    BackEndFixture::StartTracing(logs.path());
    QVERIFY2(QFileInfo(SimulatorProgram()).isExecutable(), qPrintable(SimulatorProgram()));
}

void TestSimulatorKilled::init()
{
    CLASS_MESSAGE_BOX::ClearHistory();
    world = std::make_unique<BackEndFixture>();
    QVERIFY(world->IsValid());
    QVERIFY(world->WriteCatalogue({VERSION}));
    QVERIFY(world->InstallProgram(VERSION, SimulatorProgram()));
}

void TestSimulatorKilled::cleanup()
{
    // A save makes the session folder the current directory: leave it before the folder goes.
    QDir::setCurrent(QDir::tempPath());
    world.reset();
}

int TestSimulatorKilled::SavedSession()
{
    const int port = world->CreateAndSaveSession();
    const int index = world->backEnd->GetSessionCount() - 1;
    [&]() { QTRY_VERIFY(!world->backEnd->IsSessionModified(index)); }();
    return port;
}

void TestSimulatorKilled::ExpectRunning(int index, bool selected)
{
    QVERIFY(!world->backEnd->IsSessionIdle(index));
    QVERIFY(world->backEnd->GetSessionProcessId(index) > 0);
    QCOMPARE(world->Card(index)->GetLedState(), static_cast<int>(CLASS_SESSION_WIDGET::LED_RUNNING));
    QVERIFY(!world->Panel(index)->isEnabled());
    if (selected)
    {
        QCOMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Stop Session"));
        QVERIFY(world->Button(QStringLiteral("openWebButton"))->isEnabled());
    }
}

void TestSimulatorKilled::ExpectIdle(int index, bool selected)
{
    QTRY_VERIFY(world->backEnd->IsSessionIdle(index));
    QCOMPARE(world->backEnd->GetSessionProcessId(index), 0);
    QCOMPARE(world->Card(index)->GetLedState(), static_cast<int>(CLASS_SESSION_WIDGET::LED_STOPPED));
    QVERIFY(world->Panel(index)->isEnabled());
    if (selected)
    {
        QCOMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Start Session"));
        QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
        QVERIFY(!world->Button(QStringLiteral("openWebButton"))->isEnabled());
    }
}

void TestSimulatorKilled::killedFromOutside_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("otherCardSelected");
    QTest::newRow("SIGKILL, its card selected") << int(SIGKILL) << false;
    QTest::newRow("SIGKILL, another card selected") << int(SIGKILL) << true;
    QTest::newRow("SIGTERM, its card selected") << int(SIGTERM) << false;
    QTest::newRow("SIGSEGV, its card selected") << int(SIGSEGV) << false;
}

void TestSimulatorKilled::killedFromOutside()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, otherCardSelected);
    world->Build();
    const int port = SavedSession();
    if (otherCardSelected)
    {
        SavedSession();
    }
    world->SelectCard(0);
    QTRY_COMPARE(world->window->GetSelectedSessionIndex(), 0);
    world->Click(QStringLiteral("startButton"));
    QTRY_VERIFY(!world->backEnd->IsSessionIdle(0));
    QTRY_VERIFY_WITH_TIMEOUT(Answers(port), ANSWER_WAIT_MS);
    if (otherCardSelected)
    {
        world->SelectCard(1);
        QTRY_COMPARE(world->window->GetSelectedSessionIndex(), 1);
    }
    ExpectRunning(0, !otherCardSelected);
    const QString settings = CLASS_SESSION_SETTINGS::SettingsFilePath(world->backEnd->GetSessionFolder(0));
    const QByteArray settingsBefore = FileBytes(settings);

    TraceCapture log;
    const qint64 pid = world->backEnd->GetSessionProcessId(0);
    QCOMPARE(::kill(static_cast<pid_t>(pid), signalNumber), 0);
    ExpectIdle(0, !otherCardSelected);
    QVERIFY(ProcessGone(pid));
    QTRY_VERIFY2(log.HasError(QStringLiteral("The simulator crashed")),
                 qPrintable(log.errors.join(QString())));
    QVERIFY(!log.HasError(QStringLiteral("Failed to identify session")));
    QCOMPARE(FileBytes(settings), settingsBefore);
    if (otherCardSelected)
    {
        // The selected session's bar is its own: an idle session that can start.
        QCOMPARE(world->Button(QStringLiteral("startButton"))->text(), QStringLiteral("Start Session"));
        QVERIFY(world->Button(QStringLiteral("startButton"))->isEnabled());
        world->SelectCard(0);
        QTRY_COMPARE(world->window->GetSelectedSessionIndex(), 0);
        ExpectIdle(0, true);
    }
    QCOMPARE(CLASS_MESSAGE_BOX::Texts(), QStringList());

    // The killed simulator let its port go: the session starts again and answers.
    world->Click(QStringLiteral("startButton"));
    QTRY_VERIFY(!world->backEnd->IsSessionIdle(0));
    QTRY_VERIFY_WITH_TIMEOUT(Answers(port), ANSWER_WAIT_MS);
    QVERIFY(world->backEnd->GetSessionProcessId(0) != pid);
    world->Click(QStringLiteral("startButton"));
    ExpectIdle(0, true);
}

QTEST_MAIN(TestSimulatorKilled)
#include "TestSimulatorKilled.moc"
