#include "APP/APP_ClassLauncherBackEnd.h"
#include "DEVICE/DEVICE_ClassDiagnostics.h"
#include "GUI/GUI_ClassAboutWindow.h"
#include "GUI/GUI_ClassGlobalSession.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassLauncherWindow.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassManagePackage.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_ClassWindowGeometry.h"
#include "GUI/GUI_FileDialog.h"
#include "LauncherTestEnvironment.h"
#include "OpenerStandIn.h"
#include "TraceCapture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace
{
QStringList ActionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
    {
        texts << action->text();
    }
    return texts;
}

// Presses Tab until the focus comes back to where it started and returns every widget it visited.
QSet<QWidget*> TabCycle(QWidget* start)
{
    QSet<QWidget*> visited;
    start->setFocus(Qt::TabFocusReason);
    for (int step = 0; step < 200; ++step)
    {
        QWidget* focused = QApplication::focusWidget();
        if (!focused || (step > 0 && focused == start))
        {
            break;
        }
        visited.insert(focused);
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return visited;
}

// Fills the window's view as the session back end would: two cards, one built setup panel with its type
// buttons and one installed version, and the bottom bar's buttons enabled.
CLASS_GLOBAL_SETUP* FillView(CLASS_LAUNCHER_WINDOW& window)
{
    CLASS_MAIN_WINDOW* view = window.GetMainWindow();
    view->AddSessionEntry();
    view->AddSessionEntry();
    CLASS_GLOBAL_SETUP* panel = new CLASS_GLOBAL_SETUP(nullptr);
    panel->BuildPanel();
    panel->BuildTypeButtons();
    panel->AddVersion(QStringLiteral("3.1.51"), 0, true);
    view->AddSetupPanel(panel);
    view->SetSaveEnabled(true);
    view->SetDiscardEnabled(true);
    view->SetStartEnabled(true);
    view->SetOpenWebEnabled(true);
    return panel;
}

// The dialog that a row of stateIsVisible looks into, or null for the launcher window itself.
std::unique_ptr<QWidget> Dialog(const QString& which)
{
    if (which == QStringLiteral("about"))
    {
        return std::make_unique<CLASS_ABOUT_WINDOW>();
    }
    if (which == QStringLiteral("package manager"))
    {
        return std::make_unique<CLASS_MANAGE_PACKAGE>(nullptr);
    }
    return nullptr;
}

bool IsControl(QWidget* widget)
{
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QTextEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<CLASS_SESSION_WIDGET*>(widget);
}
} // namespace

Q_DECLARE_METATYPE(QList<CLASS_WINDOW_GEOMETRY::SCREEN_AREA>)

class TestLauncherWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        // The window's content may read and write session folders and a state file in the working
        // directory: both go to a temporary folder.
        QVERIFY(home.isValid());
        QVERIFY(PrepareLauncherWindowEnvironment(home.path()));
    }

    void titleAndCentralView()
    {
        CLASS_LAUNCHER_WINDOW window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo 4k Simulator v1.5.3"));
        QScrollArea* scrollArea = qobject_cast<QScrollArea*>(window.centralWidget());
        QVERIFY(scrollArea);
        QVERIFY(scrollArea->widgetResizable());
        QCOMPARE(scrollArea->frameShape(), QFrame::NoFrame);
        QCOMPARE(scrollArea->widget(), static_cast<QWidget*>(window.GetMainWindow()));
        QCOMPARE(window.GetMainWindow()->frameShape(), QFrame::NoFrame);
    }

    void menus()
    {
        CLASS_LAUNCHER_WINDOW window;
        QCOMPARE(window.FileMenu()->title(), QStringLiteral("&File"));
        QCOMPARE(window.HelpMenu()->title(), QStringLiteral("&Help"));
        QCOMPARE(
            ActionTexts(window.FileMenu()),
            (QStringList{"&Import Session Files", "&Export Session Files", "&Package manager", "E&xit"}));
        QCOMPARE(ActionTexts(window.HelpMenu()),
                 (QStringList{"&About Tarvo 4K Simulator", "Check for &Updates...", "Open &Log Folder",
                              QStringLiteral("Save &Diagnostics\u2026")}));
        QCOMPARE(window.ImportAction()->objectName(), QStringLiteral("actionImport"));
        QCOMPARE(window.UpdateCheckAction()->text(), QStringLiteral("Check for &Updates..."));
        for (const QAction* action : window.FileMenu()->actions() + window.HelpMenu()->actions())
        {
            const QKeySequence standard =
                action == window.ExitAction()    ? QKeySequence(QStringLiteral("Ctrl+Q"))
                : action == window.AboutAction() ? QKeySequence(QStringLiteral("F1"))
                                                 : QKeySequence();
            QCOMPARE(action->shortcut(), standard);
            QVERIFY(!action->isCheckable());
            QVERIFY(action->icon().isNull());
        }
        QMenuBar* menuBar = window.findChild<QMenuBar*>(QStringLiteral("menuBar"));
        QVERIFY(menuBar);
        QCOMPARE(menuBar->actions().size(), 2);
        QCOMPARE(menuBar->actions().at(0)->menu(), window.FileMenu());
        QCOMPARE(menuBar->actions().at(1)->menu(), window.HelpMenu());
    }

    // Within a menu, and among the menu bar and the buttons of the window, each Alt key does one thing;
    // every menu entry has one.
    void mnemonicsAreUnique_data()
    {
        QTest::addColumn<QString>("scope");
        QTest::newRow("File menu") << "File menu";
        QTest::newRow("Help menu") << "Help menu";
        QTest::newRow("menu bar and main view") << "window";
    }

    void mnemonicsAreUnique()
    {
        QFETCH(QString, scope);
        CLASS_LAUNCHER_WINDOW window;
        FillView(window);
        QStringList texts;
        if (scope == QStringLiteral("window"))
        {
            texts << window.FileMenu()->title() << window.HelpMenu()->title();
            for (const QAbstractButton* button : window.GetMainWindow()->findChildren<QAbstractButton*>())
            {
                texts << button->text();
            }
        }
        else
        {
            const QMenu* menu = scope == QStringLiteral("File menu") ? window.FileMenu() : window.HelpMenu();
            texts = ActionTexts(menu);
        }
        QMap<QKeySequence, QString> owners;
        for (const QString& text : texts)
        {
            const QKeySequence key = QKeySequence::mnemonic(text);
            QVERIFY2(!key.isEmpty() || scope == QStringLiteral("window"),
                     qPrintable(text + " has no mnemonic"));
            QVERIFY2(key.isEmpty() || !owners.contains(key),
                     qPrintable(
                         QStringLiteral("%1 and %2 share %3").arg(owners.value(key), text, key.toString())));
            owners.insert(key, text);
        }
    }

    // The standard keys of a desktop program, each doing what its button or menu entry does.
    void shortcuts_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Ctrl+N creates a session")
            << "sessionCard" << QKeySequence(QKeySequence::New) << SIGNAL(SIGNAL_CreateNewSession());
        QTest::newRow("Ctrl+S saves")
            << "labelEditor" << QKeySequence(QKeySequence::Save) << SIGNAL(SIGNAL_RequestToSaveSession());
        QTest::newRow("Delete on the list deletes, once asked")
            << "sessionCard" << QKeySequence(QKeySequence::Delete) << SIGNAL(SIGNAL_DeleteSession());
        QTest::newRow("Delete in a field deletes a character")
            << "labelEditor" << QKeySequence(QKeySequence::Delete) << "nothing";
        QTest::newRow("F1 shows About")
            << "sessionCard" << QKeySequence(QKeySequence::HelpContents) << "about";
        QTest::newRow("Ctrl+Q quits") << "sessionCard" << QKeySequence(QStringLiteral("Ctrl+Q")) << "closed";
    }

    void shortcuts()
    {
        QFETCH(QString, focused);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        CLASS_LAUNCHER_WINDOW window;
        CLASS_MAIN_WINDOW* view = window.GetMainWindow();
        FillView(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* target = focused == QStringLiteral("sessionCard") ? view->GetSelectedSessionWidget()
                                                                   : view->findChild<QWidget*>(focused);
        target->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(target->hasFocus());
        QSignalSpy deleted(view, SIGNAL(SIGNAL_DeleteSession()));
        std::unique_ptr<QSignalSpy> requested;
        if (effect.startsWith(QLatin1Char('2'))) // a signal of the view
        {
            requested = std::make_unique<QSignalSpy>(view, effect.toLatin1().constData());
        }
        QTest::keySequence(target, keys);
        if (requested)
        {
            QTRY_COMPARE(requested->count(), 1);
        }
        else if (effect == QStringLiteral("about"))
        {
            QTRY_VERIFY(window.AboutWindow()->isVisible());
            window.AboutWindow()->close();
        }
        else if (effect == QStringLiteral("closed"))
        {
            QTRY_VERIFY(!window.isVisible());
        }
        else
        {
            QCoreApplication::processEvents();
            QCOMPARE(deleted.count(), 0);
        }
    }

    // The Help menu's support entries: the log folder in the file manager (its address in a box when
    // there is none), the support bundle where the user chooses.
    void helpMenuSupport_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("fileManager");
        QTest::addColumn<QString>("chosen"); // the file dialog's answer, in the temporary folder
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("told"); // how the last box begins; empty: no box
        QTest::newRow("log folder opened")
            << "actionOpenLogFolder" << true << QString() << QString() << QString();
        QTest::newRow("log folder without a file manager")
            << "actionOpenLogFolder" << false << QString() << QString()
            << "The file manager could not be opened.";
        QTest::newRow("diagnostics saved") << "actionSaveDiagnostics" << false << "bundle.zip"
                                           << "bundle.zip"
                                           << "The diagnostics are saved in ";
        QTest::newRow("diagnostics named without .zip") << "actionSaveDiagnostics" << false << "bundle"
                                                        << "bundle.zip"
                                                        << "The diagnostics are saved in ";
        QTest::newRow("diagnostics over an existing file")
            << "actionSaveDiagnostics" << false << "existing.zip" << QString()
            << "The diagnostics were not saved: ";
        QTest::newRow("diagnostics cancelled")
            << "actionSaveDiagnostics" << false << "" << QString() << QString();
    }

    void helpMenuSupport()
    {
        QFETCH(QString, entry);
        QFETCH(bool, fileManager);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QString, told);
        TraceCapture traces; // this run's log files exist
        QVERIFY(traces.Ready());
        const OPENER_STAND_IN fileManagerStandIn;
        QVERIFY(!fileManagerStandIn.Program().isEmpty());
        const auto noStandIn =
            UseDesktopOpener(fileManager ? fileManagerStandIn.Program() : NO_DESKTOP_OPENER);
        QTemporaryDir folder;
        QFile existing(folder.filePath(QStringLiteral("existing.zip")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        if (entry == QStringLiteral("actionSaveDiagnostics"))
        {
            CLASS_FILE_DIALOG::SetNextFileName(chosen.isEmpty() ? QString() : folder.filePath(chosen));
        }
        CLASS_LAUNCHER_WINDOW window;
        CLASS_MESSAGE_BOX::ClearHistory();
        window.findChild<QAction*>(entry)->trigger();
        QCoreApplication::processEvents(); // the entry runs from the event loop, as a menu command does
        QTRY_VERIFY(DesktopOpenersEnded());
        QVERIFY2(told.isEmpty() ? CLASS_MESSAGE_BOX::Texts().isEmpty()
                                : CLASS_MESSAGE_BOX::LastText().startsWith(told),
                 qPrintable(CLASS_MESSAGE_BOX::LastText()));
        if (entry == QStringLiteral("actionOpenLogFolder"))
        {
            const QString logFolder = CLASS_DIAGNOSTICS::LogFolder();
            QVERIFY(!logFolder.isEmpty());
            const QString address = QString::fromLatin1(QUrl::fromLocalFile(logFolder).toEncoded());
            QCOMPARE(fileManagerStandIn.Arguments(), fileManager ? QStringList{address} : QStringList());
            QCOMPARE(CLASS_MESSAGE_BOX::LastCopyText(), fileManager ? QString() : logFolder);
        }
        QStringList files = QDir(folder.path()).entryList(QDir::Files);
        files.removeOne(QStringLiteral("existing.zip"));
        QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
    }

    void headerBar()
    {
        CLASS_LAUNCHER_WINDOW window;
        QFrame* header = window.GetHeaderBar();
        QVERIFY(header);
        QCOMPARE(window.menuWidget(), static_cast<QWidget*>(header));
        QCOMPARE(header->minimumHeight(), 48);
        QCOMPARE(header->maximumHeight(), 48);
        QCOMPARE(header->styleSheet(), QStringLiteral(".QFrame {background-color: #08141B;}"));
        QVERIFY(header->isAncestorOf(window.findChild<QMenuBar*>(QStringLiteral("menuBar"))));
        const QLabel* productLogo = header->findChild<QLabel*>(QStringLiteral("productLogo"));
        const QLabel* makerLogo = header->findChild<QLabel*>(QStringLiteral("makerLogo"));
        QVERIFY(productLogo && !productLogo->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(makerLogo && !makerLogo->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(productLogo->pixmap(Qt::ReturnByValue).width() <= 180);
        QVERIFY(productLogo->pixmap(Qt::ReturnByValue).height() <= 25);
    }

    void exitClosesAndQuits()
    {
        CLASS_LAUNCHER_WINDOW window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTimer::singleShot(0, window.ExitAction(), &QAction::trigger);
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, []() { QCoreApplication::exit(2); });
        safety.start(10000);
        // The close runs from the event loop after the menu command and ends the loop with status 0.
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!window.isVisible());
    }

    void closingQuitsWhileAnotherWindowIsOpen()
    {
        CLASS_LAUNCHER_WINDOW window;
        QWidget other;
        window.show();
        other.show();
        QTimer::singleShot(0, &window, &QWidget::close);
        QTimer::singleShot(10000, []() { QCoreApplication::exit(2); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(other.isVisible());
    }

    void everythingFitsTheMinimumSize()
    {
        // Nine cards, one with the longest label, and a setup panel in a window at its minimum size.
        CLASS_LAUNCHER_WINDOW window;
        CLASS_MAIN_WINDOW* view = window.GetMainWindow();
        for (int card = 0; card < 9; ++card)
        {
            view->AddSessionEntry();
        }
        const QString longName = QStringLiteral("WWWWWWWWWWWWWWWWW");
        view->GetSessionWidget(0)->SetName(longName);
        CLASS_GLOBAL_SETUP* panel = new CLASS_GLOBAL_SETUP(nullptr);
        panel->BuildPanel();
        panel->BuildTypeButtons();
        view->AddSetupPanel(panel);
        window.setMinimumSize(1330, 720);
        window.resize(1330, 720);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // The main view needs no scroll bar.
        QScrollArea* central = qobject_cast<QScrollArea*>(window.centralWidget());
        QTRY_VERIFY2(view->minimumSizeHint().width() <= central->viewport()->width(),
                     qPrintable(QStringLiteral("view needs %1 px, has %2")
                                    .arg(view->minimumSizeHint().width())
                                    .arg(central->viewport()->width())));
        QVERIFY(view->minimumSizeHint().height() <= central->viewport()->height());

        // The list never scrolls sideways: every card, and the LED and port of each, is within its width.
        QScrollArea* list = view->GetSessionList()->findChild<QScrollArea*>();
        QVERIFY(list->verticalScrollBar()->isVisible());
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        const QWidget* listView = list->viewport();
        for (int card = 0; card < 9; ++card)
        {
            const CLASS_SESSION_WIDGET* session = view->GetSessionWidget(card);
            for (const auto part : {CLASS_SESSION_WIDGET::PART_LED, CLASS_SESSION_WIDGET::PART_PORT,
                                    CLASS_SESSION_WIDGET::PART_VERSION})
            {
                const QRect place = session->PartGeometry(part);
                const QRect inList(session->mapTo(listView, place.topLeft()), place.size());
                QVERIFY2(inList.right() < listView->width(), qPrintable(QString::number(part)));
            }
        }
        const CLASS_SESSION_WIDGET* first = view->GetSessionWidget(0);
        QCOMPARE(first->GetName(), longName);
        QTextDocument tip; // the tooltip carries the name as escaped rich text
        tip.setHtml(first->ToolTipAt(first->PartGeometry(CLASS_SESSION_WIDGET::PART_NAME).center()));
        QCOMPARE(tip.toPlainText(), longName);

        // The selected card, the last one, is scrolled into view.
        const QWidget* selected = view->GetSelectedSessionWidget();
        QCOMPARE(selected, static_cast<QWidget*>(view->GetSessionWidget(8)));
        QTRY_VERIFY(QRect(selected->mapTo(listView, QPoint(0, 0)), selected->size()).bottom() <=
                    listView->height());
    }

    // The window opens within the free area of a small or highly scaled screen (sizes in Qt's logical
    // pixels, panels taken off), and the central area scrolls to what its size leaves out.
    void windowFitsTheScreen_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("available");
        QTest::newRow("1920 x 1080 at 150 %") << QRect(0, 0, 1280, 720) << QRect(0, 21, 1280, 699);
        QTest::newRow("1366 x 768 at 100 %") << QRect(0, 0, 1366, 768) << QRect(0, 0, 1366, 728);
        QTest::newRow("1920 x 1080 at 150 % rounded to 200 %")
            << QRect(0, 0, 960, 540) << QRect(0, 16, 960, 524);
    }

    void windowFitsTheScreen()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, available);
        CLASS_LAUNCHER_BACKEND launcher;
        launcher.Start();
        CLASS_LAUNCHER_WINDOW& window = *launcher.Window();
        FillView(window);
        const CLASS_WINDOW_GEOMETRY::PLACEMENT placement = CLASS_WINDOW_GEOMETRY::Choose(
            nullptr, {{screen, available}},
            QSize(CLASS_LAUNCHER_WINDOW::PREFERRED_WIDTH, CLASS_LAUNCHER_WINDOW::PREFERRED_HEIGHT),
            window.minimumSize());
        const QRect withFrame = placement.geometry.adjusted(
            -CLASS_WINDOW_GEOMETRY::FRAME_WIDTH / 2,
            CLASS_WINDOW_GEOMETRY::FRAME_WIDTH / 2 - CLASS_WINDOW_GEOMETRY::FRAME_HEIGHT,
            CLASS_WINDOW_GEOMETRY::FRAME_WIDTH / 2, CLASS_WINDOW_GEOMETRY::FRAME_WIDTH / 2);
        QVERIFY2(available.contains(withFrame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                               .arg(withFrame.x())
                                                               .arg(withFrame.y())
                                                               .arg(withFrame.width())
                                                               .arg(withFrame.height())));
        QVERIFY(window.minimumSizeHint().width() <= placement.geometry.width());
        QVERIFY(window.minimumSizeHint().height() <= placement.geometry.height());

        window.setGeometry(placement.geometry);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScrollArea* central = qobject_cast<QScrollArea*>(window.centralWidget());
        CLASS_MAIN_WINDOW* view = window.GetMainWindow();
        QTRY_COMPARE(window.size(), placement.geometry.size());
        // The view keeps its own size inside the smaller area, which scrolls over all of it.
        QTRY_VERIFY(view->width() >= view->minimumSizeHint().width());
        QVERIFY(view->height() >= view->minimumSizeHint().height());
        QCOMPARE(central->horizontalScrollBar()->maximum(), view->width() - central->viewport()->width());
        QCOMPARE(central->verticalScrollBar()->maximum(), view->height() - central->viewport()->height());
    }

    // Where the user left the window is written when it closes and read when it opens, and used while it
    // lies on a screen that is still there (kept within that screen's free area).
    void geometryRestored_data()
    {
        using SCREENS = QList<CLASS_WINDOW_GEOMETRY::SCREEN_AREA>;
        QTest::addColumn<QRect>("left");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<SCREENS>("screens");
        QTest::addColumn<QRect>("expected");
        const CLASS_WINDOW_GEOMETRY::SCREEN_AREA large{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1050)};
        const CLASS_WINDOW_GEOMETRY::SCREEN_AREA second{QRect(1920, 0, 1280, 1024),
                                                        QRect(1920, 0, 1280, 1024)};
        const CLASS_WINDOW_GEOMETRY::SCREEN_AREA small{QRect(0, 0, 1366, 768), QRect(0, 0, 1366, 728)};
        const QRect left(300, 200, 1000, 600);
        const QRect onSecond(2000, 100, 1000, 600);
        QTest::newRow("on its screen") << left << false << SCREENS{large} << left;
        QTest::newRow("maximised") << left << true << SCREENS{large} << left;
        QTest::newRow("on a second screen") << onSecond << false << SCREENS{large, second} << onSecond;
        // Back at the preferred size, centred on the primary screen.
        QTest::newRow("on a screen that is gone")
            << onSecond << false << SCREENS{large} << QRect(295, 165, 1330, 720);
        QTest::newRow("larger than its screen now")
            << QRect(0, 0, 1900, 1000) << false << SCREENS{small} << QRect(8, 40, 1350, 680);
        QTest::newRow("half off its screen")
            << left.translated(-800, 0) << false << SCREENS{large} << QRect(8, 200, 1000, 600);
    }

    void geometryRestored()
    {
        QFETCH(QRect, left);
        QFETCH(bool, maximized);
        QFETCH(QList<CLASS_WINDOW_GEOMETRY::SCREEN_AREA>, screens);
        QFETCH(QRect, expected);
        const CLASS_WINDOW_GEOMETRY file;
        QFile::remove(file.FilePath());
        {
            CLASS_LAUNCHER_WINDOW window;
            window.setMinimumSize(CLASS_LAUNCHER_WINDOW::MINIMUM_WIDTH,
                                  CLASS_LAUNCHER_WINDOW::MINIMUM_HEIGHT);
            window.ShowWhereLeft();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.setGeometry(left);
            if (maximized)
            {
                window.showMaximized();
                QTRY_VERIFY(window.isMaximized());
            }
            QTRY_COMPARE(maximized ? window.normalGeometry() : window.geometry(), left);
            QVERIFY(window.close());
        }
        CLASS_WINDOW_GEOMETRY::PLACEMENT saved;
        QVERIFY(file.Load(saved));
        QCOMPARE(saved.geometry, left);
        QCOMPARE(saved.maximized, maximized);
        const CLASS_WINDOW_GEOMETRY::PLACEMENT placement = CLASS_WINDOW_GEOMETRY::Choose(
            &saved, screens,
            QSize(CLASS_LAUNCHER_WINDOW::PREFERRED_WIDTH, CLASS_LAUNCHER_WINDOW::PREFERRED_HEIGHT),
            QSize(CLASS_LAUNCHER_WINDOW::MINIMUM_WIDTH, CLASS_LAUNCHER_WINDOW::MINIMUM_HEIGHT));
        QCOMPARE(placement.geometry, expected);
        QCOMPARE(placement.maximized, maximized && expected == left);
    }

    void keyboardReachesEveryControl()
    {
        CLASS_LAUNCHER_WINDOW window;
        CLASS_MAIN_WINDOW* view = window.GetMainWindow();
        CLASS_GLOBAL_SETUP* panel = FillView(window);
        window.resize(1330, 720);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QPushButton* create = view->findChild<QPushButton*>(QStringLiteral("createSessionButton"));
        const QSet<QWidget*> reached = TabCycle(create);
        QStringList missing;
        for (QWidget* widget : view->findChildren<QWidget*>())
        {
            // The line edit inside a spin box takes the focus through the spin box.
            if (IsControl(widget) && !qobject_cast<QAbstractSpinBox*>(widget->parentWidget()) &&
                widget->isVisibleTo(&window) && widget->isEnabled() &&
                (widget->focusPolicy() & Qt::TabFocus) && !reached.contains(widget))
            {
                missing << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName();
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
        // Tab stops at named controls only, never at a frame or a scroll area around them.
        QStringList unnamed;
        for (QWidget* widget : reached)
        {
            if (!IsControl(widget) || widget->accessibleName().isEmpty())
            {
                unnamed << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName();
            }
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
        // The sessions list is one stop, its selected card.
        QVERIFY(reached.contains(view->GetSelectedSessionWidget()));
        QVERIFY(reached.contains(panel->findChild<QCheckBox*>()));

        // From there the arrow keys move the selection, and the focus with it.
        CLASS_SESSION_WIDGET* last = view->GetSelectedSessionWidget();
        last->setFocus(Qt::TabFocusReason);
        QTest::keyClick(last, Qt::Key_Up);
        QTRY_COMPARE(view->GetSelectedSessionIndex(), 0);
        QTRY_VERIFY(view->GetSessionWidget(0)->hasFocus());
    }

    // What the keyboard reaches shows that it has the focus, and what cannot be used looks so: each row
    // compares the widget's pixels before and after the change.
    void stateIsVisible_data()
    {
        QTest::addColumn<QString>("shownWindow");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("change");
        QTest::newRow("Create New Session focused") << "launcher"
                                                    << "createSessionButton"
                                                    << "focus";
        QTest::newRow("Save focused") << "launcher"
                                      << "saveButton"
                                      << "focus";
        QTest::newRow("model button focused") << "launcher"
                                              << "typeButton0"
                                              << "focus";
        QTest::newRow("audio check box focused") << "launcher"
                                                 << "audioCheckBox"
                                                 << "focus";
        QTest::newRow("label field focused") << "launcher"
                                             << "labelEditor"
                                             << "focus";
        QTest::newRow("session card focused") << "launcher"
                                              << "sessionCard"
                                              << "focus";
        QTest::newRow("about's Close focused") << "about"
                                               << "closeButton"
                                               << "focus";
        QTest::newRow("package manager's Close focused") << "package manager"
                                                         << "closebutton"
                                                         << "focus";
        QTest::newRow("package manager's Apply focused") << "package manager"
                                                         << "applybutton"
                                                         << "focus";
        QTest::newRow("package manager's Apply disabled") << "package manager"
                                                          << "applybutton"
                                                          << "disable";
    }

    void stateIsVisible()
    {
        QFETCH(QString, shownWindow);
        QFETCH(QString, objectName);
        QFETCH(QString, change);
        CLASS_LAUNCHER_WINDOW window; // its theme styles the dialogs too
        FillView(window);
        window.resize(1330, 720);
        const std::unique_ptr<QWidget> dialog = Dialog(shownWindow);
        QWidget* shown = dialog ? dialog.get() : &window;
        shown->show();
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QWidget* target = objectName == QStringLiteral("sessionCard")
                              ? window.GetMainWindow()->GetSelectedSessionWidget()
                              : shown->findChild<QWidget*>(objectName);
        QVERIFY(target);
        target->clearFocus();
        QTRY_VERIFY(!target->hasFocus());
        const QImage before = target->grab().toImage();
        if (change == QStringLiteral("focus"))
        {
            target->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(target->hasFocus());
        }
        else
        {
            target->setEnabled(false);
        }
        QVERIFY2(target->grab().toImage() != before, "looks the same");
    }

    // The about and package manager windows take Enter and Escape as dialogs do.
    void dialogKeys_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("applies");
        QTest::newRow("Escape closes About") << "about" << false << int(Qt::Key_Escape) << true << false;
        QTest::newRow("Enter closes About") << "about" << false << int(Qt::Key_Return) << true << false;
        QTest::newRow("Escape closes the package manager")
            << "package manager" << false << int(Qt::Key_Escape) << true << false;
        QTest::newRow("Enter applies the packages")
            << "package manager" << false << int(Qt::Key_Enter) << false << true;
        QTest::newRow("Escape while a job runs does nothing")
            << "package manager" << true << int(Qt::Key_Escape) << false << false;
    }

    void dialogKeys()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, busy);
        QFETCH(int, key);
        QFETCH(bool, closes);
        QFETCH(bool, applies);
        CLASS_LAUNCHER_WINDOW window;
        // The package manager deletes itself when closed: the guard tells, and deletes what is left.
        QPointer<QWidget> guard(Dialog(dialog).release());
        const auto deleteLeft = qScopeGuard([&guard]() { delete guard.data(); });
        CLASS_MANAGE_PACKAGE* packages = qobject_cast<CLASS_MANAGE_PACKAGE*>(guard.data());
        std::unique_ptr<QSignalSpy> applied;
        if (packages != nullptr)
        {
            applied = std::make_unique<QSignalSpy>(packages, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate);
            packages->SetButtonsEnabled(!busy);
        }
        guard->show();
        QVERIFY(QTest::qWaitForWindowActive(guard));
        guard->setFocus(); // no button has the focus: Enter goes to the default one
        QTest::keyClick(guard, Qt::Key(key));
        QTRY_COMPARE(guard.isNull() || !guard->isVisible(), closes);
        if (applied)
        {
            QTRY_COMPARE(applied->count(), applies ? 1 : 0);
        }
    }

    void everyControlHasAnAccessibleName()
    {
        CLASS_LAUNCHER_WINDOW window;
        CLASS_MAIN_WINDOW* view = window.GetMainWindow();
        view->AddSessionEntry();
        CLASS_GLOBAL_SETUP* panel = new CLASS_GLOBAL_SETUP(nullptr);
        panel->BuildPanel();
        panel->BuildTypeButtons();
        view->AddSetupPanel(panel);
        for (QWidget* widget : view->findChildren<QWidget*>())
        {
            if (IsControl(widget) && !qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            {
                QVERIFY2(!widget->accessibleName().isEmpty(),
                         qPrintable(widget->metaObject()->className() + QStringLiteral(" ") +
                                    widget->objectName()));
            }
        }
    }
};

QTEST_MAIN(TestLauncherWindow)
#include "TestLauncherWindow.moc"
