#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#include <QString>

class QSharedMemory;

// The small platform layer: every difference between Windows and Linux lives behind these functions.
namespace PLATFORM
{
// Removes a single-instance segment left by a crashed copy; a live copy keeps its segment.
void PrepareSingleInstanceLock(QSharedMemory& lock);

// Ends a process with its whole tree of descendants. Returns true when the tree is gone (every process
// of it has ended; an ended child of the caller stays for its owner to reap, so a QProcess still
// reports finished). Refuses (false) a pid below 1, the launcher itself and any tree holding it.
bool KillProcessTree(qint64 pid);

// Path of the simulator program inside an installed package folder, as handed to QProcess::start.
QString SimulatorProgramPath(const QString& packageFolder);

// The archive tools: beside the launcher if present, else (Linux) from PATH.
QString ZipProgram();
QString UnzipProgram();
// The rule behind both: the tool "zip" or "unzip" as looked up from the given folder.
QString ArchiveToolProgram(const QString& folder, const QString& toolName);

// Folder of the package archives on the update server: "Windows" or "Linux".
QString PackageArchiveFolder();

// Folder that holds the launcher executable; packages are installed in it.
QString ApplicationFolder();

// True when 127.0.0.1:port can be bound right now (port 0 is never free).
bool IsPortFree(quint16 port);
} // namespace PLATFORM

#endif // PLATFORM_PLATFORM_H
