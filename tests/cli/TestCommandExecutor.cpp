// The command executor in process, against a stand-in host: one table of commands, their arguments and the
// host's state, with the exit code and what goes to standard output and standard error.

#include "CLI/CLI_ClassCommandExecutor.h"
#include "CLI/CLI_ClassSessionHost.h"
#include "DEVICE/DEVICE_ClassServerAddress.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
// A launcher that holds the sessions: it records what the executor asks of it and answers as told.
class STAND_IN_HOST : public CLASS_SESSION_HOST
{
public:
    explicit STAND_IN_HOST(const TARVO_VERSION_INFO_LOCATIONS& locations) : catalogue(locations) {}

    QString Kind() const override { return QStringLiteral("window"); }
    QStringList RunningFolders() const override { return running; }
    CLI_RESULT Start(const CLI_SESSION_INFO& session) override
    {
        asked << QStringLiteral("start ") + session.folder;
        return startAnswer;
    }
    CLI_RESULT Stop(const QString& folderName) override
    {
        asked << QStringLiteral("stop ") + folderName;
        return CLI_RESULT::Done(QStringLiteral("Stopped %1.").arg(folderName));
    }
    void SessionImported(const QString& folderName) override
    {
        asked << QStringLiteral("imported ") + folderName;
    }
    CLI_RESULT CanChangePackages() const override { return CLI_RESULT::Done(); }
    CLASS_TARVO_VERSION_INFO* VersionInfo() override { return &catalogue; }
    void PackagesChanged() override { asked << QStringLiteral("packages changed"); }

    QStringList running;
    CLI_RESULT startAnswer = CLI_RESULT::Done(QStringLiteral("Started."));
    QStringList asked;

private:
    CLASS_TARVO_VERSION_INFO catalogue;
};
} // namespace

class TestCommandExecutor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void commands_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("state"); // "", "running", "start refused", "other server"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("asked");

        QTest::newRow("start by name")
            << "start" << QStringList{"Studio"} << "" << 0 << "Started.\nWeb page: http://127.0.0.1:3000"
            << ""
            << "start Tarvo2024_03_05_14_07_59";
        QTest::newRow("start by folder") << "start" << QStringList{"Tarvo2024_03_05_14_07_59"} << "" << 0
                                         << "Started.\nWeb page: http://127.0.0.1:3000"
                                         << ""
                                         << "start Tarvo2024_03_05_14_07_59";
        QTest::newRow("start of nobody") << "start" << QStringList{"Nobody"} << "" << 2 << ""
                                         << "No session is named \"Nobody\"."
                                         << "";
        QTest::newRow("start of a name two sessions carry")
            << "start" << QStringList{"Twin"} << "" << 3 << ""
            << "2 sessions are named \"Twin\"; give a folder: Tarvo2024_03_06_10_00_00, "
               "Tarvo2024_03_07_10_00_00"
            << "";
        // The run control's refusal comes back as the command's, whatever it is.
        QTest::newRow("start refused by the run control")
            << "start" << QStringList{"Studio"} << "start refused" << 3 << ""
            << "One session is already running!"
            << "start Tarvo2024_03_05_14_07_59";
        QTest::newRow("stop of the running session")
            << "stop" << QStringList{"Studio"} << "running" << 0 << "Stopped Tarvo2024_03_05_14_07_59."
            << ""
            << "stop Tarvo2024_03_05_14_07_59";
        QTest::newRow("install of no version") << "install" << QStringList{"3..1"} << "" << 1 << ""
                                               << ""
                                               << "";
        QTest::newRow("remove of a folder name") << "remove" << QStringList{"TARVO_3_1_51"} << "" << 1 << ""
                                                 << ""
                                                 << "";
        QTest::newRow("remove of a version not installed")
            << "remove" << QStringList{"3.2.0"} << "" << 2 << ""
            << "The version 3.2.0 is not installed."
            << "";
        QTest::newRow("refresh asking another server than the launcher's")
            << "packages refresh" << QStringList() << "other server" << 3 << ""
            << ""
            << "";
    }

    void commands()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, arguments);
        QFETCH(QString, state);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QFETCH(QString, asked);

        QTemporaryDir world;
        const QString root = world.filePath(QStringLiteral("sessions/"));
        WriteSession(root, QStringLiteral("Tarvo2024_03_05_14_07_59"), QStringLiteral("Studio"), 3000);
        WriteSession(root, QStringLiteral("Tarvo2024_03_06_10_00_00"), QStringLiteral("Twin"), 3001);
        WriteSession(root, QStringLiteral("Tarvo2024_03_07_10_00_00"), QStringLiteral("Twin"), 3002);
        TARVO_VERSION_INFO_LOCATIONS locations;
        locations.applicationFolder = world.filePath(QStringLiteral("app"));
        locations.sessionsRoot = root;
        locations.fetchCatalogue = false;
        QVERIFY(QDir().mkpath(locations.applicationFolder));
        STAND_IN_HOST host(locations);
        if (state == QStringLiteral("running"))
        {
            host.running = QStringList{QStringLiteral("Tarvo2024_03_05_14_07_59")};
        }
        if (state == QStringLiteral("start refused"))
        {
            host.startAnswer =
                CLI_RESULT::Fail(EXIT_REFUSED, QStringLiteral("One session is already running!"));
        }
        CLI_COMMAND command;
        command.kind = kind == QStringLiteral("start")     ? CLI_COMMAND_KIND::Start
                       : kind == QStringLiteral("stop")    ? CLI_COMMAND_KIND::Stop
                       : kind == QStringLiteral("install") ? CLI_COMMAND_KIND::Install
                       : kind == QStringLiteral("remove")  ? CLI_COMMAND_KIND::Remove
                                                           : CLI_COMMAND_KIND::Packages;
        command.refresh = kind == QStringLiteral("packages refresh");
        command.arguments = arguments;
        if (state == QStringLiteral("other server"))
        {
            command.server = QStringLiteral("http://127.0.0.1:1");
        }

        const CLI_RESULT result = CLASS_COMMAND_EXECUTOR(&host, locations).Execute(command);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.output, output);
        if (!error.isEmpty())
        {
            QCOMPARE(result.error, error);
        }
        // A refusal says why, on one line.
        QVERIFY2(exitCode == 0 || (!result.error.isEmpty() && !result.error.contains(QLatin1Char('\n'))),
                 qPrintable(result.error));
        QCOMPARE(host.asked.join(QLatin1Char('|')), asked);
    }

private:
    static void WriteSession(const QString& root, const QString& folder, const QString& name, int port)
    {
        QVERIFY(QDir().mkpath(root + folder));
        SESSION_SETTINGS_DATA data;
        data.name = name;
        data.port = port;
        data.versionText = QStringLiteral("3.1.51");
        QVERIFY(CLASS_SESSION_SETTINGS::Write(root + folder, data));
    }
};

QTEST_GUILESS_MAIN(TestCommandExecutor)
#include "TestCommandExecutor.moc"
