#include "CLI/CLI_ClassControlClient.h"

#include "CLI/CLI_ClassCommandSet.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

bool CLASS_CONTROL_CLIENT::ConnectToLauncher(QLocalSocket& socket)
{
    const QStringList places = PLATFORM::ControlSocketCandidates();
    for (const QString& path : places)
    {
        socket.connectToServer(path);
        // Nothing goes to a server of another user, whatever stands at the path.
        if (socket.waitForConnected(CONNECT_LIMIT_MS) && PLATFORM::IsOwnUser(socket.socketDescriptor()))
        {
            return true;
        }
        socket.abort();
    }
    return false;
}

CLASS_CONTROL_CLIENT::OUTCOME CLASS_CONTROL_CLIENT::Send(const CLI_COMMAND& command, CLI_RESULT& result,
                                                         const CLI_PROGRESS& progress)
{
    QLocalSocket socket;
    if (!ConnectToLauncher(socket))
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
