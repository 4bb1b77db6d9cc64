#include "SystemProbes.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress(QHostAddress::LocalHost), 0);
    return probe.serverPort();
}

bool PortAnswers(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    return probe.waitForConnected(1000);
}

char ProcessState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
    {
        return 0;
    }
    // "pid (name) S ...": the state follows the name's closing parenthesis.
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    return (close < 0 || close + 2 >= line.size()) ? 0 : line.at(close + 2);
}

bool ProcessGone(qint64 pid)
{
    const char state = ProcessState(pid);
    return state == 0 || state == 'Z' || state == 'X';
}
