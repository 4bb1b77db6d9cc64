// What the entry function sets up before the back end exists: the eight type aliases (so that signals
// declared with them cross threads), the two named threads with tracing on the second one, and the command
// line that chooses the update server.
#include "CLI/CLI_ClassCommandLine.h"
#include "DEVICE/DEVICE_ClassServerAddress.h"
#include "DEVICE/DEVICE_StartUp.h"
#include "QT_TRACES/TRACES_ClassWorkerFile.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "ZR_Types.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <limits>

// Declares its signals with the program's own type names, as the back ends do.
class AliasSender : public QObject
{
    Q_OBJECT

signals:
    void SIGNAL_SessionToHide(SDWord sessionIndex, Bool toHide);
    void SIGNAL_AllAliases(Bool b, Byte by, Word w, DWord dw, QWord qw, SByte sb, SWord sw, SDWord sd);
};

class AliasReceiver : public QObject
{
    Q_OBJECT

public:
    QThread* calledOn = nullptr;
    SDWord sessionIndex = 0;
    Bool toHide = false;
    QVariantList all;

public slots:
    void SLOT_SessionToHide(SDWord index, Bool hide)
    {
        sessionIndex = index;
        toHide = hide;
        calledOn = QThread::currentThread();
    }
    void SLOT_AllAliases(Bool b, Byte by, Word w, DWord dw, QWord qw, SByte sb, SWord sw, SDWord sd)
    {
        all = {b, by, w, dw, qw, sb, sw, sd};
        calledOn = QThread::currentThread();
    }
};

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void typeAliasesAreRegistered_data();
    void typeAliasesAreRegistered();
    void aliasSignalCrossesThreads_data();
    void aliasSignalCrossesThreads();
    void everyAliasCrossesThreads();
    void startTracingNamesThreadsAndOpensLogs();
    void traceThreadEndsWhenTheApplicationQuits();
    void commandLineChoosesTheUpdateServer_data();
    void commandLineChoosesTheUpdateServer();

private:
    QTemporaryDir temp;
    QThread receiverThread;
};

void TestStartUp::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(temp.isValid());
    // The aliases are unknown until registered: otherwise the checks below would prove nothing.
    QCOMPARE(QMetaType::type("SDWord"), int(QMetaType::UnknownType));
    QCOMPARE(QMetaType::type("Bool"), int(QMetaType::UnknownType));
    RegisterTypeAliases();
    receiverThread.start();
}

void TestStartUp::cleanupTestCase()
{
    receiverThread.quit();
    receiverThread.wait();
}

void TestStartUp::typeAliasesAreRegistered_data()
{
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<int>("typeId");

    QTest::newRow("Bool") << QByteArray("Bool") << 1;
    QTest::newRow("Byte") << QByteArray("Byte") << 37;
    QTest::newRow("Word") << QByteArray("Word") << 36;
    QTest::newRow("DWord") << QByteArray("DWord") << 3;
    QTest::newRow("QWord") << QByteArray("QWord") << 5;
    QTest::newRow("SByte") << QByteArray("SByte") << 40;
    QTest::newRow("SWord") << QByteArray("SWord") << 33;
    QTest::newRow("SDWord") << QByteArray("SDWord") << 2;
}

void TestStartUp::typeAliasesAreRegistered()
{
    QFETCH(QByteArray, alias);
    QFETCH(int, typeId);
    QCOMPARE(QMetaType::type(alias.constData()), typeId);
}

void TestStartUp::aliasSignalCrossesThreads_data()
{
    QTest::addColumn<bool>("byMetaMethod");
    QTest::addColumn<int>("sessionIndex");
    QTest::addColumn<bool>("toHide");

    // The meta-method connection looks the parameter types up by their declared names ("SDWord",
    // "Bool"): it can only queue them once the aliases are registered.
    QTest::newRow("meta-method connection") << true << 7 << true;
    QTest::newRow("meta-method connection, negative index") << true << -3 << false;
    QTest::newRow("pointer-to-member connection") << false << std::numeric_limits<int>::max() << true;
}

void TestStartUp::aliasSignalCrossesThreads()
{
    QFETCH(bool, byMetaMethod);
    QFETCH(int, sessionIndex);
    QFETCH(bool, toHide);

    AliasSender sender;
    AliasReceiver receiver;
    receiver.moveToThread(&receiverThread);
    QMetaObject::Connection connection;
    if (byMetaMethod)
    {
        connection =
            QObject::connect(&sender, QMetaMethod::fromSignal(&AliasSender::SIGNAL_SessionToHide), &receiver,
                             receiver.metaObject()->method(
                                 receiver.metaObject()->indexOfSlot("SLOT_SessionToHide(SDWord,Bool)")),
                             Qt::QueuedConnection);
    }
    else
    {
        connection = QObject::connect(&sender, &AliasSender::SIGNAL_SessionToHide, &receiver,
                                      &AliasReceiver::SLOT_SessionToHide, Qt::QueuedConnection);
    }
    QVERIFY(connection);
    emit sender.SIGNAL_SessionToHide(sessionIndex, toHide);
    QTRY_COMPARE(receiver.calledOn, &receiverThread);
    QCOMPARE(receiver.sessionIndex, sessionIndex);
    QCOMPARE(receiver.toHide, toHide);
    // Back to this thread so that it is destroyed here.
    QMetaObject::invokeMethod(
        &receiver, [&receiver, self = QThread::currentThread()]() { receiver.moveToThread(self); },
        Qt::BlockingQueuedConnection);
}

void TestStartUp::everyAliasCrossesThreads()
{
    AliasSender sender;
    AliasReceiver receiver;
    receiver.moveToThread(&receiverThread);
    const QMetaMethod slot = receiver.metaObject()->method(
        receiver.metaObject()->indexOfSlot("SLOT_AllAliases(Bool,Byte,Word,DWord,QWord,SByte,SWord,SDWord)"));
    QVERIFY(slot.isValid());
    QVERIFY(QObject::connect(&sender, QMetaMethod::fromSignal(&AliasSender::SIGNAL_AllAliases), &receiver,
                             slot, Qt::QueuedConnection));
    emit sender.SIGNAL_AllAliases(true, 250, 65000, 4000000000u, 18000000000000000000ull, -100, -32000,
                                  -2000000000);
    QTRY_COMPARE(receiver.calledOn, &receiverThread);
    const QVariantList expected{
        true,        Byte(250),     Word(65000),        DWord(4000000000u), QWord(18000000000000000000ull),
        SByte(-100), SWord(-32000), SDWord(-2000000000)};
    QCOMPARE(receiver.all, expected);
    QMetaObject::invokeMethod(
        &receiver, [&receiver, self = QThread::currentThread()]() { receiver.moveToThread(self); },
        Qt::BlockingQueuedConnection);
}

void TestStartUp::startTracingNamesThreadsAndOpensLogs()
{
    // InitTraces writes below the user's cache folder (in test mode below HOME), never below TMPDIR.
    const QString tempPath = temp.path() + QStringLiteral("/tmp");
    const QString home = temp.path() + QStringLiteral("/home");
    QVERIFY(QDir().mkpath(tempPath) && QDir().mkpath(home));
    qputenv("TMPDIR", QFile::encodeName(tempPath));
    qputenv("HOME", QFile::encodeName(home));
    QCOMPARE(QDir::tempPath(), tempPath);

    QThread* traceThread = StartTracing();
    QVERIFY(traceThread != nullptr);
    QCOMPARE(TraceThread(), traceThread);
    QCOMPARE(QThread::currentThread()->objectName(), QStringLiteral("THREAD_MAIN"));
    QCOMPARE(traceThread->objectName(), QStringLiteral("THREAD_TRACES"));
    QVERIFY(traceThread->isRunning());
    QVERIFY(traceThread->parent() == nullptr);

    auto* worker = qobject_cast<CLASS_WORKER_FILE*>(TracesWorker());
    QVERIFY(worker != nullptr);
    QVERIFY(worker->initialised);
    QVERIFY(worker->enabled);
    QCOMPARE(worker->thread(), traceThread);
    QCOMPARE(worker->hookPeriod, 10300u);
    QVERIFY(worker->periodicHook == nullptr);
    QVERIFY(worker->errorHook == nullptr);

    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QVERIFY(cache.startsWith(home + QLatin1Char('/')));
    const QString logFolder =
        cache + QStringLiteral("/vaDevazade/ZR_TRACES/") + QCoreApplication::applicationName();
    QCOMPARE(QFileInfo(worker->InfoFilePath()).absolutePath(), logFolder);
    QVERIFY(QFileInfo(worker->InfoFilePath()).fileName().startsWith(QStringLiteral("00000001_INFO_")));
    QVERIFY(QFileInfo::exists(worker->InfoFilePath()));
    QVERIFY(QDir(tempPath).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    // Only the user may enter the folders or read the files.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    for (const QString& path :
         {cache + QStringLiteral("/vaDevazade"), cache + QStringLiteral("/vaDevazade/ZR_TRACES"), logFolder,
          worker->InfoFilePath()})
    {
        QVERIFY2((QFileInfo(path).permissions() & others) == 0, qPrintable(path));
    }

    TRACE_INFO(QStringLiteral("start-up done"));
    const QRegularExpression line(QStringLiteral(
        "^\\[\\d{13}\\]\\[MAIN\\]\\[M\\]\\S+ startTracingNamesThreadsAndOpensLogs\\(\\) Line \\d+ "
        "start-up done$"));
    auto lines = [worker]()
    {
        QFile file(worker->InfoFilePath());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    };
    QTRY_VERIFY(!lines().filter(line).isEmpty());
    QVERIFY(lines().at(0).endsWith(QStringLiteral("[MAIN][M]") + QCoreApplication::applicationName() +
                                   QStringLiteral(" PROGRAM START")));
}

void TestStartUp::traceThreadEndsWhenTheApplicationQuits()
{
    QThread* traceThread = TraceThread();
    QVERIFY(traceThread != nullptr && traceThread->isRunning());
    // The application's event loop emits aboutToQuit when it returns.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(traceThread->wait(5000));
    QVERIFY(traceThread->isFinished());
}

void TestStartUp::commandLineChoosesTheUpdateServer_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("serverVariable");
    QTest::addColumn<QString>("probeVariable");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("printed");

    const QString builtIn = CLASS_SERVER_ADDRESS::BuiltInServer();
    const int window = CLASS_COMMAND_LINE::START_WINDOW;
    const QString other = QStringLiteral("http://10.1.2.3:9000");
    const QString proxy = QStringLiteral("http://probe.example/");
    QTest::newRow("no options: built-in server, window")
        << QStringList() << QString() << QString() << window << builtIn << builtIn + '/' << QString();
    QTest::newRow("option") << QStringList{QStringLiteral("--update-server"), other + '/'} << QString()
                            << QString() << window << other << other + '/' << QString();
    QTest::newRow("environment") << QStringList() << other << QString() << window << other << other + '/'
                                 << QString();
    QTest::newRow("option over environment")
        << QStringList{QStringLiteral("--update-server=https://packages.example")} << other << QString()
        << window << QStringLiteral("https://packages.example") << QStringLiteral("https://packages.example/")
        << QString();
    QTest::newRow("probe variable stays") << QStringList{QStringLiteral("--update-server"), other}
                                          << QString() << proxy << window << other << proxy << QString();
    QTest::newRow("unusable environment ignored")
        << QStringList() << QStringLiteral("not a server") << QString() << window << builtIn << builtIn + '/'
        << QStringLiteral("ignored");
    QTest::newRow("unusable option") << QStringList{QStringLiteral("--update-server"),
                                                    QStringLiteral("ftp://x")}
                                     << QString() << QString() << int(CLASS_COMMAND_LINE::EXIT_USAGE)
                                     << builtIn << builtIn + '/'
                                     << QStringLiteral("needs an http or https address");
    QTest::newRow("a proxy") << QStringList{QStringLiteral("--proxy"), QStringLiteral("proxy.example:3128")}
                             << QString() << QString() << window << builtIn << builtIn + '/' << QString();
    QTest::newRow("unusable proxy") << QStringList{QStringLiteral("--proxy"),
                                                   QStringLiteral("ftp://proxy.example")}
                                    << QString() << QString() << int(CLASS_COMMAND_LINE::EXIT_USAGE)
                                    << builtIn << builtIn + '/'
                                    << QStringLiteral("--proxy needs an http or socks5 address");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << QString() << QString()
                                    << int(CLASS_COMMAND_LINE::EXIT_USAGE) << builtIn << builtIn + '/'
                                    << QStringLiteral("frobnicate");
    QTest::newRow("help lists the options") << QStringList{QStringLiteral("--help")} << QString() << QString()
                                            << int(CLASS_COMMAND_LINE::EXIT_DONE) << builtIn << builtIn + '/'
                                            << QStringLiteral("--update-server <URL>");
    QTest::newRow("Qt's window options pass")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-reverse")}
        << QString() << QString() << window << builtIn << builtIn + '/' << QString();
}

void TestStartUp::commandLineChoosesTheUpdateServer()
{
    QFETCH(QStringList, options);
    QFETCH(QString, serverVariable);
    QFETCH(QString, probeVariable);
    QFETCH(int, result);
    QFETCH(QString, server);
    QFETCH(QString, probe);
    QFETCH(QString, printed);

    CLASS_SERVER_ADDRESS::SetServer(QString());
    qputenv(CLASS_SERVER_ADDRESS::SERVER_VARIABLE, serverVariable.toUtf8());
    qputenv(CLASS_SERVER_ADDRESS::PROBE_VARIABLE, probeVariable.toUtf8());
    QString output;
    QString errors;
    QTextStream outputStream(&output);
    QTextStream errorStream(&errors);
    CLASS_COMMAND_LINE commandLine;
    QCOMPARE(commandLine.Process(QStringList{QStringLiteral("Tarvo4kSimulator")} + options, outputStream,
                                 errorStream),
             result);
    outputStream.flush();
    errorStream.flush();
    QCOMPARE(CLASS_SERVER_ADDRESS::Server(), server);
    QCOMPARE(CLASS_SERVER_ADDRESS::ProbeUrl(), probe);
    QCOMPARE(CLASS_SERVER_ADDRESS::CatalogueUrl(),
             server + QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini"));
    QVERIFY2((output + errors).contains(printed), qPrintable(output + errors));
    QCOMPARE(output.isEmpty() && errors.isEmpty(), printed.isEmpty());

    CLASS_SERVER_ADDRESS::SetServer(QString());
    qunsetenv(CLASS_SERVER_ADDRESS::SERVER_VARIABLE);
    qunsetenv(CLASS_SERVER_ADDRESS::PROBE_VARIABLE);
}

QTEST_GUILESS_MAIN(TestStartUp)
#include "TestStartUp.moc"
