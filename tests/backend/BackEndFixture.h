#ifndef BACKENDFIXTURE_H
#define BACKENDFIXTURE_H

#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "SystemProbes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class CLASS_GLOBAL_SETUP;
class CLASS_MAIN_BACKEND;
class CLASS_MAIN_WINDOW;
class CLASS_SESSION_WIDGET;
class QPushButton;

// A launcher in a temporary world: an application folder for packages, a sessions root, a catalogue
// server that does not answer (the local catalogue copy decides), a shown main view and its back end.
class BackEndFixture
{
public:
    BackEndFixture();
    ~BackEndFixture();

    // Once per test program: offscreen-safe settings, boxes answered at once, a trace worker in a
    // temporary folder so that log lines can be read.
    static void StartTracing(const QString& logFolder);

    bool IsValid() const { return temp.isValid(); }
    QString Path() const { return temp.path(); }
    QString AppFolder() const { return temp.path() + QStringLiteral("/app"); }
    QString SessionsRoot() const { return temp.path() + QStringLiteral("/sessions/"); }
    QString RecordFile() const { return temp.path() + QStringLiteral("/runs.txt"); }

    // TARVO_<v> with ressources/ZR_APPS/index.html and, unless script is empty, bin/ZR_APP_SIMULATOR
    // holding "#!/bin/sh" + script (each run first appends "$0|$#|$1" to RecordFile()).
    bool InstallPackage(const QString& version, const QByteArray& script);
    // TARVO_<v>/bin/ZR_APP_SIMULATOR as a copy of a real program.
    bool InstallProgram(const QString& version, const QString& program);
    // The local catalogue copy: one key per version, as the maker's file has them.
    bool WriteCatalogue(const QStringList& versions);
    TARVO_VERSION_INFO_LOCATIONS Locations() const;

    // catalogueUrl: where the back end fetches the remote catalogue; by default a port nobody answers.
    void Build(const QString& catalogueUrl = QString());
    void Destroy();

    CLASS_MAIN_WINDOW* window = nullptr;
    CLASS_MAIN_BACKEND* backEnd = nullptr;

    QPushButton* Button(const QString& objectName) const;
    // Clicks a button of the main view or of the bottom bar (nothing happens when it is disabled).
    void Click(const QString& objectName) const;
    CLASS_SESSION_WIDGET* Card(int index) const;
    CLASS_GLOBAL_SETUP* Panel(int index) const;
    void SelectCard(int index) const;
    // Creates a session with the main view's button, gives it a free port and asks for its save; returns
    // the port. What the save leads to is for the caller to wait for.
    int CreateAndSaveSession() const;
    QStringList SessionFolders() const;
    // The lines that the simulator runs appended to RecordFile().
    QStringList Runs() const;

private:
    QTemporaryDir temp;
};

// Value of a key of an INI file.
QString IniValue(const QString& file, const QString& key);

#endif // BACKENDFIXTURE_H
