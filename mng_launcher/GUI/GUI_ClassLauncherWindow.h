#ifndef GUI_CLASSLAUNCHERWINDOW_H
#define GUI_CLASSLAUNCHERWINDOW_H

#include "GUI/GUI_ClassAboutWindow.h"
#include "GUI/GUI_ClassAbstractGui.h"
#include "ZR_Types.h"

#include <QMainWindow>

#include <memory>

class CLASS_MAIN_BACKEND;
class CLASS_MAIN_WINDOW;
class CLASS_MANAGE_PACKAGE;
class CLASS_PACKAGE_MANAGER_BACKEND;
class CLASS_UPDATER_FROM_WEB;
class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QScrollArea;
struct PACKAGE_MANAGER_OPTIONS;
struct TARVO_VERSION_INFO_LOCATIONS;

// The launcher's only top-level window: the header bar with the logos and the menus, and the main view
// in a scroll area. Closing it ends the program.
class CLASS_LAUNCHER_WINDOW : public QMainWindow, public CLASS_ABSTRACT_GUI
{
    Q_OBJECT

public:
    static constexpr int HEADER_BAR_HEIGHT = 48;
    // The size the window opens at where the screen has room for it, and the least it can be made: the
    // central area scrolls below its own size, so the window fits small screens and large scales (a
    // 1920 x 1080 screen at 150 % offers 1280 x 720).
    static constexpr int PREFERRED_WIDTH = 1330;
    static constexpr int PREFERRED_HEIGHT = 720;
    static constexpr int MINIMUM_WIDTH = 800;
    static constexpr int MINIMUM_HEIGHT = 450;

    explicit CLASS_LAUNCHER_WINDOW(QWidget* parent = nullptr);

    // Where the windows built afterwards keep packages and sessions and find the update server; empty
    // fields keep the launcher's own. Tests point them at temporary folders and a local server.
    static void SetLocations(const TARVO_VERSION_INFO_LOCATIONS& locations,
                             const PACKAGE_MANAGER_OPTIONS& packageOptions, const QString& versionFileUrl);

    void BuildGui() override;

    CLASS_MAIN_WINDOW* GetMainWindow() const;
    CLASS_MAIN_BACKEND* SessionBackEnd() const;
    QFrame* GetHeaderBar() const;
    QMenu* FileMenu() const;
    QMenu* HelpMenu() const;
    // The menu entries; each one's triggered signal is connected queued by whoever carries it out.
    QAction* ImportAction() const;
    QAction* ExportAction() const;
    QAction* PackageManagerAction() const;
    QAction* ExitAction() const;
    QAction* AboutAction() const;
    QAction* UpdateCheckAction() const;
    QAction* OpenLogFolderAction() const { return openLogFolderAction; }
    QAction* SaveDiagnosticsAction() const { return saveDiagnosticsAction; }
    // The about window, built on first use.
    CLASS_ABOUT_WINDOW* AboutWindow();
    // The web updater, made on first use (the automatic check, once the window is on screen).
    CLASS_UPDATER_FROM_WEB* WebUpdater();

    // The open package manager window, or null.
    CLASS_MANAGE_PACKAGE* PackageDialog() const { return packageDialog; }
    // Opens the package manager window and its back end; does nothing while one is open.
    void OpenPackageManager();

    // Starts a version check; an automatic one stays silent unless it finds a version not announced yet.
    void StartVersionCheck(bool automatic);

    // Shows the window where the user left it last time, if that place is on a screen still, else at its
    // preferred size fitted to the screen; from then on closing it keeps its place for the next time.
    void ShowWhereLeft();

public slots:
    void SLOT_VersionCheckingFinished(Bool isSuccessfull, Bool moreRecentFound);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Watches the application's events for the window's first paint.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when quitting loses no session and stops no simulator, or the user chose to quit all the same.
    bool MayQuit();
    // What waits for the first frame, started once the window is on screen: the catalogue's download,
    // the automatic version check and the font faces that the first frame does not use.
    void FinishStartUp();
    void BuildMenus();
    void BuildHeaderBar();
    void ConnectActions();
    void AnnounceVersion();
    // The failure box of a check the user asked for: the server asked and the reason.
    void TellCheckFailed();

    QMenu* fileMenu;
    QMenu* helpMenu;
    QAction* exitAction;
    QAction* aboutAction;
    QAction* exportAction;
    QAction* importAction;
    QAction* packageManagerAction;
    QAction* updateCheckAction;
    QAction* openLogFolderAction;
    QAction* saveDiagnosticsAction;
    // Built on first use: the start-up does not pay for a window that is seldom opened.
    std::unique_ptr<CLASS_ABOUT_WINDOW> aboutWindow;
    CLASS_MANAGE_PACKAGE* packageDialog = nullptr;
    CLASS_PACKAGE_MANAGER_BACKEND* packageBackEnd = nullptr;
    CLASS_MAIN_WINDOW* mainWindow;
    QScrollArea* scrollArea;
    QMenuBar* menuBar;
    QFrame* headerBar;
    CLASS_MAIN_BACKEND* sessionBackEnd;
    CLASS_UPDATER_FROM_WEB* webUpdater;
    // True while the running version check is the automatic one started with the window.
    bool automaticCheck;
    bool firstPaintSeen = false;
    // True once the window was placed from the user's saved place (and so keeps it when closed).
    bool keepsPlace = false;
};

#endif // GUI_CLASSLAUNCHERWINDOW_H
