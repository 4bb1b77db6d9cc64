#ifndef TESTS_FAULTSUPPORT_H
#define TESTS_FAULTSUPPORT_H

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <functional>

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every entry below folder with its kind and, for files, a digest of the content (relative paths, sorted):
// two equal snapshots mean that nothing in the tree was lost or changed.
inline QStringList TreeSnapshot(const QString& folder)
{
    QStringList entries;
    const QDir root(folder);
    const std::function<void(const QString&)> walk = [&](const QString& path)
    {
        const QFileInfoList children = QDir(path).entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& child : children)
        {
            const QString name = root.relativeFilePath(child.filePath());
            if (child.isSymLink())
            {
                entries << name + QStringLiteral(" -> ") + child.symLinkTarget();
            }
            else if (child.isDir())
            {
                entries << name + QStringLiteral("/");
                walk(child.filePath());
            }
            else if (!child.isFile())
            {
                entries << name + QStringLiteral(" (special)"); // a pipe or socket is never read
            }
            else
            {
                entries << name + QLatin1Char(' ') +
                               QString::fromLatin1(QCryptographicHash::hash(FileBytes(child.filePath()),
                                                                            QCryptographicHash::Md5)
                                                       .toHex());
            }
        }
    };
    walk(folder);
    return entries;
}

#endif // TESTS_FAULTSUPPORT_H
