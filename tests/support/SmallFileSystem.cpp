#include "SmallFileSystem.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace
{
const char* const FILLER = "/filler";
}

SMALL_FILE_SYSTEM::SMALL_FILE_SYSTEM(int kibibytes)
{
    if (!folder.isValid())
    {
        problem = QStringLiteral("no temporary folder");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0755";
    mounted =
        ::mount("tmpfs", QFile::encodeName(folder.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    if (!mounted)
    {
        problem = QStringLiteral("mounting a small tmpfs was refused (%1): run as root to test a full disk")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
}

SMALL_FILE_SYSTEM::~SMALL_FILE_SYSTEM()
{
    if (mounted)
    {
        ::umount2(QFile::encodeName(folder.path()).constData(), MNT_DETACH);
    }
}

bool SMALL_FILE_SYSTEM::FillUp()
{
    const int descriptor = ::open(QFile::encodeName(folder.path() + QLatin1String(FILLER)).constData(),
                                  O_WRONLY | O_CREAT, 0600);
    if (descriptor < 0)
    {
        return false;
    }
    const QByteArray block(4096, 'f');
    bool full = false;
    while (!full)
    {
        // Whole blocks first, then single bytes, until nothing more fits.
        const ssize_t written = ::write(descriptor, block.constData(), size_t(block.size()));
        if (written < block.size())
        {
            while (::write(descriptor, "f", 1) == 1)
            {
            }
            full = errno == ENOSPC;
            break;
        }
    }
    ::close(descriptor);
    return full;
}

bool SMALL_FILE_SYSTEM::FreeUp()
{
    return QFile::remove(folder.path() + QLatin1String(FILLER));
}
