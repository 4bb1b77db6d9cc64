#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace
{
QTemporaryDir* folder = nullptr;

void RemoveFolder()
{
    delete folder;
    folder = nullptr;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Qt keeps the references to argc and argv: both must outlive the application object, as libFuzzer's do.
    static QCoreApplication application(*argc, *argv);
    QStandardPaths::setTestModeEnabled(true);
    return 0;
}

namespace FUZZ
{
void Check(bool condition, const char* property, const QString& detail)
{
    if (condition)
    {
        return;
    }
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n%s\n", property, detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

QString TemporaryFolder()
{
    if (folder == nullptr)
    {
        folder = new QTemporaryDir();
        Check(folder->isValid(), "a temporary folder can be created", folder->errorString());
        std::atexit(RemoveFolder);
    }
    return folder->path();
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(content) == content.size() && file.flush();
    Check(written, "the input file can be written", path + QStringLiteral(": ") + file.errorString());
}

QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
}

QStringList Lines(const QByteArray& input, int maxParts)
{
    QStringList parts;
    const QList<QByteArray> pieces = input.split('\n');
    for (const QByteArray& piece : pieces)
    {
        if (parts.size() == maxParts)
        {
            break;
        }
        parts.append(QString::fromUtf8(piece));
    }
    return parts;
}
} // namespace FUZZ
