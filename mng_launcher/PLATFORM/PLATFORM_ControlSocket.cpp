#include "PLATFORM/PLATFORM_Files.h"
#include "PLATFORM/PLATFORM_Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace PLATFORM
{
namespace
{
#ifdef Q_OS_WIN
// A named pipe; the server's user access option restricts it to this user.
QString PipeName()
{
    return QCoreApplication::applicationName() + QStringLiteral(".control.") +
           qEnvironmentVariable("USERNAME");
}
#else
// The longest path a socket address holds (sun_path without its closing zero).
constexpr int SOCKET_PATH_MAX = int(sizeof(sockaddr_un::sun_path)) - 1;
constexpr qint64 RECORD_MAX_BYTES = 4096;

enum class PLACE_KIND
{
    Runtime, // $XDG_RUNTIME_DIR: the session's folder, only checked
    Cache,   // a private folder of the user's cache, made by the launcher
    Short,   // a private folder in /tmp, made by the launcher, for when the others are too long
};

struct PLACE
{
    PLACE_KIND kind;
    QString folder;
    QString path;
};

QString Application()
{
    return QCoreApplication::applicationName();
}

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void SetProblem(QString* problem, const QString& text)
{
    if (problem != nullptr)
    {
        *problem = text;
    }
}

bool Fits(const QString& path)
{
    return QFile::encodeName(path).size() <= SOCKET_PATH_MAX;
}

// A real folder (not a link) of this user that nobody else can enter: mode 0700. tighten: an own folder
// open to others is made 0700 (the launcher's own folders); otherwise it is refused.
bool IsPrivateFolder(const QString& folder, bool tighten, QString* problem)
{
    const int descriptor =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
    {
        SetProblem(problem, errno == ELOOP ? QStringLiteral("a link") : ErrnoText());
        return false;
    }
    struct stat status;
    bool usable = ::fstat(descriptor, &status) == 0 && status.st_uid == ::geteuid();
    if (!usable)
    {
        SetProblem(problem, QStringLiteral("belongs to another user"));
    }
    else if ((status.st_mode & 0777) != 0700 && !(tighten && ::fchmod(descriptor, 0700) == 0))
    {
        usable = false;
        SetProblem(problem, QStringLiteral("open to other users"));
    }
    ::close(descriptor);
    return usable;
}

QString CacheFolder()
{
    return PrivateCacheRoot() + QLatin1Char('/') + Application();
}

// Where the listening launcher writes the path of its socket, for commands whose environment lacks the
// runtime folder the launcher used (cron, ssh).
QString RecordPath()
{
    return CacheFolder() + QStringLiteral("/control.place");
}

// The places a launcher listens at, in the order it tries them; a path too long for a socket address is
// left out.
QList<PLACE> ServerPlaces()
{
    QList<PLACE> places;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime, false, nullptr))
    {
        places.append({PLACE_KIND::Runtime, runtime,
                       runtime + QLatin1Char('/') + Application() + QStringLiteral(".control")});
    }
    places.append({PLACE_KIND::Cache, CacheFolder(), CacheFolder() + QStringLiteral("/control")});
    // Not TMPDIR: a command must find it from any environment, and the point is a short path.
    const QString shortFolder = QStringLiteral("/tmp/%1-%2").arg(Application()).arg(::geteuid());
    places.append({PLACE_KIND::Short, shortFolder, shortFolder + QStringLiteral("/control")});
    QList<PLACE> fitting;
    for (const PLACE& place : places)
    {
        if (Fits(place.path))
        {
            fitting.append(place);
        }
    }
    return fitting;
}

// The socket path recorded by the launcher, when the record is a plain file of this user.
QString RecordedPlace()
{
    bool refused = false;
    const int descriptor = OpenOwnFile(RecordPath(), O_RDONLY, refused);
    if (descriptor < 0)
    {
        return QString();
    }
    QByteArray content(RECORD_MAX_BYTES, '\0');
    const ssize_t length = ::read(descriptor, content.data(), size_t(content.size()));
    ::close(descriptor);
    const QString path = QFile::decodeName(content.left(int(qMax<ssize_t>(length, 0))).trimmed());
    return path.startsWith(QLatin1Char('/')) && Fits(path) ? path : QString();
}

void RecordPlace(const QString& path)
{
    if (MakePrivateCacheFolder(Application(), nullptr) == PRIVATE_PLACE::Ready)
    {
        WriteNewPrivateFile(RecordPath(), QFile::encodeName(path) + '\n');
    }
}

// The runtime folder was checked when the places were listed; the launcher's own folders are made here.
bool PrepareFolder(const PLACE& place, QString* problem)
{
    if (place.kind == PLACE_KIND::Runtime)
    {
        return true;
    }
    const PRIVATE_PLACE made = place.kind == PLACE_KIND::Cache
                                   ? MakePrivateCacheFolder(Application(), nullptr, problem)
                                   : MakePrivateFolder(place.folder, problem);
    return made == PRIVATE_PLACE::Ready && IsPrivateFolder(place.folder, true, problem);
}

// True when a server accepts connections on the socket at native, or when that cannot be told.
bool SocketAnswers(const QByteArray& native)
{
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
    {
        return true;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()) + 1);
    const bool answers =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
        errno == EAGAIN || errno == EINPROGRESS;
    ::close(probe);
    return answers;
}

// Makes path free for a new socket: nothing there, or a socket of this user that nobody answers (left
// by a launcher that was killed; the single-instance lock is ours), which is removed. Anything else
// stays where it is.
bool ClearSocketPath(const QString& path, QString* problem)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status;
    if (::lstat(native.constData(), &status) != 0)
    {
        const bool free = errno == ENOENT;
        SetProblem(problem, ErrnoText());
        return free;
    }
    if (!S_ISSOCK(status.st_mode))
    {
        SetProblem(problem, S_ISLNK(status.st_mode)
                                ? QStringLiteral("a link is in the way")
                                : QStringLiteral("a file that is no socket is in the way"));
        return false;
    }
    if (status.st_uid != ::geteuid())
    {
        SetProblem(problem, QStringLiteral("another user's socket is in the way"));
        return false;
    }
    if (SocketAnswers(native))
    {
        SetProblem(problem, QStringLiteral("another server of this user listens there"));
        return false;
    }
    if (::unlink(native.constData()) != 0 && errno != ENOENT)
    {
        SetProblem(problem, ErrnoText());
        return false;
    }
    return true;
}

bool ListenAt(QLocalServer& server, const PLACE& place, QString* problem)
{
    if (!PrepareFolder(place, problem) || !ClearSocketPath(place.path, problem))
    {
        return false;
    }
    // No access option: Qt would move its socket into place with rename(), over whatever stands there.
    // The folder is private, and the socket becomes the user's alone before anyone could reach it.
    if (!server.listen(place.path))
    {
        SetProblem(problem, server.errorString());
        return false;
    }
    ::chmod(QFile::encodeName(place.path).constData(), 0600);
    return true;
}
#endif
} // namespace

QStringList ControlSocketCandidates()
{
#ifdef Q_OS_WIN
    return {PipeName()};
#else
    QStringList paths;
    const QList<PLACE> places = ServerPlaces();
    for (const PLACE& place : places)
    {
        paths.append(place.path);
    }
    // After the runtime folder's place (when this environment has one): the place the launcher recorded.
    const QString recorded = RecordedPlace();
    if (!recorded.isEmpty())
    {
        const bool runtimeFirst = !places.isEmpty() && places.first().kind == PLACE_KIND::Runtime;
        paths.insert(runtimeFirst ? 1 : 0, recorded);
    }
    paths.removeDuplicates();
    return paths;
#endif
}

QString ListenControlServer(QLocalServer& server, QStringList* problems)
{
#ifdef Q_OS_WIN
    const QString name = PipeName();
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(name))
    {
        QLocalServer::removeServer(name);
        if (!server.listen(name))
        {
            if (problems != nullptr)
            {
                problems->append(name + QStringLiteral(": ") + server.errorString());
            }
            return QString();
        }
    }
    return server.fullServerName();
#else
    for (const PLACE& place : ServerPlaces())
    {
        QString problem;
        if (ListenAt(server, place, &problem))
        {
            RecordPlace(place.path);
            return place.path;
        }
        if (problems != nullptr)
        {
            problems->append(place.path + QStringLiteral(": ") + problem);
        }
    }
    return QString();
#endif
}

bool IsControlServerListening(const QLocalServer& server)
{
#ifdef Q_OS_WIN
    return server.isListening();
#else
    struct stat status;
    return server.isListening() &&
           ::lstat(QFile::encodeName(server.fullServerName()).constData(), &status) == 0 &&
           S_ISSOCK(status.st_mode) && status.st_uid == ::geteuid();
#endif
}

qint64 PeerUid(qintptr socketDescriptor)
{
#ifdef Q_OS_WIN
    Q_UNUSED(socketDescriptor);
    return -1;
#else
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof(credentials))
    {
        return -1;
    }
    return qint64(credentials.uid);
#endif
}

bool EndSending(qintptr socketDescriptor)
{
#ifdef Q_OS_WIN
    Q_UNUSED(socketDescriptor);
    return false;
#else
    return ::shutdown(int(socketDescriptor), SHUT_WR) == 0;
#endif
}

bool IsOwnUser(qintptr socketDescriptor)
{
#ifdef Q_OS_WIN
    // The pipe admits this user only.
    Q_UNUSED(socketDescriptor);
    return true;
#else
    return PeerUid(socketDescriptor) == qint64(::geteuid());
#endif
}
} // namespace PLATFORM
