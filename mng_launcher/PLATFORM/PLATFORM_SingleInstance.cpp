#include "PLATFORM/PLATFORM_Platform.h"

#include "PLATFORM/PLATFORM_Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#ifdef Q_OS_WIN
#include <QSharedMemory>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace PLATFORM
{
#ifndef Q_OS_WIN
namespace
{
// Holds the locked file open; closing it releases the lock.
class LOCK_HOLDER : public QObject
{
public:
    LOCK_HOLDER(int lockedDescriptor, QObject* parent) : QObject(parent), descriptor(lockedDescriptor) {}
    ~LOCK_HOLDER() override { ::close(descriptor); }

private:
    int descriptor;
};

void PrintLockProblem(const QString& lockFile, const char* reason)
{
    std::fprintf(stderr, "Can't take the single-instance lock %s: %s\n",
                 QFile::encodeName(lockFile).constData(), reason);
    std::fflush(stderr);
}
} // namespace
#endif

bool TakeSingleInstanceLock(QObject* holder, const QString& key, const QString& lockFile)
{
#ifdef Q_OS_WIN
    Q_UNUSED(lockFile);
    // Windows removes the segment with its last holder, also after a crash.
    auto* segment = new QSharedMemory(key, holder);
    return segment->create(1, QSharedMemory::ReadWrite);
#else
    Q_UNUSED(key);
    QDir().mkpath(QFileInfo(lockFile).absolutePath());
    // O_CLOEXEC: a simulator started by the launcher, which may outlive it, must not inherit the lock.
    bool refused = false;
    const int descriptor = OpenOwnFile(lockFile, O_RDWR | O_CREAT, refused);
    if (descriptor < 0)
    {
        PrintLockProblem(lockFile, refused ? "not a plain file of this user" : std::strerror(errno));
        return false;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0)
    {
        if (errno != EWOULDBLOCK)
        {
            PrintLockProblem(lockFile, std::strerror(errno));
        }
        ::close(descriptor);
        return false;
    }
    new LOCK_HOLDER(descriptor, holder);
    return true;
#endif
}
} // namespace PLATFORM
