#include "PLATFORM/PLATFORM_Platform.h"

#include "QT_TRACES/TRACES_Traces.h"

#ifdef Q_OS_WIN
#include <QProcess>
#include <QStringList>
#else
#include <QElapsedTimer>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef Q_OS_WIN
namespace
{
// One line of /proc/<pid>/stat, reduced to what the tree walk needs.
struct ProcessEntry
{
    pid_t parent = 0;
    char state = '?';
    unsigned long long startTime = 0; // tells a process from a later one that reuses its pid
};

// How long the killed tree may take to end before the kill counts as failed.
constexpr int TREE_END_LIMIT_MS = 5000;
// A tree that keeps growing while it is being stopped is given up after this many rounds.
constexpr int STOP_ROUNDS_LIMIT = 1000;

bool ReadProcessEntry(pid_t pid, ProcessEntry& entry)
{
    char path[64];
    std::snprintf(path, sizeof(path), "/proc/%d/stat", static_cast<int>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        return false;
    }
    char buffer[1024];
    const ssize_t length = ::read(fd, buffer, sizeof(buffer) - 1);
    ::close(fd);
    if (length <= 0)
    {
        return false;
    }
    buffer[length] = '\0';
    // The command name in brackets may hold blanks and brackets: the fields start after the last ')'.
    const char* fields = std::strrchr(buffer, ')');
    if (fields == nullptr)
    {
        return false;
    }
    // Fields after the name: 3 state, 4 ppid, ... 22 starttime.
    char* cursor = nullptr;
    entry.state = fields[2];
    entry.parent = static_cast<pid_t>(std::strtol(fields + 4, &cursor, 10));
    for (int field = 5; field < 22 && cursor != nullptr && *cursor != '\0'; ++field)
    {
        std::strtoull(cursor, &cursor, 10);
    }
    entry.startTime = (cursor != nullptr) ? std::strtoull(cursor, nullptr, 10) : 0;
    return true;
}

std::map<pid_t, ProcessEntry> ListProcesses()
{
    std::map<pid_t, ProcessEntry> processes;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
    {
        return processes;
    }
    while (const dirent* item = ::readdir(proc))
    {
        char* end = nullptr;
        const long pid = std::strtol(item->d_name, &end, 10);
        ProcessEntry entry;
        if (pid > 0 && end != nullptr && *end == '\0' && ReadProcessEntry(static_cast<pid_t>(pid), entry))
        {
            processes.emplace(static_cast<pid_t>(pid), entry);
        }
    }
    ::closedir(proc);
    return processes;
}

bool HasEnded(pid_t pid, unsigned long long startTime)
{
    ProcessEntry entry;
    if (!ReadProcessEntry(pid, entry) || entry.startTime != startTime)
    {
        return true;
    }
    // A zombie has ended; its owner reaps it (QProcess for the simulator).
    return entry.state == 'Z' || entry.state == 'X';
}

// Adds to the tree every process whose parent is a member. Returns how many were added.
int AddChildren(std::map<pid_t, unsigned long long>& tree)
{
    int added = 0;
    bool grew = true;
    const std::map<pid_t, ProcessEntry> processes = ListProcesses();
    while (grew)
    {
        grew = false;
        for (const auto& [pid, entry] : processes)
        {
            const auto parent = tree.find(entry.parent);
            if (parent == tree.end() || tree.count(pid) != 0)
            {
                continue;
            }
            const auto parentEntry = processes.find(entry.parent);
            if (parentEntry != processes.end() && parentEntry->second.startTime == parent->second)
            {
                tree.emplace(pid, entry.startTime);
                ++added;
                grew = true;
            }
        }
    }
    return added;
}

// Reaps the ended members that are the launcher's own children, except the root: the root's owner reaps
// it (QProcess reports finished only for a child it reaps itself). Other members become children of the
// launcher only when it is a subreaper; otherwise init reaps them.
void ReapOwnChildren(const std::map<pid_t, unsigned long long>& tree, pid_t root)
{
    const pid_t self = ::getpid();
    for (const auto& [pid, startTime] : tree)
    {
        ProcessEntry entry;
        if (pid != root && ReadProcessEntry(pid, entry) && entry.startTime == startTime &&
            entry.parent == self)
        {
            ::waitpid(pid, nullptr, WNOHANG);
        }
    }
}

void SignalAll(const std::map<pid_t, unsigned long long>& tree, int signalNumber)
{
    for (const auto& member : tree)
    {
        ::kill(member.first, signalNumber);
    }
}

bool WaitForTreeEnd(const std::map<pid_t, unsigned long long>& tree)
{
    QElapsedTimer timer;
    timer.start();
    while (true)
    {
        bool allEnded = true;
        for (const auto& [pid, startTime] : tree)
        {
            allEnded = allEnded && HasEnded(pid, startTime);
        }
        if (allEnded)
        {
            return true;
        }
        if (timer.elapsed() > TREE_END_LIMIT_MS)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
} // namespace
#endif

namespace PLATFORM
{
#ifdef Q_OS_WIN
bool KillProcessTree(qint64 pid)
{
    if (pid <= 0)
    {
        TRACE_ERROR(QStringLiteral("Refused to kill process ") + QString::number(pid));
        return false;
    }
    const int result =
        QProcess::execute(QStringLiteral("taskkill"), {QStringLiteral("/PID"), QString::number(pid),
                                                       QStringLiteral("/T"), QStringLiteral("/F")});
    return result == 0;
}
#else
bool KillProcessTree(qint64 pid)
{
    const pid_t self = ::getpid();
    if (pid <= 1 || pid > INT_MAX || pid == self)
    {
        TRACE_ERROR(QStringLiteral("Refused to kill process ") + QString::number(pid));
        return false;
    }
    const pid_t root = static_cast<pid_t>(pid);
    ProcessEntry rootEntry;
    if (!ReadProcessEntry(root, rootEntry))
    {
        return true; // already gone
    }
    std::map<pid_t, unsigned long long> tree{{root, rootEntry.startTime}};
    AddChildren(tree);
    if (tree.count(self) != 0)
    {
        TRACE_ERROR(QStringLiteral("Refused to kill the tree of process ") + QString::number(pid) +
                    QStringLiteral(", which holds the launcher"));
        return false;
    }
    // Stop every member so that none can fork any more, then look again for children made meanwhile.
    int round = 0;
    do
    {
        SignalAll(tree, SIGSTOP);
    } while (AddChildren(tree) > 0 && ++round < STOP_ROUNDS_LIMIT);
    SignalAll(tree, SIGKILL);
    const bool ended = WaitForTreeEnd(tree);
    ReapOwnChildren(tree, root);
    if (!ended)
    {
        TRACE_ERROR(QStringLiteral("The process tree of ") + QString::number(pid) +
                    QStringLiteral(" did not end in time"));
        return false;
    }
    return true;
}
#endif
} // namespace PLATFORM
