#include "GUI/GUI_ClassGlobalSession.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_ClassStartWindow.h"
#include "GUI/GUI_OpenAddress.h"
#include "LauncherTestEnvironment.h"
#include "OpenerStandIn.h"
#include "TraceCapture.h"

#include <QHoverEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

namespace
{
const QString SELECTED = QStringLiteral("QFrame {background-color: #2185D0; padding: 2px;}");
const QString SELECTED_HOVER = QStringLiteral("QFrame {background-color: #2493e6; padding: 2px;}");
const QString UNSELECTED = QStringLiteral("QFrame {background-color: #1B272F; padding: 2px;}");
const QString UNSELECTED_HOVER = QStringLiteral("QFrame {background-color: #283239; padding: 2px;}");

void AddSessions(CLASS_GLOBAL_SESSION& list, int count)
{
    for (int i = 0; i < count; ++i)
    {
        list.AddSession();
    }
}

QStringList Names(const CLASS_GLOBAL_SESSION& list)
{
    QStringList names;
    for (int i = 0; i < list.GetSessionCount(); ++i)
    {
        names << list.GetSession(i)->GetName();
    }
    return names;
}

// Clicks a card and lets the queued click handler run.
void ClickCard(CLASS_SESSION_WIDGET* card)
{
    QTest::mouseClick(card, Qt::LeftButton);
    QCoreApplication::processEvents();
}

void Hover(CLASS_SESSION_WIDGET* card, QEvent::Type type)
{
    QHoverEvent event(type, QPointF(5, 5), QPointF(-1, -1));
    QCoreApplication::sendEvent(card, &event);
    QCoreApplication::processEvents();
}

using HideCall = QPair<int, bool>;

QList<HideCall> HideCalls(const QSignalSpy& spy)
{
    QList<HideCall> calls;
    for (const QList<QVariant>& arguments : spy)
    {
        calls << HideCall(arguments.at(0).toInt(), arguments.at(1).toBool());
    }
    return calls;
}
} // namespace

class TestSessionList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PrepareLauncherWidgets(); }

    void newCardNames_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Session 1, 2 gives 3") << QStringList{"Session 1", "Session 2"} << "Session 3";
        QTest::newRow("only Session 2 gives 3") << QStringList{"Session 2"} << "Session 3";
        // The single pass ends on 4, which the first card bears: the next free number is taken instead.
        QTest::newRow("Session 4, 3 gives 5, not a second 4")
            << QStringList{"Session 4", "Session 3"} << "Session 5";
        QTest::newRow("Session 2, 3 gives 4") << QStringList{"Session 2", "Session 3"} << "Session 4";
        QTest::newRow("empty list gives 1") << QStringList{} << "Session 1";
    }

    void newCardNames()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, expected);
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, existing.size());
        for (int i = 0; i < existing.size(); ++i)
        {
            list.GetSession(i)->SetName(existing.at(i));
        }
        list.AddSession();
        QCOMPARE(list.GetSession(existing.size())->GetName(), expected);
    }

    void addSelectsNewCardAndHidesOthers()
    {
        CLASS_GLOBAL_SESSION list;
        QSignalSpy hide(&list, &CLASS_GLOBAL_SESSION::SIGNAL_SessionToHide);
        AddSessions(list, 3);
        QCOMPARE(list.GetSelectedIndex(), 2);
        QCOMPARE(list.GetSession(2)->styleSheet(), SELECTED);
        QCOMPARE(list.GetSession(0)->styleSheet(), UNSELECTED);
        QCOMPARE(list.GetSession(1)->styleSheet(), UNSELECTED);
        QCOMPARE(list.GetSession(2)->height(), 150);
        // No "show" for the new card: the back end shows the new session's panel itself.
        QCOMPARE(HideCalls(hide), (QList<HideCall>{{0, true}, {0, true}, {1, true}}));
        QCOMPARE(list.GetSession(2)->GetLedState(), int(CLASS_SESSION_WIDGET::LED_STOPPED));
    }

    void removeSelection_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("expectedSelected");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<QList<HideCall>>("expectedSignals");
        QTest::newRow("last of three selects the first")
            << 3 << 2 << "Session 1" << 0 << QList<HideCall>{{0, false}};
        // The signal carries the index the card had before the removal.
        QTest::newRow("middle selects the following")
            << 3 << 1 << "Session 3" << 1 << QList<HideCall>{{2, false}};
        QTest::newRow("first selects the second")
            << 3 << 0 << "Session 2" << 0 << QList<HideCall>{{1, false}};
        QTest::newRow("only card empties the list") << 1 << 0 << QString() << -1 << QList<HideCall>{};
    }

    void removeSelection()
    {
        QFETCH(int, count);
        QFETCH(int, selected);
        QFETCH(QString, expectedSelected);
        QFETCH(int, expectedIndex);
        QFETCH(QList<HideCall>, expectedSignals);

        CLASS_GLOBAL_SESSION list;
        AddSessions(list, count);
        ClickCard(list.GetSession(selected));
        QCOMPARE(list.GetSelectedIndex(), selected);

        QSignalSpy hide(&list, &CLASS_GLOBAL_SESSION::SIGNAL_SessionToHide);
        list.RemoveSelectedSession();
        QCOMPARE(list.GetSessionCount(), count - 1);
        QCOMPARE(list.GetSelectedIndex(), expectedIndex);
        QCOMPARE(HideCalls(hide), expectedSignals);
        if (expectedSelected.isEmpty())
        {
            QVERIFY(list.GetSelectedSession() == nullptr);
        }
        else
        {
            QCOMPARE(list.GetSelectedSession()->GetName(), expectedSelected);
            QCOMPARE(list.GetSelectedSession()->styleSheet(), SELECTED);
        }
    }

    void operationsOnEmptyListDoNothing()
    {
        CLASS_GLOBAL_SESSION list;
        QSignalSpy hide(&list, &CLASS_GLOBAL_SESSION::SIGNAL_SessionToHide);
        list.RemoveSelectedSession();
        list.DuplicateSelectedSession();
        QCOMPARE(list.GetSessionCount(), 0);
        QCOMPARE(list.GetSelectedIndex(), -1);
        QVERIFY(list.GetSession(0) == nullptr);
        QVERIFY(list.GetSession(-1) == nullptr);
        QCOMPARE(hide.count(), 0);
    }

    void duplicateNames_data()
    {
        QTest::addColumn<int>("plainCards");
        QTest::addColumn<QStringList>("renamedTo");
        QTest::addColumn<QList<int>>("duplicateFrom");
        QTest::addColumn<QStringList>("expectedNames");
        // Plain cards record 0 as their origin, so copies of the first card count them too.
        QTest::newRow("first card with a plain card after it")
            << 2 << QStringList{} << QList<int>{0} << QStringList{"Session 1", "Session 2", "Session 1(2)"};
        QTest::newRow("single card") << 1 << QStringList{} << QList<int>{0}
                                     << QStringList{"Session 1", "Session 1(1)"};
        QTest::newRow("second card") << 2 << QStringList{} << QList<int>{1}
                                     << QStringList{"Session 1", "Session 2", "Session 2(1)"};
        QTest::newRow("second card twice")
            << 2 << QStringList{} << QList<int>{1, 1}
            << QStringList{"Session 1", "Session 2", "Session 2(1)", "Session 2(2)"};
        // A copy's name fits in the 17 characters of a label, its number included.
        const QString longest = QStringLiteral("ABCDEFGHIJKLMNOPQ");
        QTest::newRow("17-character name")
            << 1 << QStringList{longest} << QList<int>{0} << QStringList{longest, "ABCDEFGHIJKLMN(1)"};
        // A name taken already, by hand or by a copy of another card, is passed over.
        QTest::newRow("the (1) copy exists already")
            << 3 << QStringList{"Session 1", "Lab", "Lab(1)"} << QList<int>{1}
            << QStringList{"Session 1", "Lab", "Lab(1)", "Lab(2)"};
        QTest::newRow("shortened name exists already")
            << 3 << QStringList{"Lab", longest, "ABCDEFGHIJKLMN(1)"} << QList<int>{1}
            << QStringList{"Lab", longest, "ABCDEFGHIJKLMN(1)", "ABCDEFGHIJKLMN(2)"};
    }

    void duplicateNames()
    {
        QFETCH(int, plainCards);
        QFETCH(QStringList, renamedTo);
        QFETCH(QList<int>, duplicateFrom);
        QFETCH(QStringList, expectedNames);
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, plainCards);
        for (int i = 0; i < renamedTo.size(); ++i)
        {
            list.GetSession(i)->SetName(renamedTo.at(i));
        }
        for (int source : duplicateFrom)
        {
            ClickCard(list.GetSession(source));
            list.DuplicateSelectedSession();
            QCOMPARE(list.GetSelectedIndex(), list.GetSessionCount() - 1);
            QCOMPARE(list.GetCopyOrigin(list.GetSessionCount() - 1), source);
        }
        QCOMPARE(Names(list), expectedNames);
    }

    void clickSelectsFromEventLoop()
    {
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, 2);
        QSignalSpy hide(&list, &CLASS_GLOBAL_SESSION::SIGNAL_SessionToHide);
        QTest::mouseClick(list.GetSession(0), Qt::LeftButton);
        // The click handler is queued: nothing has changed yet.
        QCOMPARE(list.GetSelectedIndex(), 1);
        QCOMPARE(hide.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(list.GetSelectedIndex(), 0);
        QCOMPARE(HideCalls(hide), (QList<HideCall>{{1, true}, {0, false}}));
        QCOMPARE(list.GetSession(0)->styleSheet(), SELECTED);
        QCOMPARE(list.GetSession(1)->styleSheet(), UNSELECTED);

        hide.clear();
        ClickCard(list.GetSession(0));
        QCOMPARE(HideCalls(hide), (QList<HideCall>{{0, true}, {0, false}}));
    }

    void clickOnRemovedCardIsIgnored()
    {
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, 2);
        QTest::mouseClick(list.GetSession(1), Qt::LeftButton);
        list.RemoveSelectedSession(); // removes card 1 before its queued click runs
        QCoreApplication::processEvents();
        QCOMPARE(list.GetSessionCount(), 1);
        QCOMPARE(list.GetSelectedIndex(), 0);
    }

    void hoverColours_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("hovered");
        QTest::addColumn<QString>("left");
        QTest::newRow("selected card") << 1 << SELECTED_HOVER << SELECTED;
        QTest::newRow("other card") << 0 << UNSELECTED_HOVER << UNSELECTED;
    }

    void hoverColours()
    {
        QFETCH(int, card);
        QFETCH(QString, hovered);
        QFETCH(QString, left);
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, 2);
        Hover(list.GetSession(card), QEvent::HoverEnter);
        QCOMPARE(list.GetSession(card)->styleSheet(), hovered);
        Hover(list.GetSession(card), QEvent::HoverLeave);
        QCOMPARE(list.GetSession(card)->styleSheet(), left);
    }

    // Under the application style sheet, set before the cards exist as the launcher does, a card keeps
    // the padding of its own style sheet (its labels would otherwise sit 2 px off) inside its 1 px border
    // (which the list's own rule must not take away).
    void cardPaddingUnderTheApplicationStyleSheet()
    {
        ApplyTheme(qApp);
        const auto unthemed = qScopeGuard([]() { qApp->setStyleSheet(QString()); });
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, 2);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const int border = 1;
        const int padding = 2;
        QCOMPARE(list.GetSession(0)->frameWidth(), border + padding);
        QCOMPARE(list.GetSession(1)->frameWidth(), border + padding);
        // The left edge, half-way down, away from the rounded corners.
        const QImage card = list.GetSession(1)->grab().toImage();
        QCOMPARE(card.pixelColor(0, card.height() / 2), QColor(QStringLiteral("#49535B")));
    }

    // Two cards, the second selected: the only Tab stop of the list. Space or Enter selects the card that
    // takes it; the arrows, Home and End move the selection from there.
    void keyboardSelectsCard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("card");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QList<HideCall>>("calls");
        const QList<HideCall> toFirst{{1, true}, {0, false}};
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << 0 << toFirst;
        QTest::newRow("return") << int(Qt::Key_Return) << 0 << 0 << toFirst;
        QTest::newRow("enter") << int(Qt::Key_Enter) << 0 << 0 << toFirst;
        QTest::newRow("up") << int(Qt::Key_Up) << 1 << 0 << toFirst;
        QTest::newRow("home") << int(Qt::Key_Home) << 1 << 0 << toFirst;
        QTest::newRow("down at the end stays") << int(Qt::Key_Down) << 1 << 1 << QList<HideCall>{};
        QTest::newRow("end at the end stays") << int(Qt::Key_End) << 1 << 1 << QList<HideCall>{};
    }

    void keyboardSelectsCard()
    {
        QFETCH(int, key);
        QFETCH(int, card);
        QFETCH(int, selected);
        QFETCH(QList<HideCall>, calls);
        CLASS_GLOBAL_SESSION list;
        AddSessions(list, 2);
        QCOMPARE(list.GetSession(1)->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(list.GetSession(0)->focusPolicy(), Qt::ClickFocus);
        QSignalSpy hide(&list, &CLASS_GLOBAL_SESSION::SIGNAL_SessionToHide);
        QTest::keyClick(list.GetSession(card), Qt::Key(key));
        QCoreApplication::processEvents();
        QCOMPARE(list.GetSelectedIndex(), selected);
        QCOMPARE(HideCalls(hide), calls);
        QCOMPARE(list.GetSession(selected)->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(list.GetSession(1 - selected)->focusPolicy(), Qt::ClickFocus);
    }

    void ledStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("running") << 0 << 0 << "running";
        QTest::newRow("waiting") << 1 << 1 << "waiting";
        QTest::newRow("stopped") << 2 << 2 << "not running";
        QTest::newRow("unknown keeps the LED") << 7 << 0 << "running";
        QTest::newRow("negative keeps the LED") << -1 << 0 << "running";
    }

    void ledStates()
    {
        QFETCH(int, state);
        QFETCH(int, expected);
        QFETCH(QString, spoken);
        CLASS_SESSION_WIDGET card(nullptr, 1);
        card.SetLedState(0);
        card.SetLedState(state);
        QCOMPARE(card.GetLedState(), expected);
        QVERIFY(!card.LedPixmap().isNull());
        QVERIFY2(card.accessibleName().endsWith(QStringLiteral(", ") + spoken),
                 qPrintable(card.accessibleName()));
    }

    void cardTextsAndAccessibleName()
    {
        CLASS_SESSION_WIDGET card(nullptr, 4);
        QCOMPARE(card.GetName(), QStringLiteral("Session 4"));
        QCOMPARE(card.GetDevice(), QStringLiteral("Tarvo 4k Orvane 4K"));
        QCOMPARE(card.GetPort(), QStringLiteral("3000"));
        QCOMPARE(card.accessibleName(),
                 QStringLiteral("Session 4, Tarvo 4k Orvane 4K, port 3000, not running"));
        card.SetName(QStringLiteral("Lab"));
        card.SetDevice(QStringLiteral("Brekka 4K"));
        card.SetPort(8080);
        card.SetVersion(QStringLiteral("v3.1.51"));
        card.SetLedState(0);
        QCOMPARE(card.GetPort(), QStringLiteral("8080"));
        QCOMPARE(card.accessibleName(), QStringLiteral("Lab, Tarvo 4k Brekka 4K, port 8080, running"));
        QVERIFY(card.accessibleDescription().contains(QStringLiteral("v3.1.51")));
    }

    // A name (or model) cut to fit carries the whole text in its tooltip, also when it was set while the
    // card was hidden (the cut is worked out once the card has its width).
    void cutNameShowsWholeNameAsTooltip_data()
    {
        QTest::addColumn<bool>("setWhileHidden");
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cut");
        const QString longName = QStringLiteral("A session name far too long for any card");
        const int name = CLASS_SESSION_WIDGET::PART_NAME;
        QTest::newRow("long, set while hidden") << true << name << longName << true;
        QTest::newRow("long, set while shown") << false << name << longName << true;
        QTest::newRow("short, set while shown") << false << name << QStringLiteral("Lab") << false;
        QTest::newRow("long model") << false << int(CLASS_SESSION_WIDGET::PART_DEVICE)
                                    << QStringLiteral("Orvane 4K of a model name far too long") << true;
    }

    void cutNameShowsWholeNameAsTooltip()
    {
        QFETCH(bool, setWhileHidden);
        QFETCH(int, part);
        QFETCH(QString, name);
        QFETCH(bool, cut);
        CLASS_SESSION_WIDGET card(nullptr, 1);
        card.setFixedWidth(200);
        const auto set = [&card, part](const QString& text)
        { part == CLASS_SESSION_WIDGET::PART_NAME ? card.SetName(text) : card.SetDevice(text); };
        if (setWhileHidden)
        {
            set(name);
        }
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        if (!setWhileHidden)
        {
            set(QStringLiteral("A session name far too long for any card, set first"));
            set(name);
        }
        const QRect place = card.PartGeometry(CLASS_SESSION_WIDGET::CARD_PART(part));
        QVERIFY(!place.isEmpty());
        QTextDocument tip; // the tooltip carries the name as escaped rich text
        tip.setHtml(card.ToolTipAt(place.center()));
        const QString whole = part == CLASS_SESSION_WIDGET::PART_NAME ? name : card.GetDevice();
        QCOMPARE(tip.toPlainText(), cut ? whole : QString());
    }

    void startStopCarriesSelectedIndex_data()
    {
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty list") << 0 << -1;
        QTest::newRow("two cards, last selected") << 2 << 1;
    }

    void startStopCarriesSelectedIndex()
    {
        QFETCH(int, cards);
        QFETCH(int, expected);
        CLASS_MAIN_WINDOW view;
        for (int i = 0; i < cards; ++i)
        {
            view.AddSessionEntry();
        }
        view.SetStartEnabled(true);
        QSignalSpy startStop(&view, &CLASS_MAIN_WINDOW::SIGNAL_RequestStartOrStopSession);
        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("startButton")), Qt::LeftButton);
        QCOMPARE(startStop.count(), 0); // queued
        QTRY_COMPARE(startStop.count(), 1);
        QCOMPARE(startStop.at(0).at(0).toInt(), expected);
    }

    void buttonsEmitRequests_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("create") << "createSessionButton" << QByteArray(SIGNAL(SIGNAL_CreateNewSession()));
        QTest::newRow("duplicate") << "duplicateSessionButton"
                                   << QByteArray(SIGNAL(SIGNAL_DuplicateSession()));
        QTest::newRow("delete") << "deleteSessionButton" << QByteArray(SIGNAL(SIGNAL_DeleteSession()));
        QTest::newRow("save") << "saveButton" << QByteArray(SIGNAL(SIGNAL_RequestToSaveSession()));
        QTest::newRow("discard") << "discardButton" << QByteArray(SIGNAL(SIGNAL_RequestToDiscardSession()));
    }

    void buttonsEmitRequests()
    {
        QFETCH(QString, button);
        QFETCH(QByteArray, signal);
        CLASS_MAIN_WINDOW view;
        view.AddSessionEntry(); // Duplicate and Delete act on a selected session
        view.SetSaveEnabled(true);
        view.SetDiscardEnabled(true);
        // Delete asks first.
        CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::Yes);
        const auto forgetAnswer =
            qScopeGuard([]() { CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::NoButton); });
        QSignalSpy spy(&view, signal.constData());
        QTest::mouseClick(view.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 1);
    }

    // Duplicate and Delete need a selected session, and an empty list says how to begin.
    void emptyListDisablesAndExplains_data()
    {
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("removed");
        QTest::newRow("new view") << 0 << 0;
        QTest::newRow("one card") << 1 << 0;
        QTest::newRow("only card removed") << 1 << 1;
        QTest::newRow("one of two removed") << 2 << 1;
    }

    void emptyListDisablesAndExplains()
    {
        QFETCH(int, added);
        QFETCH(int, removed);
        CLASS_MAIN_WINDOW view;
        for (int card = 0; card < added; ++card)
        {
            view.AddSessionEntry();
        }
        for (int card = 0; card < removed; ++card)
        {
            view.RemoveSelectedSessionEntry();
        }
        const bool empty = added == removed;
        QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("duplicateSessionButton"))->isEnabled(), !empty);
        QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("deleteSessionButton"))->isEnabled(), !empty);
        QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("createSessionButton"))->isEnabled(), true);
        const QLabel* hint = view.findChild<QLabel*>(QStringLiteral("emptyListHint"));
        QVERIFY(hint);
        QCOMPARE(hint->isVisibleTo(&view), empty);
        QVERIFY(hint->text().contains(QStringLiteral("Create New Session")));
        if (empty)
        {
            // The whole text fits the list's width: its last line ("... Import Session Files.") shows.
            view.resize(1000, 600);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QTRY_VERIFY(hint->height() >= hint->heightForWidth(hint->width()));
        }
    }

    void bottomBarStartsDisabled()
    {
        CLASS_MAIN_WINDOW view;
        const QStringList names{"saveButton", "discardButton", "startButton", "openWebButton"};
        for (const QString& name : names)
        {
            QPushButton* button = view.findChild<QPushButton*>(name);
            QVERIFY2(button && !button->isEnabled(), qPrintable(name));
        }
        view.SetStartStopText(QStringLiteral("Stop Session"));
        QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("startButton"))->text(),
                 QStringLiteral("Stop Session"));
    }

    void sessionToHideIsForwarded()
    {
        CLASS_MAIN_WINDOW view;
        view.AddSessionEntry();
        view.AddSessionEntry();
        QCoreApplication::processEvents(); // the forwarded hide of the first card
        QSignalSpy hide(&view, &CLASS_MAIN_WINDOW::SIGNAL_SessionToHide);
        ClickCard(view.GetSessionWidget(0));
        QTRY_COMPARE(hide.count(), 2);
        QCOMPARE(HideCalls(hide), (QList<HideCall>{{1, true}, {0, false}}));
        view.SetSelectedSessionDevice(QStringLiteral("Dalvogrid 4K"));
        QCOMPARE(view.GetSessionWidget(0)->GetDevice(), QStringLiteral("Tarvo 4k Dalvogrid 4K"));
    }

    // When the desktop's opener cannot show the page (it is not there, or it ends with an error because no
    // browser could open it) a box tells the address and offers to copy it, and the log says why.
    void openWebZkmOpensStoredAddress_data()
    {
        QTest::addColumn<int>("opener");     // its exit status; -1: not installed
        QTest::addColumn<QString>("logged"); // the reason, after the opener's path; empty: no box
        QTest::newRow("with a browser") << 0 << QString();
        QTest::newRow("without a browser") << -1 << " could not be started: ";
        QTest::newRow("browser fails after the opener started") << 3 << " ended with exit status 3";
    }

    void openWebZkmOpensStoredAddress()
    {
        QFETCH(int, opener);
        QFETCH(QString, logged);
        const QString address = QStringLiteral("http://127.0.0.1:4000");
        const OPENER_STAND_IN standIn(qMax(opener, 0));
        QVERIFY(!standIn.Program().isEmpty());
        const QString program = opener < 0 ? standIn.MissingProgram() : standIn.Program();
        const auto noStandIn = UseDesktopOpener(program);
        TraceCapture traces;
        CLASS_MESSAGE_BOX::SetAutoAnswer(true);
        const auto noAutoAnswer = qScopeGuard([]() { CLASS_MESSAGE_BOX::SetAutoAnswer(false); });
        CLASS_MESSAGE_BOX::ClearHistory();
        CLASS_MAIN_WINDOW view;
        view.SetWebPageUrl(address);
        view.SetOpenWebEnabled(true);
        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("openWebButton")), Qt::LeftButton);
        if (opener >= 0)
        {
            QTRY_COMPARE(standIn.Arguments(), QStringList{address});
        }
        if (logged.isEmpty())
        {
            QTRY_VERIFY(DesktopOpenersEnded());
            QVERIFY(CLASS_MESSAGE_BOX::Texts().isEmpty());
            return;
        }
        QTRY_COMPARE(CLASS_MESSAGE_BOX::Texts().size(), 1);
        QCOMPARE(CLASS_MESSAGE_BOX::LastText(), BROWSER_NOT_OPENED_TEXT + QStringLiteral("\n\n") + address);
        QCOMPARE(CLASS_MESSAGE_BOX::LastCopyText(), address);
        QVERIFY2(traces.HasError(QStringLiteral("Cannot open ") + address + QStringLiteral(": ") + program +
                                 logged),
                 qPrintable(traces.AllErrors().join(QString())));
    }
};

QTEST_MAIN(TestSessionList)
#include "TestSessionList.moc"
