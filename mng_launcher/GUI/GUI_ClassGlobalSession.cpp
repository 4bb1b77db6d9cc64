#include "GUI/GUI_ClassGlobalSession.h"

#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_TextCut.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
constexpr int CARD_HEIGHT = 150;
constexpr int LIST_MARGIN = 6;

const QString STYLE_SELECTED = QStringLiteral("QFrame {background-color: #2185D0; padding: 2px;}");
const QString STYLE_SELECTED_HOVER = QStringLiteral("QFrame {background-color: #2493e6; padding: 2px;}");
const QString STYLE_UNSELECTED = QStringLiteral("QFrame {background-color: #1B272F; padding: 2px;}");
const QString STYLE_UNSELECTED_HOVER = QStringLiteral("QFrame {background-color: #283239; padding: 2px;}");
const QString EMPTY_HINT =
    QStringLiteral("No sessions yet.\n\nCreate one with \"Create New Session\" (Ctrl+N) "
                   "below, or import one with File > Import Session Files.");

QString SessionName(int number)
{
    return QStringLiteral("Session %1").arg(number);
}
} // namespace

CLASS_GLOBAL_SESSION::CLASS_GLOBAL_SESSION(QWidget* parent)
    : QFrame(parent), outerLayout(new QVBoxLayout(this)), cardLayout(nullptr),
      scrollArea(new QScrollArea(this)), sessionCount(0), selectedSession(nullptr), emptyHint(nullptr)
{
    outerLayout->setContentsMargins(0, 0, 0, 0);
    scrollArea->setWidgetResizable(true);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setAccessibleName(QStringLiteral("Sessions"));
    // The cards take the keyboard, not the area around them.
    scrollArea->setFocusPolicy(Qt::NoFocus);
    QWidget* content = new QWidget(scrollArea);
    cardLayout = new QVBoxLayout(content);
    cardLayout->setContentsMargins(LIST_MARGIN, LIST_MARGIN, LIST_MARGIN, LIST_MARGIN);
    // The hint comes after: the area sizes its content now, and the hint's wrapped text is measured
    // only if it is still shown when the list is (the first card hides it).
    scrollArea->setWidget(content);
    emptyHint = new QLabel(EMPTY_HINT, content);
    emptyHint->setObjectName(QStringLiteral("emptyListHint"));
    emptyHint->setWordWrap(true);
    emptyHint->setAlignment(Qt::AlignCenter);
    // At the top, as tall as its text wraps to at the list's width. (The whole list's alignment, which
    // ShowHintWhenEmpty sets only while there are cards, would give it the height of its text at its
    // preferred width and cut its last lines.)
    cardLayout->addWidget(emptyHint, 0, Qt::AlignTop);
    outerLayout->addWidget(scrollArea);
}

int CLASS_GLOBAL_SESSION::GetSelectedIndex() const
{
    return sessions.indexOf(selectedSession);
}

CLASS_SESSION_WIDGET* CLASS_GLOBAL_SESSION::GetSelectedSession() const
{
    return selectedSession;
}

CLASS_SESSION_WIDGET* CLASS_GLOBAL_SESSION::GetSession(int index) const
{
    if (index < 0 || index >= sessions.size())
    {
        return nullptr;
    }
    return sessions.at(index);
}

int CLASS_GLOBAL_SESSION::GetSessionCount() const
{
    return sessionCount;
}

int CLASS_GLOBAL_SESSION::GetCopyOrigin(int index) const
{
    return copyOrigins.value(index, -1);
}

int CLASS_GLOBAL_SESSION::NextSessionNumber() const
{
    // A single pass in list order: a name met after the number was raised past it is not looked at again.
    int number = sessionCount + 1;
    for (const CLASS_SESSION_WIDGET* session : sessions)
    {
        if (session->GetName() == SessionName(number))
        {
            ++number;
        }
    }
    // The pass can end on a name it went by (Session 4 then Session 3 gives 4): two cards with one name
    // could not be told apart by name.
    while (NameTaken(SessionName(number), nullptr))
    {
        ++number;
    }
    return number;
}

int CLASS_GLOBAL_SESSION::CopyCount(int sourceIndex) const
{
    // Plain cards record 0, so copies of the first card also count the plain cards after it.
    int copies = 0;
    for (int position = 1; position < sessionCount; ++position)
    {
        if (copyOrigins.at(position) == sourceIndex)
        {
            ++copies;
        }
    }
    return copies;
}

QString CLASS_GLOBAL_SESSION::UniqueCopyName(const QString& sourceName, int copyNumber,
                                             const CLASS_SESSION_WIDGET* copy) const
{
    QString name;
    do
    {
        // The number must show in the label: the source's end gives way to it.
        const QString suffix = QStringLiteral("(%1)").arg(copyNumber++);
        name = LeftWholeCharacters(sourceName, CLASS_GLOBAL_SETUP::LABEL_MAX_LENGTH - suffix.size()) + suffix;
    } while (NameTaken(name, copy));
    return name;
}

bool CLASS_GLOBAL_SESSION::NameTaken(const QString& name, const CLASS_SESSION_WIDGET* except) const
{
    return std::any_of(sessions.cbegin(), sessions.cend(),
                       [&name, except](const CLASS_SESSION_WIDGET* session)
                       { return session != except && session->GetName() == name; });
}

void CLASS_GLOBAL_SESSION::AddSession()
{
    const bool hadFocus = HoldsFocus();
    const int previousCount = sessions.size();
    CLASS_SESSION_WIDGET* session = new CLASS_SESSION_WIDGET(cardLayout->parentWidget(), NextSessionNumber());
    sessions.append(session);
    session->setFixedHeight(CARD_HEIGHT);
    ShowHintWhenEmpty();
    cardLayout->addWidget(session);

    selectedSession = session;
    SetCardStyle(session, true, false);

    connect(session, &CLASS_SESSION_WIDGET::SIGNAL_ClickedWithMouse, this,
            &CLASS_GLOBAL_SESSION::SLOT_SessionClicked, Qt::QueuedConnection);
    connect(session, &CLASS_SESSION_WIDGET::SIGNAL_ActivatedWithKeyboard, this,
            &CLASS_GLOBAL_SESSION::SLOT_SessionClicked, Qt::QueuedConnection);
    connect(session, &CLASS_SESSION_WIDGET::SIGNAL_HoverEnter, this,
            &CLASS_GLOBAL_SESSION::SLOT_SessionHoverEnter, Qt::QueuedConnection);
    connect(session, &CLASS_SESSION_WIDGET::SIGNAL_HoverLeave, this,
            &CLASS_GLOBAL_SESSION::SLOT_SessionHoverLeave, Qt::QueuedConnection);
    connect(session, &CLASS_SESSION_WIDGET::SIGNAL_MoveWithKeyboard, this,
            &CLASS_GLOBAL_SESSION::SLOT_SessionMoveWithKeyboard, Qt::QueuedConnection);
    connect(session, &CLASS_SESSION_WIDGET::SIGNAL_FocusIn, this, &CLASS_GLOBAL_SESSION::SLOT_SessionFocusIn,
            Qt::QueuedConnection);

    for (int index = 0; index < previousCount; ++index)
    {
        emit SIGNAL_SessionToHide(index, true);
        SetCardStyle(sessions.at(index), false, false);
    }

    ++sessionCount;
    copyOrigins.append(0);
    FollowSelection(hadFocus);
}

void CLASS_GLOBAL_SESSION::RemoveSelectedSession()
{
    const int index = sessions.indexOf(selectedSession);
    if (sessions.isEmpty() || index < 0)
    {
        return;
    }

    const bool hadFocus = HoldsFocus();
    CLASS_SESSION_WIDGET* removed = selectedSession;
    if (sessions.size() == 1)
    {
        selectedSession = nullptr;
    }
    else
    {
        const int nextIndex = (index == sessions.size() - 1) ? 0 : index + 1;
        selectedSession = sessions.at(nextIndex);
        SetCardStyle(selectedSession, true, false);
        // The index is the one the card had before the removal; the back end shows the selected session.
        emit SIGNAL_SessionToHide(nextIndex, false);
    }

    sessions.removeAt(index);
    delete removed;
    --sessionCount;
    copyOrigins.removeAt(index);
    ShowHintWhenEmpty();
    FollowSelection(hadFocus);
}

void CLASS_GLOBAL_SESSION::ShowHintWhenEmpty()
{
    emptyHint->setVisible(sessions.isEmpty());
    // The cards keep their height and stand at the top of the list.
    cardLayout->setAlignment(sessions.isEmpty() ? Qt::Alignment() : Qt::AlignTop);
}

void CLASS_GLOBAL_SESSION::DuplicateSelectedSession()
{
    if (sessions.isEmpty())
    {
        return;
    }
    int sourceIndex = sessions.indexOf(selectedSession);
    if (sourceIndex < 0)
    {
        sourceIndex = 0;
    }
    const QString sourceName = sessions.at(sourceIndex)->GetName();

    AddSession();
    const int copyIndex = sessions.indexOf(selectedSession);
    copyOrigins[copyIndex] = sourceIndex;
    selectedSession->SetName(UniqueCopyName(sourceName, CopyCount(sourceIndex), selectedSession));
}

void CLASS_GLOBAL_SESSION::SLOT_SessionClicked(CLASS_SESSION_WIDGET* session)
{
    // The click arrives from the event loop: a card removed meanwhile is no longer ours to select.
    if (!sessions.contains(session))
    {
        return;
    }

    const bool hadFocus = HoldsFocus();
    CLASS_SESSION_WIDGET* previous = selectedSession;
    const int previousIndex = sessions.indexOf(previous);
    if (previousIndex >= 0)
    {
        emit SIGNAL_SessionToHide(previousIndex, true);
        SetCardStyle(previous, false, false);
    }

    selectedSession = session;
    SetCardStyle(session, true, false);
    emit SIGNAL_SessionToHide(sessions.indexOf(session), false);
    FollowSelection(hadFocus);
}

void CLASS_GLOBAL_SESSION::SLOT_SessionMoveWithKeyboard(CLASS_SESSION_WIDGET* session, int key)
{
    const int from = sessions.indexOf(session);
    if (from < 0)
    {
        return;
    }
    int to = from;
    switch (key)
    {
    case Qt::Key_Up:
        to = from - 1;
        break;
    case Qt::Key_Down:
        to = from + 1;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = sessions.size() - 1;
        break;
    default:
        break;
    }
    // At either end the selection stays where it is, announcing nothing.
    CLASS_SESSION_WIDGET* target = GetSession(to);
    if (target != nullptr && target != selectedSession)
    {
        SLOT_SessionClicked(target);
    }
}

void CLASS_GLOBAL_SESSION::SLOT_SessionFocusIn(CLASS_SESSION_WIDGET* session)
{
    // Also a card that the user scrolled away from comes into view when the keyboard reaches it.
    if (sessions.contains(session) && session->hasFocus())
    {
        scrollArea->ensureWidgetVisible(session, 0, 0);
    }
}

void CLASS_GLOBAL_SESSION::SLOT_SessionHoverEnter(CLASS_SESSION_WIDGET* session)
{
    if (sessions.contains(session))
    {
        SetCardStyle(session, session == selectedSession, true);
    }
}

void CLASS_GLOBAL_SESSION::SLOT_SessionHoverLeave(CLASS_SESSION_WIDGET* session)
{
    if (sessions.contains(session))
    {
        SetCardStyle(session, session == selectedSession, false);
    }
}

void CLASS_GLOBAL_SESSION::SetCardStyle(CLASS_SESSION_WIDGET* session, bool selected, bool hovered)
{
    const QString& style = selected ? (hovered ? STYLE_SELECTED_HOVER : STYLE_SELECTED)
                                    : (hovered ? STYLE_UNSELECTED_HOVER : STYLE_UNSELECTED);
    // Setting a card's style sheet again repolishes all its labels, even when the text is the same.
    if (session->styleSheet() != style)
    {
        session->setStyleSheet(style);
    }
}

void CLASS_GLOBAL_SESSION::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    ScrollToSelected();
}

bool CLASS_GLOBAL_SESSION::HoldsFocus() const
{
    const QWidget* focused = QApplication::focusWidget();
    return focused != nullptr && isAncestorOf(focused);
}

void CLASS_GLOBAL_SESSION::FollowSelection(bool hadFocus)
{
    for (CLASS_SESSION_WIDGET* session : sessions)
    {
        session->setFocusPolicy(session == selectedSession ? Qt::StrongFocus : Qt::ClickFocus);
    }
    if (hadFocus && selectedSession != nullptr)
    {
        selectedSession->setFocus(Qt::OtherFocusReason);
    }
    ScrollToSelected();
}

void CLASS_GLOBAL_SESSION::ScrollToSelected()
{
    // The timer belongs to the list: it does not fire once the list is gone.
    QTimer::singleShot(0, this,
                       [this]()
                       {
                           if (selectedSession != nullptr)
                           {
                               scrollArea->ensureWidgetVisible(selectedSession, 0, 0);
                           }
                       });
}
