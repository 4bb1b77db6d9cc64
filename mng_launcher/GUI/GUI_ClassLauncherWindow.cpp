#include "GUI/GUI_ClassLauncherWindow.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_Constants.h"
#include "GUI/GUI_ClassDeviceConfiguration.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_ClassWindowGeometry.h"
#include "GUI/GUI_DialogPlacement.h"
#include "GUI/GUI_HelpActions.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_SharpPixmap.h"
#include "GUI/GUI_Theme.h"
#include "QT_UPDATER/UPDATER_ClassUpdaterFromWeb.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScrollArea>
#include <QTimer>
#include <QUrl>

namespace
{
const QString PRODUCT_LOGO = QStringLiteral(":/LOGO/logo-Tarvo-4k-Simulator.svg");
const QString MAKER_LOGO = QStringLiteral(":/LOGO/Logo_Vorntal.svg");
constexpr int PRODUCT_LOGO_WIDTH = 180;
constexpr int PRODUCT_LOGO_HEIGHT = 25;
constexpr int MENU_OFFSET = 48;
const char* const PLACED_PROPERTY = "placedOverLauncher";

// text as a piece of rich text that shows exactly that text, inside an attribute in single quotes too.
QString HtmlEscaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;"));
}

QAction* MakeAction(const QString& text, const QString& objectName, QObject* parent)
{
    QAction* action = new QAction(text, parent);
    action->setObjectName(objectName);
    return action;
}

// Set by SetLocations; empty until then, so every default applies.
TARVO_VERSION_INFO_LOCATIONS& Locations()
{
    static TARVO_VERSION_INFO_LOCATIONS locations;
    return locations;
}

PACKAGE_MANAGER_OPTIONS& PackageOptions()
{
    static PACKAGE_MANAGER_OPTIONS options;
    return options;
}

QString& VersionFileUrl()
{
    static QString url;
    return url;
}
} // namespace

void CLASS_LAUNCHER_WINDOW::SetLocations(const TARVO_VERSION_INFO_LOCATIONS& locations,
                                         const PACKAGE_MANAGER_OPTIONS& packageOptions,
                                         const QString& versionFileUrl)
{
    Locations() = locations;
    PackageOptions() = packageOptions;
    VersionFileUrl() = versionFileUrl;
}

CLASS_LAUNCHER_WINDOW::CLASS_LAUNCHER_WINDOW(QWidget* parent)
    : QMainWindow(parent), fileMenu(new QMenu(QStringLiteral("&File"), this)),
      helpMenu(new QMenu(QStringLiteral("&Help"), this)),
      // E&xit: the E belongs to Export in the same menu.
      exitAction(MakeAction(QStringLiteral("E&xit"), QStringLiteral("actionExit"), this)),
      aboutAction(
          MakeAction(QStringLiteral("&About Tarvo 4K Simulator"), QStringLiteral("actionAbout"), this)),
      exportAction(MakeAction(QStringLiteral("&Export Session Files"), QStringLiteral("actionExport"), this)),
      importAction(MakeAction(QStringLiteral("&Import Session Files"), QStringLiteral("actionImport"), this)),
      packageManagerAction(
          MakeAction(QStringLiteral("&Package manager"), QStringLiteral("actionPackageManager"), this)),
      updateCheckAction(
          MakeAction(QStringLiteral("Check for &Updates..."), QStringLiteral("actionUpdateCheck"), this)),
      openLogFolderAction(
          MakeAction(QStringLiteral("Open &Log Folder"), QStringLiteral("actionOpenLogFolder"), this)),
      saveDiagnosticsAction(MakeAction(QStringLiteral("Save &Diagnostics\u2026"),
                                       QStringLiteral("actionSaveDiagnostics"), this)),
      mainWindow(nullptr), scrollArea(nullptr), menuBar(nullptr), headerBar(nullptr), sessionBackEnd(nullptr),
      webUpdater(nullptr), automaticCheck(false)
{
    // The keys every desktop program has; Ctrl+Q is spelled out, as Windows has no standard quit key.
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    aboutAction->setShortcut(QKeySequence::HelpContents);
    fileMenu->setObjectName(QStringLiteral("menuFile"));
    helpMenu->setObjectName(QStringLiteral("menuHelp"));
    BuildGui();
    ConnectActions();
    // Nothing that waits for the network comes before the window is on screen, nor anything else that
    // its first frame does not show.
    QCoreApplication::instance()->installEventFilter(this);
    connect(
        updateCheckAction, &QAction::triggered, this, [this]() { StartVersionCheck(false); },
        Qt::QueuedConnection);
}

void CLASS_LAUNCHER_WINDOW::BuildGui()
{
    // The theme comes first: each widget is then styled once, when it is first shown, and not a second
    // time when the style sheet arrives. The faces that the first frame does not use wait for it
    // (FinishStartUp).
    RegisterFirstPaintFonts();
    // The SVG images of the first frame: the header's logos (their text is set in the faces just
    // registered) and the setup panel's connector icons.
    QVector<QPair<QString, QSize>> firstFrameImages = {
        {PRODUCT_LOGO, QSize(PRODUCT_LOGO_WIDTH, PRODUCT_LOGO_HEIGHT)}, {MAKER_LOGO, QSize()}};
    firstFrameImages += CLASS_DEVICE_CONFIGURATION::ConnectorIcons();
    RenderSvgsAhead(firstFrameImages);
    ApplyTheme(qobject_cast<QApplication*>(QCoreApplication::instance()));
    scrollArea = new QScrollArea(this);
    // Tab goes from control to control; the area scrolls to show the one reached.
    scrollArea->setFocusPolicy(Qt::NoFocus);
    // Made inside the scroll area: moving the built view there would restyle every widget of it again.
    mainWindow = new CLASS_MAIN_WINDOW(scrollArea->viewport());
    mainWindow->setObjectName(QStringLiteral("mainWindow"));
    sessionBackEnd = new CLASS_MAIN_BACKEND(mainWindow, this, Locations());

    scrollArea->setWidget(mainWindow);
    scrollArea->setWidgetResizable(true);
    mainWindow->setFrameShape(QFrame::NoFrame);
    scrollArea->setFrameShape(QFrame::NoFrame);
    setCentralWidget(scrollArea);

    setWindowTitle(LAUNCHER_TITLE + QStringLiteral(" v") + LAUNCHER_VERSION);
    BuildMenus();
    BuildHeaderBar();
}

void CLASS_LAUNCHER_WINDOW::BuildMenus()
{
    fileMenu->addAction(importAction);
    fileMenu->addAction(exportAction);
    fileMenu->addAction(packageManagerAction);
    fileMenu->addAction(exitAction);
    helpMenu->addAction(aboutAction);
    helpMenu->addAction(updateCheckAction);
    helpMenu->addAction(openLogFolderAction);
    helpMenu->addAction(saveDiagnosticsAction);

    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    menuBar->addMenu(fileMenu);
    menuBar->addMenu(helpMenu);
    menuBar->setContentsMargins(0, 0, 0, 0);
}

void CLASS_LAUNCHER_WINDOW::BuildHeaderBar()
{
    headerBar = new QFrame(this);
    headerBar->setObjectName(QStringLiteral("headerBar"));
    headerBar->setStyleSheet(QStringLiteral(".QFrame {background-color: #08141B;}"));
    headerBar->setFixedHeight(HEADER_BAR_HEIGHT);
    QGridLayout* headerLayout = new QGridLayout(headerBar);

    QLabel* productLogo = new QLabel(headerBar);
    productLogo->setObjectName(QStringLiteral("productLogo"));
    productLogo->setAccessibleName(QStringLiteral("Tarvo 4k Simulator"));
    productLogo->setPixmap(SharpPixmap(PRODUCT_LOGO, QSize(PRODUCT_LOGO_WIDTH, PRODUCT_LOGO_HEIGHT)));
    productLogo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    headerLayout->addWidget(productLogo, 0, 0);

    QHBoxLayout* menuRow = new QHBoxLayout;
    menuRow->setContentsMargins(0, 0, 0, 0);
    menuRow->addSpacing(MENU_OFFSET);
    menuRow->addWidget(menuBar);
    menuBar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    headerLayout->addLayout(menuRow, 0, 1);

    QLabel* makerLogo = new QLabel(headerBar);
    makerLogo->setObjectName(QStringLiteral("makerLogo"));
    makerLogo->setAccessibleName(QStringLiteral("Vorntal"));
    makerLogo->setPixmap(SharpPixmap(MAKER_LOGO));
    makerLogo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    headerLayout->addWidget(makerLogo, 0, 0, 1, 3, Qt::AlignHCenter | Qt::AlignVCenter);

    setMenuWidget(headerBar);
}

void CLASS_LAUNCHER_WINDOW::ConnectActions()
{
    // Queued: a menu command runs from the event loop once its menu has closed.
    connect(exitAction, &QAction::triggered, this, &QWidget::close, Qt::QueuedConnection);
    connect(
        aboutAction, &QAction::triggered, this,
        [this]()
        {
            // Over the launcher the first time; afterwards where the user left it.
            CLASS_ABOUT_WINDOW* about = AboutWindow();
            if (!about->isVisible() && !about->property(PLACED_PROPERTY).toBool())
            {
                CentreOver(about, this);
                about->setProperty(PLACED_PROPERTY, true);
            }
            about->show();
        },
        Qt::QueuedConnection);
    connect(packageManagerAction, &QAction::triggered, this, &CLASS_LAUNCHER_WINDOW::OpenPackageManager,
            Qt::QueuedConnection);
    connect(importAction, &QAction::triggered, sessionBackEnd, &CLASS_MAIN_BACKEND::ImportRequest,
            Qt::QueuedConnection);
    connect(exportAction, &QAction::triggered, sessionBackEnd, &CLASS_MAIN_BACKEND::ExportRequest,
            Qt::QueuedConnection);
    connect(
        openLogFolderAction, &QAction::triggered, this, [this]() { OpenLogFolder(this); },
        Qt::QueuedConnection);
    connect(
        saveDiagnosticsAction, &QAction::triggered, this, [this]() { SaveDiagnostics(this, Locations()); },
        Qt::QueuedConnection);
}

void CLASS_LAUNCHER_WINDOW::OpenPackageManager()
{
    if (packageDialog != nullptr)
    {
        return;
    }
    // Both without parent: the window is top-level and goes when closed, its back end after it.
    CLASS_TARVO_VERSION_INFO* versionInfo = sessionBackEnd->GetVersionInfo();
    packageDialog = new CLASS_MANAGE_PACKAGE(versionInfo);
    connect(
        packageDialog, &QObject::destroyed, this,
        [this]()
        {
            packageBackEnd = nullptr;
            packageDialog = nullptr;
        },
        Qt::QueuedConnection);
    packageBackEnd = new CLASS_PACKAGE_MANAGER_BACKEND(packageDialog, versionInfo, nullptr, PackageOptions());
    packageDialog->Attach(packageBackEnd);
    // The back end goes with its window, also when this launcher window has gone before it.
    connect(packageDialog, &QObject::destroyed, packageBackEnd, &QObject::deleteLater, Qt::QueuedConnection);
    connect(packageBackEnd, &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_PackagesChanged, sessionBackEnd,
            &CLASS_MAIN_BACKEND::SLOT_RefreshUpdaters, Qt::QueuedConnection);
    CentreOver(packageDialog, this);
    packageDialog->show();
}

void CLASS_LAUNCHER_WINDOW::StartVersionCheck(bool automatic)
{
    // A check the user asks for forgets any earlier result, so it always answers.
    automaticCheck = automatic;
    if (!automatic)
    {
        WebUpdater()->ResetVersions();
    }
    // A check that cannot start sends no result: the user who asked is told at once.
    if (!WebUpdater()->CheckIfNewVersionIsAvailable() && !automatic)
    {
        TellCheckFailed();
    }
}

void CLASS_LAUNCHER_WINDOW::TellCheckFailed()
{
    const QString server =
        QUrl(webUpdater->GetVersionFileUrl())
            .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
            .toString();
    const QString reason = webUpdater->GetLastFailure();
    CLASS_MESSAGE_BOX::Information(
        this, MESSAGE_BOX_TITLE,
        QStringLiteral(
            "Failed to check version, please check your connection before retrying.\n\nServer: %1\n"
            "Reason: %2")
            .arg(server, reason.isEmpty() ? QStringLiteral("unknown") : reason));
}

void CLASS_LAUNCHER_WINDOW::SLOT_VersionCheckingFinished(Bool isSuccessfull, Bool moreRecentFound)
{
    if (!isSuccessfull)
    {
        if (!automaticCheck)
        {
            TellCheckFailed();
        }
        return;
    }
    if (!moreRecentFound)
    {
        if (!automaticCheck)
        {
            CLASS_MESSAGE_BOX::Information(this, MESSAGE_BOX_TITLE,
                                           QStringLiteral("There are currently no updates available."));
        }
        return;
    }
    AnnounceVersion();
}

void CLASS_LAUNCHER_WINDOW::AnnounceVersion()
{
    const VersionInfo newest = webUpdater->GetMostRecentVersionInfo();
    const QString versionText = newest.version.toString();
    // The automatic check announces a given version once only.
    if (automaticCheck && sessionBackEnd->GetLastVersionChecked() == versionText)
    {
        return;
    }
    // Rich text for the link; every value from the version file is escaped (the updater keeps only entries
    // whose Url is an http or https address).
    CLASS_MESSAGE_BOX::Information(
        this, MESSAGE_BOX_TITLE,
        HtmlEscaped(newest.productName) + QStringLiteral(" v") + HtmlEscaped(versionText) +
            QStringLiteral(" is available on Vorntal website. Please click <a href='") +
            HtmlEscaped(QUrl(newest.url).toString(QUrl::FullyEncoded)) +
            QStringLiteral("'>here</a> for more information."),
        Qt::RichText);
    sessionBackEnd->SetLastVersionChecked(versionText);
}

void CLASS_LAUNCHER_WINDOW::closeEvent(QCloseEvent* event)
{
    if (!MayQuit())
    {
        event->ignore();
        return;
    }
    if (keepsPlace)
    {
        CLASS_WINDOW_GEOMETRY().Save(*this);
    }
    QCoreApplication::quit();
    event->accept();
}

// One question names everything that quitting loses or ends (the back end words it); none when
// nothing is lost or running.
bool CLASS_LAUNCHER_WINDOW::MayQuit()
{
    const QString question = sessionBackEnd != nullptr ? sessionBackEnd->QuitQuestion() : QString();
    return question.isEmpty() ||
           CLASS_MESSAGE_BOX::Question(this, MESSAGE_BOX_TITLE, question, QMessageBox::Yes | QMessageBox::No,
                                       QMessageBox::No) == QMessageBox::Yes;
}

void CLASS_LAUNCHER_WINDOW::ShowWhereLeft()
{
    keepsPlace = true;
    CLASS_WINDOW_GEOMETRY().Show(*this, QSize(PREFERRED_WIDTH, PREFERRED_HEIGHT));
}

void CLASS_LAUNCHER_WINDOW::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
}

bool CLASS_LAUNCHER_WINDOW::eventFilter(QObject* watched, QEvent* event)
{
    if (!firstPaintSeen && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
    {
        firstPaintSeen = true;
        QCoreApplication::instance()->removeEventFilter(this);
        // From the event loop, once the repaint that this paint belongs to has gone to the screen, and
        // one turn later still: what else waited for that paint goes first.
        QTimer::singleShot(0, this,
                           [this]() { QTimer::singleShot(0, this, &CLASS_LAUNCHER_WINDOW::FinishStartUp); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void CLASS_LAUNCHER_WINDOW::FinishStartUp()
{
    // The requests go out first; the fonts are registered and the icon made while they are on their way.
    sessionBackEnd->RefreshCatalogue();
    StartVersionCheck(true);
    RegisterRemainingFonts();
    ApplyApplicationIcon();
}

CLASS_MAIN_WINDOW* CLASS_LAUNCHER_WINDOW::GetMainWindow() const
{
    return mainWindow;
}

CLASS_MAIN_BACKEND* CLASS_LAUNCHER_WINDOW::SessionBackEnd() const
{
    return sessionBackEnd;
}

QFrame* CLASS_LAUNCHER_WINDOW::GetHeaderBar() const
{
    return headerBar;
}

QMenu* CLASS_LAUNCHER_WINDOW::FileMenu() const
{
    return fileMenu;
}

QMenu* CLASS_LAUNCHER_WINDOW::HelpMenu() const
{
    return helpMenu;
}

QAction* CLASS_LAUNCHER_WINDOW::ImportAction() const
{
    return importAction;
}

QAction* CLASS_LAUNCHER_WINDOW::ExportAction() const
{
    return exportAction;
}

QAction* CLASS_LAUNCHER_WINDOW::PackageManagerAction() const
{
    return packageManagerAction;
}

QAction* CLASS_LAUNCHER_WINDOW::ExitAction() const
{
    return exitAction;
}

QAction* CLASS_LAUNCHER_WINDOW::AboutAction() const
{
    return aboutAction;
}

QAction* CLASS_LAUNCHER_WINDOW::UpdateCheckAction() const
{
    return updateCheckAction;
}

CLASS_ABOUT_WINDOW* CLASS_LAUNCHER_WINDOW::AboutWindow()
{
    if (!aboutWindow)
    {
        aboutWindow = std::make_unique<CLASS_ABOUT_WINDOW>(nullptr);
    }
    return aboutWindow.get();
}

CLASS_UPDATER_FROM_WEB* CLASS_LAUNCHER_WINDOW::WebUpdater()
{
    // Its network access manager starts Qt's network bearer thread and plugins: not before the first
    // frame.
    if (webUpdater == nullptr)
    {
        const QString versionFileUrl =
            VersionFileUrl().isEmpty() ? CLASS_SERVER_ADDRESS::VersionFileUrl() : VersionFileUrl();
        webUpdater = new CLASS_UPDATER_FROM_WEB(LAUNCHER_VERSION, versionFileUrl, LAUNCHER_PRODUCT_ID,
                                                LAUNCHER_DEV_CHANNEL, this);
        connect(webUpdater, &CLASS_UPDATER_FROM_WEB::SIGNAL_VersionCheckingFinished, this,
                &CLASS_LAUNCHER_WINDOW::SLOT_VersionCheckingFinished, Qt::QueuedConnection);
    }
    return webUpdater;
}
