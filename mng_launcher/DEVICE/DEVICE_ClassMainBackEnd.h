#ifndef DEVICE_CLASSMAINBACKEND_H
#define DEVICE_CLASSMAINBACKEND_H

#include "DEVICE/DEVICE_ClassSessionEditor.h"
#include "DEVICE/DEVICE_ClassSessionListOperations.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_RunResult.h"
#include "ZR_Types.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

// Every line of the session back end names its unit and the operation a reader searches for
// (SLOT_SaveRequest, DuplicateSession, DeleteSession ...), whichever part writes it.
#define SESSION_BACKEND_UNIT "mng_launcher/DEVICE/DEVICE_ClassMainBackEnd.cpp"

class CLASS_SETUP_VIEW;
class CLASS_MAIN_VIEW;
class CLASS_SESSION_PANELS;
class CLASS_SESSION_RECORD;
class CLASS_SESSION_RUNNER;
class CLASS_SESSION_VERSION_LISTS;

// The session back end: keeps the list of sessions (at most ten created or duplicated), loads them at
// start, creates, duplicates, saves, discards and deletes them on the main view's requests, keeps the
// bottom bar in step with the selected session, and holds the launcher's state file and the package
// catalogue. It is the entry point of its parts, each of which works on the list it keeps:
//   CLASS_SESSION_VERSION_LISTS    the setup panels' version choices
//   CLASS_SESSION_PANELS           records of cards and panels, edits, device labels, bottom bar
//   CLASS_SESSION_LIST_OPERATIONS  create, duplicate, show, delete
//   CLASS_SESSION_EDITOR           save and discard
//   CLASS_SESSION_RUNNER           starting and stopping simulators (run control)
// Loading at start, session archives and the state file stay here.
class CLASS_MAIN_BACKEND : public QObject
{
    Q_OBJECT

public:
    static constexpr int MAX_SESSIONS = CLASS_SESSION_LIST_OPERATIONS::MAX_SESSIONS;
    static constexpr int CONNECT_LOADED_DELAY_MS = 2500;
    static constexpr int DISCARD_BUTTONS_DELAY_MS = CLASS_SESSION_EDITOR::DISCARD_BUTTONS_DELAY_MS;
    static constexpr int DUPLICATE_SAVE_DELAY_MS = CLASS_SESSION_LIST_OPERATIONS::DUPLICATE_SAVE_DELAY_MS;

    // The locations default to the launcher's own (sessions root, executable folder, update server);
    // tests hand in temporary ones.
    CLASS_MAIN_BACKEND(CLASS_MAIN_VIEW* mainView, QObject* parent = nullptr,
                       const TARVO_VERSION_INFO_LOCATIONS& locations = TARVO_VERSION_INFO_LOCATIONS());
    ~CLASS_MAIN_BACKEND() override;

    // List operations (queued from the main view's signals).
    void LoadSessions();
    void CreateNewSession();
    void DuplicateSession();
    void ShowSession(SDWord sessionIndex, Bool toHide);
    void MarkSessionModified();
    // Saves the selected session, or the session at the index (a duplicate saving itself).
    void SLOT_SaveRequest(int sessionIndex = -1);
    void DiscardRequest();
    void DeleteSession();

    // Run control: the window's start-or-stop request (a refusal shown in a box), and a start or a stop
    // for a command, whose result says why a start was not done.
    void StartOrStopSession(SDWord sessionIndex);
    RUN_RESULT StartSession(int sessionIndex);
    void StopRunningSession(int sessionIndex);
    void StopSession(int sessionIndex);

    // The settings file of session i, written into its folder. False when it could not be written.
    bool WriteSessionSettings(int sessionIndex);
    // Loads one session folder of the sessions root; false when it was not loaded.
    bool ParseSession(const QString& folderName);
    // Loads a folder (an imported session) and completes it as the sessions loaded at start.
    bool LoadSessionFolder(const QString& folderName);

    // Session archives (from the File menu): export the selected session, import one into the list.
    void ExportRequest();
    void ImportRequest();

    // The state file's TARVO_LAST_VERSION_CHECKED.
    QString GetLastVersionChecked() const;
    void SetLastVersionChecked(const QString& version);

    // Fetches the remote catalogue without waiting (the version lists show the local copy meanwhile);
    // when it brings other versions, every version list is refilled and each session keeps its version.
    void RefreshCatalogue();

    CLASS_TARVO_VERSION_INFO* GetVersionInfo() const { return versionInfo; }
    QString GetSessionsRoot() const { return sessionsRoot; }
    QString GetApplicationFolder() const { return applicationFolder; }
    QString GetStateFilePath() const;
    int GetSessionCount() const { return sessions.size(); }
    // Read access for the import/export code and for tests; -1 / empty / null for an index out of range.
    QString GetSessionFolder(int sessionIndex) const;
    bool IsSessionIdle(int sessionIndex) const;
    bool IsSessionModified(int sessionIndex) const;
    // True when the session is marked modified and its panel's values still differ from the saved ones
    // (a change made and undone, or a notice of the program's own refill, loses nothing).
    bool HasUnsavedChanges(int sessionIndex) const;
    // True when quitting loses the session: it was never saved, or it has unsaved changes.
    bool IsLostOnQuit(int sessionIndex) const;
    // The one question before quitting, naming what quitting loses or ends: sessions never saved or
    // changed since their save, and the simulator that runs. Empty when nothing is lost or running.
    QString QuitQuestion() const;
    bool IsSessionLocked(int sessionIndex) const;
    qint64 GetSessionProcessId(int sessionIndex) const;
    CLASS_SETUP_VIEW* GetSetupPanel(int sessionIndex) const;

public slots:
    void SLOT_RefreshUpdaters();

private:
    void AdoptNewCatalogue();
    void ConnectLoadedSessions(const QList<CLASS_SETUP_VIEW*>& loadedPanels);

    CLASS_MAIN_VIEW* mainView;
    QString applicationFolder;
    QString sessionsRoot;
    QString lastVersionChecked;
    QList<CLASS_SESSION_RECORD*> sessions;
    CLASS_TARVO_VERSION_INFO* versionInfo;
    CLASS_SESSION_RUNNER* runner;
    std::unique_ptr<CLASS_SESSION_VERSION_LISTS> versionLists;
    CLASS_SESSION_PANELS* panels;
    CLASS_SESSION_EDITOR* editor;
    CLASS_SESSION_LIST_OPERATIONS* listOperations;
};

#endif // DEVICE_CLASSMAINBACKEND_H
