#ifndef TESTS_SYSTEMPROBES_H
#define TESTS_SYSTEMPROBES_H

#include <QtGlobal>

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
quint16 FreePort();
// True when something accepts connections on 127.0.0.1:port. Asks by connecting: a probe that binds the
// port itself could take it from a program that is about to listen there.
bool PortAnswers(quint16 port);

// State letter of a process from /proc/<pid>/stat ('R', 'S', 'T', 'Z', ...); 0 when there is no such process.
char ProcessState(qint64 pid);
// True when the process has ended: no such process, or a zombie (or dead) one waiting for its parent.
bool ProcessGone(qint64 pid);
inline bool ProcessAlive(qint64 pid)
{
    return !ProcessGone(pid);
}

#endif // TESTS_SYSTEMPROBES_H
