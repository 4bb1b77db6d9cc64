#ifndef DEVICE_PACKAGEARCHIVE_H
#define DEVICE_PACKAGEARCHIVE_H

#include <QString>
#include <QStringList>

class QProcess;

// Package archive checks and extractor runs for the package installer. Stateless; safe on any thread.

// The file name suffix of a package archive.
inline const QString PACKAGE_ARCHIVE_SUFFIX = QStringLiteral(".zip");

// The folder of an installed package: applicationFolder + "/" + the package folder name of version.
QString PackageFolderPath(const QString& applicationFolder, const QString& version);

// True when every entry lies in packageFolder (the folder itself or something below it): no absolute or
// drive-relative start, no ".." part, whatever separator the archive used, and no entry below a path that
// the archive stores as a file (a symbolic link planted by the archive could lead out). An empty list is
// refused too. offending, when given, receives the first refused entry.
bool ArchiveEntriesStayIn(const QStringList& entries, const QString& packageFolder,
                          QString* offending = nullptr);

// Starts program and waits for its end, each wait limited to timeoutMs. False when it did not start or
// did not end in time (it is killed then).
bool RunProcessToEnd(QProcess& process, const QString& program, const QStringList& arguments, int timeoutMs);

// True when the process ended normally with exit code 0.
bool ProcessEndedWell(const QProcess& process);

// The entry names of archivePath as listed by the extractor ("unzip -Z1"). False when the listing failed.
bool ListArchiveEntries(const QString& program, const QString& archivePath, int timeoutMs,
                        QStringList& entries);

// The entries of archivePath that unpack as symbolic links, as the extractor's long listing ("unzip -Z -s")
// shows them (a type "l"): an archive holding any is refused, since an unpacked link would lead the
// launcher's later writes, copies and removals out of the package. False when the listing failed.
bool ListArchiveLinks(const QString& program, const QString& archivePath, int timeoutMs, QStringList& links);

#endif // DEVICE_PACKAGEARCHIVE_H
