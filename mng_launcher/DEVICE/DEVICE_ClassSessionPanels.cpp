#include "DEVICE/DEVICE_ClassSessionPanels.h"

#include "DEVICE/DEVICE_ClassMainView.h"
#include "DEVICE/DEVICE_ClassSessionCardView.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSessionVersionLists.h"
#include "DEVICE/DEVICE_ClassSetupView.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_Helpers.h"

namespace
{
const QString START_TEXT = QStringLiteral("Start Session");
const QString STOP_TEXT = QStringLiteral("Stop Session");
} // namespace

CLASS_SESSION_PANELS::CLASS_SESSION_PANELS(CLASS_MAIN_VIEW* mainView, QList<CLASS_SESSION_RECORD*>& sessions,
                                           CLASS_TARVO_VERSION_INFO* versionInfo,
                                           const CLASS_SESSION_VERSION_LISTS& versionLists, QObject* parent)
    : QObject(parent), mainView(mainView), sessions(sessions), versionInfo(versionInfo),
      versionLists(versionLists)
{
}

// ---- records -------------------------------------------------------------------------------------------

CLASS_SESSION_RECORD* CLASS_SESSION_PANELS::Record(int index) const
{
    return (index >= 0 && index < sessions.size()) ? sessions.at(index) : nullptr;
}

CLASS_SESSION_RECORD* CLASS_SESSION_PANELS::SelectedRecord() const
{
    return Record(mainView->GetSelectedSessionIndex());
}

int CLASS_SESSION_PANELS::IndexOfPanel(const CLASS_SETUP_VIEW* panel) const
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

// ---- panels --------------------------------------------------------------------------------------------

CLASS_SETUP_VIEW* CLASS_SESSION_PANELS::CreateSetupPanel()
{
    CLASS_SETUP_VIEW* panel = mainView->CreateSetupPanel(versionInfo);
    if (panel == nullptr)
    {
        return nullptr;
    }
    versionLists.FillVersions(panel);
    panel->BuildTypeButtons();
    mainView->AddSetupPanel(panel);
    // Each panel names the device of its own card, whichever card is selected when the change arrives.
    panel->ConnectTypeChanges(this,
                              [this, panel](int newType)
                              {
                                  CLASS_SESSION_CARD_VIEW* card =
                                      mainView->GetSessionWidget(IndexOfPanel(panel));
                                  if (card != nullptr)
                                  {
                                      card->SetDevice(DeviceModelName(newType));
                                  }
                              });
    return panel;
}

void CLASS_SESSION_PANELS::ConnectChangeSignals(CLASS_SETUP_VIEW* panel)
{
    // The panel is only compared by address when the notice arrives: it may have been deleted meanwhile.
    panel->ConnectEdits(this, [this, panel]() { MarkPanelModified(panel); });
}

void CLASS_SESSION_PANELS::SetDeviceLabels()
{
    for (int index = 0; index < sessions.size(); ++index)
    {
        CLASS_SESSION_CARD_VIEW* card = mainView->GetSessionWidget(index);
        if (card != nullptr)
        {
            card->SetDevice(DeviceModelName(sessions.at(index)->savedConfiguration.value(1)));
        }
    }
}

void CLASS_SESSION_PANELS::ShowOnlySelectedPanel()
{
    const CLASS_SESSION_RECORD* selected = SelectedRecord();
    for (const CLASS_SESSION_RECORD* record : qAsConst(sessions))
    {
        if (!record->panel.isNull())
        {
            record->panel->SetShown(record == selected);
        }
    }
}

// ---- edits ---------------------------------------------------------------------------------------------

void CLASS_SESSION_PANELS::MarkSessionModified()
{
    const int index = mainView->GetSelectedSessionIndex();
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

void CLASS_SESSION_PANELS::MarkPanelModified(const CLASS_SETUP_VIEW* panel)
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

void CLASS_SESSION_PANELS::SetModified(int index)
{
    sessions.at(index)->modified = true;
    if (index == mainView->GetSelectedSessionIndex())
    {
        UpdateButtons();
    }
}

bool CLASS_SESSION_PANELS::DiffersFromSaved(const CLASS_SESSION_RECORD* record) const
{
    const CLASS_SETUP_VIEW* panel = record->panel;
    return panel != nullptr &&
           (panel->GetLabel() != record->savedName || panel->GetPortValue() != record->savedPort ||
            panel->GetDescription() != record->savedDescription ||
            panel->GetSelection() != record->savedConfiguration);
}

void CLASS_SESSION_PANELS::RememberSaved(CLASS_SESSION_RECORD* record, const QList<int>& configuration) const
{
    record->savedConfiguration = configuration;
    record->savedVersion = DottedVersion(versionLists.VersionText(configuration.value(0)));
    record->savedName = record->panel->GetLabel();
    record->savedDescription = record->panel->GetDescription();
    record->savedPort = record->panel->GetPortValue();
}

void CLASS_SESSION_PANELS::ClearSettledMarks()
{
    for (CLASS_SESSION_RECORD* record : qAsConst(sessions))
    {
        if (record->modified && !record->settingsFile.isEmpty() && !DiffersFromSaved(record) &&
            versionLists.IsInstalled(record->savedConfiguration.value(0)))
        {
            record->modified = false;
        }
    }
    UpdateButtons();
}

// ---- bottom bar ----------------------------------------------------------------------------------------

void CLASS_SESSION_PANELS::UpdateWebAddress()
{
    const CLASS_SESSION_CARD_VIEW* card = mainView->GetSelectedSessionWidget();
    if (card != nullptr)
    {
        mainView->SetWebPageUrl(SessionWebUrl(card->GetPort().toInt()));
    }
}

void CLASS_SESSION_PANELS::UpdateBottomBar()
{
    const CLASS_SESSION_RECORD* record = SelectedRecord();
    const bool running = record != nullptr && !record->idle;
    mainView->SetStartStopText(running ? STOP_TEXT : START_TEXT);
    mainView->SetOpenWebEnabled(running);
    UpdateWebAddress();
    UpdateButtons();
}

// clean: Start only; dirty: Save and Discard; blocked (version not installed): none. A running session
// keeps its Stop button whatever happens to its package.
void CLASS_SESSION_PANELS::UpdateButtons()
{
    const CLASS_SESSION_RECORD* record = SelectedRecord();
    const bool running = record != nullptr && !record->idle;
    const bool blocked = record == nullptr || record->panel.isNull() || record->panel->IsVersionMissing();
    const bool dirty = record != nullptr && record->modified;
    mainView->SetStartEnabled(running || (!blocked && !dirty));
    mainView->SetSaveEnabled(!running && !blocked && dirty);
    mainView->SetDiscardEnabled(!running && !blocked && dirty);
}
