#include "TracesTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace TracesTest
{
QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Lines(const QString& path)
{
    QStringList lines = QString::fromUtf8(ReadAll(path)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
    {
        lines.removeLast();
    }
    return lines;
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

bool SetImmutable(const QString& path, bool immutable)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (descriptor < 0)
    {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (done)
    {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(descriptor);
    return done;
}

StandardErrorCapture::StandardErrorCapture()
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/stderr-XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open())
    {
        return;
    }
    capturePath = file.fileName();
    file.close();
    std::fflush(stderr);
    savedDescriptor = ::dup(STDERR_FILENO);
    const int target = ::open(QFile::encodeName(capturePath).constData(), O_WRONLY | O_TRUNC);
    ::dup2(target, STDERR_FILENO);
    ::close(target);
}

StandardErrorCapture::~StandardErrorCapture()
{
    Restore();
}

QString StandardErrorCapture::Text()
{
    Restore();
    return captured;
}

void StandardErrorCapture::Restore()
{
    if (savedDescriptor < 0)
    {
        return;
    }
    std::fflush(stderr);
    ::dup2(savedDescriptor, STDERR_FILENO);
    ::close(savedDescriptor);
    savedDescriptor = -1;
    captured = QString::fromUtf8(ReadAll(capturePath));
    QFile::remove(capturePath);
}
} // namespace TracesTest
