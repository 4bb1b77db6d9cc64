#include "PLATFORM/PLATFORM_Platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace PLATFORM
{
QString SimulatorProgramPath(const QString& packageFolder)
{
    const QString program = packageFolder + QStringLiteral("/bin/ZR_APP_SIMULATOR");
#ifdef Q_OS_WIN
    // The program text is quoted so that a package folder with blanks stays one program on the command line.
    return QLatin1Char('"') + program + QLatin1Char('"');
#else
    // QProcess hands the path to exec as it is: quotes would become part of the file name.
    return program;
#endif
}

QString ArchiveToolProgram(const QString& folder, const QString& toolName)
{
#ifdef Q_OS_WIN
    // zip.exe and unzip.exe ship beside the launcher.
    return folder + QLatin1Char('/') + toolName + QStringLiteral(".exe");
#else
    const QFileInfo beside(folder + QLatin1Char('/') + toolName);
    if (beside.isFile() && beside.isExecutable())
    {
        return beside.filePath();
    }
    const QString fromPath = QStandardPaths::findExecutable(toolName);
    // Not found at all: the bare name lets QProcess report the failure to start.
    return fromPath.isEmpty() ? toolName : fromPath;
#endif
}

QString ZipProgram()
{
    return ArchiveToolProgram(ApplicationFolder(), QStringLiteral("zip"));
}

QString UnzipProgram()
{
    return ArchiveToolProgram(ApplicationFolder(), QStringLiteral("unzip"));
}

QString PackageArchiveFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Windows");
#else
    return QStringLiteral("Linux");
#endif
}

QString ApplicationFolder()
{
    return QCoreApplication::applicationDirPath();
}
} // namespace PLATFORM
