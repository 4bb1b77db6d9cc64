#include "CLI/CLI_ClassControlServer.h"

#include "CLI/CLI_ClassCommandSet.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace
{
constexpr int WRITE_WAIT_MS = 2000;
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
    : QObject(parent), handler(handler), server(new QLocalServer(this))
{
    connect(server, &QLocalServer::newConnection, this, &CLASS_CONTROL_SERVER::OnNewConnection);
}

CLASS_CONTROL_SERVER::~CLASS_CONTROL_SERVER()
{
    server->close();
}

bool CLASS_CONTROL_SERVER::Listen()
{
    QStringList problems;
    const QString path = PLATFORM::ListenControlServer(*server, &problems);
    if (path.isEmpty())
    {
        TRACE_ERROR(QStringLiteral("Cannot listen on the control socket: ") +
                    problems.join(QStringLiteral("; ")));
        return false;
    }
    for (const QString& problem : problems)
    {
        TRACE_ERROR(QStringLiteral("Control socket place passed over: ") + problem);
    }
    return true;
}

QString CLASS_CONTROL_SERVER::Path() const
{
    return server->isListening() ? server->fullServerName() : QString();
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
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { OnReadyRead(socket); });
        if (socket->canReadLine())
        {
            OnReadyRead(socket);
        }
    }
}

void CLASS_CONTROL_SERVER::WriteLine(const QPointer<QLocalSocket>& socket, const QByteArray& line)
{
    if (socket.isNull() || socket->state() != QLocalSocket::ConnectedState)
    {
        return;
    }
    socket->write(line + '\n');
    socket->flush();
    socket->waitForBytesWritten(WRITE_WAIT_MS);
}

void CLASS_CONTROL_SERVER::OnReadyRead(QLocalSocket* socket)
{
    if (!socket->canReadLine())
    {
        if (socket->bytesAvailable() > MAX_REQUEST_BYTES)
        {
            socket->abort();
        }
        return;
    }
    const QJsonDocument request = QJsonDocument::fromJson(socket->readLine(MAX_REQUEST_BYTES).trimmed());
    // Each connection carries one request.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    const CLI_COMMAND command = CLASS_COMMAND_SET::FromJson(request.object());
    // A client that goes away while its command runs takes its socket with it (deleted from a nested
    // event loop of the command): every later use goes through this guard.
    const QPointer<QLocalSocket> guarded(socket);
    CLI_RESULT result;
    if (command.kind == CLI_COMMAND_KIND::None)
    {
        result = CLI_RESULT::Fail(EXIT_USAGE, QStringLiteral("The launcher did not understand the request."));
    }
    else if (CLASS_COMMAND_SET::IsReading(command.kind))
    {
        // Reading commands only read: they are answered also while another command works.
        result = handler(command, CLI_PROGRESS());
    }
    else if (busy)
    {
        result = CLI_RESULT::Fail(EXIT_REFUSED, QStringLiteral("The launcher is busy with another command."));
    }
    else
    {
        busy = true;
        const CLI_PROGRESS progress = [guarded](const QString& package, const QString& text, int value)
        {
            WriteLine(guarded, QJsonDocument(QJsonObject{{QStringLiteral("progress"), text},
                                                         {QStringLiteral("package"), package},
                                                         {QStringLiteral("value"), value}})
                                   .toJson(QJsonDocument::Compact));
        };
        TRACE_INFO(QStringLiteral("Command from the command line: --") +
                   CLASS_COMMAND_SET::KindName(command.kind));
        result = handler(command, progress);
        busy = false;
    }
    WriteLine(guarded, ResultLine(result));
    if (!guarded.isNull())
    {
        guarded->disconnectFromServer();
    }
}
