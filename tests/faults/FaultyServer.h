#ifndef TESTS_FAULTYSERVER_H
#define TESTS_FAULTYSERVER_H

#include "TestHttpServer.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <memory>

// The ways an update server fails that the launcher must live through.
enum class SERVER_FAULT
{
    Refused,   // nothing listens on the port any more
    Slow,      // the answer comes only after the client's time limit
    Stalls,    // the body starts, then no byte comes for longer than the limit
    Status500, // "500 Internal Server Error" with a body
    CutShort,  // the whole length is announced, the connection closes half way
};
Q_DECLARE_METATYPE(SERVER_FAULT)

// One server per fault: serves body at path with the fault applied and hands out the URL to ask.
// slowMs must exceed the client's limit; the server gives up its delays when it stops.
class FAULTY_SERVER
{
public:
    bool Start(SERVER_FAULT fault, const QString& path, const QByteArray& body, int slowMs)
    {
        server = std::make_unique<TestHttpServer>();
        if (!server->Start())
        {
            return false;
        }
        url = server->Url(path);
        switch (fault)
        {
        case SERVER_FAULT::Refused:
            server->Stop();
            break;
        case SERVER_FAULT::Slow:
            server->SetRoute(path, body);
            server->SetDelay(path, slowMs);
            break;
        case SERVER_FAULT::Stalls:
            server->SetRoute(path, body);
            server->SetChunked(path, qMax(1, body.size() / 4), slowMs);
            break;
        case SERVER_FAULT::Status500:
            server->SetRoute(path, "internal error", 500, QStringLiteral("text/plain"));
            break;
        case SERVER_FAULT::CutShort:
            server->SetRoute(path, body);
            server->SetTruncated(path, body.size() / 2);
            break;
        }
        return true;
    }
    QString Url() const { return url; }
    // A server (on a new port) that answers the path with the body as it is.
    bool Heal(const QString& path, const QByteArray& body)
    {
        server = std::make_unique<TestHttpServer>();
        if (!server->Start())
        {
            return false;
        }
        server->SetRoute(path, body);
        url = server->Url(path);
        return true;
    }
    TestHttpServer* Server() const { return server.get(); }

private:
    std::unique_ptr<TestHttpServer> server;
    QString url;
};

#endif // TESTS_FAULTYSERVER_H
