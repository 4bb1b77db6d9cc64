#include "PLATFORM/PLATFORM_Platform.h"

#include "PLATFORM/PLATFORM_ClassDesktopOpener.h"
#include "SystemProbes.h"
#include "TestFiles.h"
#include "TestHttpServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// Living processes whose command line mentions the text (each test's scripts live in their own folder).
QList<qint64> LivingProcessesMentioning(const QString& text)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
    {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!isPid || pid == QCoreApplication::applicationPid() || !cmdline.open(QIODevice::ReadOnly))
        {
            continue;
        }
        if (cmdline.readAll().replace('\0', ' ').contains(text.toLocal8Bit()) && ProcessAlive(pid))
        {
            found.append(pid);
        }
    }
    return found;
}
} // namespace

// The platform layer on Linux: ending process trees, program paths, archive tools, port probe.
class TestPlatform : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;

    // Writes a shell script into the test folder. A copy of sleep named after the folder marks every
    // process of the tree, so that the test can look for survivors without trusting the code it tests.
    QString WriteScript(const QString& name, const QByteArray& body)
    {
        const QString marker = folder.filePath(QStringLiteral("marker_sleep"));
        if (!QFileInfo::exists(marker))
        {
            QFile::link(QStandardPaths::findExecutable(QStringLiteral("sleep")), marker);
        }
        const QString path = folder.filePath(name);
        QFile script(path);
        if (!script.open(QIODevice::WriteOnly))
        {
            return QString();
        }
        script.write("#!/bin/sh\ndir=$(dirname \"$0\")\n" + body);
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    // Numbers printed by the script as "<word> <pid>" lines.
    static qint64 PrintedPid(const QByteArray& output, const QByteArray& word)
    {
        for (const QByteArray& line : output.split('\n'))
        {
            const QList<QByteArray> parts = line.trimmed().split(' ');
            if (parts.size() == 2 && parts.at(0) == word)
            {
                return parts.at(1).toLongLong();
            }
        }
        return 0;
    }

    // The script that starts a child shell, which starts the marked grandchild.
    QString WriteGrandchildScript()
    {
        return WriteScript(QStringLiteral("tree.sh"),
                           "sh -c \"\\\"$dir/marker_sleep\\\" 300 & echo grandchild \\$!; wait\" &\n"
                           "echo child $!\n"
                           "wait\n");
    }

    // Starts the grandchild script as root; true once it has printed the pids of its child and grandchild.
    bool StartTree(QProcess& root, qint64& child, qint64& grandchild)
    {
        root.start(WriteGrandchildScript(), QStringList());
        QByteArray output;
        const auto printed = [&] { return (output += root.readAllStandardOutput()).contains("grandchild"); };
        if (!root.waitForStarted(10000) || !QTest::qWaitFor(printed, 10000))
        {
            return false;
        }
        child = PrintedPid(output, "child");
        grandchild = PrintedPid(output, "grandchild");
        return true;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus");
        QVERIFY(folder.isValid());
    }

    void cleanup()
    {
        // A failed test must not leave its processes behind: end the marked ones, by their ids.
        for (const qint64 pid : LivingProcessesMentioning(folder.path()))
        {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    }

    void killProcessTreeEndsChildAndGrandchild()
    {
        QProcess root;
        QSignalSpy finished(&root, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        qint64 child = 0;
        qint64 grandchild = 0;
        QVERIFY(StartTree(root, child, grandchild));
        QVERIFY(ProcessAlive(child));
        QTRY_VERIFY_WITH_TIMEOUT(ProcessAlive(grandchild), 10000);

        QVERIFY(PLATFORM::KillProcessTree(root.processId()));

        // Nothing of the tree runs any more the moment the call returns.
        QVERIFY(!ProcessAlive(root.processId()));
        QVERIFY(!ProcessAlive(child));
        QVERIFY(!ProcessAlive(grandchild));
        QCOMPARE(LivingProcessesMentioning(folder.path()), QList<qint64>());
        // QProcess still reaps its child and reports the end.
        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QCOMPARE(root.exitStatus(), QProcess::CrashExit);
        QCOMPARE(root.state(), QProcess::NotRunning);
    }

    void killProcessTreeStopsATreeThatKeepsForking()
    {
        const QString script = WriteScript(QStringLiteral("spawner.sh"), "echo started\n"
                                                                         "i=0\n"
                                                                         "while [ $i -lt 3000 ]; do\n"
                                                                         "  \"$dir/marker_sleep\" 300 &\n"
                                                                         "  i=$((i+1))\n"
                                                                         "done\n"
                                                                         "wait\n");
        QProcess root;
        QSignalSpy finished(&root, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        root.start(script, QStringList());
        QVERIFY(root.waitForStarted(10000));
        // Kill while the loop is still starting sleepers.
        QTRY_VERIFY_WITH_TIMEOUT(
            LivingProcessesMentioning(folder.filePath(QStringLiteral("marker_sleep"))).size() >= 20, 10000);

        QVERIFY(PLATFORM::KillProcessTree(root.processId()));

        QCOMPARE(LivingProcessesMentioning(folder.path()), QList<qint64>());
        QVERIFY(finished.count() == 1 || finished.wait(10000));
    }

    void killProcessTreeOfAProcessThatIsNotOurChild()
    {
        QProcess root;
        QSignalSpy finished(&root, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        qint64 child = 0;
        qint64 grandchild = 0;
        QVERIFY(StartTree(root, child, grandchild));
        QTRY_VERIFY_WITH_TIMEOUT(ProcessAlive(grandchild), 10000);

        QVERIFY(PLATFORM::KillProcessTree(child));

        QVERIFY(!ProcessAlive(child));
        QVERIFY(!ProcessAlive(grandchild));
        // The script's "wait" returns once its child is gone, and it ends by itself.
        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QCOMPARE(root.exitStatus(), QProcess::NormalExit);
    }

    void killProcessTreeReapsWhatBecameOurs()
    {
        // As a subreaper the test inherits the orphaned members of the killed tree: nothing may stay a
        // zombie, and QProcess still reaps its own child.
        QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0), 0);
        QProcess root;
        QSignalSpy finished(&root, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        qint64 child = 0;
        qint64 grandchild = 0;
        QVERIFY(StartTree(root, child, grandchild));
        QTRY_VERIFY_WITH_TIMEOUT(ProcessAlive(grandchild), 10000);

        const bool killed = PLATFORM::KillProcessTree(root.processId());
        ::prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);

        QVERIFY(killed);
        QCOMPARE(ProcessState(child), char(0));
        QCOMPARE(ProcessState(grandchild), char(0));
        QVERIFY(finished.count() == 1 || finished.wait(10000));
        QCOMPARE(root.exitStatus(), QProcess::CrashExit);
    }

    void killProcessTreeFindsTaggedHelpersThatLeftIt_data()
    {
        // How the tagged root starts its marked helper, and whether the root has ended before the kill.
        QTest::addColumn<QByteArray>("launch");
        QTest::addColumn<bool>("rootEnded");
        const QByteArray doubleFork = "( \"$dir/marker_sleep\" 300 > /dev/null 2>&1 & echo \"helper $!\" )";
        const QByteArray newSession =
            "setsid \"$dir/marker_sleep\" 300 > /dev/null 2>&1 &\necho \"helper $!\"";
        const QByteArray daemon =
            "( setsid \"$dir/marker_sleep\" 300 > /dev/null 2>&1 & echo \"helper $!\" )";
        QTest::newRow("double fork") << doubleFork << false;
        QTest::newRow("setsid") << newSession << false;
        QTest::newRow("setsid and double fork") << daemon << false;
        QTest::newRow("double fork, root ended") << doubleFork << true;
        QTest::newRow("setsid and double fork, root ended") << daemon << true;
        // A helper that clears its environment loses the tag: it is found as an orphan without the mark.
        const QByteArray clearedDoubleFork =
            "( env -i \"$dir/marker_sleep\" 300 > /dev/null 2>&1 & echo \"helper $!\" )";
        const QByteArray clearedDaemon =
            "( env -i setsid \"$dir/marker_sleep\" 300 > /dev/null 2>&1 & echo \"helper $!\" )";
        QTest::newRow("env -i and double fork") << clearedDoubleFork << false;
        QTest::newRow("env -i, setsid and double fork, root ended") << clearedDaemon << true;
    }

    void killProcessTreeFindsTaggedHelpersThatLeftIt()
    {
        QFETCH(QByteArray, launch);
        QFETCH(bool, rootEnded);
        PLATFORM::BecomeChildSubreaper();
        // The launcher's other children stay: an archive tool it runs, a browser it started detached.
        QProcess bystander;
        bystander.start(QStringLiteral("sleep"), {QStringLiteral("300")});
        QVERIFY(bystander.waitForStarted(10000));
        qint64 detached = 0;
        QVERIFY(
            QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("300")}, QString(), &detached));

        QProcess root;
        QSignalSpy finished(&root, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        const QString tag = QStringLiteral("tree-%1").arg(QDateTime::currentMSecsSinceEpoch());
        PLATFORM::TagProcessTree(root, tag);
        root.start(WriteScript(QStringLiteral("escape.sh"),
                               launch + "\n" + (rootEnded ? "exit 0\n" : "exec \"$dir/marker_sleep\" 300\n")),
                   QStringList());
        QByteArray output;
        QVERIFY(root.waitForStarted(10000));
        const unsigned long long rootStarted = PLATFORM::ProcessStartTicks(root.processId());
        QVERIFY(QTest::qWaitFor([&] { return (output += root.readAllStandardOutput()).contains("helper"); },
                                10000));
        const qint64 helper = PrintedPid(output, "helper");
        QTRY_VERIFY_WITH_TIMEOUT(ProcessAlive(helper), 10000);

        bool killed = false;
        if (rootEnded)
        {
            QVERIFY(finished.count() == 1 || finished.wait(10000));
            killed = PLATFORM::KillTaggedProcesses(tag, rootStarted);
        }
        else
        {
            killed = PLATFORM::KillProcessTree(root.processId(), tag);
        }
        const bool bystandersRan = ProcessAlive(bystander.processId()) && ProcessAlive(detached);
        ::kill(static_cast<pid_t>(detached), SIGKILL);
        ::waitpid(static_cast<pid_t>(detached), nullptr, 0); // it came back to the test as to the launcher
        ::prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);

        QVERIFY(killed);
        QVERIFY(bystandersRan);
        // Ended and reaped (it came back to the caller, which must not keep it as a zombie).
        QTRY_COMPARE(ProcessState(helper), char(0));
        QCOMPARE(LivingProcessesMentioning(folder.path()), QList<qint64>());
        QVERIFY(finished.count() == 1 || finished.wait(10000));
    }

    void detachedProgramsThatEndedAreReaped()
    {
        // As a subreaper the caller inherits what it started detached; once ended, it must not stay a zombie.
        PLATFORM::BecomeChildSubreaper();
        qint64 detached = 0;
        const bool started = QProcess::startDetached(QStringLiteral("true"), {}, QString(), &detached);
        const bool ended = started && QTest::qWaitFor([&] { return ProcessGone(detached); }, 10000);
        const char stateBefore = ProcessState(detached);
        PLATFORM::ReapDetachedChildren();
        const char stateAfter = ProcessState(detached);
        ::prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0);
        QVERIFY(ended);
        QCOMPARE(stateBefore, 'Z');
        QCOMPARE(stateAfter, char(0));
    }

    void killProcessTreeOfAnEndedProcess()
    {
        QProcess ended;
        qint64 pid = 0;
        connect(&ended, &QProcess::started, this, [&] { pid = ended.processId(); });
        ended.start(QStringLiteral("true"), QStringList());
        QVERIFY(ended.waitForFinished(10000));
        QVERIFY(pid > 0);
        QTRY_COMPARE(ProcessState(pid), char(0));

        QVERIFY(PLATFORM::KillProcessTree(pid));
    }

    void killProcessTreeRefuses_data()
    {
        QTest::addColumn<qint64>("pid");
        QTest::newRow("zero") << qint64(0);
        QTest::newRow("negative") << qint64(-12);
        QTest::newRow("init") << qint64(1);
        QTest::newRow("the launcher itself") << QCoreApplication::applicationPid();
        QTest::newRow("a tree holding the launcher") << qint64(::getppid());
    }

    void killProcessTreeRefuses()
    {
        QFETCH(qint64, pid);
        QVERIFY(!PLATFORM::KillProcessTree(pid));
        // Not even stopped: the parent (the test runner) still runs.
        QVERIFY(ProcessState(::getppid()) != 'T');
    }

    void isPortFree_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("free");
        QTest::newRow("nobody") << QString() << true;
        QTest::newRow("listening on 127.0.0.1") << QStringLiteral("local") << false;
        QTest::newRow("listening on every address") << QStringLiteral("any") << false;
        QTest::newRow("an HTTP server sharing its port") << QStringLiteral("http") << false;
    }

    void isPortFree()
    {
        QFETCH(QString, holder);
        QFETCH(bool, free);
        QTcpServer tcp;
        TestHttpServer http;
        quint16 port = 0;
        if (holder == QLatin1String("http"))
        {
            QVERIFY(http.Start());
            port = static_cast<quint16>(http.Port());
        }
        else
        {
            QVERIFY(tcp.listen(holder == QLatin1String("any") ? QHostAddress::Any : QHostAddress::LocalHost));
            port = tcp.serverPort();
            if (holder.isEmpty())
            {
                tcp.close();
            }
        }
        QCOMPARE(PLATFORM::IsPortFree(port), free);
    }

    void portZeroIsNeverFree() { QVERIFY(!PLATFORM::IsPortFree(0)); }

    void simulatorProgramPathStarts()
    {
        // A package folder with a blank in its path, as under "Program Files".
        const QString package = folder.filePath(QStringLiteral("apps dir/TARVO_3_1_51"));
        QVERIFY(QDir().mkpath(package + QStringLiteral("/bin")));
        const QString program = PLATFORM::SimulatorProgramPath(package);
#ifdef Q_OS_WIN
        QCOMPARE(program, QLatin1Char('"') + package + QStringLiteral("/bin/ZR_APP_SIMULATOR\""));
#else
        QCOMPARE(program, package + QStringLiteral("/bin/ZR_APP_SIMULATOR"));
        QFile simulator(program);
        QVERIFY(simulator.open(QIODevice::WriteOnly));
        simulator.write("#!/bin/sh\necho \"$1\"\nexit 7\n");
        simulator.close();
        simulator.setPermissions(simulator.permissions() | QFileDevice::ExeOwner);
        // The path as given starts the program, with the session folder as its one argument.
        QProcess process;
        process.start(program, {QStringLiteral("/sessions/Tarvo2024_03_05_14_07_59")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 7);
        QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("/sessions/Tarvo2024_03_05_14_07_59"));
#endif
    }

    // The desktop's opener gets the address as its one argument, without a shell, and its outcome is told
    // once: opened when it ends with 0 or still runs at the time limit (then it is left running, also
    // when its object goes at the application's end); not opened, with the reason, otherwise.
    void desktopOpenerTellsTheOutcomeOnce_data()
    {
        QTest::addColumn<QByteArray>("script"); // empty: no program there
        QTest::addColumn<int>("limitMs");
        QTest::addColumn<QString>("then"); // what happens once the outcome is told
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("reason"); // how it begins after the program's path
        const int standard = PLATFORM::DESKTOP_OPENER_TIME_LIMIT_MS;
        const QByteArray gated = "read line < \"$dir/gate\"\nexit 3\n";
        QTest::newRow("ends with 0") << QByteArray("exit 0\n") << standard << "" << true << "";
        QTest::newRow("ends with 3: nothing could open it")
            << QByteArray("exit 3\n") << standard << "" << false << " ended with exit status 3";
        QTest::newRow("not installed")
            << QByteArray() << standard << "" << false << " could not be started: ";
        QTest::newRow("crashes") << QByteArray("kill -KILL $$\n") << standard << "" << false << " crashed";
        QTest::newRow("still runs at the time limit, ends later with 3")
            << gated << 100 << "released" << true << " still runs after 100 ms";
        QTest::newRow("still runs when its object goes")
            << gated << 100 << "object destroyed" << true << " still runs after 100 ms";
        QTest::newRow("leaves a program behind")
            << QByteArray("(read line < \"$dir/gate\") &\necho $! > \"$dir/leftover\"\nexit 0\n") << standard
            << "leftover ends" << true << "";
    }

    void desktopOpenerTellsTheOutcomeOnce()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, limitMs);
        QFETCH(QString, then);
        QFETCH(bool, opened);
        QFETCH(QString, reason);
        const QString address = QStringLiteral("file:///tmp/a b'c;$(id)");
        const QString arguments = folder.filePath(QStringLiteral("arguments"));
        const QString gate = folder.filePath(QStringLiteral("gate"));
        QFile::remove(arguments);
        QFile::remove(folder.filePath(QStringLiteral("leftover")));
        QFile::remove(gate);
        QCOMPARE(::mkfifo(QFile::encodeName(gate).constData(), 0600), 0);
        const QString program = script.isEmpty()
                                    ? folder.filePath(QStringLiteral("not-installed"))
                                    : WriteScript(QStringLiteral("opener.sh"),
                                                  "printf '%s\\n' \"$@\" > \"$dir/arguments\"\n" + script);
        PLATFORM::SetDesktopOpenerProgram(program);
        const auto xdgOpen = qScopeGuard([]() { PLATFORM::SetDesktopOpenerProgram(QString()); });
        // What the opener leaves behind comes back to the caller, as to the launcher, its subreaper.
        PLATFORM::BecomeChildSubreaper();
        const auto noSubreaper = qScopeGuard([]() { ::prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0); });
        const auto outcomes = std::make_shared<QList<QPair<bool, QString>>>();
        QVERIFY(PLATFORM::OpenWithDesktopOpener(
            address,
            [outcomes](bool done, const QString& why) {
                outcomes->append({done, why});
            },
            limitMs));
        const QList<CLASS_DESKTOP_OPENER*> openers =
            QCoreApplication::instance()->findChildren<CLASS_DESKTOP_OPENER*>();
        QCOMPARE(openers.size(), 1);
        QPointer<CLASS_DESKTOP_OPENER> opener = openers.first();
        const qint64 pid = opener->processId();
        QTRY_COMPARE(outcomes->size(), 1);
        QCOMPARE(outcomes->first().first, opened);
        const QString told = outcomes->first().second;
        QVERIFY2(reason.isEmpty() ? told.isEmpty() : told.startsWith(program + reason), qPrintable(told));
        QTRY_COMPARE(ReadFile(arguments),
                     script.isEmpty() ? QByteArray() : (address + QLatin1Char('\n')).toUtf8());
        const qint64 leftover = ReadFile(folder.filePath(QStringLiteral("leftover"))).trimmed().toLongLong();
        QVERIFY(then != QStringLiteral("leftover ends") || ProcessAlive(leftover));
        if (!then.isEmpty())
        {
            QVERIFY(ProcessAlive(then == QStringLiteral("leftover ends") ? leftover : pid));
            if (then == QStringLiteral("object destroyed"))
            {
                delete opener;
                QVERIFY(ProcessAlive(pid));
            }
            QFile open(gate);
            QVERIFY(open.open(QIODevice::WriteOnly));
            open.write("\n");
            open.close();
        }
        if (then == QStringLiteral("object destroyed"))
        {
            // Its object no longer waits for it (the launcher has ended then, and init reaps it): here the
            // test makes sure that it does not stay a zombie.
            const auto reaped = [pid]()
            {
                ::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG);
                return ProcessState(pid) == 0;
            };
            QVERIFY(QTest::qWaitFor(reaped, 10000));
        }
        if (then == QStringLiteral("leftover ends"))
        {
            // Once ended it is reaped with the detached programs, not kept as a zombie.
            QVERIFY(QTest::qWaitFor([leftover]() { return ProcessGone(leftover); }, 10000));
            PLATFORM::ReapDetachedChildren();
            QCOMPARE(ProcessState(leftover), char(0));
        }
        QTRY_VERIFY(opener.isNull());
        QCOMPARE(ProcessState(pid), char(0));
        QCOMPARE(outcomes->size(), 1);
    }

    void archiveTool_data()
    {
        QTest::addColumn<QString>("beside");
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("expected");
        const QString zipOnPath = QStandardPaths::findExecutable(QStringLiteral("zip"));
        QTest::newRow("executable beside the launcher")
            << QStringLiteral("exec") << QStringLiteral("zip") << QStringLiteral("BESIDE");
        QTest::newRow("file beside it that cannot run")
            << QStringLiteral("plain") << QStringLiteral("zip") << zipOnPath;
        QTest::newRow("nothing beside it") << QString() << QStringLiteral("zip") << zipOnPath;
        QTest::newRow("found nowhere") << QString() << QStringLiteral("no_such_archiver_tool")
                                       << QStringLiteral("no_such_archiver_tool");
    }

    void archiveTool()
    {
        QFETCH(QString, beside);
        QFETCH(QString, tool);
        QFETCH(QString, expected);
        QTemporaryDir launcherFolder;
        QVERIFY(launcherFolder.isValid());
        const QString besidePath = launcherFolder.filePath(tool);
        if (!beside.isEmpty())
        {
            QFile file(besidePath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
            file.close();
            if (beside == QLatin1String("exec"))
            {
                file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
            }
        }
        QCOMPARE(PLATFORM::ArchiveToolProgram(launcherFolder.path(), tool),
                 expected == QLatin1String("BESIDE") ? besidePath : expected);
    }

    void archiveToolsOfTheLauncherRun()
    {
        // Installed from Debian's zip and unzip packages; nothing lies beside the test program.
        for (const QString& program : {PLATFORM::ZipProgram(), PLATFORM::UnzipProgram()})
        {
            QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
            QProcess process;
            process.start(program, {QStringLiteral("-h")});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        }
    }

    // The launcher's own request lasts only until its first window exists; a user's choice is never touched.
    void openGlIntegrationRequest_data()
    {
        QTest::addColumn<QByteArray>("userChoice");
        QTest::addColumn<QByteArray>("whileStarting");
        QTest::addColumn<QByteArray>("afterwards");
        QTest::newRow("no choice") << QByteArray() << QByteArray("none") << QByteArray();
        QTest::newRow("user chose glx") << QByteArray("glx") << QByteArray("glx") << QByteArray("glx");
        QTest::newRow("user chose none") << QByteArray("none") << QByteArray("none") << QByteArray("none");
    }

    void openGlIntegrationRequest()
    {
        QFETCH(QByteArray, userChoice);
        QFETCH(QByteArray, whileStarting);
        QFETCH(QByteArray, afterwards);
        const char* const variable = "QT_XCB_GL_INTEGRATION";
        userChoice.isNull() ? qunsetenv(variable) : qputenv(variable, userChoice);
        PLATFORM::SkipOpenGlIntegration();
        QCOMPARE(qgetenv(variable), whileStarting);
        PLATFORM::RestoreOpenGlIntegration();
        QCOMPARE(qEnvironmentVariableIsSet(variable), !afterwards.isNull());
        QCOMPARE(qgetenv(variable), afterwards.isNull() ? QByteArray() : afterwards);
        qunsetenv(variable);
    }

    void folders()
    {
        QCOMPARE(PLATFORM::PackageArchiveFolder(), QStringLiteral("Linux"));
        QCOMPARE(PLATFORM::ApplicationFolder(), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "TestPlatform.moc"
