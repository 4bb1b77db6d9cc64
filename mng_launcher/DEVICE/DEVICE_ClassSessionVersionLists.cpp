#include "DEVICE/DEVICE_ClassSessionVersionLists.h"

#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSetupView.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Helpers.h"

CLASS_SESSION_VERSION_LISTS::CLASS_SESSION_VERSION_LISTS(const CLASS_TARVO_VERSION_INFO* versionInfo)
    : versionInfo(versionInfo)
{
}

void CLASS_SESSION_VERSION_LISTS::FillVersions(CLASS_SETUP_VIEW* panel) const
{
    panel->AddVersions(Entries());
}

const QVector<VERSION_ENTRY>& CLASS_SESSION_VERSION_LISTS::Entries() const
{
    const QMap<int, QString>& table = versionInfo->GetVersionsTable();
    const QStringList installed = versionInfo->GetInstalledVersions();
    // Unchanged copies share their data with the originals: the comparison is then immediate.
    if (table == entriesTable && installed == entriesInstalled && entries.size() == table.size())
    {
        return entries;
    }
    entries.clear();
    entries.reserve(table.size());
    for (auto it = table.constBegin(); it != table.constEnd(); ++it)
    {
        const QString text = DottedVersion(it.value());
        entries.append({text, it.key(), installed.contains(text)});
    }
    entriesTable = table;
    entriesInstalled = installed;
    return entries;
}

void CLASS_SESSION_VERSION_LISTS::SelectFirstInstalledVersion(CLASS_SETUP_VIEW* panel) const
{
    // A version marked "Not installed" locks the version list, so a new session whose first entry is
    // missing could never be saved: it starts on the first installed version instead, when there is one.
    for (const VERSION_ENTRY& entry : Entries())
    {
        if (entry.installed)
        {
            QList<int> selection = panel->GetSelection();
            selection[0] = entry.row;
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
        RefillPanel(record, record->panel->GetSelection());
    }
}

void CLASS_SESSION_VERSION_LISTS::RenumberPanels(const QList<CLASS_SESSION_RECORD*>& sessions,
                                                 const QMap<int, QString>& before) const
{
    const QMap<int, QString>& table = versionInfo->GetVersionsTable();
    const auto renumber = [&table](QList<int>& configuration, const QString& version)
    {
        if (!configuration.isEmpty() && !version.isEmpty())
        {
            configuration.first() = table.key(version, configuration.first());
        }
    };
    for (CLASS_SESSION_RECORD* record : sessions)
    {
        // What was saved keeps the saved VERSION; what the panel shows keeps the text it showed.
        renumber(record->savedConfiguration, SavedVersion(record, before));
        if (!record->panel.isNull())
        {
            QList<int> configuration = record->panel->GetSelection();
            renumber(configuration, before.value(configuration.value(0)));
            RefillPanel(record, configuration);
        }
    }
}

QString CLASS_SESSION_VERSION_LISTS::SavedVersion(const CLASS_SESSION_RECORD* record,
                                                  const QMap<int, QString>& table)
{
    return record->savedVersion.isEmpty() ? table.value(record->savedConfiguration.value(0))
                                          : record->savedVersion;
}

QMap<int, QString>
CLASS_SESSION_VERSION_LISTS::TableKeepingSessionVersions(const QMap<int, QString>& packages,
                                                         const QList<CLASS_SESSION_RECORD*>& sessions,
                                                         const QMap<int, QString>& before)
{
    QMap<int, QString> table = packages;
    const auto keep = [&table](const QString& version)
    {
        const QList<QString> known = table.values();
        if (!version.isEmpty() && !known.contains(version))
        {
            table.insert(table.isEmpty() ? 0 : table.lastKey() + 1, version);
        }
    };
    for (const CLASS_SESSION_RECORD* record : sessions)
    {
        keep(SavedVersion(record, before));
        if (!record->panel.isNull())
        {
            keep(before.value(record->panel->GetSelection().value(0)));
        }
    }
    return table;
}

void CLASS_SESSION_VERSION_LISTS::RefillPanel(CLASS_SESSION_RECORD* record,
                                              const QList<int>& configuration) const
{
    record->panel->ClearVersions();
    FillVersions(record->panel);
    record->panel->RestoreSelection(configuration);
    if (record->locked)
    {
        record->panel->SetEditable(false);
    }
}

QString CLASS_SESSION_VERSION_LISTS::VersionText(int versionKey) const
{
    return versionInfo->GetVersionsTable().value(versionKey);
}

QString CLASS_SESSION_VERSION_LISTS::VersionLabel(int versionKey) const
{
    return QStringLiteral("v") + DottedVersion(VersionText(versionKey));
}

bool CLASS_SESSION_VERSION_LISTS::IsInstalled(int versionKey) const
{
    return versionInfo->GetInstalledVersions().contains(DottedVersion(VersionText(versionKey)));
}
