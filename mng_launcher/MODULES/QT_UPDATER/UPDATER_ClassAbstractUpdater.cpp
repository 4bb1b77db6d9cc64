#include "QT_UPDATER/UPDATER_ClassAbstractUpdater.h"

#include <QFileInfo>

CLASS_ABSTRACT_UPDATER::CLASS_ABSTRACT_UPDATER(const QString& currentVersionText, QObject* parent)
    : QObject(parent), currentVersion(QVersionNumber::fromString(currentVersionText)),
      mostRecentVersion(currentVersion)
{
    // The result signals may travel through queued connections.
    qRegisterMetaType<Bool>("Bool");
}

CLASS_ABSTRACT_UPDATER::~CLASS_ABSTRACT_UPDATER() = default;

VersionInfo CLASS_ABSTRACT_UPDATER::GetMostRecentVersionInfo() const
{
    return versions.value(mostRecentVersion);
}

void CLASS_ABSTRACT_UPDATER::ResetVersions()
{
    mostRecentVersion = currentVersion;
    versions.clear();
}

QString CLASS_ABSTRACT_UPDATER::DestinationProblem(const QString& destinationFolder)
{
    if (destinationFolder.isEmpty())
    {
        return QStringLiteral("Invalid path.");
    }
    if (!QFileInfo(destinationFolder).isDir())
    {
        return QStringLiteral("Path given is not a directory (or doesn't even exist)");
    }
    return QString();
}
