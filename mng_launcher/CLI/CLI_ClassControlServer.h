#ifndef CLI_CLASSCONTROLSERVER_H
#define CLI_CLASSCONTROLSERVER_H

#include "CLI/CLI_CommandTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// The launcher's control socket: commands run from a shell reach the launcher that runs for this user
// (its window, or a session run without a window) through it. A QLocalServer at the first usable place of
// PLATFORM::ControlSocketCandidates() (a private folder, the socket 0600); a client of another user is
// turned away unheard. One request per connection: a JSON line with the command; the answer is zero or more
// progress lines and one result line. One acting command at a time: one that arrives while another runs is
// refused; reading commands are always answered.
class CLASS_CONTROL_SERVER : public QObject
{
    Q_OBJECT

public:
    using HANDLER = std::function<CLI_RESULT(const CLI_COMMAND&, const CLI_PROGRESS&)>;

    explicit CLASS_CONTROL_SERVER(const HANDLER& handler, QObject* parent = nullptr);
    ~CLASS_CONTROL_SERVER() override;

    // Listens at the first usable place. Only the holder of the single-instance lock calls this: a socket
    // of this user that nobody answers is a leftover of a launcher that ended without closing it and is
    // removed. False (logged) when no place can be used.
    bool Listen();

    // While busy, every request is refused (the process works on a command of its own).
    void SetBusy(bool on) { busy = on; }

    // Where it listens; "" while it does not.
    QString Path() const;

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);
    static void WriteLine(const QPointer<QLocalSocket>& socket, const QByteArray& line);

    HANDLER handler;
    QLocalServer* server;
    bool busy = false;
};

#endif // CLI_CLASSCONTROLSERVER_H
