#ifndef DEVICE_CLASSPACKAGEREFRESH_H
#define DEVICE_CLASSPACKAGEREFRESH_H

class CLASS_PACKAGE_MANAGER_BACKEND;

// Brings the installer's window up to date: when it opens, with what is installed and whether the server
// answers; on the user's Refresh, with the catalogue downloaded again.
class CLASS_PACKAGE_REFRESH
{
public:
    explicit CLASS_PACKAGE_REFRESH(CLASS_PACKAGE_MANAGER_BACKEND& backend);

    // Ticks the installed packages, marks the signed ones, shows whether the server is reachable, and closes
    // the window when the catalogue needs a newer launcher.
    void ShowInstalled();
    // Downloads the catalogue and shows its packages, ticked as installed, and how the download went. The
    // wait runs a local event loop.
    void FetchCatalogue();

private:
    CLASS_PACKAGE_MANAGER_BACKEND& backend;
};

#endif // DEVICE_CLASSPACKAGEREFRESH_H
