#include "ArchiveTestSupport.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace
{
constexpr quint32 LOCAL_HEADER = 0x04034b50;
constexpr quint32 CENTRAL_HEADER = 0x02014b50;
constexpr quint32 END_OF_CENTRAL = 0x06054b50;
constexpr quint16 VERSION_UNIX = 0x031e; // made by Unix, zip 3.0
constexpr quint16 VERSION_NEEDED = 20;
constexpr quint16 DOS_DATE = 0x21; // 1 January 1980
constexpr quint32 MODE_FILE = 0100644;
constexpr quint32 MODE_FOLDER = 0040755;
constexpr quint32 MODE_LINK = 0120777;

quint32 Crc32(const QByteArray& data)
{
    quint32 crc = 0xffffffffU;
    for (const char byte : data)
    {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
        {
            crc = (crc >> 1) ^ ((crc & 1U) != 0U ? 0xedb88320U : 0U);
        }
    }
    return ~crc;
}

// The fields that the local and the central header share, from "version needed" to the extra length.
void WriteCommonFields(QDataStream& out, const ZIP_ENTRY& entry, const QByteArray& name)
{
    const auto size = static_cast<quint32>(entry.data.size());
    out << VERSION_NEEDED << quint16(0) << quint16(0) << quint16(0) << DOS_DATE << Crc32(entry.data) << size
        << size << static_cast<quint16>(name.size()) << quint16(0);
}

quint32 Mode(const ZIP_ENTRY& entry)
{
    if (entry.link)
    {
        return MODE_LINK;
    }
    return entry.name.endsWith(QLatin1Char('/')) ? MODE_FOLDER : MODE_FILE;
}
} // namespace

bool WriteZip(const QString& path, const QList<ZIP_ENTRY>& entries)
{
    QByteArray archive;
    QByteArray central;
    QDataStream out(&archive, QIODevice::WriteOnly);
    QDataStream centralOut(&central, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    centralOut.setByteOrder(QDataStream::LittleEndian);
    for (const ZIP_ENTRY& entry : entries)
    {
        const QByteArray name = entry.name.toUtf8();
        const auto offset = static_cast<quint32>(archive.size());
        out << LOCAL_HEADER;
        WriteCommonFields(out, entry, name);
        out.writeRawData(name.constData(), name.size());
        out.writeRawData(entry.data.constData(), entry.data.size());

        centralOut << CENTRAL_HEADER << VERSION_UNIX;
        WriteCommonFields(centralOut, entry, name);
        centralOut << quint16(0) << quint16(0) << quint16(0) << (Mode(entry) << 16) << offset;
        centralOut.writeRawData(name.constData(), name.size());
    }
    const auto centralOffset = static_cast<quint32>(archive.size());
    out.writeRawData(central.constData(), central.size());
    const auto count = static_cast<quint16>(entries.size());
    out << END_OF_CENTRAL << quint16(0) << quint16(0) << count << count
        << static_cast<quint32>(central.size()) << centralOffset << quint16(0);
    return WriteFile(path, archive);
}

bool MakeSessionFolder(const QString& folder, const QString& name, int port)
{
    SESSION_SETTINGS_DATA data;
    data.deviceIndex = 2;
    data.port = port;
    data.versionText = QStringLiteral("3.1.51");
    data.name = name;
    data.description = QStringLiteral("Exported from rack 4\nsecond line");
    data.audioCard = 1;
    QDir dir;
    return dir.mkpath(folder + QStringLiteral("/tmp")) &&
           dir.mkpath(folder + QStringLiteral("/ZR_APPS/js")) &&
           WriteFile(folder + QStringLiteral("/ZR_APPS/index.html"), "<html>" + name.toUtf8() + "</html>") &&
           WriteFile(folder + QStringLiteral("/ZR_APPS/js/app.js"), QByteArray(20000, 'j')) &&
           CLASS_SESSION_SETTINGS::Write(folder, data);
}

QMap<QString, QByteArray> Tree(const QString& root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext())
    {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = base.relativeFilePath(path);
        if (info.isDir() && !info.isSymLink())
        {
            tree.insert(relative + QLatin1Char('/'), QByteArray());
        }
        else
        {
            tree.insert(relative, info.isSymLink() ? QByteArray("-> ") + info.symLinkTarget().toUtf8()
                                                   : ReadFile(path));
        }
    }
    return tree;
}

QByteArray RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
    {
        return QByteArray();
    }
    const QByteArray output = process.readAllStandardOutput();
    return output.isNull() ? QByteArray("") : output;
}

bool WriteScript(const QString& path, const QByteArray& body)
{
    if (!WriteFile(path, "#!/bin/sh\n" + body + "\n"))
    {
        return false;
    }
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
