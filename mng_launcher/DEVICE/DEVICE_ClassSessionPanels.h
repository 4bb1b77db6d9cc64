#ifndef DEVICE_CLASSSESSIONPANELS_H
#define DEVICE_CLASSSESSIONPANELS_H

#include <QList>
#include <QObject>

class CLASS_SETUP_VIEW;
class CLASS_MAIN_VIEW;
class CLASS_SESSION_RECORD;
class CLASS_SESSION_VERSION_LISTS;
class CLASS_TARVO_VERSION_INFO;

// The main view's side of the session back end: finds the record of a card or a panel, creates the setup
// panels, notices the user's edits (a session differs from what was saved), and keeps the cards' device
// labels, the visible panel and the bottom bar (Start/Stop, Save, Discard, web address) in step with the
// list of sessions. The list itself belongs to CLASS_MAIN_BACKEND.
class CLASS_SESSION_PANELS : public QObject
{
    Q_OBJECT

public:
    CLASS_SESSION_PANELS(CLASS_MAIN_VIEW* mainView, QList<CLASS_SESSION_RECORD*>& sessions,
                         CLASS_TARVO_VERSION_INFO* versionInfo,
                         const CLASS_SESSION_VERSION_LISTS& versionLists, QObject* parent = nullptr);

    CLASS_MAIN_VIEW* MainView() const { return mainView; }
    QList<CLASS_SESSION_RECORD*>& Sessions() const { return sessions; }

    // The record at index, the selected card's record (null when out of range), the index of a panel's
    // record (-1 when it has none).
    CLASS_SESSION_RECORD* Record(int index) const;
    CLASS_SESSION_RECORD* SelectedRecord() const;
    int IndexOfPanel(const CLASS_SETUP_VIEW* panel) const;

    CLASS_SETUP_VIEW* CreateSetupPanel();
    void ConnectChangeSignals(CLASS_SETUP_VIEW* panel);
    void SetDeviceLabels();
    void ShowOnlySelectedPanel();

    // Edits: the selected session, or the session of a panel, marked as changed since its last save.
    void MarkSessionModified();
    void MarkPanelModified(const CLASS_SETUP_VIEW* panel);
    void SetModified(int index);
    bool DiffersFromSaved(const CLASS_SESSION_RECORD* record) const;
    // The panel's name, description and port and the given configuration (with its version's text) as
    // the values last loaded or saved.
    void RememberSaved(CLASS_SESSION_RECORD* record, const QList<int>& configuration) const;
    // Sessions marked modified only because their version was missing: once it is installed and their
    // values are still the saved ones, they are clean again. Never-saved sessions keep their mark.
    void ClearSettledMarks();

    // The bottom bar of the selected session.
    void UpdateWebAddress();
    void UpdateBottomBar();
    void UpdateButtons();

private:
    CLASS_MAIN_VIEW* mainView;
    QList<CLASS_SESSION_RECORD*>& sessions;
    CLASS_TARVO_VERSION_INFO* versionInfo;
    const CLASS_SESSION_VERSION_LISTS& versionLists;
};

#endif // DEVICE_CLASSSESSIONPANELS_H
