#ifndef GUI_CLASSMAINWINDOW_H
#define GUI_CLASSMAINWINDOW_H

#include "ZR_Types.h"

#include <QFrame>
#include <QString>

class CLASS_GLOBAL_SESSION;
class CLASS_GLOBAL_SETUP;
class CLASS_SESSION_WIDGET;
class CLASS_START_WINDOW;
class QGridLayout;
class QPushButton;

// The launcher's central view: the sessions list with its buttons on the left, the selected session's
// setup panel and the bottom bar on the right. It holds no session data; the session back end drives it.
class CLASS_MAIN_WINDOW : public QFrame
{
    Q_OBJECT

public:
    explicit CLASS_MAIN_WINDOW(QWidget* parent = nullptr);

    int GetSelectedSessionIndex() const;
    CLASS_SESSION_WIDGET* GetSelectedSessionWidget() const;
    CLASS_SESSION_WIDGET* GetSessionWidget(int index) const;
    void AddSessionEntry();
    void RemoveSelectedSessionEntry();
    void DuplicateSelectedSessionEntry();
    // The selected card's device label becomes "Tarvo 4k " followed by the name.
    void SetSelectedSessionDevice(const QString& name);
    // Places a session's setup panel under "SETUP"; the back end shows only the selected one.
    void AddSetupPanel(CLASS_GLOBAL_SETUP* panel);
    void SetWebPageUrl(const QString& url);
    QString GetWebPageUrl() const;
    void SetStartEnabled(bool enabled);
    void SetSaveEnabled(bool enabled);
    void SetDiscardEnabled(bool enabled);
    void SetOpenWebEnabled(bool enabled);
    void SetStartStopText(const QString& text);

    CLASS_GLOBAL_SESSION* GetSessionList() const;
    CLASS_START_WINDOW* GetStartWindow() const;

signals:
    void SIGNAL_CreateNewSession();
    void SIGNAL_DeleteSession();
    void SIGNAL_DuplicateSession();
    void SIGNAL_SessionToHide(SDWord sessionIndex, Bool toHide);
    void SIGNAL_RequestToSaveSession();
    void SIGNAL_RequestToDiscardSession();
    void SIGNAL_RequestStartOrStopSession(SDWord sessionIndex);

private slots:
    void SLOT_StartOrStopRequested();
    void SLOT_DeleteRequested();
    void SLOT_OpenWebZkm();

private:
    void BuildLayout();
    // Ctrl+N creates, Ctrl+S saves, Delete on the list deletes.
    void AddShortcuts();
    // Duplicate and Delete act on the selected session: disabled while there is none.
    void UpdateSessionButtons();
    QPushButton* MakeButton(const QString& text, const QString& objectName);

    QGridLayout* layout;
    QPushButton* createButton;
    QPushButton* duplicateButton;
    QPushButton* deleteButton;
    CLASS_GLOBAL_SESSION* sessionList;
    CLASS_START_WINDOW* startWindow;
    QString webPageUrl;
};

#endif // GUI_CLASSMAINWINDOW_H
