#ifndef CLI_CLASSCONTROLSERVER_H
#define CLI_CLASSCONTROLSERVER_H

#include "CLI/CLI_CommandTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;
class QTimer;

// The launcher's control socket: commands run from a shell reach the launcher that runs for this user
// (its window, or a session run without a window) through it. A QLocalServer at the first usable place of
// PLATFORM::ControlSocketCandidates() (a private folder, the socket 0600); a client of another user is
// turned away unheard. One request per connection: a JSON line with the command; the answer is zero or
// more progress lines and one result line. One acting command at a time: one that arrives while another
// runs is refused; reading commands are always answered.
// No client can make the window deaf or slow: the request line must come within a time limit, open
// connections are capped, answers are written without waiting for the client, and a server that stopped
// listening (descriptors ran out, for instance) listens again.
class CLASS_CONTROL_SERVER : public QObject
{
    Q_OBJECT

public:
    using HANDLER = std::function<CLI_RESULT(const CLI_COMMAND&, const CLI_PROGRESS&)>;

    // Connections open at once; one more is refused at once.
    static constexpr int MAX_CONNECTIONS = 32;
    // A request line must arrive within this time; an answer its client does not take within this time
    // after the result is dropped.
    static constexpr int TIME_LIMIT_MS = 5000;
    // A client that leaves this much of its answer unread is dropped.
    static constexpr qint64 MAX_UNREAD_ANSWER_BYTES = 1024 * 1024;
    // How often a server that stopped listening tries again.
    static constexpr int RELISTEN_INTERVAL_MS = 1000;

    explicit CLASS_CONTROL_SERVER(const HANDLER& handler, QObject* parent = nullptr);
    ~CLASS_CONTROL_SERVER() override;

    // Listens at the first usable place, from now on also again whenever listening stops. Only the holder
    // of the single-instance lock calls this: a socket of this user that nobody answers is a leftover of
    // a launcher that ended without closing it and is removed. False (logged) when no place can be used.
    bool Listen();

    // While busy, every acting request is refused (the process works on a command of its own).
    void SetBusy(bool on) { busy = on; }

    // Where it listens; "" while it does not.
    QString Path() const;

    // The time limit for request lines and unread answers (TIME_LIMIT_MS unless set).
    void SetTimeLimit(int milliseconds) { timeLimitMs = milliseconds; }

private:
    void OnNewConnection();
    void Adopt(QLocalSocket* socket);
    void OnReadyRead(QLocalSocket* socket, QTimer* deadline);
    CLI_RESULT Run(const CLI_COMMAND& command, const QPointer<QLocalSocket>& socket);
    bool Listening() const;
    void KeepListening();
    void Refuse(QLocalSocket* socket, const QString& why) const;
    static void Drop(QLocalSocket* socket);
    static void WriteLine(const QPointer<QLocalSocket>& socket, const QByteArray& line);

    HANDLER handler;
    QLocalServer* server;
    QTimer* relisten;
    int connections = 0;
    int timeLimitMs = TIME_LIMIT_MS;
    bool busy = false;
    // Listening failed or stopped, and that was logged.
    bool outage = false;
};

#endif // CLI_CLASSCONTROLSERVER_H
