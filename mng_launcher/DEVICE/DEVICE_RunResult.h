#ifndef DEVICE_RUNRESULT_H
#define DEVICE_RUNRESULT_H

#include <QString>

// What a request to the back end came to (a start, a stop, a bundle written), and why when it was not
// done: the window shows the reason in its box, a command prints it and ends with the matching exit code.
struct RUN_RESULT
{
    enum class OUTCOME
    {
        Done,
        Refused,  // another session runs, the port is taken, the session was never saved or runs already
        NotFound, // no such session, or its version is not installed
        Failed,   // the simulator did not start, a file could not be written
    };

    OUTCOME outcome = OUTCOME::Done;
    QString reason;
    QString output; // what a done request made, when it tells (the bundle's path)

    bool IsDone() const { return outcome == OUTCOME::Done; }
    static RUN_RESULT Done(const QString& output = QString()) { return {OUTCOME::Done, QString(), output}; }
    static RUN_RESULT Not(OUTCOME outcome, const QString& reason) { return {outcome, reason, QString()}; }
};

#endif // DEVICE_RUNRESULT_H
