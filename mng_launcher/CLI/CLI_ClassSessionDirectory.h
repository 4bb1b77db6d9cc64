#ifndef CLI_CLASSSESSIONDIRECTORY_H
#define CLI_CLASSSESSIONDIRECTORY_H

#include "CLI/CLI_CommandTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// One session as the commands show it.
struct CLI_SESSION_INFO
{
    QString folder;     // folder name in the sessions root
    QString folderPath; // absolute folder
    QString name;
    QString description;
    QString model;   // device model name
    QString version; // simulator version text
    bool installed = false;
    int port = 0;
    int deviceIndex = 0;
    int audioCard = 0;
    bool running = false;
};

// The saved sessions read from disk without changing anything (no folder is cleaned up, no file written),
// through the session settings file code; and the lookup of a session given on the command line.
class CLASS_SESSION_DIRECTORY
{
public:
    // Reads every session folder of sessionsRoot, by folder name; installed flags against the package
    // folders of applicationFolder.
    CLASS_SESSION_DIRECTORY(const QString& sessionsRoot, const QString& applicationFolder);

    const QList<CLI_SESSION_INFO>& Sessions() const { return sessions; }
    // Marks the sessions whose folder names are given as running.
    void SetRunning(const QStringList& runningFolders);

    // The session whose folder name is text, else the one session named text. Not found: EXIT_NOT_FOUND;
    // several sessions of that name: EXIT_REFUSED, naming their folders. failure receives the reason.
    bool Find(const QString& text, CLI_SESSION_INFO& found, CLI_RESULT& failure) const;

private:
    QList<CLI_SESSION_INFO> sessions;
};

#endif // CLI_CLASSSESSIONDIRECTORY_H
