#include "QT_UTILS/UTILS_GpioEvent.h"

#include "TestFiles.h"
#include "TraceCapture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
const QString UNIT = QStringLiteral("..\\mng_launcher\\MODULES\\QT_UTILS\\UTILS_GpioEvent ");

// A folder laid out like one exported line of the sysfs GPIO interface.
struct GPIO_FOLDER
{
    QTemporaryDir folder;
    QString Value() const { return folder.path() + QStringLiteral("/value"); }
    QString Edge() const { return folder.path() + QStringLiteral("/edge"); }
    bool Create(bool withEdge = true)
    {
        return folder.isValid() && WriteFile(Value(), "0\n") && (!withEdge || WriteFile(Edge(), "none\n"));
    }
};

// What the kernel's notifier would do after an edge: the slot is private, so it is invoked by name.
void RaiseEdge(CLASS_UTILS_GPIO_EVENT& watcher)
{
    QVERIFY(
        QMetaObject::invokeMethod(&watcher, "SLOT_NewNotifierEvent", Qt::DirectConnection, Q_ARG(SDWord, 0)));
}
} // namespace

// The GPIO edge watcher against a temporary folder standing in for a sysfs line. A regular file never
// raises the exception event the watcher's notifier waits for, so edges are raised by calling its slot.
class TestGpioEvent : public QObject
{
    Q_OBJECT

private:
    TraceCapture traces;

    void ExpectTrace(const QString& function, const QString& text)
    {
        const QString prefix = UNIT + function + QStringLiteral("() Line ");
        QTRY_VERIFY(traces.ErrorLog().contains(prefix));
        QTRY_VERIFY(traces.ErrorLog().contains(QLatin1Char(' ') + text + QLatin1Char('\n')));
    }

private slots:
    void initTestCase()
    {
        // The program registers its type names at start-up; the spies need them too.
        qRegisterMetaType<Bool>("Bool");
        QVERIFY(traces.Start());
    }

    void edgeTextIsWritten_data()
    {
        QTest::addColumn<bool>("rising");
        QTest::addColumn<bool>("falling");
        QTest::addColumn<QByteArray>("edge");
        QTest::newRow("both") << true << true << QByteArray("both");
        QTest::newRow("rising only") << true << false << QByteArray("rising");
        QTest::newRow("falling only") << false << true << QByteArray("falling");
        QTest::newRow("neither") << false << false << QByteArray("none");
    }

    void edgeTextIsWritten()
    {
        QFETCH(bool, rising);
        QFETCH(bool, falling);
        QFETCH(QByteArray, edge);
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), !rising, !falling, 0);
        QVERIFY(watcher.IsReady());
        watcher.SetEdge(rising, falling);
        QCOMPARE(ReadFile(gpio.Edge()), edge);
    }

    void missingPiecesLeaveItNotReady_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder") << "folder"
                                << "Can't find gpio directory %1/absent";
        QTest::newRow("value file") << "value"
                                    << "Can't find gpio value file %1/value";
        QTest::newRow("edge file") << "edge"
                                   << "Can't find gpio edge file %1/edge";
    }

    void missingPiecesLeaveItNotReady()
    {
        QFETCH(QString, missing);
        QFETCH(QString, message);
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create(missing != QLatin1String("edge")));
        if (missing == QLatin1String("value"))
        {
            QVERIFY(QFile::remove(gpio.Value()));
        }
        const QString folder = missing == QLatin1String("folder")
                                   ? gpio.folder.path() + QStringLiteral("/absent")
                                   : gpio.folder.path();
        CLASS_UTILS_GPIO_EVENT watcher(folder, true, true, 0);
        QVERIFY(!watcher.IsReady());
        ExpectTrace(QStringLiteral("CLASS_UTILS_GPIO_EVENT"), message.arg(gpio.folder.path()));

        watcher.StartWatching();
        QVERIFY(watcher.findChild<QSocketNotifier*>() == nullptr);
        watcher.SetEdge(true, false);
        QVERIFY(!QFile::exists(gpio.Edge()) || ReadFile(gpio.Edge()) == "none\n");
    }

    void unreadableValueFileIsLogged()
    {
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        QFile value(gpio.Value());
        QVERIFY(value.setPermissions(QFileDevice::Permissions()));
        if (value.open(QIODevice::ReadOnly))
        {
            QSKIP("Permissions do not restrict this user (running as root)");
        }
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), true, true, 0);
        QVERIFY(!watcher.IsReady());
        ExpectTrace(QStringLiteral("CLASS_UTILS_GPIO_EVENT"),
                    QStringLiteral("Can't open gpio value file ") + gpio.Value());
    }

    void watchingCreatesOneNotifier()
    {
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), true, true, 0);
        QVERIFY(watcher.IsReady());
        watcher.StartWatching();
        QCOMPARE(watcher.findChildren<QSocketNotifier*>().size(), 1);
        QSocketNotifier* first = watcher.findChild<QSocketNotifier*>();
        QCOMPARE(first->type(), QSocketNotifier::Exception);
        // Starting again replaces the notifier; the old one goes at the next event loop pass.
        watcher.StartWatching();
        QTRY_COMPARE(watcher.findChildren<QSocketNotifier*>().size(), 1);
        watcher.StopWatching();
        QTRY_COMPARE(watcher.findChildren<QSocketNotifier*>().size(), 0);
    }

    void readingRules_data()
    {
        QTest::addColumn<bool>("rising");
        QTest::addColumn<bool>("falling");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QList<bool>>("events");
        QTest::newRow("falling only, reads 0") << false << true << QByteArray("0\n") << QList<bool>{false};
        QTest::newRow("falling only, reads 1") << false << true << QByteArray("1\n") << QList<bool>{};
        QTest::newRow("rising only, reads 1") << true << false << QByteArray("1\n") << QList<bool>{true};
        QTest::newRow("rising only, reads 0") << true << false << QByteArray("0\n") << QList<bool>{};
        QTest::newRow("both, reads 1") << true << true << QByteArray(" 1 \n") << QList<bool>{true};
        QTest::newRow("both, reads 0") << true << true << QByteArray("0") << QList<bool>{false};
        QTest::newRow("both, reads 2 (not high)") << true << true << QByteArray("2") << QList<bool>{false};
        QTest::newRow("neither") << false << false << QByteArray("1") << QList<bool>{};
    }

    void readingRules()
    {
        QFETCH(bool, rising);
        QFETCH(bool, falling);
        QFETCH(QByteArray, value);
        QFETCH(QList<bool>, events);
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), rising, falling, 0);
        QVERIFY(watcher.IsReady());
        watcher.StartWatching();
        QSignalSpy spy(&watcher, qOverload<Bool>(&CLASS_UTILS_GPIO_EVENT::SIGNAL_NewGpioEvent));
        QVERIFY(WriteFile(gpio.Value(), value));
        RaiseEdge(watcher);
        QList<bool> received;
        for (const QList<QVariant>& arguments : spy)
        {
            received << arguments.at(0).toBool();
        }
        QCOMPARE(received, events);

        // Reading the state on demand follows the same rules.
        spy.clear();
        watcher.ReadGpioState();
        QCOMPARE(spy.count(), events.size());
    }

    void valueThatIsNotANumber_data()
    {
        QTest::addColumn<bool>("falling");
        QTest::addColumn<int>("events");
        QTest::newRow("falling set: reported low") << true << 1;
        QTest::newRow("rising only: nothing") << false << 0;
    }

    void valueThatIsNotANumber()
    {
        QFETCH(bool, falling);
        QFETCH(int, events);
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), true, falling, 0);
        QSignalSpy spy(&watcher, qOverload<Bool>(&CLASS_UTILS_GPIO_EVENT::SIGNAL_NewGpioEvent));
        QVERIFY(WriteFile(gpio.Value(), "high\n"));
        const QString message = QStringLiteral("Failed to convert GPIO value to Bool in: ") + gpio.Value();
        const int before = traces.ErrorCount(message);
        watcher.StartWatching();
        RaiseEdge(watcher);
        QCOMPARE(spy.count(), events);
        if (events > 0)
        {
            QCOMPARE(spy.at(0).at(0).toBool(), false);
        }
        QTRY_COMPARE(traces.ErrorCount(message), before + 1);
        ExpectTrace(QStringLiteral("NewDebounceTimerEvent"), message);
    }

    void debounceKeepsTheLastOfCloseEdges()
    {
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), true, true, 50);
        watcher.StartWatching();
        QSignalSpy spy(&watcher, qOverload<Bool>(&CLASS_UTILS_GPIO_EVENT::SIGNAL_NewGpioEvent));

        // Three edges 10 ms apart; the level read is the one after the last edge.
        QElapsedTimer sinceEdge;
        qint64 longestGap = 0;
        for (const QByteArray& level : {QByteArray("1"), QByteArray("0"), QByteArray("1")})
        {
            if (sinceEdge.isValid())
            {
                QTest::qWait(10);
                longestGap = qMax(longestGap, sinceEdge.elapsed());
            }
            QVERIFY(WriteFile(gpio.Value(), level));
            RaiseEdge(watcher);
            sinceEdge.start();
            QCOMPARE(spy.count(), 0);
        }
        if (longestGap >= 40)
        {
            QSKIP("The event loop was too slow to keep the edges within the debounce time");
        }
        QVERIFY(spy.wait(2000));
        // Coarse timers may fire up to 5 % early.
        QVERIFY(sinceEdge.elapsed() >= 47);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QVERIFY(!spy.wait(150));
        QCOMPARE(spy.count(), 1);

        // A later edge is debounced again with a fresh timer.
        QVERIFY(WriteFile(gpio.Value(), "0"));
        RaiseEdge(watcher);
        QVERIFY(spy.wait(2000));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
    }

    void debounceTimeCanBeSwitchedOff()
    {
        GPIO_FOLDER gpio;
        QVERIFY(gpio.Create());
        CLASS_UTILS_GPIO_EVENT watcher(gpio.folder.path(), true, true, 500);
        watcher.StartWatching();
        QSignalSpy spy(&watcher, qOverload<Bool>(&CLASS_UTILS_GPIO_EVENT::SIGNAL_NewGpioEvent));
        watcher.SetDebounceTime(0);
        RaiseEdge(watcher);
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestGpioEvent)
#include "TestGpioEvent.moc"
