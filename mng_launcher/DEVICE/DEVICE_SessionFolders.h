#ifndef DEVICE_SESSIONFOLDERS_H
#define DEVICE_SESSIONFOLDERS_H

#include <QList>
#include <QString>
#include <QStringList>

// Which folders of the sessions root are sessions, and which saved sessions use a simulator version.
// Read from disk only; stateless; GUI thread (or any thread that owns no session records).

// The names the launcher keeps in the sessions root for itself: the catalogue's local copy, the state
// file, the single-instance lock, and "packages", where the user's package folder lay before it moved out
// of the sessions root.
QStringList LauncherRootNames();

// True when name may be a session folder of sessionsRoot, at start-up (the window's list), for --list and
// for an import alike: a plain name, neither empty, "." nor "..", not starting with "." (hidden, the
// launcher's own staging folders) or "-" (it would read as an option to the archive tools), without a
// control character, "/" or "\", and none of LauncherRootNames() (in any letter case). The old package
// folder's name is a session's only once a session lives there (it holds a settings.ini): a leftover
// package folder is neither loaded nor cleaned away, and no import can create a folder of that name.
bool IsSessionFolderName(const QString& name, const QString& sessionsRoot);

// The readable sub-folders of sessionsRoot that IsSessionFolderName takes for sessions, by name (which is
// by creation time): the window's list, --list and the session scans read the same folders in one order.
QStringList SessionFolderNames(const QString& sessionsRoot);

// A saved session that uses a simulator version.
struct SESSION_USING_VERSION
{
    QString name;   // the session's name, as its settings.ini holds it
    QString folder; // its folder's name in the sessions root
};

// The saved sessions of sessionsRoot whose settings.ini names version (VERSION, "_" read as "."), by
// folder name. Nothing on disk changes.
QList<SESSION_USING_VERSION> SessionsUsingVersion(const QString& sessionsRoot, const QString& version);

#endif // DEVICE_SESSIONFOLDERS_H
