#ifndef DEVICE_CLASSSESSIONVERSIONLISTS_H
#define DEVICE_CLASSSESSIONVERSIONLISTS_H

#include "DEVICE/DEVICE_VersionEntry.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class CLASS_SETUP_VIEW;
class CLASS_SESSION_RECORD;
class CLASS_TARVO_VERSION_INFO;

// The version choices of the setup panels, part of the session back end: fills a panel's version list
// from the versions table (each entry marked installed or not), refills every panel after the installed
// packages changed, and turns the table's keys into the texts that the settings file and the cards show.
class CLASS_SESSION_VERSION_LISTS
{
public:
    explicit CLASS_SESSION_VERSION_LISTS(const CLASS_TARVO_VERSION_INFO* versionInfo);

    void FillVersions(CLASS_SETUP_VIEW* panel) const;
    // A new session starts on the first installed version, when there is one.
    void SelectFirstInstalledVersion(CLASS_SETUP_VIEW* panel) const;
    // Refills the version list of every session's panel, keeping each panel's selection and lock.
    void RefreshPanels(const QList<CLASS_SESSION_RECORD*>& sessions) const;
    // After the versions table was replaced (a newer catalogue arrived): every session keeps the version
    // it had in the table `before`, under that version's key in the new table, in its panel and in its
    // saved configuration; then every panel is refilled.
    void RenumberPanels(const QList<CLASS_SESSION_RECORD*>& sessions, const QMap<int, QString>& before) const;
    // The packages list with, after its entries, every version that a session uses by a key of `before`
    // and that the list lacks: a newer catalogue never takes a session's version away.
    static QMap<int, QString> TableKeepingSessionVersions(const QMap<int, QString>& packages,
                                                          const QList<CLASS_SESSION_RECORD*>& sessions,
                                                          const QMap<int, QString>& before);

    // The table's text of a version key ("1_5_4"), the card's label ("v1.5.4"), and whether it is installed.
    QString VersionText(int versionKey) const;
    QString VersionLabel(int versionKey) const;
    bool IsInstalled(int versionKey) const;

private:
    // The version a session was loaded or saved with; by its key in table when it has none recorded.
    static QString SavedVersion(const CLASS_SESSION_RECORD* record, const QMap<int, QString>& table);
    void RefillPanel(CLASS_SESSION_RECORD* record, const QList<int>& configuration) const;
    // The list entries of the current table, made once for every panel while the table and the
    // installed versions stay the same.
    const QVector<VERSION_ENTRY>& Entries() const;

    const CLASS_TARVO_VERSION_INFO* versionInfo;
    mutable QMap<int, QString> entriesTable;
    mutable QStringList entriesInstalled;
    mutable QVector<VERSION_ENTRY> entries;
};

#endif // DEVICE_CLASSSESSIONVERSIONLISTS_H
