#ifndef TRACESTESTSUPPORT_H
#define TRACESTESTSUPPORT_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small file helpers shared by the tracing suites.
namespace TracesTest
{
// Whole content of a file, empty when it cannot be read.
QByteArray ReadAll(const QString& path);

// The lines of a UTF-8 file, without their line feeds.
QStringList Lines(const QString& path);

// Creates (or replaces) a file holding exactly the given bytes.
bool WriteFile(const QString& path, const QByteArray& content);

// Sets or clears the immutable flag of a file or folder: the only way to make an entry unremovable
// when the tests run as root. Returns false when the file system does not support it.
bool SetImmutable(const QString& path, bool immutable);

// Collects what this process writes to its standard error stream between construction and Text().
class StandardErrorCapture
{
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    // Ends the capture (once) and returns what was written.
    QString Text();

private:
    void Restore();

    int savedDescriptor = -1;
    QString capturePath;
    QString captured;
};
} // namespace TracesTest

#endif // TRACESTESTSUPPORT_H
