#include "PLATFORM/PLATFORM_Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PLATFORM
{
namespace
{
QString WithoutTrailingSlash(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && (trimmed.endsWith(QLatin1Char('/')) || trimmed.endsWith(QLatin1Char('\\'))))
    {
        trimmed.chop(1);
    }
    return trimmed;
}

void SetProblem(QString* problem, const QString& text)
{
    if (problem != nullptr)
    {
        *problem = text;
    }
}

#ifndef Q_OS_WIN
QByteArray Native(const QString& path)
{
    return QFile::encodeName(WithoutTrailingSlash(path));
}

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Empties the folder open as folderDescriptor (taken over and closed here), entry by entry, never
// following a link. True when it is empty afterwards.
bool EmptyFolder(int folderDescriptor)
{
    DIR* folder = ::fdopendir(folderDescriptor);
    if (folder == nullptr)
    {
        ::close(folderDescriptor);
        return false;
    }
    bool allRemoved = true;
    while (const dirent* entry = ::readdir(folder))
    {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        {
            continue;
        }
        struct stat status;
        if (::fstatat(::dirfd(folder), name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        {
            allRemoved = false;
            continue;
        }
        if (S_ISDIR(status.st_mode))
        {
            const int child =
                ::openat(::dirfd(folder), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            allRemoved = child >= 0 && EmptyFolder(child) &&
                         ::unlinkat(::dirfd(folder), name, AT_REMOVEDIR) == 0 && allRemoved;
        }
        else
        {
            allRemoved = ::unlinkat(::dirfd(folder), name, 0) == 0 && allRemoved;
        }
    }
    ::closedir(folder);
    return allRemoved;
}

bool WriteAll(int descriptor, const QByteArray& data)
{
    qint64 done = 0;
    while (done < data.size())
    {
        const ssize_t written = ::write(descriptor, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR)
        {
            continue;
        }
        if (written <= 0)
        {
            return false;
        }
        done += written;
    }
    return true;
}
#endif
} // namespace

#ifndef Q_OS_WIN
int OpenOwnFile(const QString& path, int flags, bool& refused)
{
    refused = false;
    // O_NONBLOCK: a pipe in the file's place must not block the open.
    const int descriptor =
        ::open(Native(path).constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (descriptor < 0)
    {
        refused = errno == ELOOP;
        return -1;
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
    {
        refused = true;
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}
#endif

PRIVATE_PLACE OpenPrivateFile(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
#ifdef Q_OS_WIN
    if (IsLink(path) || QFileInfo(path).isDir())
    {
        return PRIVATE_PLACE::Refused;
    }
    file.setFileName(path);
    return file.open(mode) ? PRIVATE_PLACE::Ready : PRIVATE_PLACE::Failed;
#else
    int flags = O_RDONLY;
    if (mode.testFlag(QIODevice::WriteOnly))
    {
        flags = (mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY) | O_CREAT;
        flags |= mode.testFlag(QIODevice::Append) ? O_APPEND : 0;
        flags |= mode.testFlag(QIODevice::Truncate) ? O_TRUNC : 0;
    }
    bool refused = false;
    const int descriptor = OpenOwnFile(path, flags, refused);
    if (descriptor < 0)
    {
        return refused ? PRIVATE_PLACE::Refused : PRIVATE_PLACE::Failed;
    }
    // O_NONBLOCK served the open only: reads and writes of the file wait as usual.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(descriptor, mode, QFileDevice::AutoCloseHandle))
    {
        ::close(descriptor);
        return PRIVATE_PLACE::Failed;
    }
    return PRIVATE_PLACE::Ready;
#endif
}

bool IsLink(const QString& path)
{
    const QFileInfo info(WithoutTrailingSlash(path));
#ifdef Q_OS_WIN
    return info.isSymLink() || info.isJunction();
#else
    return info.isSymLink();
#endif
}

bool IsOwnFolder(const QString& path)
{
#ifdef Q_OS_WIN
    return !IsLink(path) && QFileInfo(path).isDir();
#else
    struct stat status;
    return ::lstat(Native(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid();
#endif
}

bool RenameReplacing(const QString& source, const QString& target)
{
#ifdef Q_OS_WIN
    // No replacing rename here: the old file goes just before the new one takes its place.
    const QFileInfo existing(target);
    if (existing.isDir() && !IsLink(target))
    {
        return false;
    }
    if ((existing.exists() || IsLink(target)) && !QFile::remove(target))
    {
        return false;
    }
    return QFile::rename(source, target);
#else
    // rename(2) replaces a file or a link at target atomically and refuses a folder there.
    return ::rename(Native(source).constData(), Native(target).constData()) == 0;
#endif
}

bool RemoveTree(const QString& path)
{
#ifdef Q_OS_WIN
    const QString target = WithoutTrailingSlash(path);
    if (IsLink(target))
    {
        return QFile::remove(target) || QDir().rmdir(target);
    }
    const QFileInfo info(target);
    if (!info.exists())
    {
        return true;
    }
    return info.isDir() ? QDir(target).removeRecursively() : QFile::remove(target);
#else
    const QByteArray target = Native(path);
    struct stat status;
    if (::lstat(target.constData(), &status) != 0)
    {
        return errno == ENOENT;
    }
    if (!S_ISDIR(status.st_mode))
    {
        return ::unlink(target.constData()) == 0;
    }
    const int folder = ::open(target.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return folder >= 0 && EmptyFolder(folder) && ::rmdir(target.constData()) == 0;
#endif
}

bool RemoveFolder(const QString& path)
{
    const bool folderOrLink = IsLink(path) || QFileInfo(path).isDir();
    return !folderOrLink || RemoveTree(path);
}

QString PrivateCacheRoot()
{
#ifdef Q_OS_WIN
    return QDir::tempPath();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
#endif
}

PRIVATE_PLACE MakePrivateFolder(const QString& path, QString* problem)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (IsLink(path) || (info.exists() && !info.isDir()))
    {
        SetProblem(problem, QStringLiteral("not a folder"));
        return PRIVATE_PLACE::Refused;
    }
    return QDir().mkpath(path) ? PRIVATE_PLACE::Ready : PRIVATE_PLACE::Failed;
#else
    const QByteArray native = Native(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
    {
        SetProblem(problem, ErrnoText());
        return PRIVATE_PLACE::Failed;
    }
    if (IsLink(path))
    {
        SetProblem(problem, QStringLiteral("a link"));
        return PRIVATE_PLACE::Refused;
    }
    const int folder = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
    {
        // A link put in its place since the check above is refused; a file there cannot become the folder.
        const bool refused = errno == ELOOP;
        SetProblem(problem, refused ? QStringLiteral("a link") : ErrnoText());
        return refused ? PRIVATE_PLACE::Refused : PRIVATE_PLACE::Failed;
    }
    struct stat status;
    PRIVATE_PLACE result = PRIVATE_PLACE::Ready;
    if (::fstat(folder, &status) != 0 || status.st_uid != ::geteuid())
    {
        SetProblem(problem, QStringLiteral("belongs to another user"));
        result = PRIVATE_PLACE::Refused;
    }
    else if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && ::fchmod(folder, status.st_mode & 0700) != 0)
    {
        SetProblem(problem, ErrnoText());
        result = PRIVATE_PLACE::Failed;
    }
    ::close(folder);
    return result;
#endif
}

PRIVATE_PLACE MakePrivateCacheFolder(const QString& relative, QString* path, QString* problem)
{
    QString folder = WithoutTrailingSlash(PrivateCacheRoot());
    if (path != nullptr)
    {
        *path = folder;
    }
    const bool existed = QFileInfo::exists(folder);
    if (folder.isEmpty() || !QDir().mkpath(folder))
    {
        SetProblem(problem, QStringLiteral("no cache folder"));
        return PRIVATE_PLACE::Failed;
    }
#ifndef Q_OS_WIN
    // A cache folder made here is private, as the XDG base directory rules ask; an existing one keeps
    // the permissions its owner gave it.
    if (!existed)
    {
        ::chmod(Native(folder).constData(), 0700);
    }
#else
    Q_UNUSED(existed);
#endif
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
    {
        folder += QLatin1Char('/') + part;
        if (path != nullptr)
        {
            *path = folder;
        }
        const PRIVATE_PLACE made = MakePrivateFolder(folder, problem);
        if (made != PRIVATE_PLACE::Ready)
        {
            return made;
        }
    }
    return PRIVATE_PLACE::Ready;
}

QString PrivatePageFolder()
{
#ifdef Q_OS_WIN
    return QDir::tempPath();
#else
    QString folder;
    const PRIVATE_PLACE made =
        MakePrivateCacheFolder(QStringLiteral("vaDevazade/") + QCoreApplication::applicationName(), &folder);
    return made == PRIVATE_PLACE::Ready ? folder : QString();
#endif
}

PRIVATE_PLACE AppendToPrivateFile(const QString& path, const QByteArray& data)
{
#ifdef Q_OS_WIN
    if (IsLink(path))
    {
        return PRIVATE_PLACE::Refused;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
    {
        return PRIVATE_PLACE::Failed;
    }
    const qint64 length = file.size();
    if (file.write(data) != data.size() || !file.flush())
    {
        file.resize(length);
        return PRIVATE_PLACE::Failed;
    }
    return PRIVATE_PLACE::Ready;
#else
    bool refused = false;
    const int descriptor = OpenOwnFile(path, O_WRONLY | O_APPEND | O_CREAT, refused);
    if (descriptor < 0)
    {
        return refused ? PRIVATE_PLACE::Refused : PRIVATE_PLACE::Failed;
    }
    struct stat status;
    PRIVATE_PLACE result = PRIVATE_PLACE::Ready;
    if (::fstat(descriptor, &status) != 0)
    {
        result = PRIVATE_PLACE::Failed;
    }
    else if (!WriteAll(descriptor, data))
    {
        // The line goes whole or not at all: a fragment would glue itself to the next line.
        const int truncated = ::ftruncate(descriptor, status.st_size);
        Q_UNUSED(truncated);
        result = PRIVATE_PLACE::Failed;
    }
    ::close(descriptor);
    return result;
#endif
}

bool WriteNewPrivateFile(const QString& path, const QByteArray& content)
{
#ifdef Q_OS_WIN
    if (QFile::exists(path) && !IsLink(path))
    {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadOther | QFileDevice::WriteOther);
    }
#endif
    if (!RemoveTree(path))
    {
        return false;
    }
#ifdef Q_OS_WIN
    QFile file(path);
    if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.flush())
    {
        file.remove();
        return false;
    }
    return true;
#else
    bool refused = false;
    // O_EXCL: the file is the one created here, whatever appeared in its place meanwhile.
    const int descriptor = OpenOwnFile(path, O_WRONLY | O_CREAT | O_EXCL, refused);
    if (descriptor < 0)
    {
        return false;
    }
    const bool written = WriteAll(descriptor, content);
    ::close(descriptor);
    if (!written)
    {
        ::unlink(Native(path).constData());
    }
    return written;
#endif
}
} // namespace PLATFORM
