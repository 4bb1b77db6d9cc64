#ifndef ARCHIVETESTSUPPORT_H
#define ARCHIVETESTSUPPORT_H

#include "SystemProbes.h"
#include "TestFiles.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One entry of a hand-made zip archive: a name ending with "/" is a folder; a link holds its target as data.
struct ZIP_ENTRY
{
    QString name;
    QByteArray data;
    bool link = false;
};

// Writes a zip archive of stored (uncompressed) entries exactly as given, unsafe names included: the real
// zip tool cleans "../" and leading "/" away, so hostile archives are made by hand.
bool WriteZip(const QString& path, const QList<ZIP_ENTRY>& entries);

// A session folder as the launcher saves it: settings.ini, ZR_APPS/index.html, an empty tmp folder.
bool MakeSessionFolder(const QString& folder, const QString& name, int port);

// Every file and folder below root (hidden ones too), relative, folders ending with "/", mapped to the
// file content (empty for folders).
QMap<QString, QByteArray> Tree(const QString& root);

// Runs program with arguments; the standard output, or a null array when it did not end with code 0.
QByteArray RunTool(const QString& program, const QStringList& arguments);

// Writes an executable "#!/bin/sh" script.
bool WriteScript(const QString& path, const QByteArray& body);

#endif // ARCHIVETESTSUPPORT_H
