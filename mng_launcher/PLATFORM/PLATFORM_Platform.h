#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#include <QString>

class QSharedMemory;

// The small platform layer: every difference between Windows and Linux lives behind these functions.
namespace PLATFORM
{
// Removes a single-instance segment left by a crashed copy; a live copy keeps its segment.
void PrepareSingleInstanceLock(QSharedMemory& lock);

// Ends a process with its whole tree of descendants. Returns true when the tree is gone.
bool KillProcessTree(qint64 pid);

// Path of the simulator program inside an installed package folder.
QString SimulatorProgramPath(const QString& packageFolder);

// The archive tools: beside the launcher if present, else (Linux) from PATH.
QString ZipProgram();
QString UnzipProgram();

// Folder of the package archives on the update server: "Windows" or "Linux".
QString PackageArchiveFolder();
} // namespace PLATFORM

#endif // PLATFORM_PLATFORM_H
