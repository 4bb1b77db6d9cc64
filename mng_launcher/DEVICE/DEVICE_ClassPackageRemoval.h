#ifndef DEVICE_CLASSPACKAGEREMOVAL_H
#define DEVICE_CLASSPACKAGEREMOVAL_H

#include <QString>

class CLASS_PACKAGE_MANAGER_BACKEND;

// The removal of one package, a step of the installer's job: its folder goes from every place that holds
// it, in three steps shown with a short pause after each. A failure ends the job through the installer.
class CLASS_PACKAGE_REMOVAL
{
public:
    explicit CLASS_PACKAGE_REMOVAL(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // Removes version; false (the job stops) when a folder of it resisted.
    bool Remove(const QString& version);

private:
    // "Removing <package>" at value, then the pause; the wait runs a local event loop.
    void ShowStep(int value);

    CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGEREMOVAL_H
