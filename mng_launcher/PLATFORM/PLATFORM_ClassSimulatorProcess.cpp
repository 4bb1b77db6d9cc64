#include "PLATFORM/PLATFORM_ClassSimulatorProcess.h"

#include <QCoreApplication>

#include <cstdio>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

CLASS_SIMULATOR_PROCESS::CLASS_SIMULATOR_PROCESS(QObject* parent)
    : QProcess(parent), launcherPid(QCoreApplication::applicationPid())
{
    setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(this, &QProcess::readyReadStandardOutput, this, &CLASS_SIMULATOR_PROCESS::ForwardOutput);
}

void CLASS_SIMULATOR_PROCESS::ForwardOutput()
{
    const QByteArray output = readAllStandardOutput();
    std::fwrite(output.constData(), 1, static_cast<size_t>(output.size()), stderr);
    std::fflush(stderr);
}

// Runs in the child between fork and exec: system calls only.
void CLASS_SIMULATOR_PROCESS::setupChildProcess()
{
#ifndef Q_OS_WIN
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The launcher may have ended before the signal was asked for: then nobody would send it.
    if (static_cast<qint64>(::getppid()) != launcherPid)
    {
        ::_exit(127);
    }
#endif
}
