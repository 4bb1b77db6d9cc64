// The input-replay program of a fuzz target, for compilers without libFuzzer: runs the target once on
// every file given, or on every file of every folder given (sorted by name, not recursive). It ends with
// the status of the first input that breaks a property (the target aborts), so a test can replay the
// kept crash inputs and the seed corpus in the ordinary build.

#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace
{
bool Replay(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
    {
        std::fprintf(stderr, "cannot read %s\n", qUtf8Printable(path));
        return false;
    }
    const QByteArray content = file.readAll();
    std::printf("replaying %s (%d bytes)\n", qUtf8Printable(path), int(content.size()));
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(content.constData()), size_t(content.size()));
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    bool allRead = true;
    for (int i = 1; i < argc; ++i)
    {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const QFileInfo info(argument);
        if (!info.isDir())
        {
            allRead = Replay(argument) && allRead;
            replayed += 1;
            continue;
        }
        const QFileInfoList entries = QDir(argument).entryInfoList(QDir::Files, QDir::Name);
        for (const QFileInfo& entry : entries)
        {
            allRead = Replay(entry.absoluteFilePath()) && allRead;
            replayed += 1;
        }
    }
    std::printf("%d input(s) replayed\n", replayed);
    return allRead ? 0 : 1;
}
