#include "TestHttpServer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

// The test server behaves as the other suites expect of it.
class TestSupportHttp : public QObject
{
    Q_OBJECT

private:
    QNetworkReply* Get(QNetworkAccessManager& manager, const QString& url)
    {
        QNetworkRequest request{QUrl(url)};
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        QNetworkReply* reply = manager.get(request);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        finished.wait(10000);
        return reply;
    }

private slots:
    void answersRoutes()
    {
        TestHttpServer server;
        QVERIFY(server.Start());
        server.SetRoute(QStringLiteral("/a"), "hello");
        server.SetRoute(QStringLiteral("/err"), "boom", 500);
        server.SetRoute(QStringLiteral("/big"), QByteArray(100000, 'x'));
        server.SetTruncated(QStringLiteral("/big"), 1000);
        server.SetRoute(QStringLiteral("/from"), QByteArray());
        server.SetRedirect(QStringLiteral("/from"), QStringLiteral("/a"));
        QNetworkAccessManager manager;

        QScopedPointer<QNetworkReply> ok(Get(manager, server.Url(QStringLiteral("/a"))));
        QCOMPARE(ok->readAll(), QByteArray("hello"));
        QScopedPointer<QNetworkReply> missing(Get(manager, server.Url(QStringLiteral("/none"))));
        QCOMPARE(missing->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
        QScopedPointer<QNetworkReply> error(Get(manager, server.Url(QStringLiteral("/err"))));
        QCOMPARE(error->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 500);
        QScopedPointer<QNetworkReply> cut(Get(manager, server.Url(QStringLiteral("/big"))));
        QVERIFY(cut->error() != QNetworkReply::NoError);
        QScopedPointer<QNetworkReply> moved(Get(manager, server.Url(QStringLiteral("/from"))));
        QCOMPARE(moved->readAll(), QByteArray("hello"));
        QCOMPARE(server.RequestCount(QStringLiteral("/a")), 2);
    }

    void stopEndsADelay()
    {
        TestHttpServer server;
        QVERIFY(server.Start());
        server.SetRoute(QStringLiteral("/slow"), "late");
        server.SetDelay(QStringLiteral("/slow"), 60000);
        QNetworkAccessManager manager;
        QNetworkRequest request{QUrl(server.Url(QStringLiteral("/slow")))};
        request.setTransferTimeout(200);
        QScopedPointer<QNetworkReply> reply(manager.get(request));
        QSignalSpy finished(reply.data(), &QNetworkReply::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
        QElapsedTimer timer;
        timer.start();
        server.Stop();
        QVERIFY(timer.elapsed() < 5000);
    }
};

QTEST_MAIN(TestSupportHttp)
#include "TestSupportHttp.moc"
