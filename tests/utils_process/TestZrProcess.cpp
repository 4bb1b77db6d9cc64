#include "QT_UTILS/UTILS_ZrProcess.h"
#include "TraceCapture.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The process runner against small shell scripts written into a temporary folder.
class TestZrProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir scripts;

    // Writes an executable script and returns its quoted path, ready for a command line.
    QString Script(const QString& name, const QByteArray& body)
    {
        const QString path = scripts.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
        {
            return QString();
        }
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return QLatin1Char('"') + path + QLatin1Char('"');
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scripts.isValid());
        QStandardPaths::setTestModeEnabled(true);
    }

    void blockingRun_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("success");

        QTest::newRow("output simplified")
            << QByteArray("printf '  a\\n  b  '") << true << 0 << "a b" << true;
        QTest::newRow("exit code 2") << QByteArray("echo partial; exit 2") << false << 2 << "partial"
                                     << false;
        QTest::newRow("no output") << QByteArray("exit 0") << true << 0 << "" << true;
        QTest::newRow("output cut at a zero byte")
            << QByteArray("printf 'ab\\000cd'") << true << 0 << "ab" << true;
        QTest::newRow("utf-8 output")
            << QByteArray("printf 'caf\\303\\251\\n'") << true << 0 << "café" << true;
    }

    void blockingRun()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, result);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(bool, success);

        CLASS_UTILS_ZRPROCESS process(false, false);
        QSignalSpy finished(&process, &CLASS_UTILS_ZRPROCESS::SIGNAL_ZrProcessHasFinished);
        QCOMPARE(process.ShellProcessStart(Script(QStringLiteral("run.sh"), body), 30000, 30000), result);
        QCOMPARE(process.GetExitCode(), exitCode);
        QCOMPARE(process.GetProgramOutput(), output);
        QCOMPARE(process.IsSuccessful(), success);
        QVERIFY(process.IsReady());
        QCOMPARE(finished.count(), 1);
    }

    void failureTraceNamesProgramAndArguments()
    {
        TraceCapture traces;
        QVERIFY(traces.Ready());
        const QString script = Script(QStringLiteral("fail.sh"), "exit 2");
        const QString program = scripts.filePath(QStringLiteral("fail.sh"));

        CLASS_UTILS_ZRPROCESS quiet(false, false);
        QVERIFY(!quiet.ShellProcessStart(script + QStringLiteral(" alpha \"b c\""), 30000, 30000));
        QCOMPARE(traces.ErrorCount(), 0);

        CLASS_UTILS_ZRPROCESS process(false, true);
        QVERIFY(!process.ShellProcessStart(script + QStringLiteral(" alpha \"b c\""), 30000, 30000));
        QCOMPARE(process.GetExitCode(), 2);
        const QStringList lines =
            traces.Errors(QStringLiteral("ShellProcessFinished"),
                          QStringLiteral("Process failed : ") + program + QStringLiteral(" alpha b c(2). "));
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().contains(QStringLiteral(
            "..\\mng_launcher\\MODULES\\QT_UTILS\\UTILS_ZrProcess ShellProcessFinished() Line ")));
        QCOMPARE(traces.ErrorCount(), 1);
    }

    void failureTraceAppendsOutput()
    {
        TraceCapture traces;
        CLASS_UTILS_ZRPROCESS process(false, true);
        QVERIFY(!process.ShellProcessStart(Script(QStringLiteral("says.sh"), "echo ' no  disk '; exit 4"),
                                           30000, 30000));
        const QString program = scripts.filePath(QStringLiteral("says.sh"));
        QCOMPARE(traces
                     .Errors(QStringLiteral("ShellProcessFinished"),
                             QStringLiteral("Process failed : ") + program +
                                 QStringLiteral(" (4).  Program output: no disk"))
                     .size(),
                 1);
    }

    void outputTrace_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("infoLines");
        QTest::newRow("output logged") << QByteArray("echo '  hello   world '") << 1;
        QTest::newRow("empty output logs nothing") << QByteArray("exit 0") << 0;
        QTest::newRow("blank output logs nothing") << QByteArray("printf '  \\n '") << 0;
    }

    void outputTrace()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, infoLines);
        TraceCapture traces;
        CLASS_UTILS_ZRPROCESS process(true, true);
        QVERIFY(process.ShellProcessStart(Script(QStringLiteral("out.sh"), body), 30000, 30000));
        QCOMPARE(traces.InfoCount(), infoLines);
        QCOMPARE(traces.ErrorCount(), 0);
        if (infoLines > 0)
        {
            QCOMPARE(traces
                         .Infos(QStringLiteral("ShellProcessFinished"),
                                QStringLiteral("Process return = hello world"))
                         .size(),
                     1);
        }
    }

    void missingProgram()
    {
        TraceCapture traces;
        const QString program = scripts.filePath(QStringLiteral("no-such-program"));
        const QString commandLine = QLatin1Char('"') + program + QStringLiteral("\" x");
        CLASS_UTILS_ZRPROCESS process(false, true);
        QSignalSpy finished(&process, &CLASS_UTILS_ZRPROCESS::SIGNAL_ZrProcessHasFinished);

        QVERIFY(!process.ShellProcessStart(commandLine, 30000, 30000));
        QCOMPARE(process.GetExitCode(), 3);
        QVERIFY(!process.IsSuccessful());
        QVERIFY(process.IsReady());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(traces
                     .Errors(QStringLiteral("ShellProcessError"),
                             QStringLiteral("Process failed to start :\"") + program + QStringLiteral(" x\""))
                     .size(),
                 1);
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Cannot start ShellCommand \"") + commandLine +
                                           QStringLiteral("\": ")),
                 1);
    }

    void missingProgramDetached()
    {
        CLASS_UTILS_ZRPROCESS process(false, false);
        QSignalSpy finished(&process, &CLASS_UTILS_ZRPROCESS::SIGNAL_ZrProcessHasFinished);
        process.ShellProcessStartDetached(QStringLiteral("\"") + scripts.filePath(QStringLiteral("missing")) +
                                          QStringLiteral("\""));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(process.GetExitCode(), 3);
        QVERIFY(process.IsReady());
    }

    void detachedWhileBusy()
    {
        TraceCapture traces;
        const QString waiter = Script(QStringLiteral("wait.sh"), "read line; echo \"got $line\"");
        CLASS_UTILS_ZRPROCESS process(false, false);
        QSignalSpy finished(&process, &CLASS_UTILS_ZRPROCESS::SIGNAL_ZrProcessHasFinished);

        process.ShellProcessStartDetached(waiter);
        QVERIFY(!process.IsReady());
        QVERIFY(process.waitForStarted(30000));
        const qint64 firstPid = process.processId();

        process.ShellProcessStartDetached(Script(QStringLiteral("other.sh"), "exit 0"));
        QCOMPARE(
            traces.Errors(QStringLiteral("ShellProcessStartDetached"), QStringLiteral("Process not finished"))
                .size(),
            1);
        QCOMPARE(process.processId(), firstPid);
        QVERIFY(!process.ShellProcessStart(waiter, 1000, 1000));

        // The first run goes on untouched and ends normally.
        process.write("one\n");
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(process.GetProgramOutput(), QStringLiteral("got one"));
        QVERIFY(process.IsSuccessful());
        QVERIFY(process.IsReady());

        // Once it has ended, a new run starts.
        process.ShellProcessStartDetached(Script(QStringLiteral("next.sh"), "echo next; exit 5"));
        QVERIFY(finished.wait(30000));
        QCOMPARE(process.GetExitCode(), 5);
        QCOMPARE(process.GetProgramOutput(), QStringLiteral("next"));
    }

    void killWhenIdleChangesNothing()
    {
        CLASS_UTILS_ZRPROCESS process(false, false);
        QVERIFY(process.ShellProcessStart(Script(QStringLiteral("ok.sh"), "echo done"), 30000, 30000));
        QSignalSpy finished(&process, &CLASS_UTILS_ZRPROCESS::SIGNAL_ZrProcessHasFinished);
        process.ShellProcessKill();
        QCOMPARE(process.GetProgramOutput(), QStringLiteral("done"));
        QVERIFY(process.IsSuccessful());
        QCOMPARE(process.GetExitCode(), 0);
        QVERIFY(process.IsReady());
        QCOMPARE(finished.count(), 0);
    }

    void killRunningProcess()
    {
        TraceCapture traces;
        CLASS_UTILS_ZRPROCESS process(false, false);
        process.ShellProcessStartDetached(Script(QStringLiteral("long.sh"), "exec sleep 60"));
        QVERIFY(process.waitForStarted(30000));
        process.ShellProcessKill();
        QVERIFY(process.IsReady());
        QVERIFY(!process.IsSuccessful());
        QCOMPARE(process.state(), QProcess::NotRunning);
        QCOMPARE(process.GetExitCode(), -static_cast<int>(QProcess::Crashed));
        // The object is free for the next run at once.
        QVERIFY(process.ShellProcessStart(Script(QStringLiteral("after.sh"), "echo again"), 30000, 30000));
        QCOMPARE(process.GetProgramOutput(), QStringLiteral("again"));
    }

    void crashIsReportedOnce()
    {
        TraceCapture traces;
        CLASS_UTILS_ZRPROCESS process(false, true);
        QSignalSpy finished(&process, &CLASS_UTILS_ZRPROCESS::SIGNAL_ZrProcessHasFinished);
        const QString commandLine = Script(QStringLiteral("crash.sh"), "echo before; kill -SEGV $$");
        QVERIFY(!process.ShellProcessStart(commandLine, 30000, 30000));
        QCOMPARE(process.GetExitCode(), -1);
        QCOMPARE(process.GetProgramOutput(), QString());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Process crashed :\"") +
                                           scripts.filePath(QStringLiteral("crash.sh")) +
                                           QStringLiteral(" \" (")),
                 2);
        QCOMPARE(
            traces.ErrorsStartingWith(QStringLiteral("Cannot execute ShellCommand (exit status error) \"") +
                                      commandLine + QStringLiteral("\": ")),
            1);
    }

    void finishTimeout()
    {
        TraceCapture traces;
        const QString commandLine = Script(QStringLiteral("slow.sh"), "exec sleep 60");
        CLASS_UTILS_ZRPROCESS process(false, false);
        QVERIFY(!process.ShellProcessStart(commandLine, 30000, 200));
        QCOMPARE(traces
                     .Errors(QStringLiteral("ShellProcessStart"),
                             QStringLiteral("Timeout for ShellCommand \"") + commandLine)
                     .size(),
                 1);
        QCOMPARE(process.state(), QProcess::Running);
        QCOMPARE(process.GetExitCode(), -1);
    }
};

QTEST_GUILESS_MAIN(TestZrProcess)
#include "TestZrProcess.moc"
