#ifndef DEVICE_CLASSMAINVIEW_H
#define DEVICE_CLASSMAINVIEW_H

#include <QString>

class CLASS_MAIN_BACKEND;
class CLASS_SESSION_CARD_VIEW;
class CLASS_SETUP_VIEW;
class CLASS_TARVO_VERSION_INFO;

// The launcher's central view as the session back end drives it: the sessions list with its cards, the
// selected session's setup panel, the bottom bar, and the boxes and file dialogs that the back end's
// operations need. The main window implements it; a run without a window uses CLASS_NULL_VIEW.
class CLASS_MAIN_VIEW
{
public:
    virtual ~CLASS_MAIN_VIEW() = default;

    // The view's requests (create, duplicate, delete, show, save, discard, start or stop) reach the back
    // end's operations from the event loop.
    virtual void ConnectRequests(CLASS_MAIN_BACKEND* backend) = 0;

    // The sessions list: -1 and null when nothing is selected or the index is out of range.
    virtual int GetSelectedSessionIndex() const = 0;
    virtual CLASS_SESSION_CARD_VIEW* GetSelectedSessionWidget() const = 0;
    virtual CLASS_SESSION_CARD_VIEW* GetSessionWidget(int index) const = 0;
    virtual void AddSessionEntry() = 0;
    virtual void RemoveSelectedSessionEntry() = 0;
    virtual void DuplicateSelectedSessionEntry() = 0;
    // The selected card's device label becomes "Tarvo 4k " followed by the name.
    virtual void SetSelectedSessionDevice(const QString& name) = 0;

    // A new setup panel (hidden, its widgets built when first shown); null without a view. It joins the
    // view once filled, with AddSetupPanel.
    virtual CLASS_SETUP_VIEW* CreateSetupPanel(CLASS_TARVO_VERSION_INFO* versionInfo) = 0;
    virtual void AddSetupPanel(CLASS_SETUP_VIEW* panel) = 0;

    // The bottom bar.
    virtual void SetWebPageUrl(const QString& url) = 0;
    virtual QString GetWebPageUrl() const = 0;
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual void SetSaveEnabled(bool enabled) = 0;
    virtual void SetDiscardEnabled(bool enabled) = 0;
    virtual void SetOpenWebEnabled(bool enabled) = 0;
    virtual void SetStartStopText(const QString& text) = 0;

    // The launcher's boxes: an information, a warning, and a Yes/No question whose default is No (true
    // for Yes).
    virtual void Inform(const QString& text) = 0;
    virtual void Warn(const QString& text) = 0;
    virtual bool Confirm(const QString& question) = 0;
    // A folder or an existing file chosen by the user; empty when cancelled.
    virtual QString ChooseFolder(const QString& caption) = 0;
    virtual QString ChooseFile(const QString& caption, const QString& filter) = 0;
};

#endif // DEVICE_CLASSMAINVIEW_H
