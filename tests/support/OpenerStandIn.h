#ifndef TESTS_OPENERSTANDIN_H
#define TESTS_OPENERSTANDIN_H

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Stands in for the desktop's opener (xdg-open), to be handed to PLATFORM::SetDesktopOpenerProgram: a
// script in a folder of its own that records the arguments of each run, one a line, and ends with the
// exit status it was made with (xdg-open ends with 3 or 4 when no handler or browser could open).
class OPENER_STAND_IN
{
public:
    explicit OPENER_STAND_IN(int exitStatus = 0);

    // Empty when the script could not be written.
    QString Program() const { return program; }
    // A program path in the same folder where nothing is: an opener that is not installed.
    QString MissingProgram() const;
    // The arguments of every run so far, in order: one per run when each got the address alone.
    QStringList Arguments() const;

private:
    QTemporaryDir folder;
    QString program;
};

#endif // TESTS_OPENERSTANDIN_H
