#include "DEVICE/DEVICE_ClassSessionVersionLists.h"

#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "GUI/GUI_ClassGlobalSetup.h"

CLASS_SESSION_VERSION_LISTS::CLASS_SESSION_VERSION_LISTS(const CLASS_TARVO_VERSION_INFO* versionInfo)
    : versionInfo(versionInfo)
{
}

void CLASS_SESSION_VERSION_LISTS::FillVersions(CLASS_GLOBAL_SETUP* panel) const
{
    const QMap<int, QString>& table = versionInfo->GetVersionsTable();
    for (auto it = table.constBegin(); it != table.constEnd(); ++it)
    {
        panel->AddVersion(it.value(), it.key(), IsInstalled(it.key()));
    }
}

void CLASS_SESSION_VERSION_LISTS::SelectFirstInstalledVersion(CLASS_GLOBAL_SETUP* panel) const
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

void CLASS_SESSION_VERSION_LISTS::RefreshPanels(const QList<CLASS_SESSION_RECORD*>& sessions) const
{
    for (CLASS_SESSION_RECORD* record : sessions)
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
}

QString CLASS_SESSION_VERSION_LISTS::VersionText(int versionKey) const
{
    return versionInfo->GetVersionsTable().value(versionKey);
}

QString CLASS_SESSION_VERSION_LISTS::VersionLabel(int versionKey) const
{
    return QStringLiteral("v") + VersionText(versionKey).replace(QLatin1Char('_'), QLatin1Char('.'));
}

bool CLASS_SESSION_VERSION_LISTS::IsInstalled(int versionKey) const
{
    const QString version = VersionText(versionKey).replace(QLatin1Char('_'), QLatin1Char('.'));
    return versionInfo->GetInstalledVersions().contains(version);
}
