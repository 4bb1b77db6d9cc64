#include "QT_UPDATER/UPDATER_ClassUpdaterFromLocal.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QFile>
#include <QFileInfo>

namespace
{
const QString QUOTE = QStringLiteral("\"");
const QString CHECK_TAIL = QStringLiteral(" for updater new version verification!");
} // namespace

CLASS_UPDATER_FROM_LOCAL::CLASS_UPDATER_FROM_LOCAL(const QString& currentVersionText,
                                                   const QString& releaseFolderPath,
                                                   const QString& fileNamePrefix,
                                                   const QString& fileNameSuffix,
                                                   const QString& versionPattern,
                                                   const QString& versionSeparator, QObject* parent)
    : CLASS_ABSTRACT_UPDATER(currentVersionText, parent), releaseBinFolder(releaseFolderPath),
      fileNamePrefix(fileNamePrefix), fileNameSuffix(fileNameSuffix),
      versionPattern(versionPattern, Qt::CaseSensitive, QRegExp::RegExp), versionSeparator(versionSeparator)
{
}

CLASS_UPDATER_FROM_LOCAL::~CLASS_UPDATER_FROM_LOCAL() = default;

bool CLASS_UPDATER_FROM_LOCAL::CheckIfNewVersionIsAvailable()
{
    const QFileInfoList binaries =
        releaseBinFolder.entryInfoList(QStringList{fileNamePrefix + QLatin1Char('*') + fileNameSuffix},
                                       QDir::Files | QDir::Readable, QDir::Time);
    if (binaries.isEmpty())
    {
        TRACE_ERROR(QStringLiteral("No binaries available in release bin path ") + QUOTE +
                    releaseBinFolder.absolutePath() + QUOTE + CHECK_TAIL);
        return false;
    }
    bool found = false;
    for (const QFileInfo& binary : binaries)
    {
        QVersionNumber version;
        if (!VersionOfFileName(binary.fileName(), version))
        {
            TRACE_ERROR(QStringLiteral("No version found in file name ") + QUOTE + binary.fileName() + QUOTE +
                        CHECK_TAIL);
            continue;
        }
        VersionInfo info;
        info.version = version;
        info.versionName = binary.fileName();
        info.url = binary.absoluteFilePath();
        info.productId = 0;
        info.dev = -1;
        versions.insert(version, info);
        if (version > mostRecentVersion)
        {
            mostRecentVersion = version;
            mostRecentPath = binary.absoluteFilePath();
            found = true;
        }
    }
    emit SIGNAL_VersionCheckingFinished(true, found);
    return true;
}

bool CLASS_UPDATER_FROM_LOCAL::CopyMostRecentBinary(const QString& destinationFolder, const QString& fileName)
{
    CheckIfNewVersionIsAvailable();
    if (!(currentVersion < mostRecentVersion))
    {
        return false;
    }
    const QString problem = DestinationProblem(destinationFolder);
    if (!problem.isEmpty())
    {
        TRACE_ERROR(problem);
        return false;
    }
    const QString destination = destinationFolder + QDir::separator() + fileName;
    if (!QFile::copy(mostRecentPath, destination))
    {
        TRACE_ERROR(QStringLiteral("Failed to copy file : ") + mostRecentPath + QStringLiteral(" to ") +
                    destination);
        return false;
    }
    emit SIGNAL_BinaryDownloadFinished(true);
    return true;
}

bool CLASS_UPDATER_FROM_LOCAL::CopyBinary(const QVersionNumber& version, const QString& destinationFolder,
                                          const QString& fileName)
{
    if (!CheckIfNewVersionIsAvailable() || !versions.contains(version))
    {
        return false;
    }
    const QString problem = DestinationProblem(destinationFolder);
    if (!problem.isEmpty())
    {
        TRACE_ERROR(problem);
        return false;
    }
    const QString source = versions.value(version).url;
    const QString destination = destinationFolder + QDir::separator() + fileName;
    if (!QFile::copy(source, destination))
    {
        TRACE_ERROR(QStringLiteral("Failed to copy file : ") + source + QStringLiteral(" to ") + destination);
        return false;
    }
    return true;
}

bool CLASS_UPDATER_FROM_LOCAL::VersionOfFileName(const QString& fileName, QVersionNumber& version) const
{
    if (versionPattern.indexIn(fileName) < 0)
    {
        return false;
    }
    QString text = versionPattern.cap(0);
    // An empty separator would put a point between every character.
    if (!versionSeparator.isEmpty())
    {
        text.replace(versionSeparator, QStringLiteral("."));
    }
    version = QVersionNumber::fromString(text);
    return true;
}
