#include "DEVICE/DEVICE_ClassSessionListOperations.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassMainView.h"
#include "DEVICE/DEVICE_ClassSessionCardView.h"
#include "DEVICE/DEVICE_ClassSessionEditor.h"
#include "DEVICE/DEVICE_ClassSessionPanels.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSessionRunner.h"
#include "DEVICE/DEVICE_ClassSessionVersionLists.h"
#include "DEVICE/DEVICE_ClassSetupView.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace
{
// The list operations are part of the session back end: their lines carry the back end's unit.
constexpr TRACE_ORIGIN DUPLICATE_ORIGIN{SESSION_BACKEND_UNIT, "DuplicateSession"};
constexpr TRACE_ORIGIN DELETE_ORIGIN{SESSION_BACKEND_UNIT, "DeleteSession"};
} // namespace

CLASS_SESSION_LIST_OPERATIONS::CLASS_SESSION_LIST_OPERATIONS(CLASS_SESSION_PANELS& panels,
                                                             const CLASS_SESSION_VERSION_LISTS& versionLists,
                                                             CLASS_SESSION_EDITOR& editor,
                                                             CLASS_SESSION_RUNNER* runner,
                                                             const QString& applicationFolder,
                                                             QObject* parent)
    : QObject(parent), panels(panels), versionLists(versionLists), editor(editor), runner(runner),
      applicationFolder(applicationFolder)
{
}

bool CLASS_SESSION_LIST_OPERATIONS::LimitReached()
{
    if (panels.Sessions().size() < MAX_SESSIONS)
    {
        return false;
    }
    panels.MainView()->Inform(QStringLiteral("You have reached the maximum number of sessions!"));
    return true;
}

void CLASS_SESSION_LIST_OPERATIONS::CreateNewSession()
{
    if (LimitReached())
    {
        return;
    }
    CLASS_MAIN_VIEW* mainView = panels.MainView();
    mainView->AddSessionEntry();
    CLASS_SESSION_CARD_VIEW* card = mainView->GetSelectedSessionWidget();
    CLASS_SETUP_VIEW* panel = panels.CreateSetupPanel();
    versionLists.SelectFirstInstalledVersion(panel);
    panel->SetLabel(card->GetName());
    panel->SetPortValue(card->GetPort().toInt());
    card->SetVersion(versionLists.VersionLabel(panel->GetVersionIndex()));
    panels.ConnectChangeSignals(panel);

    auto* record = new CLASS_SESSION_RECORD();
    record->panel = panel;
    panels.RememberSaved(record, panel->GetSelection());
    record->modified = true;
    panels.Sessions().append(record);
    panels.ShowOnlySelectedPanel();
    panel->CheckVersion();
    panels.UpdateBottomBar();
}

void CLASS_SESSION_LIST_OPERATIONS::DuplicateSession()
{
    if (panels.Sessions().isEmpty() || LimitReached())
    {
        return;
    }
    CLASS_SESSION_RECORD* source = panels.SelectedRecord();
    if (source == nullptr)
    {
        return;
    }
    if (source->folder.isEmpty())
    {
        panels.MainView()->Inform(QStringLiteral("You should save session first !"));
        return;
    }
    const QString folder = editor.NewSessionFolder();
    if (!CopyDirectory(source->folder, folder))
    {
        TRACE_ERROR_IN(DUPLICATE_ORIGIN, QStringLiteral("Failed to copy session : ") + source->folder +
                                             QStringLiteral(" -> ") + folder);
    }
    CLASS_MAIN_VIEW* mainView = panels.MainView();
    const int port = mainView->GetSelectedSessionWidget()->GetPort().toInt();
    mainView->DuplicateSelectedSessionEntry();
    CLASS_SESSION_CARD_VIEW* card = mainView->GetSelectedSessionWidget();

    CLASS_SETUP_VIEW* panel = panels.CreateSetupPanel();
    panel->SetLabel(card->GetName());
    card->SetPort(port);
    panel->SetPortValue(port);
    panels.ConnectChangeSignals(panel);
    const QList<int> configuration = source->panel->GetSelection();
    panel->RestoreSelection(configuration);
    card->SetVersion(versionLists.VersionLabel(configuration.value(0)));
    card->SetDevice(DeviceModelName(configuration.value(1)));

    auto* record = new CLASS_SESSION_RECORD();
    record->panel = panel;
    record->folder = folder;
    record->modified = true;
    panels.Sessions().append(record);
    panels.ShowOnlySelectedPanel();
    panels.UpdateBottomBar();
    // The copy saves itself, even if another card is selected by then.
    QTimer::singleShot(DUPLICATE_SAVE_DELAY_MS, this,
                       [this, record]()
                       {
                           const int index = panels.Sessions().indexOf(record);
                           if (index >= 0)
                           {
                               editor.SaveRequest(index);
                           }
                       });
}

void CLASS_SESSION_LIST_OPERATIONS::ShowSession(SDWord sessionIndex, Bool toHide)
{
    if (panels.Sessions().isEmpty())
    {
        return;
    }
    if (toHide)
    {
        const CLASS_SESSION_RECORD* record = panels.Record(sessionIndex);
        if (record != nullptr && !record->panel.isNull())
        {
            record->panel->SetShown(false);
        }
    }
    else
    {
        const CLASS_SESSION_RECORD* record = panels.SelectedRecord();
        if (record != nullptr && !record->panel.isNull())
        {
            record->panel->SetShown(true);
        }
    }
    panels.UpdateBottomBar();
}

void CLASS_SESSION_LIST_OPERATIONS::DeleteSession()
{
    QList<CLASS_SESSION_RECORD*>& sessions = panels.Sessions();
    if (sessions.isEmpty())
    {
        return;
    }
    CLASS_MAIN_VIEW* mainView = panels.MainView();
    const int index = mainView->GetSelectedSessionIndex();
    CLASS_SESSION_RECORD* record = panels.Record(index);
    if (record == nullptr)
    {
        return;
    }
    if (!record->idle)
    {
        mainView->Inform(QStringLiteral("Already running !"));
        return;
    }
    runner->StopSession(index);
    mainView->RemoveSelectedSessionEntry();
    if (!record->panel.isNull())
    {
        record->panel->Dispose();
    }
    QDir::setCurrent(applicationFolder);
    // A link in the folder's place is removed as a link; what it points at stays.
    if (!record->folder.isEmpty() && !PLATFORM::RemoveFolder(record->folder))
    {
        TRACE_ERROR_IN(DELETE_ORIGIN,
                       QStringLiteral("Couldn't remove session directory at :") + record->folder);
    }
    sessions.removeAt(index);
    delete record;
    panels.ShowOnlySelectedPanel();
    panels.UpdateBottomBar();
}
