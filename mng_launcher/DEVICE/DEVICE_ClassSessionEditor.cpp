#include "DEVICE/DEVICE_ClassSessionEditor.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassMainView.h"
#include "DEVICE/DEVICE_ClassSessionCardView.h"
#include "DEVICE/DEVICE_ClassSessionPanels.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassSessionVersionLists.h"
#include "DEVICE/DEVICE_ClassSetupView.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace
{
// Saving is part of the session back end: its lines carry the back end's unit and operation.
constexpr TRACE_ORIGIN SAVE_ORIGIN{SESSION_BACKEND_UNIT, "SLOT_SaveRequest"};
} // namespace

CLASS_SESSION_EDITOR::CLASS_SESSION_EDITOR(CLASS_SESSION_PANELS& panels,
                                           const CLASS_SESSION_VERSION_LISTS& versionLists,
                                           const QString& sessionsRoot, const QString& applicationFolder,
                                           QObject* parent)
    : QObject(parent), panels(panels), versionLists(versionLists), sessionsRoot(sessionsRoot),
      applicationFolder(applicationFolder)
{
}

void CLASS_SESSION_EDITOR::SaveRequest(int sessionIndex)
{
    CLASS_MAIN_VIEW* mainView = panels.MainView();
    if (panels.Sessions().isEmpty())
    {
        return;
    }
    const int index = sessionIndex >= 0 ? sessionIndex : mainView->GetSelectedSessionIndex();
    CLASS_SESSION_RECORD* record = panels.Record(index);
    // A running simulator works in the folder: it is not rewritten under it.
    if (record == nullptr || record->panel.isNull() || !record->idle)
    {
        return;
    }
    CLASS_SETUP_VIEW* panel = record->panel;
    const QList<int> configuration = panel->GetSelection();
    CLASS_SESSION_CARD_VIEW* card = mainView->GetSessionWidget(index);
    card->SetName(panel->GetLabel());
    card->SetPort(panel->GetPortValue());
    card->SetVersion(versionLists.VersionLabel(configuration.value(0)));

    if (record->folder.isEmpty())
    {
        record->folder = NewSessionFolder();
    }
    // A folder that could not be prepared, or a file that could not be written, leaves the session
    // unsaved, so the user can try again.
    if (PrepareSessionFolder(record->folder, configuration.value(0)) && WriteSessionSettings(index))
    {
        panels.RememberSaved(record, configuration);
        record->locked = true;
        panel->SetEditable(false);
        record->modified = false;
    }
    else
    {
        mainView->Warn(QStringLiteral("The session \"%1\" could not be saved in %2. Its changes are "
                                      "kept in the launcher; the error log names the cause.")
                           .arg(panel->GetLabel(), record->folder));
    }
    if (index == mainView->GetSelectedSessionIndex())
    {
        panels.UpdateButtons();
        panels.UpdateWebAddress();
    }
}

bool CLASS_SESSION_EDITOR::PrepareSessionFolder(const QString& folder, int versionKey) const
{
    // A link in the session folder's place is not the launcher's: nothing is written through it. A folder
    // that cannot be made is logged; the settings' write then fails and tells why.
    const bool folderIsLink = PLATFORM::IsLink(folder);
    if (folderIsLink || !QDir().mkpath(folder))
    {
        TRACE_ERROR_IN(SAVE_ORIGIN, QStringLiteral("Failed to create the working directory : ") + folder);
        if (folderIsLink)
        {
            return false;
        }
    }
    // A link in the place of ZR_APPS is removed as a link: what it points at stays untouched.
    if (!PLATFORM::RemoveFolder(folder + QStringLiteral("/ZR_APPS")))
    {
        TRACE_ERROR_IN(SAVE_ORIGIN, QStringLiteral("Couldn't remove Webapp directory"));
    }
    const QString package = FindPackageFolder(applicationFolder, versionLists.VersionText(versionKey));
    // The resources are never copied through a link in the package folder's place.
    if (PLATFORM::IsLink(package) ||
        !CopyDirectory(package + QStringLiteral("/ressources/"), folder + QLatin1Char('/')))
    {
        TRACE_ERROR_IN(SAVE_ORIGIN, QStringLiteral("Failed to copy session resources"));
    }
    // A link in the place of tmp is removed as a link, and a real folder made.
    const QString tmp = folder + QStringLiteral("/tmp");
    if ((PLATFORM::IsLink(tmp) && !PLATFORM::RemoveTree(tmp)) || !QDir().mkpath(tmp))
    {
        TRACE_ERROR_IN(SAVE_ORIGIN, QStringLiteral("Failed to create the tmp directory : ") + tmp);
    }
    QDir::setCurrent(folder);
    return true;
}

bool CLASS_SESSION_EDITOR::WriteSessionSettings(int sessionIndex)
{
    CLASS_SESSION_RECORD* record = panels.Record(sessionIndex);
    if (record == nullptr || record->panel.isNull() || record->folder.isEmpty())
    {
        return false;
    }
    const QList<int> configuration = record->panel->GetSelection();
    SESSION_SETTINGS_DATA data;
    data.deviceIndex = configuration.value(1);
    data.port = record->panel->GetPortValue();
    data.versionText = versionLists.VersionText(configuration.value(0));
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

void CLASS_SESSION_EDITOR::DiscardRequest()
{
    CLASS_SESSION_RECORD* record = panels.SelectedRecord();
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
    QTimer::singleShot(DISCARD_BUTTONS_DELAY_MS, this, [this]() { panels.UpdateButtons(); });
}

// "Tarvo" + the current time; a name already taken (two sessions in the same second) moves on by a second,
// so that two sessions never share a folder.
QString CLASS_SESSION_EDITOR::NewSessionFolder() const
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
