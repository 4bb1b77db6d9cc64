#ifndef DEVICE_CLASSPACKAGEEXTRACTION_H
#define DEVICE_CLASSPACKAGEEXTRACTION_H

#include <QString>

class CLASS_PACKAGE_MANAGER_BACKEND;

// The extraction step of the package installer: unpacks a downloaded package archive into the job's install
// folder (beside the launcher, or the user's package folder) with the extractor program, on a thread of the
// global pool while the installer's window stays live, and removes a partly extracted package. Failures set
// the job's status and reason.
class CLASS_PACKAGE_EXTRACTION
{
public:
    explicit CLASS_PACKAGE_EXTRACTION(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // False when the archive of version was refused or could not be extracted.
    bool ExtractArchive(const QString& archivePath, const QString& version);

    // Extracts a package archive into the job's install folder with the extractor program of backend, on a
    // thread of the global pool. The archive's entries are checked first: an entry that would land outside
    // the package's own folder refuses the whole archive. Returns why it failed, for the user: the archive
    // was refused, or the extractor did not start, did not end in time or reported a failure; empty when
    // the package was extracted.
    static QString ExtractPackage(const QString& archivePath, CLASS_PACKAGE_MANAGER_BACKEND* backend);

private:
    CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGEEXTRACTION_H
