#ifndef DEVICE_CLASSPACKAGEINSTALLATION_H
#define DEVICE_CLASSPACKAGEINSTALLATION_H

#include <QString>

class CLASS_PACKAGE_MANAGER_BACKEND;

// The installation of one package, a step of the installer's job: the folder it goes to, its archive
// (downloaded into the user's private downloads folder, or a file given), the archive's check, its
// extraction, and the record of how it was verified. A failure ends the job through the installer.
class CLASS_PACKAGE_INSTALLATION
{
public:
    explicit CLASS_PACKAGE_INSTALLATION(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // Downloads the archive of version from the server and installs it; false when the job must stop.
    bool InstallDownloaded(const QString& version);
    // Installs the archive file archivePath for version, checked against archivePath + ".sha256" when that
    // file exists.
    bool InstallFile(const QString& archivePath, const QString& version);

private:
    // The program's folder when writable, else the user's package folder; false (job failed) when neither.
    bool ChooseInstallFolder();
    // Makes the private downloads folder; false (job failed) when it cannot be made.
    bool OpenDownloadsFolder(QString& folder);
    // Remembers how the archive of the package just installed was verified.
    void RecordTrust(const QString& version);

    CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGEINSTALLATION_H
