#include "DEVICE/DEVICE_ClassMainBackEnd.h"

#include "DEVICE/DEVICE_ClassSessionArchive.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSessionRunner.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_FileDialog.h"
#include "GUI/GUI_MessageBox.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTimer>

namespace
{
const QString STATE_FILE_NAME = QStringLiteral("tarvoversionsconfig");
const QString KEY_LAST_VERSION_CHECKED = QStringLiteral("TARVO_LAST_VERSION_CHECKED");
const QString KEY_PORT = QStringLiteral("PORT");
const QString KEY_NAME = QStringLiteral("NAME");
const QString KEY_DESCRIPTION = QStringLiteral("DESCRIPTION");
const QString KEY_VERSION = QStringLiteral("VERSION");
const QString KEY_DEVICE_TYPE = QStringLiteral("DEVICE_TYPE");
const QString WEB_ADDRESS = QStringLiteral("http://127.0.0.1:%1");
const QString START_TEXT = QStringLiteral("Start Session");
const QString STOP_TEXT = QStringLiteral("Stop Session");

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
} // namespace

CLASS_MAIN_BACKEND::CLASS_MAIN_BACKEND(CLASS_MAIN_WINDOW* mainWindow, QObject* parent,
                                       const TARVO_VERSION_INFO_LOCATIONS& locations)
    : QObject(parent), mainWindow(mainWindow), stateFile(nullptr), versionInfo(nullptr), runner(nullptr)
{
    const TARVO_VERSION_INFO_LOCATIONS where = locations.WithDefaults();
    applicationFolder = where.applicationFolder;
    sessionsRoot = WithTrailingSlash(where.sessionsRoot);
    if (!QDir().mkpath(sessionsRoot))
    {
        TRACE_ERROR(QStringLiteral("Failed to create the working directory : ") + sessionsRoot);
    }
    // The state file has a fixed home beside the sessions, whatever folder the launcher started from.
    stateFile = new QSettings(GetStateFilePath(), QSettings::IniFormat, this);
    versionInfo = new CLASS_TARVO_VERSION_INFO(where);
    versionInfo->SetVersionsTable(versionInfo->GetPackagesList());
    runner = new CLASS_SESSION_RUNNER(mainWindow, &sessions, versionInfo, applicationFolder, this);
    LoadSessions();
    if (!stateFile->contains(KEY_LAST_VERSION_CHECKED))
    {
        SetLastVersionChecked(LAUNCHER_VERSION);
    }
    ConnectMainWindow();
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

void CLASS_MAIN_BACKEND::ConnectMainWindow()
{
    connect(mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_CreateNewSession, this,
            &CLASS_MAIN_BACKEND::CreateNewSession, Qt::QueuedConnection);
    connect(mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_DeleteSession, this, &CLASS_MAIN_BACKEND::DeleteSession,
            Qt::QueuedConnection);
    connect(mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_DuplicateSession, this,
            &CLASS_MAIN_BACKEND::DuplicateSession, Qt::QueuedConnection);
    connect(mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_SessionToHide, this, &CLASS_MAIN_BACKEND::ShowSession,
            Qt::QueuedConnection);
    connect(
        mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_RequestToSaveSession, this, [this]() { SLOT_SaveRequest(); },
        Qt::QueuedConnection);
    connect(mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_RequestToDiscardSession, this,
            &CLASS_MAIN_BACKEND::DiscardRequest, Qt::QueuedConnection);
    connect(mainWindow, &CLASS_MAIN_WINDOW::SIGNAL_RequestStartOrStopSession, this,
            &CLASS_MAIN_BACKEND::StartOrStopSession, Qt::QueuedConnection);
}

// ---- loading -------------------------------------------------------------------------------------------

void CLASS_MAIN_BACKEND::LoadSessions()
{
    // By name, which is by creation time: the list keeps the same order on every start.
    const QFileInfoList folders =
        QDir(sessionsRoot).entryInfoList(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
    QList<CLASS_GLOBAL_SETUP*> loaded;
    for (const QFileInfo& folder : folders)
    {
        if (ParseSession(folder.fileName()))
        {
            loaded.append(sessions.constLast()->panel);
        }
    }
    if (loaded.isEmpty())
    {
        return;
    }
    SetDeviceLabels();
    QTimer::singleShot(CONNECT_LOADED_DELAY_MS, this, [this, loaded]() { ConnectLoadedSessions(loaded); });
    ShowOnlySelectedPanel();
    UpdateBottomBar();
}

bool CLASS_MAIN_BACKEND::LoadSessionFolder(const QString& folderName)
{
    if (!ParseSession(folderName))
    {
        return false;
    }
    CLASS_GLOBAL_SETUP* panel = sessions.constLast()->panel;
    SetDeviceLabels();
    QTimer::singleShot(CONNECT_LOADED_DELAY_MS, this, [this, panel]() { ConnectLoadedSessions({panel}); });
    ShowOnlySelectedPanel();
    UpdateBottomBar();
    return true;
}

void CLASS_MAIN_BACKEND::ExportRequest()
{
    const CLASS_SESSION_RECORD* record = SelectedRecord();
    if (record == nullptr || record->folder.isEmpty())
    {
        return; // never saved
    }
    const QString folder = record->folder; // the dialog runs events: the record may go meanwhile
    const QString target =
        CLASS_FILE_DIALOG::GetExistingDirectory(nullptr, QStringLiteral("Export session"), QString());
    if (target.isEmpty())
    {
        return;
    }
    const SESSION_ARCHIVE_RESULT result =
        CLASS_SESSION_ARCHIVE(sessionsRoot, applicationFolder).Export(folder, target);
    if (!result.ok)
    {
        TRACE_ERROR(QStringLiteral("Couldn't compress session"));
        CLASS_MESSAGE_BOX::Information(nullptr, MESSAGE_BOX_TITLE, result.message);
    }
}

void CLASS_MAIN_BACKEND::ImportRequest()
{
    const QString archive =
        CLASS_FILE_DIALOG::GetOpenFileName(nullptr, QStringLiteral("Import session"), QString(),
                                           QStringLiteral("Compressed (*.zip *.rar *.7z)"));
    if (archive.isEmpty())
    {
        return;
    }
    const SESSION_ARCHIVE_RESULT result =
        CLASS_SESSION_ARCHIVE(sessionsRoot, applicationFolder).Import(archive);
    // An archive named otherwise than its folder leaves the folder to the next start.
    if (!result.ok || (result.loadNow && !LoadSessionFolder(result.folderName)))
    {
        const QString loadFailed =
            QStringLiteral("The session %1 could not be loaded.").arg(result.folderName);
        CLASS_MESSAGE_BOX::Information(nullptr, MESSAGE_BOX_TITLE, result.ok ? loadFailed : result.message);
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
    mainWindow->AddSessionEntry();
    CLASS_SESSION_WIDGET* card = mainWindow->GetSelectedSessionWidget();
    CLASS_GLOBAL_SETUP* panel = CreateSetupPanel();

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
    const QString versionText = keys.contains(KEY_VERSION) ? data.versionText : VersionText(0);
    const int versionKey = versionInfo->GetVersionsTable().key(versionText, 0);
    card->SetVersion(QStringLiteral("v") + versionText);
    const int deviceIndex = keys.contains(KEY_DEVICE_TYPE) ? data.deviceIndex : 0;

    const QList<int> configuration = {versionKey, deviceIndex, data.audioCard != 0 ? 1 : 0};
    panel->RestoreSelection(configuration);
    RememberSaved(record);
    record->savedConfiguration = configuration;
    sessions.append(record);
    if (!versionInfo->GetInstalledVersions().contains(versionText))
    {
        SetModified(sessions.size() - 1);
    }
    return true;
}

void CLASS_MAIN_BACKEND::ConnectLoadedSessions(const QList<CLASS_GLOBAL_SETUP*>& panels)
{
    for (CLASS_GLOBAL_SETUP* panel : panels)
    {
        const int index = IndexOfPanel(panel);
        if (index < 0)
        {
            continue; // deleted meanwhile
        }
        ConnectChangeSignals(panel);
        // An edit made before the connection would otherwise go unnoticed.
        if (DiffersFromSaved(sessions.at(index)))
        {
            SetModified(index);
        }
    }
    SetDeviceLabels();
}

// ---- panels --------------------------------------------------------------------------------------------

CLASS_GLOBAL_SETUP* CLASS_MAIN_BACKEND::CreateSetupPanel()
{
    auto* panel = new CLASS_GLOBAL_SETUP(versionInfo, nullptr);
    panel->BuildPanel();
    FillVersions(panel);
    panel->BuildTypeButtons();
    mainWindow->AddSetupPanel(panel);
    // Each panel names the device of its own card, whichever card is selected when the change arrives.
    connect(
        panel, &CLASS_GLOBAL_SETUP::SIGNAL_RequestTypeUpdate, this,
        [this, panel](SDWord newType)
        {
            CLASS_SESSION_WIDGET* card = mainWindow->GetSessionWidget(IndexOfPanel(panel));
            if (card != nullptr)
            {
                card->SetDevice(DeviceModelName(newType));
            }
        },
        Qt::QueuedConnection);
    return panel;
}

void CLASS_MAIN_BACKEND::FillVersions(CLASS_GLOBAL_SETUP* panel) const
{
    const QMap<int, QString>& table = versionInfo->GetVersionsTable();
    for (auto it = table.constBegin(); it != table.constEnd(); ++it)
    {
        panel->AddVersion(it.value(), it.key(), IsInstalled(it.key()));
    }
}

void CLASS_MAIN_BACKEND::SelectFirstInstalledVersion(CLASS_GLOBAL_SETUP* panel) const
{
    // A version marked "Not installed" locks the version list, so a new session whose first entry is
    // missing could never be saved: it starts on the first installed version instead, when there is one.
    const QList<int> keys = versionInfo->GetVersionsTable().keys();
    for (const int key : keys)
    {
        if (IsInstalled(key))
        {
            QList<int> selection = panel->GetSelection();
            selection[0] = key;
            panel->RestoreSelection(selection);
            return;
        }
    }
}

void CLASS_MAIN_BACKEND::ConnectChangeSignals(CLASS_GLOBAL_SETUP* panel)
{
    // The panel is only compared by address when the notice arrives: it may have been deleted meanwhile.
    connect(
        panel, &CLASS_GLOBAL_SETUP::SIGNAL_TextChangedDevicetype, this,
        [this, panel](const QString&) { MarkPanelModified(panel); }, Qt::QueuedConnection);
    connect(
        panel, &CLASS_GLOBAL_SETUP::SIGNAL_ValueChangedPort, this,
        [this, panel](SDWord) { MarkPanelModified(panel); }, Qt::QueuedConnection);
    connect(
        panel, &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate, this, [this, panel]() { MarkPanelModified(panel); },
        Qt::QueuedConnection);
}

void CLASS_MAIN_BACKEND::SetDeviceLabels()
{
    for (int index = 0; index < sessions.size(); ++index)
    {
        CLASS_SESSION_WIDGET* card = mainWindow->GetSessionWidget(index);
        if (card != nullptr)
        {
            card->SetDevice(DeviceModelName(sessions.at(index)->savedConfiguration.value(1)));
        }
    }
}

void CLASS_MAIN_BACKEND::ShowOnlySelectedPanel()
{
    const CLASS_SESSION_RECORD* selected = SelectedRecord();
    for (const CLASS_SESSION_RECORD* record : qAsConst(sessions))
    {
        if (!record->panel.isNull())
        {
            record->panel->setVisible(record == selected);
        }
    }
}

// ---- list operations -----------------------------------------------------------------------------------

bool CLASS_MAIN_BACKEND::LimitReached()
{
    if (sessions.size() < MAX_SESSIONS)
    {
        return false;
    }
    CLASS_MESSAGE_BOX::Information(nullptr, MESSAGE_BOX_TITLE,
                                   QStringLiteral("You have reached the maximum number of sessions!"));
    return true;
}

void CLASS_MAIN_BACKEND::CreateNewSession()
{
    if (LimitReached())
    {
        return;
    }
    mainWindow->AddSessionEntry();
    CLASS_SESSION_WIDGET* card = mainWindow->GetSelectedSessionWidget();
    CLASS_GLOBAL_SETUP* panel = CreateSetupPanel();
    SelectFirstInstalledVersion(panel);
    panel->SetLabel(card->GetName());
    panel->SetPortValue(card->GetPort().toInt());
    card->SetVersion(VersionLabel(panel->GetVersionIndex()));
    ConnectChangeSignals(panel);

    auto* record = new CLASS_SESSION_RECORD();
    record->panel = panel;
    RememberSaved(record);
    record->modified = true;
    sessions.append(record);
    ShowOnlySelectedPanel();
    panel->CheckVersion();
    UpdateBottomBar();
}

void CLASS_MAIN_BACKEND::DuplicateSession()
{
    if (sessions.isEmpty() || LimitReached())
    {
        return;
    }
    CLASS_SESSION_RECORD* source = SelectedRecord();
    if (source == nullptr)
    {
        return;
    }
    if (source->folder.isEmpty())
    {
        CLASS_MESSAGE_BOX::Information(nullptr, MESSAGE_BOX_TITLE,
                                       QStringLiteral("You should save session first !"));
        return;
    }
    const QString folder = NewSessionFolder();
    if (!CopyDirectory(source->folder, folder))
    {
        TRACE_ERROR(QStringLiteral("Failed to copy session : ") + source->folder + QStringLiteral(" -> ") +
                    folder);
    }
    const int port = mainWindow->GetSelectedSessionWidget()->GetPort().toInt();
    mainWindow->DuplicateSelectedSessionEntry();
    CLASS_SESSION_WIDGET* card = mainWindow->GetSelectedSessionWidget();

    CLASS_GLOBAL_SETUP* panel = CreateSetupPanel();
    panel->SetLabel(card->GetName());
    card->SetPort(port);
    panel->SetPortValue(port);
    ConnectChangeSignals(panel);
    const QList<int> configuration = source->panel->GetSelection();
    panel->RestoreSelection(configuration);
    card->SetVersion(VersionLabel(configuration.value(0)));
    card->SetDevice(DeviceModelName(configuration.value(1)));

    auto* record = new CLASS_SESSION_RECORD();
    record->panel = panel;
    record->folder = folder;
    record->modified = true;
    sessions.append(record);
    ShowOnlySelectedPanel();
    UpdateBottomBar();
    // The copy saves itself, even if another card is selected by then.
    QTimer::singleShot(DUPLICATE_SAVE_DELAY_MS, this,
                       [this, record]()
                       {
                           const int index = sessions.indexOf(record);
                           if (index >= 0)
                           {
                               SLOT_SaveRequest(index);
                           }
                       });
}

void CLASS_MAIN_BACKEND::ShowSession(SDWord sessionIndex, Bool toHide)
{
    if (sessions.isEmpty())
    {
        return;
    }
    if (toHide)
    {
        const CLASS_SESSION_RECORD* record = Record(sessionIndex);
        if (record != nullptr && !record->panel.isNull())
        {
            record->panel->hide();
        }
    }
    else
    {
        const CLASS_SESSION_RECORD* record = SelectedRecord();
        if (record != nullptr && !record->panel.isNull())
        {
            record->panel->show();
        }
    }
    UpdateBottomBar();
}

void CLASS_MAIN_BACKEND::MarkSessionModified()
{
    const int index = mainWindow->GetSelectedSessionIndex();
    CLASS_SESSION_RECORD* record = Record(index);
    if (record == nullptr)
    {
        return;
    }
    if (record->locked && !record->panel.isNull())
    {
        record->panel->SetEditable(false);
    }
    SetModified(index);
}

void CLASS_MAIN_BACKEND::MarkPanelModified(const CLASS_GLOBAL_SETUP* panel)
{
    const int index = IndexOfPanel(panel);
    if (index < 0)
    {
        return;
    }
    CLASS_SESSION_RECORD* record = sessions.at(index);
    // A type change rebuilds the audio check box unlocked: a saved session locks it again.
    if (record->locked)
    {
        record->panel->SetEditable(false);
    }
    // Notices of the program's own refills and restores leave the values as saved: not a user change.
    if (record->modified || DiffersFromSaved(record))
    {
        SetModified(index);
    }
}

void CLASS_MAIN_BACKEND::SetModified(int index)
{
    sessions.at(index)->modified = true;
    if (index == mainWindow->GetSelectedSessionIndex())
    {
        UpdateButtons();
    }
}

bool CLASS_MAIN_BACKEND::DiffersFromSaved(const CLASS_SESSION_RECORD* record) const
{
    const CLASS_GLOBAL_SETUP* panel = record->panel;
    return panel != nullptr &&
           (panel->GetLabel() != record->savedName || panel->GetPortValue() != record->savedPort ||
            panel->GetDescription() != record->savedDescription ||
            panel->GetSelection() != record->savedConfiguration);
}

void CLASS_MAIN_BACKEND::RememberSaved(CLASS_SESSION_RECORD* record)
{
    record->savedConfiguration = record->panel->GetSelection();
    record->savedName = record->panel->GetLabel();
    record->savedDescription = record->panel->GetDescription();
    record->savedPort = record->panel->GetPortValue();
}

void CLASS_MAIN_BACKEND::SLOT_SaveRequest(int sessionIndex)
{
    if (sessions.isEmpty())
    {
        return;
    }
    const int index = sessionIndex >= 0 ? sessionIndex : mainWindow->GetSelectedSessionIndex();
    CLASS_SESSION_RECORD* record = Record(index);
    // A running simulator works in the folder: it is not rewritten under it.
    if (record == nullptr || record->panel.isNull() || !record->idle)
    {
        return;
    }
    CLASS_GLOBAL_SETUP* panel = record->panel;
    const QList<int> configuration = panel->GetSelection();
    CLASS_SESSION_WIDGET* card = mainWindow->GetSessionWidget(index);
    card->SetName(panel->GetLabel());
    card->SetPort(panel->GetPortValue());
    card->SetVersion(VersionLabel(configuration.value(0)));

    if (record->folder.isEmpty())
    {
        record->folder = NewSessionFolder();
    }
    if (!QDir().mkpath(record->folder))
    {
        TRACE_ERROR(QStringLiteral("Failed to create the working directory : ") + record->folder);
    }
    if (!QDir(record->folder + QStringLiteral("/ZR_APPS/")).removeRecursively())
    {
        TRACE_ERROR(QStringLiteral("Couldn't remove Webapp directory"));
    }
    const QString resources = applicationFolder + QLatin1Char('/') +
                              PackageFolderName(VersionText(configuration.value(0))) +
                              QStringLiteral("/ressources/");
    if (!CopyDirectory(resources, record->folder + QLatin1Char('/')))
    {
        TRACE_ERROR(QStringLiteral("Failed to copy session resources"));
    }
    const QString tmp = record->folder + QStringLiteral("/tmp");
    if (!QDir().mkpath(tmp))
    {
        TRACE_ERROR(QStringLiteral("Failed to create the tmp directory : ") + tmp);
    }
    QDir::setCurrent(record->folder);
    // A file that could not be written leaves the session unsaved, so the user can try again.
    if (WriteSessionSettings(index))
    {
        RememberSaved(record);
        record->savedConfiguration = configuration;
        record->locked = true;
        panel->SetEditable(false);
        record->modified = false;
    }
    else
    {
        CLASS_MESSAGE_BOX::Warning(
            nullptr, MESSAGE_BOX_TITLE,
            QStringLiteral("The session \"%1\" could not be saved in %2. Its changes are "
                           "kept in the launcher; the error log names the cause.")
                .arg(panel->GetLabel(), record->folder));
    }
    if (index == mainWindow->GetSelectedSessionIndex())
    {
        UpdateButtons();
        UpdateWebAddress();
    }
}

bool CLASS_MAIN_BACKEND::WriteSessionSettings(int sessionIndex)
{
    CLASS_SESSION_RECORD* record = Record(sessionIndex);
    if (record == nullptr || record->panel.isNull() || record->folder.isEmpty())
    {
        return false;
    }
    const QList<int> configuration = record->panel->GetSelection();
    SESSION_SETTINGS_DATA data;
    data.deviceIndex = configuration.value(1);
    data.port = record->panel->GetPortValue();
    data.versionText = VersionText(configuration.value(0));
    data.name = record->panel->GetLabel();
    data.description = record->panel->GetDescription();
    data.audioCard = configuration.value(2) != 0 ? 1 : 0;
    record->zrjIntPort = ZRJ_INT_PORT_FIXED;
    record->zrjExtPort = ZRJ_EXT_PORT_FIXED;
    record->zrpIntPort = ZRP_INT_PORT_FIXED;
    record->kb700sPort = KB700S_PORT_FIXED;
    data.zrjIntPort = record->zrjIntPort;
    data.zrjExtPort = record->zrjExtPort;
    data.zrpIntPort = record->zrpIntPort;
    data.kb700sPort = record->kb700sPort;
    if (!CLASS_SESSION_SETTINGS::Write(record->folder, data))
    {
        return false;
    }
    record->settingsFile = CLASS_SESSION_SETTINGS::SettingsFilePath(record->folder);
    return true;
}

void CLASS_MAIN_BACKEND::DiscardRequest()
{
    CLASS_SESSION_RECORD* record = SelectedRecord();
    if (record == nullptr || record->folder.isEmpty() || record->panel.isNull() || !record->idle)
    {
        return;
    }
    QList<int> configuration = record->panel->GetSelection();
    if (!record->savedConfiguration.isEmpty())
    {
        configuration = record->savedConfiguration;
    }
    record->savedConfiguration = configuration;
    record->panel->SetLabel(record->savedName);
    record->panel->SetPortValue(record->savedPort);
    record->panel->SetDescription(record->savedDescription);
    record->panel->RestoreSelection(configuration);
    if (record->locked)
    {
        record->panel->SetEditable(false);
    }
    record->modified = false;
    QTimer::singleShot(DISCARD_BUTTONS_DELAY_MS, this, [this]() { UpdateButtons(); });
}

void CLASS_MAIN_BACKEND::DeleteSession()
{
    if (sessions.isEmpty())
    {
        return;
    }
    const int index = mainWindow->GetSelectedSessionIndex();
    CLASS_SESSION_RECORD* record = Record(index);
    if (record == nullptr)
    {
        return;
    }
    if (!record->idle)
    {
        CLASS_MESSAGE_BOX::Information(nullptr, MESSAGE_BOX_TITLE, QStringLiteral("Already running !"));
        return;
    }
    StopSession(index);
    mainWindow->RemoveSelectedSessionEntry();
    if (!record->panel.isNull())
    {
        record->panel->hide();
        record->panel->deleteLater();
    }
    QDir::setCurrent(applicationFolder);
    if (!record->folder.isEmpty() && QFileInfo::exists(record->folder) &&
        !QDir(record->folder).removeRecursively())
    {
        TRACE_ERROR(QStringLiteral("Couldn't remove session directory at :") + record->folder);
    }
    sessions.removeAt(index);
    delete record;
    ShowOnlySelectedPanel();
    UpdateBottomBar();
}

void CLASS_MAIN_BACKEND::SLOT_RefreshUpdaters()
{
    for (CLASS_SESSION_RECORD* record : qAsConst(sessions))
    {
        if (record->panel.isNull())
        {
            continue;
        }
        // Read before the refill: adding versions resets the panel's device model.
        const QList<int> configuration = record->panel->GetSelection();
        record->panel->ClearVersions();
        FillVersions(record->panel);
        record->panel->RestoreSelection(configuration);
        if (record->locked)
        {
            record->panel->SetEditable(false);
        }
    }
    UpdateButtons();
}

// ---- run control ---------------------------------------------------------------------------------------

void CLASS_MAIN_BACKEND::StartOrStopSession(SDWord sessionIndex)
{
    runner->StartOrStopSession(sessionIndex);
}

void CLASS_MAIN_BACKEND::StopSession(int sessionIndex)
{
    runner->StopSession(sessionIndex);
}

// ---- bottom bar ----------------------------------------------------------------------------------------

void CLASS_MAIN_BACKEND::UpdateWebAddress()
{
    const CLASS_SESSION_WIDGET* card = mainWindow->GetSelectedSessionWidget();
    if (card != nullptr)
    {
        mainWindow->SetWebPageUrl(WEB_ADDRESS.arg(card->GetPort().toInt()));
    }
}

void CLASS_MAIN_BACKEND::UpdateBottomBar()
{
    const CLASS_SESSION_RECORD* record = SelectedRecord();
    const bool running = record != nullptr && !record->idle;
    mainWindow->SetStartStopText(running ? STOP_TEXT : START_TEXT);
    mainWindow->SetOpenWebEnabled(running);
    UpdateWebAddress();
    UpdateButtons();
}

// clean: Start only; dirty: Save and Discard; blocked (version not installed): none. A running session
// keeps its Stop button whatever happens to its package.
void CLASS_MAIN_BACKEND::UpdateButtons()
{
    const CLASS_SESSION_RECORD* record = SelectedRecord();
    const bool running = record != nullptr && !record->idle;
    const bool blocked = record == nullptr || record->panel.isNull() || record->panel->IsVersionMissing();
    const bool dirty = record != nullptr && record->modified;
    mainWindow->SetStartEnabled(running || (!blocked && !dirty));
    mainWindow->SetSaveEnabled(!running && !blocked && dirty);
    mainWindow->SetDiscardEnabled(!running && !blocked && dirty);
}

// ---- small helpers -------------------------------------------------------------------------------------

CLASS_SESSION_RECORD* CLASS_MAIN_BACKEND::Record(int index) const
{
    return (index >= 0 && index < sessions.size()) ? sessions.at(index) : nullptr;
}

CLASS_SESSION_RECORD* CLASS_MAIN_BACKEND::SelectedRecord() const
{
    return Record(mainWindow->GetSelectedSessionIndex());
}

int CLASS_MAIN_BACKEND::IndexOfPanel(const CLASS_GLOBAL_SETUP* panel) const
{
    for (int index = 0; index < sessions.size(); ++index)
    {
        if (sessions.at(index)->panel.data() == panel)
        {
            return index;
        }
    }
    return -1;
}

QString CLASS_MAIN_BACKEND::VersionText(int versionKey) const
{
    return versionInfo->GetVersionsTable().value(versionKey);
}

QString CLASS_MAIN_BACKEND::VersionLabel(int versionKey) const
{
    return QStringLiteral("v") + VersionText(versionKey).replace(QLatin1Char('_'), QLatin1Char('.'));
}

bool CLASS_MAIN_BACKEND::IsInstalled(int versionKey) const
{
    const QString version = VersionText(versionKey).replace(QLatin1Char('_'), QLatin1Char('.'));
    return versionInfo->GetInstalledVersions().contains(version);
}

// "Tarvo" + the current time; a name already taken (two sessions in the same second) moves on by a second,
// so that two sessions never share a folder.
QString CLASS_MAIN_BACKEND::NewSessionFolder() const
{
    QDateTime when = QDateTime::currentDateTime();
    QString folder = sessionsRoot + CLASS_SESSION_SETTINGS::SessionFolderName(when);
    while (QFileInfo::exists(folder))
    {
        when = when.addSecs(1);
        folder = sessionsRoot + CLASS_SESSION_SETTINGS::SessionFolderName(when);
    }
    return folder;
}

QString CLASS_MAIN_BACKEND::GetStateFilePath() const
{
    return sessionsRoot + STATE_FILE_NAME;
}

QString CLASS_MAIN_BACKEND::GetLastVersionChecked() const
{
    return stateFile->value(KEY_LAST_VERSION_CHECKED).toString();
}

void CLASS_MAIN_BACKEND::SetLastVersionChecked(const QString& version)
{
    stateFile->setValue(KEY_LAST_VERSION_CHECKED, version);
    stateFile->sync();
}

QString CLASS_MAIN_BACKEND::GetSessionFolder(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    return record != nullptr ? record->folder : QString();
}

bool CLASS_MAIN_BACKEND::IsSessionIdle(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    return record == nullptr || record->idle;
}

bool CLASS_MAIN_BACKEND::IsSessionModified(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    return record != nullptr && record->modified;
}

bool CLASS_MAIN_BACKEND::IsSessionLocked(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    return record != nullptr && record->locked;
}

qint64 CLASS_MAIN_BACKEND::GetSessionProcessId(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    return (record != nullptr && record->process != nullptr) ? record->process->processId() : 0;
}

CLASS_GLOBAL_SETUP* CLASS_MAIN_BACKEND::GetSetupPanel(int sessionIndex) const
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    return record != nullptr ? record->panel.data() : nullptr;
}
