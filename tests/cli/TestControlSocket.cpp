#include "CLI/CLI_ClassCommandSet.h"
#include "CLI/CLI_ClassControlClient.h"
#include "CLI/CLI_ClassControlServer.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// The server's time limit for request lines in this suite.
constexpr int TIME_LIMIT_MS = 1500;
// The longest any step may take.
constexpr int WAIT_MS = 10000;
// Answers that carry no exit code.
constexpr int NO_ANSWER = -1;   // the connection was closed without a result line
constexpr int NO_LAUNCHER = -2; // the command client found no server of this user
constexpr int TIMED_OUT = -3;   // the command client did not come back
// Bytes a process of the other user reports; below these, a count of bytes.
constexpr unsigned char READY = 251;
constexpr unsigned char NOBODY_CAME = 252;
constexpr unsigned char NOT_CONNECTED = 253;
constexpr unsigned char FAILED = 255;

// What each row does besides its request.
enum SETUP
{
    Plain,                // nothing
    IdleClient,           // a client connects and sends nothing
    ManyIdle,             // more idle clients than the server takes
    OutOfDescriptors,     // the process runs out of file descriptors, so the server stops listening
    StaleSocket,          // a socket of this user that nobody answers lies at the runtime place
    PlantedFile,          // a plain file (another user's when running as root) lies there
    PlantedLink,          // a link to a file lies there
    RuntimeOpen,          // the runtime folder is open to others (0755)
    RuntimeOfAnother,     // the runtime folder belongs to another user
    RuntimeTooLong,       // the runtime folder's path is too long for a socket address
    ClientWithoutRuntime, // the command runs without XDG_RUNTIME_DIR
    StrangerServer,       // another user's server listens at the runtime place
    StrangerClient,       // another user's process sends the request
};

bool NeedsRoot(int setup)
{
    return setup == RuntimeOfAnother || setup == StrangerServer || setup == StrangerClient;
}

// The other user of the rows that need one, and a process of it.
uid_t strangerUid = 65534;
gid_t strangerGid = 65534;

sockaddr_un Address(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(qMin(native.size(), 107)));
    return address;
}

// In a forked child from here on: system calls only.
unsigned char CountUntilEnd(int descriptor)
{
    int count = 0;
    char buffer[256];
    pollfd waiting{descriptor, POLLIN, 0};
    while (::poll(&waiting, 1, WAIT_MS) == 1)
    {
        const ssize_t got = ::read(descriptor, buffer, sizeof(buffer));
        if (got <= 0)
        {
            break;
        }
        count += int(got);
    }
    return static_cast<unsigned char>(qMin(count, 250));
}

void Report(int descriptor, unsigned char byte)
{
    const ssize_t written = ::write(descriptor, &byte, 1);
    Q_UNUSED(written);
}

// Another user's server at address: reports READY, then how many bytes its first client sent.
unsigned char ServeAsStranger(const sockaddr_un& address, int report)
{
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0 || ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, 8) != 0)
    {
        return FAILED;
    }
    Report(report, READY);
    pollfd waiting{listener, POLLIN, 0};
    if (::poll(&waiting, 1, WAIT_MS) != 1)
    {
        return NOBODY_CAME;
    }
    const int connection = ::accept(listener, nullptr, nullptr);
    return connection < 0 ? FAILED : CountUntilEnd(connection);
}

// Another user's client: sends request to address and reports how many bytes of answer it got.
unsigned char AskAsStranger(const sockaddr_un& address, const QByteArray& request)
{
    const int connection = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection < 0 ||
        ::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    {
        return NOT_CONNECTED;
    }
    const ssize_t written = ::write(connection, request.constData(), size_t(request.size()));
    Q_UNUSED(written);
    return CountUntilEnd(connection);
}
// (end of what a forked child runs)

int ExitOf(const QByteArray& line)
{
    const QJsonObject answer = QJsonDocument::fromJson(line.trimmed()).object();
    return answer.contains(QStringLiteral("exit")) ? answer.value(QStringLiteral("exit")).toInt() : NO_ANSWER;
}

// A plain connection to path that has sent line (possibly nothing).
std::unique_ptr<QLocalSocket> Connect(const QString& path, const QByteArray& line = QByteArray())
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(path);
    if (!line.isEmpty() && socket->state() == QLocalSocket::ConnectedState)
    {
        socket->write(line);
        socket->flush();
    }
    return socket;
}

// The exit code of the result line a connection receives, or NO_ANSWER when it is closed without one.
int AnswerOf(QLocalSocket& socket)
{
    const bool ended = QTest::qWaitFor(
        [&socket]() { return socket.canReadLine() || socket.state() == QLocalSocket::UnconnectedState; },
        WAIT_MS);
    if (socket.canReadLine())
    {
        return ExitOf(socket.readLine());
    }
    return ended ? NO_ANSWER : TIMED_OUT;
}

// The command client, on a thread of its own as a command runs in a process of its own, while this
// thread's event loop serves: the exit code of the answer to --status.
int SendCommand()
{
    QFuture<int> reply = QtConcurrent::run(
        []()
        {
            CLI_COMMAND command;
            command.kind = CLI_COMMAND_KIND::Status;
            CLI_RESULT result;
            const CLASS_CONTROL_CLIENT::OUTCOME outcome =
                CLASS_CONTROL_CLIENT::Send(command, result, [](const QString&, const QString&, int) {});
            if (outcome == CLASS_CONTROL_CLIENT::OUTCOME::NoLauncher)
            {
                return NO_LAUNCHER;
            }
            return outcome == CLASS_CONTROL_CLIENT::OUTCOME::Answered ? result.exitCode : NO_ANSWER;
        });
    if (!QTest::qWaitFor([&reply]() { return reply.isFinished(); }, WAIT_MS))
    {
        return TIMED_OUT;
    }
    return reply.result();
}

int OpenDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
}

bool Own(const QString& path, uid_t uid, gid_t gid)
{
    return ::lchown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

bool SetMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

QByteArray Content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

// The launcher's control socket: where it listens, whom it serves, and that no client makes it deaf.
class TestControlSocket : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString runtime;
    int handled = 0;
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    pid_t stranger = -1;
    int strangerReport = -1;
    bool shortFolderExisted = false;

    QString RuntimeSocket() const
    {
        return runtime + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".control");
    }

    QString PlaceOf(const QString& path) const
    {
        if (path.startsWith(runtime + QLatin1Char('/')))
        {
            return QStringLiteral("runtime");
        }
        return path.startsWith(PLATFORM::PrivateCacheRoot() + QLatin1Char('/')) ? QStringLiteral("cache")
                                                                                : path;
    }

    static QString ShortFolder()
    {
        return QStringLiteral("/tmp/%1-%2").arg(QCoreApplication::applicationName()).arg(::geteuid());
    }

    // Starts a process of the other user that runs body and reports through a pipe. Only system calls
    // happen in it.
    bool StartStranger(const std::function<unsigned char(int report)>& body)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
        {
            return false;
        }
        const pid_t child = ::fork();
        if (child == 0)
        {
            const bool other =
                ::setgroups(0, nullptr) == 0 && ::setgid(strangerGid) == 0 && ::setuid(strangerUid) == 0;
            Report(ends[1], other ? body(ends[1]) : FAILED);
            ::_exit(0);
        }
        ::close(ends[1]);
        if (child < 0)
        {
            ::close(ends[0]);
            return false;
        }
        stranger = child;
        strangerReport = ends[0];
        return true;
    }

    // The next byte the stranger reports, served by the event loop meanwhile; -1 when none comes.
    int StrangerSays()
    {
        pollfd waiting{strangerReport, POLLIN, 0};
        if (!QTest::qWaitFor([&waiting]() { return ::poll(&waiting, 1, 0) == 1; }, WAIT_MS))
        {
            return -1;
        }
        unsigned char byte = 0;
        return ::read(strangerReport, &byte, 1) == 1 ? byte : -1;
    }

    void EndStranger()
    {
        if (stranger > 0)
        {
            ::kill(stranger, SIGKILL);
            ::waitpid(stranger, nullptr, 0);
            ::close(strangerReport);
        }
        stranger = -1;
        strangerReport = -1;
    }

    // Another user's server, listening at the runtime place before the launcher's server starts.
    void PlantStrangerServer()
    {
        const QString own = folder->filePath(QStringLiteral("stranger"));
        QVERIFY(QDir().mkpath(own) && Own(own, strangerUid, strangerGid));
        QVERIFY(SetMode(folder->path(), 0711));
        const sockaddr_un address = Address(own + QStringLiteral("/s"));
        QVERIFY(StartStranger([address](int report) { return ServeAsStranger(address, report); }));
        QCOMPARE(StrangerSays(), int(READY));
        QVERIFY(::rename(address.sun_path, QFile::encodeName(RuntimeSocket()).constData()) == 0);
    }

    // What lies at the runtime place (or is wrong with the runtime folder) before the server starts.
    void Arrange(int setup)
    {
        const QString target = folder->filePath(QStringLiteral("target"));
        switch (setup)
        {
        case StaleSocket:
        {
            const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_un address = Address(RuntimeSocket());
            QVERIFY(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0);
            ::close(socket);
            break;
        }
        case PlantedFile:
            QVERIFY(PLATFORM::WriteNewPrivateFile(RuntimeSocket(), "planted"));
            QVERIFY(::geteuid() != 0 || Own(RuntimeSocket(), strangerUid, strangerGid));
            break;
        case PlantedLink:
            QVERIFY(PLATFORM::WriteNewPrivateFile(target, "target"));
            QVERIFY(QFile::link(target, RuntimeSocket()));
            break;
        case RuntimeOpen:
            QVERIFY(SetMode(runtime, 0755));
            break;
        case RuntimeOfAnother:
            QVERIFY(Own(runtime, strangerUid, strangerGid));
            break;
        case RuntimeTooLong:
            runtime = folder->filePath(QString(110, QLatin1Char('r')));
            QVERIFY(QDir().mkpath(runtime) && SetMode(runtime, 0700));
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
            break;
        case StrangerServer:
            PlantStrangerServer();
            break;
        default:
            break;
        }
    }

    // Opens more connections than the server takes: those beyond its cap are refused at once.
    void OpenManyIdle(const QString& path)
    {
        const int extra = 8;
        for (int i = 0; i < CLASS_CONTROL_SERVER::MAX_CONNECTIONS + extra; ++i)
        {
            idle.push_back(Connect(path));
        }
        const auto refused = [this]()
        {
            int count = 0;
            for (const auto& socket : idle)
            {
                count += socket->canReadLine() && ExitOf(socket->peek(4096)) == EXIT_REFUSED ? 1 : 0;
            }
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(refused(), extra, WAIT_MS);
    }

    // Takes every free descriptor with connections, so that the server's next accept fails and Qt closes
    // it; then gives them back and waits for the server to listen again.
    void RunOutOfDescriptors(CLASS_CONTROL_SERVER& server)
    {
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        rlimit low = saved;
        low.rlim_cur = rlim_t(OpenDescriptors() + 2);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        std::vector<std::unique_ptr<QLocalSocket>> taking;
        while (taking.size() < 16 &&
               (taking.empty() || taking.back()->state() != QLocalSocket::UnconnectedState))
        {
            taking.push_back(Connect(server.Path()));
        }
        const bool stopped = QTest::qWaitFor([&server]() { return server.Path().isEmpty(); }, WAIT_MS);
        taking.clear();
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
        QVERIFY2(stopped, "the server's accept never failed");
        QTRY_VERIFY_WITH_TIMEOUT(!server.Path().isEmpty(), WAIT_MS);
    }

    // What happens once the server listens, before the request.
    void Disturb(int setup, CLASS_CONTROL_SERVER& server)
    {
        switch (setup)
        {
        case IdleClient:
            idle.push_back(Connect(server.Path()));
            break;
        case ManyIdle:
            OpenManyIdle(server.Path());
            break;
        case OutOfDescriptors:
            RunOutOfDescriptors(server);
            break;
        case ClientWithoutRuntime:
            qunsetenv("XDG_RUNTIME_DIR");
            break;
        case StrangerClient:
        {
            // Past the private folder, so that only the server's own check stands in the way.
            QVERIFY(SetMode(folder->path(), 0711) && SetMode(runtime, 0711) && SetMode(server.Path(), 0666));
            const sockaddr_un address = Address(server.Path());
            CLI_COMMAND command;
            command.kind = CLI_COMMAND_KIND::Status;
            const QByteArray request =
                QJsonDocument(CLASS_COMMAND_SET::ToJson(command)).toJson(QJsonDocument::Compact) + '\n';
            QVERIFY(StartStranger([address, request](int) { return AskAsStranger(address, request); }));
            break;
        }
        default:
            break;
        }
    }

    // The request: the stranger's, a plain line, or else the command client's.
    int Ask(int setup, const CLASS_CONTROL_SERVER& server, const QByteArray& line)
    {
        if (setup == StrangerClient)
        {
            const int received = StrangerSays();
            return received == 0 ? NO_ANSWER : received < 0 ? TIMED_OUT : received;
        }
        if (!line.isEmpty())
        {
            const std::unique_ptr<QLocalSocket> socket = Connect(server.Path(), line);
            return AnswerOf(*socket);
        }
        return SendCommand();
    }

    // What must hold after the request.
    void Check(int setup)
    {
        switch (setup)
        {
        case IdleClient:
        case ManyIdle:
            for (const auto& socket : idle)
            {
                QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, WAIT_MS);
            }
            break;
        case PlantedFile:
            QCOMPARE(Content(RuntimeSocket()), QByteArray("planted"));
            break;
        case PlantedLink:
            QCOMPARE(QFileInfo(RuntimeSocket()).symLinkTarget(), folder->filePath(QStringLiteral("target")));
            QCOMPARE(Content(folder->filePath(QStringLiteral("target"))), QByteArray("target"));
            break;
        case StrangerServer:
            // The command met the stranger first, and said nothing to it.
            QCOMPARE(StrangerSays(), 0);
            QVERIFY(QFileInfo(RuntimeSocket()).exists());
            break;
        case StrangerClient:
            QCOMPARE(handled, 0);
            QVERIFY(SetMode(runtime, 0700));
            break;
        default:
            break;
        }
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (const passwd* nobody = ::getpwnam("nobody"))
        {
            strangerUid = nobody->pw_uid;
            strangerGid = nobody->pw_gid;
        }
        shortFolderExisted = QFileInfo::exists(ShortFolder());
    }

    void cleanupTestCase()
    {
        // The short place is only ever made when every other place failed (while descriptors ran out).
        if (!shortFolderExisted)
        {
            PLATFORM::RemoveTree(ShortFolder());
        }
    }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        runtime = folder->filePath(QStringLiteral("runtime"));
        const QString home = folder->filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(runtime) && QDir().mkpath(home) && SetMode(runtime, 0700));
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder->filePath(QStringLiteral("cache"))));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        handled = 0;
    }

    void cleanup()
    {
        idle.clear();
        EndStranger();
        folder.reset();
    }

    void Request_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QByteArray>("line");   // sent over a plain connection; empty: the command client
        QTest::addColumn<int>("answer");        // the answer's exit code, or NO_ANSWER
        QTest::addColumn<QString>("listensAt"); // "runtime" or "cache"

        const QString atRuntime = QStringLiteral("runtime");
        const QString atCache = QStringLiteral("cache");
        QTest::newRow("command") << int(Plain) << QByteArray() << int(EXIT_DONE) << atRuntime;
        QTest::newRow("malformed JSON")
            << int(Plain) << QByteArray("{\"command\": \"status\"\n") << int(EXIT_USAGE) << atRuntime;
        QTest::newRow("oversized line") << int(Plain) << QByteArray(100 * 1024, 'x') + '\n'
                                        << NO_ANSWER << atRuntime;
        QTest::newRow("idle client, others served")
            << int(IdleClient) << QByteArray() << int(EXIT_DONE) << atRuntime;
        QTest::newRow("many idle connections")
            << int(ManyIdle) << QByteArray() << int(EXIT_REFUSED) << atRuntime;
        QTest::newRow("descriptors ran out")
            << int(OutOfDescriptors) << QByteArray() << int(EXIT_DONE) << atRuntime;
        QTest::newRow("stale socket of ours")
            << int(StaleSocket) << QByteArray() << int(EXIT_DONE) << atRuntime;
        QTest::newRow("planted file") << int(PlantedFile) << QByteArray() << int(EXIT_DONE) << atCache;
        QTest::newRow("planted link") << int(PlantedLink) << QByteArray() << int(EXIT_DONE) << atCache;
        QTest::newRow("runtime folder open to others")
            << int(RuntimeOpen) << QByteArray() << int(EXIT_DONE) << atCache;
        QTest::newRow("runtime folder of another user")
            << int(RuntimeOfAnother) << QByteArray() << int(EXIT_DONE) << atCache;
        QTest::newRow("runtime path too long")
            << int(RuntimeTooLong) << QByteArray() << int(EXIT_DONE) << atCache;
        QTest::newRow("command without XDG_RUNTIME_DIR")
            << int(ClientWithoutRuntime) << QByteArray() << int(EXIT_DONE) << atRuntime;
        QTest::newRow("server of another user at the path")
            << int(StrangerServer) << QByteArray() << int(EXIT_DONE) << atCache;
        QTest::newRow("client of another user")
            << int(StrangerClient) << QByteArray() << NO_ANSWER << atRuntime;
    }

    // One request against a real server with a stand-in handler; afterwards a command is still answered.
    void Request()
    {
        QFETCH(int, setup);
        QFETCH(QByteArray, line);
        QFETCH(int, answer);
        QFETCH(QString, listensAt);
        if (NeedsRoot(setup) && ::geteuid() != 0)
        {
            QSKIP("Needs root: the row gives a folder, a server or a client to another user (nobody).");
        }
        Arrange(setup);
        if (QTest::currentTestFailed())
        {
            return;
        }
        CLASS_CONTROL_SERVER server(
            [this](const CLI_COMMAND& command, const CLI_PROGRESS&)
            {
                ++handled;
                return CLI_RESULT::Done(CLASS_COMMAND_SET::KindName(command.kind));
            });
        server.SetTimeLimit(TIME_LIMIT_MS);
        QVERIFY(server.Listen());
        QCOMPARE(PlaceOf(server.Path()), listensAt);
        Disturb(setup, server);
        if (QTest::currentTestFailed())
        {
            return;
        }
        QCOMPARE(Ask(setup, server, line), answer);
        Check(setup);
        if (QTest::currentTestFailed())
        {
            return;
        }
        QCOMPARE(SendCommand(), int(EXIT_DONE));
    }
};

QTEST_GUILESS_MAIN(TestControlSocket)
#include "TestControlSocket.moc"
