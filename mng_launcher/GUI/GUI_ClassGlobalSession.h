#ifndef GUI_CLASSGLOBALSESSION_H
#define GUI_CLASSGLOBALSESSION_H

#include "ZR_Types.h"

#include <QFrame>
#include <QList>

class CLASS_SESSION_WIDGET;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The sessions list: one card per session in display order; a card's position is its session index.
// The cards take the list's width (it never scrolls sideways) and the selected card is kept in view.
// For the keyboard the list is one stop, as a list view is: Tab reaches the selected card, the arrow
// keys, Home and End move the selection, and the focus goes with the selection while the list has it.
class CLASS_GLOBAL_SESSION : public QFrame
{
    Q_OBJECT

public:
    explicit CLASS_GLOBAL_SESSION(QWidget* parent = nullptr);

    // Index of the selected card, -1 when the list is empty or nothing is selected.
    int GetSelectedIndex() const;
    CLASS_SESSION_WIDGET* GetSelectedSession() const;
    // The card at the index, null when the index is out of range.
    CLASS_SESSION_WIDGET* GetSession(int index) const;
    int GetSessionCount() const;
    // Index of the card a card was duplicated from, 0 for a plain card; -1 for an index out of range.
    int GetCopyOrigin(int index) const;

    void AddSession();
    void RemoveSelectedSession();
    void DuplicateSelectedSession();

protected:
    void showEvent(QShowEvent* event) override;

signals:
    // toHide true: the card at sessionIndex stopped being the selected one; false: it became it.
    void SIGNAL_SessionToHide(SDWord sessionIndex, Bool toHide);

private slots:
    void SLOT_SessionClicked(CLASS_SESSION_WIDGET* session);
    void SLOT_SessionHoverEnter(CLASS_SESSION_WIDGET* session);
    void SLOT_SessionHoverLeave(CLASS_SESSION_WIDGET* session);
    void SLOT_SessionMoveWithKeyboard(CLASS_SESSION_WIDGET* session, int key);
    void SLOT_SessionFocusIn(CLASS_SESSION_WIDGET* session);

private:
    // "Session n" with the number of the cards' count plus one, raised past the names met; a name that
    // some card still has is never given again.
    int NextSessionNumber() const;
    // The number of copies made of the card at sourceIndex, the newest copy included.
    int CopyCount(int sourceIndex) const;
    // The source name followed by "(n)", the name shortened so that it fits in a session label, with the
    // first n from copyNumber on that no other card than the copy bears.
    QString UniqueCopyName(const QString& sourceName, int copyNumber, const CLASS_SESSION_WIDGET* copy) const;
    bool NameTaken(const QString& name, const CLASS_SESSION_WIDGET* except) const;
    void SetCardStyle(CLASS_SESSION_WIDGET* session, bool selected, bool hovered);
    // Scrolls the selected card into view once the event loop has laid the cards out.
    void ScrollToSelected();
    // True while a card of the list has the keyboard focus.
    bool HoldsFocus() const;
    // After the selection moved: only the selected card is a Tab stop; it takes the focus when the list
    // held it, and it is scrolled into view.
    void FollowSelection(bool hadFocus);
    // The hint while the list is empty, the cards at the top of the list otherwise.
    void ShowHintWhenEmpty();

    QVBoxLayout* outerLayout;
    QVBoxLayout* cardLayout;
    QList<CLASS_SESSION_WIDGET*> sessions;
    QScrollArea* scrollArea;
    int sessionCount;
    QList<int> copyOrigins;
    CLASS_SESSION_WIDGET* selectedSession;
    // Shown while the list is empty: how to begin.
    QLabel* emptyHint;
};

#endif // GUI_CLASSGLOBALSESSION_H
