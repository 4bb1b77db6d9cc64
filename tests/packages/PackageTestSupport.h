#ifndef TESTS_PACKAGETESTSUPPORT_H
#define TESTS_PACKAGETESTSUPPORT_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

// Helpers of the package suites: real zip archives made with the zip tool, small scripts standing in
// for the extractor, and a raw HTTP answer without a announced length.

inline bool WriteTestFile(const QString& path, const QByteArray& content, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
    {
        return false;
    }
    file.close();
    if (executable)
    {
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    }
    return true;
}

inline QByteArray ReadTestFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Builds a package archive the way the update server holds them: the package folder with its simulator
// program and session resources at the top level. extraPaths (relative to the folder that holds the
// package folder, may start with "../") are created as files and added to the archive as they are named.
inline QByteArray BuildPackageArchive(const QString& folderName,
                                      const QStringList& extraPaths = QStringList(), int extraFiles = 0)
{
    QTemporaryDir work;
    const QString root = work.path() + QStringLiteral("/pkg");
    const QString package = root + QLatin1Char('/') + folderName;
    WriteTestFile(package + QStringLiteral("/bin/ZR_APP_SIMULATOR"), "#!/bin/sh\nexit 0\n", true);
    WriteTestFile(package + QStringLiteral("/ressources/ZR_APPS/index.html"),
                  "<html>" + folderName.toUtf8() + "</html>");
    for (int i = 0; i < extraFiles; ++i)
    {
        WriteTestFile(package + QStringLiteral("/ressources/file_%1.txt").arg(i), QByteArray::number(i));
    }
    // An extra "-> target" is stored as the symbolic link ressources/outside to target, inside the package.
    QStringList extraEntries;
    for (const QString& extra : extraPaths)
    {
        if (extra.startsWith(QStringLiteral("-> ")))
        {
            QFile::link(extra.mid(3), package + QStringLiteral("/ressources/outside"));
            continue;
        }
        WriteTestFile(root + QLatin1Char('/') + extra, "outside");
        extraEntries << extra;
    }
    QProcess zip;
    zip.setWorkingDirectory(root);
    zip.start(QStringLiteral("zip"),
              QStringList{QStringLiteral("-qry"), QStringLiteral("../out.zip"), folderName} + extraEntries);
    if (!zip.waitForFinished(30000) || zip.exitCode() != 0)
    {
        qWarning() << "zip failed:" << zip.readAllStandardError();
        return QByteArray();
    }
    return ReadTestFile(work.path() + QStringLiteral("/out.zip"));
}

// Signs file with the real minisign and a secret key without a password; the signature goes to
// file + ".minisig". False when minisign failed.
inline bool SignWithMinisign(const QString& secretKey, const QString& file, const QString& trustedComment)
{
    QProcess minisign;
    minisign.start(QStringLiteral("minisign"),
                   {QStringLiteral("-S"), QStringLiteral("-s"), secretKey, QStringLiteral("-m"), file,
                    QStringLiteral("-t"), trustedComment});
    if (!minisign.waitForFinished(30000) || minisign.exitCode() != 0)
    {
        qWarning() << "minisign failed:" << minisign.readAllStandardError();
        return false;
    }
    return true;
}

// A one-shot HTTP server that answers every request with a body and no Content-Length: the client
// learns the size only when the connection closes (total -1 in the progress reports).
class UnannouncedLengthServer : public QObject
{
public:
    explicit UnannouncedLengthServer(const QByteArray& body) : body(body)
    {
        server.listen(QHostAddress::LocalHost);
        connect(
            &server, &QTcpServer::newConnection, this,
            [this]()
            {
                QTcpSocket* socket = server.nextPendingConnection();
                connect(
                    socket, &QTcpSocket::readyRead, socket,
                    [this, socket]()
                    {
                        const QByteArray request =
                            socket->property("request").toByteArray() + socket->readAll();
                        socket->setProperty("request", request);
                        if (!request.contains("\r\n\r\n"))
                        {
                            return; // the client has not finished its request yet
                        }
                        if (request.left(request.indexOf('\n')).contains(".sha256 "))
                        {
                            socket->write(
                                "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                        }
                        else
                        {
                            socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Type: "
                                          "application/zip\r\n\r\n");
                            socket->write(this->body);
                        }
                        socket->disconnectFromHost();
                    });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            });
    }
    QString Url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }

private:
    QTcpServer server;
    QByteArray body;
};

#endif // TESTS_PACKAGETESTSUPPORT_H
