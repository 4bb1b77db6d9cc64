#ifndef PLATFORM_FILES_H
#define PLATFORM_FILES_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

class QFile;
class QObject;

// File operations that never go through a link and keep the user's own places private. Part of the
// platform layer, in a library of its own so that the tracing module can use it too. Stateless; any thread.
namespace PLATFORM
{
// How making or using a private place ended.
enum class PRIVATE_PLACE
{
    Ready,   // the folder or file is usable
    Refused, // it is a link, not of the expected kind, or belongs to another user: left as it is
    Failed,  // it could not be created or written (no space, no permission, ...)
};

// True when path itself is a symbolic link (Windows: also a junction); a trailing "/" is ignored.
bool IsLink(const QString& path);

// True when path is a real folder (not a link) that belongs to the user (Windows: a real folder).
bool IsOwnFolder(const QString& path);

// Moves the file source to target in one step, replacing whatever file stands at target (a link there is
// replaced as a link, never written through); a folder at target stays and the move fails. Both paths on
// one disk. Until it returns true, target is as it was.
bool RenameReplacing(const QString& source, const QString& target);

// Removes path and everything below it without following any link: a link met on the way, or at path
// itself, is removed as a link; what it points at stays untouched. True when nothing of path is left
// (also when nothing was there).
bool RemoveTree(const QString& path);

// RemoveTree for a folder that the launcher manages (a session folder, ZR_APPS, a package folder): a
// folder, or a link in its place, is removed (the link as a link); anything else there, such as a plain
// file, is not the launcher's and stays. True when no folder and no link is left at path.
bool RemoveFolder(const QString& path);

// The per-user folder below which the logs' base lives: Windows keeps the temporary folder (per user
// there); Linux uses the user's cache folder ($XDG_CACHE_HOME or ~/.cache), never the shared /tmp.
QString PrivateCacheRoot();

// Makes path a folder only the user can write: created 0700 when missing (its parent must exist);
// an existing one must be a real folder of the user, and loses write access for group and others.
// Refused when it is a link or belongs to someone else. problem receives the reason of a failure.
PRIVATE_PLACE MakePrivateFolder(const QString& path, QString* problem = nullptr);

// PrivateCacheRoot() (created when missing) + each "/"-separated part of relative, every part made
// with MakePrivateFolder. path receives the full path (also on failure).
PRIVATE_PLACE MakePrivateCacheFolder(const QString& relative, QString* path, QString* problem = nullptr);

// The folder of the pages the launcher hands to the browser (the licence copy): Windows keeps the
// temporary folder; Linux uses "vaDevazade/<application name>" in the user's cache folder, made private.
// Empty when that folder is a link, another user's, or cannot be made.
QString PrivatePageFolder();

// Appends data to the file at path as one piece: whole, or not at all (a failed write cuts the file back
// to its former length). The file is created 0600 when missing and opened without following a link; a
// link, anything but a plain file, or a file of another user is refused. Empty data only creates/checks.
PRIVATE_PLACE AppendToPrivateFile(const QString& path, const QByteArray& data);

// Puts a new file holding content at path, created by this call (0600): whatever stood there before (a
// file, or a link, which is removed as a link) is replaced. False when the file could not be written
// whole; nothing is left at path then. Windows first makes an older copy writable (a copy of a resource
// is read-only), as the launcher always did there; Linux has no need for that step.
bool WriteNewPrivateFile(const QString& path, const QByteArray& content);

// Opens the plain file of the user at path into file with mode (ReadOnly, WriteOnly or ReadWrite, optionally
// Append or Truncate), never through a link: a link, another kind of file or another user's file is
// Refused. A mode that writes creates a missing file, 0600. Failed when it cannot be opened.
PRIVATE_PLACE OpenPrivateFile(QFile& file, const QString& path, QIODevice::OpenMode mode);

#ifndef Q_OS_WIN
// Linux: the descriptor of a plain file of this user at path, opened with the open(2) flags given plus
// O_NOFOLLOW, O_CLOEXEC, O_NOCTTY and O_NONBLOCK (created 0600 with O_CREAT), or -1 (errno tells why).
// refused tells a link, another kind of file or another owner from a failure to open.
int OpenOwnFile(const QString& path, int flags, bool& refused);
#endif
} // namespace PLATFORM

#endif // PLATFORM_FILES_H
