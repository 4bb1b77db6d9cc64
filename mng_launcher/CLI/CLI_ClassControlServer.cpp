#include "CLI/CLI_ClassControlServer.h"

#include "CLI/CLI_ClassCommandSet.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

namespace
{
// A request is one short line; anything longer is not a client of ours.
constexpr qint64 MAX_REQUEST_BYTES = 64 * 1024;

QByteArray ResultLine(const CLI_RESULT& result)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("exit"), result.exitCode},
                                     {QStringLiteral("output"), result.output},
                                     {QStringLiteral("error"), result.error}})
        .toJson(QJsonDocument::Compact);
}
} // namespace

CLASS_CONTROL_SERVER::CLASS_CONTROL_SERVER(const HANDLER& handler, QObject* parent)
    : QObject(parent), handler(handler), server(new QLocalServer(this)), relisten(new QTimer(this))
{
    relisten->setInterval(RELISTEN_INTERVAL_MS);
    connect(server, &QLocalServer::newConnection, this, &CLASS_CONTROL_SERVER::OnNewConnection);
    connect(relisten, &QTimer::timeout, this, &CLASS_CONTROL_SERVER::KeepListening);
}

CLASS_CONTROL_SERVER::~CLASS_CONTROL_SERVER()
{
    relisten->stop();
    server->close();
}

bool CLASS_CONTROL_SERVER::Listen()
{
    relisten->start();
    if (Listening())
    {
        return true;
    }
    // A server whose socket Qt closed after a failure keeps its name until it is closed.
    server->close();
    QStringList problems;
    const QString path = PLATFORM::ListenControlServer(*server, &problems);
    if (path.isEmpty())
    {
        if (!outage)
        {
            TRACE_ERROR(QStringLiteral("Cannot listen on the control socket: ") +
                        problems.join(QStringLiteral("; ")));
        }
        outage = true;
        return false;
    }
    for (const QString& problem : problems)
    {
        TRACE_ERROR(QStringLiteral("Control socket place passed over: ") + problem);
    }
    if (outage)
    {
        TRACE_INFO(QStringLiteral("The control socket listens again at ") + path);
    }
    outage = false;
    return true;
}

QString CLASS_CONTROL_SERVER::Path() const
{
    return Listening() ? server->fullServerName() : QString();
}

bool CLASS_CONTROL_SERVER::Listening() const
{
    return PLATFORM::IsControlServerListening(*server);
}

void CLASS_CONTROL_SERVER::KeepListening()
{
    if (Listening())
    {
        return;
    }
    if (!outage)
    {
        TRACE_ERROR(QStringLiteral("The control socket stopped listening: ") + server->errorString());
        outage = true;
    }
    Listen();
}

void CLASS_CONTROL_SERVER::OnNewConnection()
{
    while (QLocalSocket* socket = server->nextPendingConnection())
    {
        const qintptr descriptor = socket->socketDescriptor();
        if (!PLATFORM::IsOwnUser(descriptor))
        {
            TRACE_ERROR(QStringLiteral("Control socket: a client of user id %1 was turned away")
                            .arg(PLATFORM::PeerUid(descriptor)));
            Drop(socket);
        }
        else if (connections >= MAX_CONNECTIONS)
        {
            Refuse(socket, QStringLiteral("The launcher has too many open connections; try again."));
        }
        else
        {
            Adopt(socket);
        }
    }
}

void CLASS_CONTROL_SERVER::Adopt(QLocalSocket* socket)
{
    ++connections;
    connect(socket, &QObject::destroyed, this, [this]() { --connections; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Whatever the client sends beyond its request waits in the system's buffer, not in ours.
    socket->setReadBufferSize(MAX_REQUEST_BYTES + 1);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket]() { Drop(socket); });
    connect(socket, &QLocalSocket::readyRead, this,
            [this, socket, deadline]() { OnReadyRead(socket, deadline); });
    deadline->start(timeLimitMs);
}

void CLASS_CONTROL_SERVER::Refuse(QLocalSocket* socket, const QString& why) const
{
    socket->write(ResultLine(CLI_RESULT::Fail(EXIT_REFUSED, why)) + '\n');
    socket->flush();
    if (!PLATFORM::EndSending(socket->socketDescriptor()))
    {
        Drop(socket);
        return;
    }
    // The client reads the refusal and the end, then goes; its request is read and thrown away meanwhile,
    // so that the close resets nothing. One that stays is dropped at the time limit.
    connect(socket, &QLocalSocket::readyRead, socket, [socket]() { socket->readAll(); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(timeLimitMs, socket, [socket]() { Drop(socket); });
}

void CLASS_CONTROL_SERVER::Drop(QLocalSocket* socket)
{
    socket->abort();
    socket->deleteLater();
}

void CLASS_CONTROL_SERVER::WriteLine(const QPointer<QLocalSocket>& socket, const QByteArray& line)
{
    if (socket.isNull() || socket->state() != QLocalSocket::ConnectedState)
    {
        return;
    }
    // What the system takes now; the rest goes from the event loop, without waiting for the client.
    socket->write(line + '\n');
    socket->flush();
    if (socket->bytesToWrite() > MAX_UNREAD_ANSWER_BYTES)
    {
        Drop(socket.data());
    }
}

void CLASS_CONTROL_SERVER::OnReadyRead(QLocalSocket* socket, QTimer* deadline)
{
    const QByteArray start = socket->peek(MAX_REQUEST_BYTES + 1);
    const int end = start.indexOf('\n');
    if (end < 0)
    {
        if (start.size() > MAX_REQUEST_BYTES)
        {
            Drop(socket);
        }
        return;
    }
    // Each connection carries one request.
    deadline->stop();
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    const QJsonDocument request = QJsonDocument::fromJson(socket->read(end + 1).trimmed());
    // A client that goes away while its command runs takes its socket with it (deleted from a nested
    // event loop of the command): every later use goes through this guard.
    const QPointer<QLocalSocket> guarded(socket);
    WriteLine(guarded, ResultLine(Run(CLASS_COMMAND_SET::FromJson(request.object()), guarded)));
    if (!guarded.isNull())
    {
        // Closes once the answer is out; a client that does not take it is dropped after the limit.
        deadline->start(timeLimitMs);
        guarded->disconnectFromServer();
    }
}

CLI_RESULT CLASS_CONTROL_SERVER::Run(const CLI_COMMAND& command, const QPointer<QLocalSocket>& socket)
{
    if (command.kind == CLI_COMMAND_KIND::None)
    {
        return CLI_RESULT::Fail(EXIT_USAGE, QStringLiteral("The launcher did not understand the request."));
    }
    if (CLASS_COMMAND_SET::IsReading(command.kind))
    {
        // Reading commands only read: they are answered also while another command works.
        return handler(command, CLI_PROGRESS());
    }
    if (busy)
    {
        return CLI_RESULT::Fail(EXIT_REFUSED, QStringLiteral("The launcher is busy with another command."));
    }
    busy = true;
    const CLI_PROGRESS progress = [socket](const QString& package, const QString& text, int value)
    {
        WriteLine(socket, QJsonDocument(QJsonObject{{QStringLiteral("progress"), text},
                                                    {QStringLiteral("package"), package},
                                                    {QStringLiteral("value"), value}})
                              .toJson(QJsonDocument::Compact));
    };
    TRACE_INFO(QStringLiteral("Command from the command line: --") +
               CLASS_COMMAND_SET::KindName(command.kind));
    const CLI_RESULT result = handler(command, progress);
    busy = false;
    return result;
}
