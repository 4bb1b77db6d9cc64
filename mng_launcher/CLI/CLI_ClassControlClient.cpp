#include "CLI/CLI_ClassControlClient.h"

#include "CLI/CLI_ClassCommandSet.h"
#include "CLI/CLI_ClassControlServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

CLASS_CONTROL_CLIENT::OUTCOME CLASS_CONTROL_CLIENT::Send(const CLI_COMMAND& command, CLI_RESULT& result,
                                                         const CLI_PROGRESS& progress)
{
    const QString path = CLASS_CONTROL_SERVER::SocketPath();
    if (path.isEmpty())
    {
        return OUTCOME::NoLauncher;
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(CONNECT_LIMIT_MS))
    {
        return OUTCOME::NoLauncher;
    }
    socket.write(QJsonDocument(CLASS_COMMAND_SET::ToJson(command)).toJson(QJsonDocument::Compact) + '\n');
    socket.flush();
    while (true)
    {
        while (socket.canReadLine())
        {
            const QJsonObject line = QJsonDocument::fromJson(socket.readLine().trimmed()).object();
            if (line.contains(QStringLiteral("progress")))
            {
                progress(line.value(QStringLiteral("package")).toString(),
                         line.value(QStringLiteral("progress")).toString(),
                         line.value(QStringLiteral("value")).toInt(-1));
                continue;
            }
            result.exitCode = line.value(QStringLiteral("exit")).toInt(EXIT_FAILED);
            result.output = line.value(QStringLiteral("output")).toString();
            result.error = line.value(QStringLiteral("error")).toString();
            return OUTCOME::Answered;
        }
        if (socket.state() != QLocalSocket::ConnectedState || !socket.waitForReadyRead(INACTIVITY_LIMIT_MS))
        {
            if (socket.canReadLine())
            {
                continue;
            }
            const bool gone = socket.state() != QLocalSocket::ConnectedState;
            result =
                CLI_RESULT::Fail(EXIT_FAILED, gone ? QStringLiteral("The launcher ended before it answered.")
                                                   : QStringLiteral("The launcher did not answer for %1 s.")
                                                         .arg(INACTIVITY_LIMIT_MS / 1000));
            return OUTCOME::Lost;
        }
    }
}
