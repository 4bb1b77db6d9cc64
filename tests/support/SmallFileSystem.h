#ifndef TESTS_SMALLFILESYSTEM_H
#define TESTS_SMALLFILESYSTEM_H

#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted on a temporary folder for as long as the object lives: the way to make a full disk
// (the tests run as root in CI). A test QSKIPs when IsMounted() is false (no root, or mounts refused).
class SMALL_FILE_SYSTEM
{
public:
    explicit SMALL_FILE_SYSTEM(int kibibytes = 256);
    ~SMALL_FILE_SYSTEM();
    SMALL_FILE_SYSTEM(const SMALL_FILE_SYSTEM&) = delete;
    SMALL_FILE_SYSTEM& operator=(const SMALL_FILE_SYSTEM&) = delete;

    bool IsMounted() const { return mounted; }
    QString Path() const { return folder.path(); }
    // Why the mount failed, for the skip message.
    QString Problem() const { return problem; }

    // Fills every free byte with the file "filler" in the mount; FreeUp() removes it again.
    bool FillUp();
    bool FreeUp();

private:
    QTemporaryDir folder;
    bool mounted = false;
    QString problem;
};

#endif // TESTS_SMALLFILESYSTEM_H
