#ifndef GUI_CLASSMAINWINDOW_H
#define GUI_CLASSMAINWINDOW_H

#include "DEVICE/DEVICE_ClassMainView.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "ZR_Types.h"

#include <QFrame>
#include <QString>

class CLASS_GLOBAL_SESSION;
class CLASS_GLOBAL_SETUP;
class CLASS_START_WINDOW;
class QGridLayout;
class QPushButton;

// The launcher's central view: the sessions list with its buttons on the left, the selected session's
// setup panel and the bottom bar on the right. It holds no session data; the session back end drives it
// through CLASS_MAIN_VIEW.
class CLASS_MAIN_WINDOW : public QFrame, public CLASS_MAIN_VIEW
{
    Q_OBJECT

public:
    explicit CLASS_MAIN_WINDOW(QWidget* parent = nullptr);

    void ConnectRequests(CLASS_MAIN_BACKEND* backend) override;
    int GetSelectedSessionIndex() const override;
    CLASS_SESSION_WIDGET* GetSelectedSessionWidget() const override;
    CLASS_SESSION_WIDGET* GetSessionWidget(int index) const override;
    void AddSessionEntry() override;
    void RemoveSelectedSessionEntry() override;
    void DuplicateSelectedSessionEntry() override;
    void SetSelectedSessionDevice(const QString& name) override;
    CLASS_SETUP_VIEW* CreateSetupPanel(CLASS_TARVO_VERSION_INFO* versionInfo) override;
    // Places a session's setup panel under "SETUP"; the back end shows only the selected one.
    void AddSetupPanel(CLASS_SETUP_VIEW* panel) override;
    void SetWebPageUrl(const QString& url) override;
    QString GetWebPageUrl() const override;
    void SetStartEnabled(bool enabled) override;
    void SetSaveEnabled(bool enabled) override;
    void SetDiscardEnabled(bool enabled) override;
    void SetOpenWebEnabled(bool enabled) override;
    void SetStartStopText(const QString& text) override;
    // The boxes and file dialogs of the session operations, titled as every box of the launcher.
    void Inform(const QString& text) override;
    void Warn(const QString& text) override;
    bool Confirm(const QString& question) override;
    QString ChooseFolder(const QString& caption) override;
    QString ChooseFile(const QString& caption, const QString& filter) override;

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
