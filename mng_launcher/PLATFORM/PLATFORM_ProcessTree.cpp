#include "PLATFORM/PLATFORM_Platform.h"

#include "PLATFORM/PLATFORM_ClassDesktopOpener.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <QStringList>
#else
#include <QElapsedTimer>
#include <QProcessEnvironment>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef Q_OS_WIN

// A line of this unit and function in the launcher's log.
#define PLATFORM_ERROR(text) PLATFORM::LogError(__FILE__, __func__, __LINE__, (text))

namespace
{
// One line of /proc/<pid>/stat, reduced to what the tree walk needs.
struct ProcessEntry
{
    pid_t parent = 0;
    pid_t session = 0;
    char state = '?';
    unsigned long long startTime = 0; // tells a process from a later one that reuses its pid
};

// The environment variable that marks the processes of a tagged tree.
const QString TAG_VARIABLE = QStringLiteral("TARVO_PROCESS_TREE");
// The environment variable, holding the launcher's pid, that everything the launcher starts inherits: a
// process without it has cleared its environment.
const QString LAUNCHER_VARIABLE = QStringLiteral("TARVO_LAUNCHER");

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
    // Fields after the name: 3 state, 4 ppid, 5 pgrp, 6 session, ... 22 starttime.
    char* cursor = nullptr;
    entry.state = fields[2];
    entry.parent = static_cast<pid_t>(std::strtol(fields + 4, &cursor, 10));
    for (int field = 5; field < 22 && cursor != nullptr && *cursor != '\0'; ++field)
    {
        const long long value = std::strtoll(cursor, &cursor, 10);
        if (field == 6)
        {
            entry.session = static_cast<pid_t>(value);
        }
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

// The launcher's own children, from the kernel's list of each of its threads' children: the periodic
// reaping reads these few entries instead of every process of the system.
std::vector<pid_t> OwnChildren()
{
    std::vector<pid_t> children;
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr)
    {
        return children;
    }
    while (const dirent* task = ::readdir(tasks))
    {
        if (task->d_name[0] == '.')
        {
            continue;
        }
        char path[32 + sizeof(task->d_name)];
        std::snprintf(path, sizeof(path), "/proc/self/task/%s/children", task->d_name);
        if (std::FILE* list = std::fopen(path, "re"))
        {
            int pid = 0;
            while (std::fscanf(list, "%d", &pid) == 1)
            {
                children.push_back(static_cast<pid_t>(pid));
            }
            std::fclose(list);
        }
    }
    ::closedir(tasks);
    return children;
}

// True when the environment that pid started with holds entry ("NAME=value") exactly.
bool HasEnvironmentEntry(pid_t pid, const std::string& entry)
{
    char path[64];
    std::snprintf(path, sizeof(path), "/proc/%d/environ", static_cast<int>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        return false;
    }
    std::string environment;
    char buffer[4096];
    ssize_t length = 0;
    while ((length = ::read(fd, buffer, sizeof(buffer))) > 0)
    {
        environment.append(buffer, static_cast<size_t>(length));
    }
    ::close(fd);
    // The entries are separated by NUL characters.
    size_t start = 0;
    while (start < environment.size())
    {
        size_t end = environment.find('\0', start);
        if (end == std::string::npos)
        {
            end = environment.size();
        }
        if (environment.compare(start, end - start, entry) == 0)
        {
            return true;
        }
        start = end + 1;
    }
    return false;
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

// True when ancestor is found by following the parent links up from pid.
bool DescendsFrom(const std::map<pid_t, ProcessEntry>& processes, pid_t pid, pid_t ancestor)
{
    for (size_t depth = 0; depth < processes.size(); ++depth)
    {
        const auto entry = processes.find(pid);
        if (entry == processes.end() || entry->second.parent <= 0)
        {
            return false;
        }
        pid = entry->second.parent;
        if (pid == ancestor)
        {
            return true;
        }
    }
    return false;
}

// Adds to the tree every live process that descends from the launcher (orphans come back to it as its
// child subreaper) and carries the tag entry in its environment. Returns how many were added.
int AddTagged(std::map<pid_t, unsigned long long>& tree, const std::string& tagEntry)
{
    if (tagEntry.empty())
    {
        return 0;
    }
    const std::map<pid_t, ProcessEntry> processes = ListProcesses();
    int added = 0;
    for (const auto& [pid, entry] : processes)
    {
        if (tree.count(pid) == 0 && entry.state != 'Z' && DescendsFrom(processes, pid, ::getpid()) &&
            HasEnvironmentEntry(pid, tagEntry))
        {
            tree.emplace(pid, entry.startTime);
            ++added;
        }
    }
    return added;
}

std::string LauncherEntry()
{
    return (LAUNCHER_VARIABLE + QLatin1Char('=') + QString::number(::getpid())).toStdString();
}

// Adds the launcher's children that started at `since` or later and lack the launcher's mark: a session's
// helper that cleared its environment (env -i) and then left its tree (double fork, setsid) comes back to
// the launcher, its subreaper, as such a child. What the launcher starts itself (an archive tool, the
// browser) keeps the mark; what it started before the session is older. Returns how many were added.
int AddUnmarkedOrphans(std::map<pid_t, unsigned long long>& tree, unsigned long long since)
{
    const pid_t self = ::getpid();
    const std::string mark = LauncherEntry();
    int added = 0;
    for (const pid_t pid : OwnChildren())
    {
        ProcessEntry entry;
        if (tree.count(pid) == 0 && ReadProcessEntry(pid, entry) && entry.parent == self &&
            entry.state != 'Z' && entry.startTime >= since && !HasEnvironmentEntry(pid, mark))
        {
            tree.emplace(pid, entry.startTime);
            ++added;
        }
    }
    return added;
}

// Reaps the ended children that came back to the launcher from a session of their own (a detached
// program such as the browser that shows a device's page): nobody else waits for them. The launcher
// starts its own children in its session, so their ends stay for their QProcess; the desktop's opener is
// the one it starts in a session of its own, and its end stays for its object too.
void ReapDetached()
{
    const pid_t ownSession = ::getsid(0);
    ProcessEntry entry;
    for (const pid_t pid : OwnChildren())
    {
        if (ReadProcessEntry(pid, entry) && entry.state == 'Z' && entry.session != ownSession &&
            !CLASS_DESKTOP_OPENER::IsOpenerProcess(pid))
        {
            ::waitpid(pid, nullptr, WNOHANG);
        }
    }
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
            // A killed process with several threads shows as a zombie before its last thread has gone,
            // and only then can it be reaped: a short wait, bounded.
            QElapsedTimer timer;
            timer.start();
            while (::waitpid(pid, nullptr, WNOHANG) == 0 && timer.elapsed() < TREE_END_LIMIT_MS)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
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
// Stops (SIGSTOP, so that none can fork any more), kills and waits for the tree with the children of
// its members, the tagged processes and, from `orphansSince` on (0: none), the unmarked orphans, looking
// again after every round of stops.
bool KillTree(std::map<pid_t, unsigned long long> tree, pid_t root, const std::string& tagEntry,
              unsigned long long orphansSince = 0)
{
    const pid_t self = ::getpid();
    const auto grow = [&tree, &tagEntry, orphansSince]
    {
        return AddChildren(tree) + AddTagged(tree, tagEntry) +
               (orphansSince > 0 ? AddUnmarkedOrphans(tree, orphansSince) : 0);
    };
    grow();
    if (tree.count(self) != 0)
    {
        PLATFORM_ERROR(QStringLiteral("Refused to kill the tree of process ") + QString::number(root) +
                       QStringLiteral(", which holds the launcher"));
        return false;
    }
    int round = 0;
    do
    {
        SignalAll(tree, SIGSTOP);
    } while (grow() > 0 && ++round < STOP_ROUNDS_LIMIT);
    SignalAll(tree, SIGKILL);
    const bool ended = WaitForTreeEnd(tree);
    ReapOwnChildren(tree, root);
    ReapDetached();
    if (!ended)
    {
        PLATFORM_ERROR(QStringLiteral("The process tree of ") + QString::number(root) +
                       QStringLiteral(" did not end in time"));
    }
    return ended;
}

std::string TagEntry(const QString& tag)
{
    return tag.isEmpty() ? std::string() : (TAG_VARIABLE + QLatin1Char('=') + tag).toStdString();
}

} // namespace
#endif

namespace PLATFORM
{
#ifdef Q_OS_WIN
void BecomeChildSubreaper() {}

void TagProcessTree(QProcess&, const QString&) {}

unsigned long long ProcessStartTicks(qint64)
{
    return 0;
}

bool KillTaggedProcesses(const QString&, unsigned long long)
{
    return true;
}

void ReapDetachedChildren() {}

bool KillProcessTree(qint64 pid, const QString&)
{
    if (pid <= 0)
    {
        PLATFORM_ERROR(QStringLiteral("Refused to kill process ") + QString::number(pid));
        return false;
    }
    const int result =
        QProcess::execute(QStringLiteral("taskkill"), {QStringLiteral("/PID"), QString::number(pid),
                                                       QStringLiteral("/T"), QStringLiteral("/F")});
    return result == 0;
}
#else
void BecomeChildSubreaper()
{
    if (::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0)
    {
        PLATFORM_ERROR(QStringLiteral("Cannot collect the orphans of the simulators: ") +
                       QString::fromLocal8Bit(std::strerror(errno)));
    }
    qputenv(LAUNCHER_VARIABLE.toLatin1().constData(), QByteArray::number(::getpid()));
}

unsigned long long ProcessStartTicks(qint64 pid)
{
    ProcessEntry entry;
    return (pid > 0 && pid <= INT_MAX && ReadProcessEntry(static_cast<pid_t>(pid), entry)) ? entry.startTime
                                                                                           : 0;
}

void TagProcessTree(QProcess& process, const QString& tag)
{
    QProcessEnvironment environment = process.processEnvironment();
    if (environment.isEmpty())
    {
        environment = QProcessEnvironment::systemEnvironment();
    }
    environment.insert(TAG_VARIABLE, tag);
    process.setProcessEnvironment(environment);
}

bool KillTaggedProcesses(const QString& tag, unsigned long long orphansSince)
{
    return tag.isEmpty() || KillTree({}, 0, TagEntry(tag), orphansSince);
}

void ReapDetachedChildren()
{
    ReapDetached();
}

bool KillProcessTree(qint64 pid, const QString& tag)
{
    const pid_t self = ::getpid();
    if (pid <= 1 || pid > INT_MAX || pid == self)
    {
        PLATFORM_ERROR(QStringLiteral("Refused to kill process ") + QString::number(pid));
        return false;
    }
    const pid_t root = static_cast<pid_t>(pid);
    ProcessEntry rootEntry;
    if (!ReadProcessEntry(root, rootEntry))
    {
        return KillTaggedProcesses(tag); // the root is gone; its tagged helpers may not be
    }
    return KillTree({{root, rootEntry.startTime}}, root, TagEntry(tag),
                    tag.isEmpty() ? 0 : rootEntry.startTime);
}
#endif
} // namespace PLATFORM
