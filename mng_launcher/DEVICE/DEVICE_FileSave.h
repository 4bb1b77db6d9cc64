#ifndef DEVICE_FILESAVE_H
#define DEVICE_FILESAVE_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Saving files that the launcher replaces (a session's settings.ini, the catalogue's local copy): a save
// either completes or leaves the old file byte for byte. Stateless; GUI thread.

// One key of an INI file and the value it must hold ("GROUP/KEY" for a key in a group).
typedef QList<QPair<QString, QVariant>> INI_VALUES;

// Replaces the file at path with content in one step: the content goes to a new file beside it, every
// write checked and flushed, which only then takes the old file's place; on any failure the new file is
// dropped and the old one stays as it was. A link at path is not written through: the save is refused.
// False on failure, with the reason ("Error opening file for writing:...", "Error writing file:...",
// "Refused to write through a link : ...") in errorText.
bool ReplaceFileContent(const QString& path, const QByteArray& content, QString* errorText);

// Replaces the INI file at path with one that holds seed (the text of an INI file whose keys are kept)
// and then every key of values, written by Qt's INI writer on a staging file in the same folder. The
// staging file is read back before it is used: every key must hold its value, so a write that failed
// unnoticed (Qt's INI writer does not check its last flush) never replaces the old file. Then as
// ReplaceFileContent.
bool ReplaceIniFile(const QString& path, const QByteArray& seed, const INI_VALUES& values,
                    QString* errorText);

// The seed of ReplaceIniFile for the INI file at path: its current text, so that keys the launcher does not
// write survive a save. A file the reader rejects, or anything but a plain file (a pipe would block the
// read), is not carried over (empty seed): the new file is then written from scratch. False when a plain,
// readable-looking file could not be read whole.
bool ReadIniSeed(const QString& path, QByteArray& seed);

// Writes values over the INI file at path, keeping its other keys: ReadIniSeed, then ReplaceIniFile.
// False on failure, with the reason in errorText ("Error reading file:<path>" when the current file
// could not be read).
bool UpdateIniFile(const QString& path, const INI_VALUES& values, QString* errorText);

#endif // DEVICE_FILESAVE_H
