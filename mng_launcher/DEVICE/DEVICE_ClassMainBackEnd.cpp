#include "DEVICE/DEVICE_ClassMainBackEnd.h"

#include "DEVICE/DEVICE_ClassMainView.h"
#include "DEVICE/DEVICE_ClassSessionArchive.h"
#include "DEVICE/DEVICE_ClassSessionCardView.h"
#include "DEVICE/DEVICE_ClassSessionEditor.h"
#include "DEVICE/DEVICE_ClassSessionListOperations.h"
#include "DEVICE/DEVICE_ClassSessionPanels.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSessionRunner.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassSessionVersionLists.h"
#include "DEVICE/DEVICE_ClassSetupView.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_FileSave.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_SessionFolders.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTimer>

namespace
{
const QString KEY_LAST_VERSION_CHECKED = QStringLiteral("TARVO_LAST_VERSION_CHECKED");
const QString KEY_PORT = QStringLiteral("PORT");
const QString KEY_NAME = QStringLiteral("NAME");
const QString KEY_DESCRIPTION = QStringLiteral("DESCRIPTION");
const QString KEY_VERSION = QStringLiteral("VERSION");
const QString KEY_DEVICE_TYPE = QStringLiteral("DEVICE_TYPE");

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
} // namespace

CLASS_MAIN_BACKEND::CLASS_MAIN_BACKEND(CLASS_MAIN_VIEW* mainView, QObject* parent,
                                       const TARVO_VERSION_INFO_LOCATIONS& locations)
    : QObject(parent), mainView(mainView), versionInfo(nullptr), runner(nullptr), panels(nullptr),
      editor(nullptr), listOperations(nullptr)
{
    const TARVO_VERSION_INFO_LOCATIONS where = locations.WithDefaults();
    applicationFolder = where.applicationFolder;
    sessionsRoot = WithTrailingSlash(where.sessionsRoot);
    if (!QDir().mkpath(sessionsRoot))
    {
        TRACE_ERROR(QStringLiteral("Failed to create the working directory : ") + sessionsRoot);
    }
    // The local copy for now: the window asks for the remote catalogue once it is on screen.
    TARVO_VERSION_INFO_LOCATIONS localCopyOnly = where;
    localCopyOnly.fetchCatalogue = false;
    versionInfo = new CLASS_TARVO_VERSION_INFO(localCopyOnly);
    versionInfo->SetVersionsTable(versionInfo->GetPackagesList());
    runner = new CLASS_SESSION_RUNNER(mainView, &sessions, versionInfo, applicationFolder, this);
    versionLists = std::make_unique<CLASS_SESSION_VERSION_LISTS>(versionInfo);
    panels = new CLASS_SESSION_PANELS(mainView, sessions, versionInfo, *versionLists, this);
    editor = new CLASS_SESSION_EDITOR(*panels, *versionLists, sessionsRoot, applicationFolder, this);
    listOperations =
        new CLASS_SESSION_LIST_OPERATIONS(*panels, *versionLists, *editor, runner, applicationFolder, this);
    LoadSessions();
    // The state file has a fixed home beside the sessions, whatever folder the launcher started from.
    const QSettings stateFile(GetStateFilePath(), QSettings::IniFormat);
    lastVersionChecked = stateFile.value(KEY_LAST_VERSION_CHECKED).toString();
    if (!stateFile.contains(KEY_LAST_VERSION_CHECKED))
    {
        SetLastVersionChecked(LAUNCHER_VERSION);
    }
    mainView->ConnectRequests(this);
    for (CLASS_SESSION_RECORD* record : qAsConst(sessions))
    {
        record->locked = true;
        record->panel->SetEditable(false);
    }
}

CLASS_MAIN_BACKEND::~CLASS_MAIN_BACKEND()
{
    // The main view may already be gone: only the processes and the records are touched here.
    runner->StopAllSessions();
    delete versionInfo;
    qDeleteAll(sessions);
    sessions.clear();
}

// ---- loading -------------------------------------------------------------------------------------------

void CLASS_MAIN_BACKEND::LoadSessions()
{
    // The same folders as --list, in the same order on every start.
    const QStringList folders = SessionFolderNames(sessionsRoot);
    QList<CLASS_SETUP_VIEW*> loaded;
    for (const QString& folder : folders)
    {
        if (ParseSession(folder))
        {
            loaded.append(sessions.constLast()->panel);
        }
    }
    if (loaded.isEmpty())
    {
        return;
    }
    panels->SetDeviceLabels();
    QTimer::singleShot(CONNECT_LOADED_DELAY_MS, this, [this, loaded]() { ConnectLoadedSessions(loaded); });
    panels->ShowOnlySelectedPanel();
    panels->UpdateBottomBar();
}

bool CLASS_MAIN_BACKEND::LoadSessionFolder(const QString& folderName)
{
    if (!ParseSession(folderName))
    {
        return false;
    }
    CLASS_SETUP_VIEW* panel = sessions.constLast()->panel;
    panels->SetDeviceLabels();
    QTimer::singleShot(CONNECT_LOADED_DELAY_MS, this, [this, panel]() { ConnectLoadedSessions({panel}); });
    panels->ShowOnlySelectedPanel();
    panels->UpdateBottomBar();
    return true;
}

void CLASS_MAIN_BACKEND::ExportRequest()
{
    const CLASS_SESSION_RECORD* record = panels->SelectedRecord();
    if (record == nullptr || record->folder.isEmpty())
    {
        return; // never saved
    }
    const QString folder = record->folder; // the dialog runs events: the record may go meanwhile
    const QString target = mainView->ChooseFolder(QStringLiteral("Export session"));
    if (target.isEmpty())
    {
        return;
    }
    // An archive the user saved before is replaced only when the user says so (and only once the new one
    // is complete).
    const QString archivePath = CLASS_SESSION_ARCHIVE::ArchivePath(folder, target);
    if (IsPathTaken(archivePath) &&
        !mainView->Confirm(QStringLiteral("The archive %1 already exists. Replace it?")
                               .arg(QDir::toNativeSeparators(archivePath))))
    {
        return;
    }
    const SESSION_ARCHIVE_RESULT result =
        CLASS_SESSION_ARCHIVE(sessionsRoot, applicationFolder)
            .Export(folder, target, CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE::Replace);
    if (!result.ok)
    {
        TRACE_ERROR(QStringLiteral("Couldn't compress session"));
        mainView->Inform(result.message);
    }
}

void CLASS_MAIN_BACKEND::ImportRequest()
{
    const QString archive = mainView->ChooseFile(QStringLiteral("Import session"),
                                                 QStringLiteral("Compressed (*.zip *.rar *.7z)"));
    if (archive.isEmpty())
    {
        return;
    }
    const SESSION_ARCHIVE_RESULT result =
        CLASS_SESSION_ARCHIVE(sessionsRoot, applicationFolder).Import(archive);
    // The folder loaded is the one unpacked, whatever the archive is called: a renamed export comes back too.
    if (!result.ok || !LoadSessionFolder(result.folderName))
    {
        const QString loadFailed =
            QStringLiteral("The session %1 could not be loaded.").arg(result.folderName);
        mainView->Inform(result.ok ? loadFailed : result.message);
    }
}

bool CLASS_MAIN_BACKEND::ParseSession(const QString& folderName)
{
    const SESSION_LOAD_RESULT result = CLASS_SESSION_SETTINGS::Load(sessionsRoot, folderName);
    if (result.status != SESSION_LOAD_STATUS::Loaded)
    {
        if (result.logIsError)
        {
            TRACE_ERROR(result.logText);
        }
        else
        {
            TRACE_INFO(result.logText);
        }
        return false;
    }
    const SESSION_SETTINGS_DATA& data = result.data;
    const QStringList& keys = result.presentKeys;
    // The session's version is matched by its text; a version the table lacks joins it (shown "Not
    // installed" when missing), so that the session keeps it rather than taking another one.
    const QString versionText = keys.contains(KEY_VERSION) ? data.versionText : versionLists->VersionText(0);
    const int tableSize = versionInfo->GetVersionsTable().size();
    const int versionKey = versionInfo->VersionKey(versionText);
    if (versionInfo->GetVersionsTable().size() != tableSize)
    {
        versionLists->RefreshPanels(sessions);
    }
    mainView->AddSessionEntry();
    CLASS_SESSION_CARD_VIEW* card = mainView->GetSelectedSessionWidget();
    CLASS_SETUP_VIEW* panel = panels->CreateSetupPanel();

    auto* record = new CLASS_SESSION_RECORD();
    record->panel = panel;
    record->folder = QDir(result.folderPath).absolutePath();
    record->settingsFile = CLASS_SESSION_SETTINGS::SettingsFilePath(record->folder);
    record->zrjIntPort = data.zrjIntPort;
    record->zrjExtPort = data.zrjExtPort;
    record->zrpIntPort = data.zrpIntPort;
    record->kb700sPort = data.kb700sPort;

    if (keys.contains(KEY_PORT))
    {
        card->SetPort(data.port);
        panel->SetPortValue(data.port);
    }
    // A hand-made file without a name keeps the card's own.
    card->SetName(keys.contains(KEY_NAME) ? data.name : card->GetName());
    panel->SetLabel(card->GetName());
    if (keys.contains(KEY_DESCRIPTION))
    {
        panel->SetDescription(data.description);
    }
    card->SetVersion(QStringLiteral("v") + versionText);
    const int deviceIndex = keys.contains(KEY_DEVICE_TYPE) ? data.deviceIndex : 0;

    const QList<int> configuration = {versionKey, deviceIndex, data.audioCard != 0 ? 1 : 0};
    panel->RestoreSelection(configuration);
    panels->RememberSaved(record, configuration);
    sessions.append(record);
    if (!versionInfo->GetInstalledVersions().contains(versionText))
    {
        panels->SetModified(sessions.size() - 1);
    }
    return true;
}

void CLASS_MAIN_BACKEND::ConnectLoadedSessions(const QList<CLASS_SETUP_VIEW*>& loadedPanels)
{
    for (CLASS_SETUP_VIEW* panel : loadedPanels)
    {
        const int index = panels->IndexOfPanel(panel);
        if (index < 0)
        {
            continue; // deleted meanwhile
        }
        panels->ConnectChangeSignals(panel);
        // An edit made before the connection would otherwise go unnoticed.
        if (panels->DiffersFromSaved(sessions.at(index)))
        {
            panels->SetModified(index);
        }
    }
    panels->SetDeviceLabels();
}

// ---- the parts' requests -------------------------------------------------------------------------------

void CLASS_MAIN_BACKEND::CreateNewSession()
{
    listOperations->CreateNewSession();
}

void CLASS_MAIN_BACKEND::DuplicateSession()
{
    listOperations->DuplicateSession();
}

void CLASS_MAIN_BACKEND::ShowSession(SDWord sessionIndex, Bool toHide)
{
    listOperations->ShowSession(sessionIndex, toHide);
}

void CLASS_MAIN_BACKEND::DeleteSession()
{
    listOperations->DeleteSession();
}

void CLASS_MAIN_BACKEND::MarkSessionModified()
{
    panels->MarkSessionModified();
}

void CLASS_MAIN_BACKEND::SLOT_SaveRequest(int sessionIndex)
{
    editor->SaveRequest(sessionIndex);
}

void CLASS_MAIN_BACKEND::DiscardRequest()
{
    editor->DiscardRequest();
}

bool CLASS_MAIN_BACKEND::WriteSessionSettings(int sessionIndex)
{
    return editor->WriteSessionSettings(sessionIndex);
}

void CLASS_MAIN_BACKEND::SLOT_RefreshUpdaters()
{
    versionLists->RefreshPanels(sessions);
    panels->ClearSettledMarks();
}

void CLASS_MAIN_BACKEND::RefreshCatalogue()
{
    versionInfo->FetchPackagesInBackground(this,
                                           [this](bool changed)
                                           {
                                               if (changed)
                                               {
                                                   AdoptNewCatalogue();
                                               }
                                           });
}

void CLASS_MAIN_BACKEND::AdoptNewCatalogue()
{
    const QMap<int, QString> before = versionInfo->GetVersionsTable();
    versionInfo->SetVersionsTable(CLASS_SESSION_VERSION_LISTS::TableKeepingSessionVersions(
        versionInfo->GetPackagesList(), sessions, before));
    versionLists->RenumberPanels(sessions, before);
    panels->ClearSettledMarks();
}

// ---- run control ---------------------------------------------------------------------------------------

void CLASS_MAIN_BACKEND::StartOrStopSession(SDWord sessionIndex)
{
    runner->StartOrStopSession(sessionIndex);
}

RUN_RESULT CLASS_MAIN_BACKEND::StartSession(int sessionIndex)
{
    return runner->StartSession(sessionIndex);
}

void CLASS_MAIN_BACKEND::StopRunningSession(int sessionIndex)
{
    runner->StopRunningSession(sessionIndex);
}

void CLASS_MAIN_BACKEND::StopSession(int sessionIndex)
{
    runner->StopSession(sessionIndex);
}

// ---- state file and read access ------------------------------------------------------------------------

QString CLASS_MAIN_BACKEND::GetStateFilePath() const
{
    return sessionsRoot + STATE_FILE_NAME;
}

QString CLASS_MAIN_BACKEND::GetLastVersionChecked() const
{
    return lastVersionChecked;
}

void CLASS_MAIN_BACKEND::SetLastVersionChecked(const QString& version)
{
    // Kept for this run even when the file cannot be replaced: the user was told about this version.
    lastVersionChecked = version;
    // Replaced as a session's settings are: a full disk or a crash leaves the old state file.
    QString errorText;
    if (!UpdateIniFile(GetStateFilePath(), {{KEY_LAST_VERSION_CHECKED, version}}, &errorText))
    {
        TRACE_ERROR(errorText);
    }
}

QString CLASS_MAIN_BACKEND::GetSessionFolder(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record != nullptr ? record->folder : QString();
}

bool CLASS_MAIN_BACKEND::IsSessionIdle(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record == nullptr || record->idle;
}

bool CLASS_MAIN_BACKEND::IsSessionModified(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record != nullptr && record->modified;
}

bool CLASS_MAIN_BACKEND::HasUnsavedChanges(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record != nullptr && record->modified && panels->DiffersFromSaved(record);
}

bool CLASS_MAIN_BACKEND::IsLostOnQuit(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record != nullptr && (record->settingsFile.isEmpty() || HasUnsavedChanges(sessionIndex));
}

QString CLASS_MAIN_BACKEND::QuitQuestion() const
{
    QStringList unsaved;
    QStringList running;
    for (int index = 0; index < sessions.size(); ++index)
    {
        const CLASS_SESSION_CARD_VIEW* card = mainView->GetSessionWidget(index);
        const QString name = card != nullptr ? QStringLiteral("\"%1\"").arg(card->GetName()) : QString();
        if (IsLostOnQuit(index))
        {
            unsaved << name;
        }
        if (!IsSessionIdle(index))
        {
            running << name;
        }
    }
    QStringList lines;
    QStringList consequences;
    if (!unsaved.isEmpty())
    {
        lines << QStringLiteral("Unsaved changes in %1.").arg(unsaved.join(QStringLiteral(", ")));
        consequences << QStringLiteral("The changes are lost.");
    }
    if (!running.isEmpty())
    {
        lines << QStringLiteral("The session %1 is running.").arg(running.join(QStringLiteral(", ")));
        consequences << QStringLiteral("Its simulator is stopped.");
    }
    return lines.isEmpty() ? QString()
                           : lines.join(QLatin1Char('\n')) + QStringLiteral("\n\nQuit anyway? ") +
                                 consequences.join(QLatin1Char(' '));
}

bool CLASS_MAIN_BACKEND::IsSessionLocked(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record != nullptr && record->locked;
}

qint64 CLASS_MAIN_BACKEND::GetSessionProcessId(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return (record != nullptr && record->process != nullptr) ? record->process->processId() : 0;
}

CLASS_SETUP_VIEW* CLASS_MAIN_BACKEND::GetSetupPanel(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = panels->Record(sessionIndex);
    return record != nullptr ? record->panel.data() : nullptr;
}
