#include "PLATFORM/PLATFORM_Platform.h"

#include "PLATFORM/PLATFORM_ClassDesktopOpener.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{
// The program a test put in the place of xdg-open; empty: xdg-open.
QString& DesktopOpenerStandIn()
{
    static QString program;
    return program;
}
} // namespace

namespace PLATFORM
{
bool OpenWithDesktopOpener(const QString& address, const OPENER_DONE& done, int timeLimitMs)
{
#ifdef Q_OS_WIN
    Q_UNUSED(address)
    Q_UNUSED(done)
    Q_UNUSED(timeLimitMs)
    return false;
#else
    const QString program =
        DesktopOpenerStandIn().isEmpty() ? QStringLiteral("xdg-open") : DesktopOpenerStandIn();
    // The application object holds the opener until it has ended, so that no object of it outlives the
    // launcher (the opener itself goes on running).
    auto* opener = new CLASS_DESKTOP_OPENER(program, timeLimitMs, done, QCoreApplication::instance());
    opener->Open(address);
    return true;
#endif
}

void SetDesktopOpenerProgram(const QString& program)
{
    DesktopOpenerStandIn() = program;
}

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
