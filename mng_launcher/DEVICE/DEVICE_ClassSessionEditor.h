#ifndef DEVICE_CLASSSESSIONEDITOR_H
#define DEVICE_CLASSSESSIONEDITOR_H

#include <QObject>
#include <QString>

class CLASS_SESSION_PANELS;
class CLASS_SESSION_VERSION_LISTS;

// Save and discard, part of the session back end: writes a session's folder (the web application of its
// simulator version, tmp/, settings.ini) from its setup panel and locks the panel, or brings the panel back
// to what was last saved. Also names the folder of a new session.
class CLASS_SESSION_EDITOR : public QObject
{
    Q_OBJECT

public:
    static constexpr int DISCARD_BUTTONS_DELAY_MS = 800;

    CLASS_SESSION_EDITOR(CLASS_SESSION_PANELS& panels, const CLASS_SESSION_VERSION_LISTS& versionLists,
                         const QString& sessionsRoot, const QString& applicationFolder,
                         QObject* parent = nullptr);

    // Saves the selected session, or the session at the index (a duplicate saving itself).
    void SaveRequest(int sessionIndex);
    void DiscardRequest();
    // The settings file of session i, written into its folder. False when it could not be written.
    bool WriteSessionSettings(int sessionIndex);
    // A folder name under the sessions root that no session uses yet.
    QString NewSessionFolder() const;

private:
    // Makes a session's folder ready for its settings: the resources of the version's package and tmp.
    // False when the folder is a link: nothing is written through it.
    bool PrepareSessionFolder(const QString& folder, int versionKey) const;

    CLASS_SESSION_PANELS& panels;
    const CLASS_SESSION_VERSION_LISTS& versionLists;
    QString sessionsRoot;
    QString applicationFolder;
};

#endif // DEVICE_CLASSSESSIONEDITOR_H
