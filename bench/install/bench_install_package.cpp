// Installs one package through the launcher's own installer, headless, and reports how it went:
//   bench_install_package --server URL --version V --app-folder DIR
// URL is the update server's base ("http://127.0.0.1:port"); DIR receives the package folder. The
// package manager window and its back end are built as the launcher builds them (offscreen), the
// version is ticked and the job runs to its end. Prints the final status, the job's wall-clock time and
// the process's peak resident memory; exit code 0 only when the package ended up installed.

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassManagePackage.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace
{
// VmHWM of /proc/self/status in kB, or -1.
long PeakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
    {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n'))
    {
        if (line.startsWith("VmHWM:"))
        {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption(
        {QStringLiteral("server"), QStringLiteral("Update server base URL."), QStringLiteral("url")});
    parser.addOption({QStringLiteral("version"), QStringLiteral("Version to install."), QStringLiteral("v"),
                      QStringLiteral("9.9.9")});
    parser.addOption({QStringLiteral("app-folder"), QStringLiteral("Folder that receives the package."),
                      QStringLiteral("dir")});
    parser.process(application);
    const QString server = parser.value(QStringLiteral("server"));
    const QString version = parser.value(QStringLiteral("version"));
    const QString applicationFolder = parser.value(QStringLiteral("app-folder"));
    if (server.isEmpty() || applicationFolder.isEmpty())
    {
        parser.showHelp(2);
    }

    QTemporaryDir sessionsRoot;
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = applicationFolder;
    locations.sessionsRoot = sessionsRoot.path() + QStringLiteral("/");
    locations.catalogueUrl = server + QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini");
    CLASS_TARVO_VERSION_INFO versionInfo(locations);

    PACKAGE_MANAGER_OPTIONS options;
    options.packagesUrl = server + QStringLiteral("/~ftp-xml/tarvo4ksimulator/");
    options.probeUrl = server + QStringLiteral("/");
    options.progressHideDelayMs = 0;
    CLASS_MANAGE_PACKAGE* dialog = new CLASS_MANAGE_PACKAGE(&versionInfo);
    CLASS_PACKAGE_MANAGER_BACKEND backend(dialog, &versionInfo, nullptr, options);
    dialog->Attach(&backend);
    bool listed = false;
    for (int i = 0; i < dialog->PackageCount(); ++i)
    {
        listed = listed || dialog->PackageBox(i)->text() == version;
        dialog->PackageBox(i)->setChecked(dialog->PackageBox(i)->isChecked() ||
                                          dialog->PackageBox(i)->text() == version);
    }
    if (!listed)
    {
        std::fprintf(stderr, "bench_install_package: %s is not in the catalogue of %s\n", qPrintable(version),
                     qPrintable(server));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    backend.SLOT_UpdatePackages();
    const qint64 elapsedMs = timer.elapsed();
    const QString status = dialog->StatusText();
    const bool installed =
        QFileInfo(applicationFolder + QLatin1Char('/') + PackageFolderName(version)).isDir() &&
        status == QStringLiteral("Finished");
    std::printf("status: %s\njob: %lld ms\npeak resident: %ld kB\n", qPrintable(status),
                static_cast<long long>(elapsedMs), PeakResidentKb());
    delete dialog;
    return installed ? 0 : 1;
}
