#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_MessageBox.h"
#include "LauncherTestEnvironment.h"
#include "QT_UPDATER/UPDATER_ClassUpdaterFromWeb.h"
#include "TestHttpServer.h"

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString VERSION_PATH = QStringLiteral("/~ftp-xml/ruvoraduridedi.json");
const QString FAILED =
    QStringLiteral("Failed to check version, please check your connection before retrying.");
const QString NO_UPDATE = QStringLiteral("There are currently no updates available.");
const QString ANNOUNCED =
    QStringLiteral("Tarvo 4k Simulator v1.6.0 is available on Vorntal website. Please click "
                   "<a href='http://example.invalid/dl'>here</a> for more information.");
const QByteArray NEWER = "[{\"Version\":\"1.6.0\",\"ProductName\":\"Tarvo 4k Simulator\","
                         "\"Url\":\"http://example.invalid/dl\",\"ProductId\":1002}]";

void WaitForCheck(CLASS_LAUNCHER_WINDOW& window)
{
    QTRY_COMPARE_WITH_TIMEOUT(window.WebUpdater()->GetUpdaterState(), CLASS_UPDATER_FROM_WEB::Idle, 20000);
    // The result reaches the window through a queued connection.
    QCoreApplication::processEvents();
}
} // namespace

// What the launcher tells the user after a version check, automatic or asked for.
class TestLauncherUpdateCheck : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    TestHttpServer server;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QVERIFY(PrepareLauncherWindowEnvironment(home.path()));
        QVERIFY(server.Start());
    }

    void outcome_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("lastChecked");
        QTest::addColumn<QString>("expectedBox");
        QTest::addColumn<QString>("expectedLastChecked");

        QTest::newRow("automatic, server error: silent") << true << 404 << QByteArray() << "1.5.3"
                                                         << ""
                                                         << "1.5.3";
        // The failure names the server and Qt's reason.
        QTest::newRow("asked, server error: failure box")
            << false << 404 << QByteArray() << "1.5.3"
            << FAILED +
                   QStringLiteral("\n\nServer: %1\nReason: Error transferring %2 - server replied: Not Found")
                       .arg(QUrl(server.Url()).adjusted(QUrl::RemovePath).toString(),
                            server.Url(VERSION_PATH))
            << "1.5.3";
        QTest::newRow("asked, not JSON: failure box")
            << false << 200 << QByteArray("<html>") << "1.5.3"
            << FAILED + QStringLiteral("\n\nServer: %1\nReason: the version file is not JSON (illegal value)")
                            .arg(QUrl(server.Url()).adjusted(QUrl::RemovePath).toString())
            << "1.5.3";
        QTest::newRow("automatic, no update: silent") << true << 200 << QByteArray("[]") << "1.5.3"
                                                      << ""
                                                      << "1.5.3";
        QTest::newRow("asked, no update: box")
            << false << 200 << QByteArray("[]") << "1.5.3" << NO_UPDATE << "1.5.3";
        QTest::newRow("automatic, new version: announced and remembered")
            << true << 200 << NEWER << "1.5.3" << ANNOUNCED << "1.6.0";
        QTest::newRow("automatic, version already announced: silent") << true << 200 << NEWER << "1.6.0"
                                                                      << ""
                                                                      << "1.6.0";
        QTest::newRow("asked, version already announced: announced again")
            << false << 200 << NEWER << "1.6.0" << ANNOUNCED << "1.6.0";
        // Values of the version file are text: a name that carries a link, a Url that leaves its quotes.
        QTest::newRow("markup in the product name and the Url is shown as text")
            << true << 200
            << QByteArray(
                   "[{\"Version\":\"1.6.0\",\"ProductName\":\"<a href='file:///etc/passwd'>Vorntal</a> & "
                   "Co\",\"Url\":\"http://example.invalid/dl?x='onclick='alert(1)\",\"ProductId\":1002}]")
            << "1.5.3"
            << QStringLiteral(
                   "&lt;a href=&#39;file:///etc/passwd&#39;&gt;Vorntal&lt;/a&gt; &amp; Co v1.6.0 is "
                   "available on Vorntal website. Please click "
                   "<a href='http://example.invalid/dl?x=&#39;onclick=&#39;alert(1)'>here</a> for more "
                   "information.")
            << "1.6.0";
        QTest::newRow("automatic, file Url: nothing announced")
            << true << 200
            << QByteArray("[{\"Version\":\"1.6.0\",\"ProductName\":\"Tarvo 4k Simulator\","
                          "\"Url\":\"file:///etc/passwd\",\"ProductId\":1002}]")
            << "1.5.3"
            << ""
            << "1.5.3";
    }

    void outcome()
    {
        QFETCH(bool, automatic);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, lastChecked);
        QFETCH(QString, expectedBox);
        QFETCH(QString, expectedLastChecked);

        CLASS_LAUNCHER_WINDOW window;
        WaitForCheck(window); // the automatic check of the start, against the built-in server address
        server.SetRoute(VERSION_PATH, body, status, QStringLiteral("application/json"));
        window.WebUpdater()->SetVersionFileUrl(server.Url(VERSION_PATH));
        window.SessionBackEnd()->SetLastVersionChecked(lastChecked);
        CLASS_MESSAGE_BOX::ClearHistory();

        if (automatic)
        {
            window.StartVersionCheck(true);
        }
        else
        {
            window.UpdateCheckAction()->trigger();
            QTRY_VERIFY(window.WebUpdater()->GetUpdaterState() != CLASS_UPDATER_FROM_WEB::Idle ||
                        !CLASS_MESSAGE_BOX::Texts().isEmpty());
        }
        WaitForCheck(window);
        QTRY_COMPARE(CLASS_MESSAGE_BOX::Texts().size(), expectedBox.isEmpty() ? 0 : 1);
        if (!expectedBox.isEmpty())
        {
            QCOMPARE(CLASS_MESSAGE_BOX::LastText(), expectedBox);
            QCOMPARE(CLASS_MESSAGE_BOX::LastTitle(), QStringLiteral("Tarvo 4k Simulator"));
        }
        QCOMPARE(window.SessionBackEnd()->GetLastVersionChecked(), expectedLastChecked);
    }

    void aboutEntryShowsTheDialog()
    {
        CLASS_LAUNCHER_WINDOW window;
        WaitForCheck(window);
        QVERIFY(!window.AboutWindow()->isVisible());
        window.AboutAction()->trigger();
        QTRY_VERIFY(window.AboutWindow()->isVisible());
    }
};

QTEST_MAIN(TestLauncherUpdateCheck)
#include "TestLauncherUpdateCheck.moc"
