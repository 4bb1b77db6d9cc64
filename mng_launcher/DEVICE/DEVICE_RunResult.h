#ifndef DEVICE_RUNRESULT_H
#define DEVICE_RUNRESULT_H

#include <QString>

// What a run control request came to, and why when it was not done: the window shows the reason in its
// box, a command prints it and ends with the matching exit code.
struct RUN_RESULT
{
    enum class OUTCOME
    {
        Done,
        Refused,  // another session runs, the port is taken, the session was never saved or runs already
        NotFound, // no such session, or its version is not installed
        Failed,   // the simulator did not start
    };

    OUTCOME outcome = OUTCOME::Done;
    QString reason;

    bool IsDone() const { return outcome == OUTCOME::Done; }
    static RUN_RESULT Done() { return {}; }
    static RUN_RESULT Not(OUTCOME outcome, const QString& reason) { return {outcome, reason}; }
};

#endif // DEVICE_RUNRESULT_H
