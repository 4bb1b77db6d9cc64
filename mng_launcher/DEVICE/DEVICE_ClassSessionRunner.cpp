#include "DEVICE/DEVICE_ClassSessionRunner.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassMainView.h"
#include "DEVICE/DEVICE_ClassSessionCardView.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSetupView.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "PLATFORM/PLATFORM_ClassSimulatorProcess.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>
#include <QVariant>

namespace
{
// Run control is part of the session back end: its log lines carry the back end's unit, as they always have
// ("..\mng_launcher\DEVICE\DEVICE_ClassMainBackEnd SLOT_StartSession() Line n Simulator Launched").
constexpr TRACE_ORIGIN REQUEST_ORIGIN{SESSION_BACKEND_UNIT, "StartOrStopSession"};
constexpr TRACE_ORIGIN START_ORIGIN{SESSION_BACKEND_UNIT, "SLOT_StartSession"};
constexpr TRACE_ORIGIN END_ORIGIN{SESSION_BACKEND_UNIT, "SLOT_ShutOrRebootSession"};
constexpr TRACE_ORIGIN RESTART_ORIGIN{SESSION_BACKEND_UNIT, "RestartSession"};
const QString START_TEXT = QStringLiteral("Start Session");
const QString STOP_TEXT = QStringLiteral("Stop Session");
// Marks a process object that was let go while an end notice of it may still be queued.
const char* const RETIRED_PROPERTY = "tarvoRetired";
// The tag of a simulator's process tree, new at every start: its helpers carry it wherever they go.
const char* const TREE_TAG_PROPERTY = "tarvoTreeTag";
// When the simulator started (PLATFORM::ProcessStartTicks): orphans from then on may be its helpers.
const char* const TREE_SINCE_PROPERTY = "tarvoTreeSince";
// How long a killed simulator may take to be reaped before its object is released anyway.
constexpr int REAP_TIMEOUT_MS = 5000;
// How often ended detached programs (the browser of "Open Web ZKM") are reaped.
constexpr int REAPER_INTERVAL_MS = 5000;
} // namespace

CLASS_SESSION_RUNNER::CLASS_SESSION_RUNNER(CLASS_MAIN_VIEW* mainView,
                                           const QList<CLASS_SESSION_RECORD*>* sessions,
                                           const CLASS_TARVO_VERSION_INFO* versionInfo,
                                           const QString& applicationFolder, QObject* parent)
    : QObject(parent), mainView(mainView), sessions(sessions), versionInfo(versionInfo),
      applicationFolder(applicationFolder)
{
    qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus");
    // Helpers of a simulator whose parent ended come back to the launcher, so that a stop still finds them.
    PLATFORM::BecomeChildSubreaper();
    connect(&reaper, &QTimer::timeout, this, &PLATFORM::ReapDetachedChildren);
    reaper.start(REAPER_INTERVAL_MS);
    clock.start();
}

CLASS_SESSION_RECORD* CLASS_SESSION_RUNNER::Record(int index) const
{
    return (index >= 0 && index < sessions->size()) ? sessions->at(index) : nullptr;
}

bool CLASS_SESSION_RUNNER::AnySessionRunning() const
{
    for (const CLASS_SESSION_RECORD* record : *sessions)
    {
        if (!record->idle)
        {
            return true;
        }
    }
    return false;
}

QString CLASS_SESSION_RUNNER::SimulatorProgram(const QString& version) const
{
    return PLATFORM::SimulatorProgramPath(FindPackageFolder(applicationFolder, version));
}

QString CLASS_SESSION_RUNNER::SessionVersion(const CLASS_SESSION_RECORD* record) const
{
    if (record->panel.isNull())
    {
        return record->savedVersion;
    }
    return DottedVersion(versionInfo->GetVersionsTable().value(record->panel->GetSelection().value(0)));
}

void CLASS_SESSION_RUNNER::StartOrStopSession(SDWord sessionIndex)
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    if (record == nullptr)
    {
        return;
    }
    if (!record->idle)
    {
        StopRunningSession(sessionIndex);
        return;
    }
    const RUN_RESULT result = StartSession(sessionIndex);
    if (!result.IsDone() && !result.reason.isEmpty())
    {
        mainView->Warn(result.reason);
    }
}

RUN_RESULT CLASS_SESSION_RUNNER::StartSession(int sessionIndex)
{
    const RUN_RESULT startable = CheckStartable(sessionIndex);
    if (!startable.IsDone())
    {
        return startable;
    }
    Record(sessionIndex)->restartTimes.clear();
    const RUN_RESULT started = SLOT_StartSession(sessionIndex);
    if (started.IsDone())
    {
        MarkRunning(sessionIndex);
    }
    return started;
}

void CLASS_SESSION_RUNNER::StopRunningSession(int sessionIndex)
{
    const CLASS_SESSION_RECORD* record = Record(sessionIndex);
    if (record != nullptr && !record->idle)
    {
        StopSession(sessionIndex);
        MarkIdle(sessionIndex);
    }
}

// Why the session cannot start now; done when it can. Texts as the window's boxes show them.
RUN_RESULT CLASS_SESSION_RUNNER::CheckStartable(int index) const
{
    using OUTCOME = RUN_RESULT::OUTCOME;
    const CLASS_SESSION_RECORD* record = Record(index);
    if (record == nullptr)
    {
        return RUN_RESULT::Not(OUTCOME::NotFound, QStringLiteral("No such session."));
    }
    const QString folderName = QDir(record->folder).dirName();
    if (!record->idle)
    {
        return RUN_RESULT::Not(OUTCOME::Refused, QStringLiteral("%1 is already running.").arg(folderName));
    }
    if (AnySessionRunning())
    {
        return RUN_RESULT::Not(OUTCOME::Refused, QStringLiteral("One session is already running!"));
    }
    if (record->folder.isEmpty())
    {
        TRACE_ERROR_IN(REQUEST_ORIGIN, QStringLiteral("The session has never been saved: nothing to start"));
        return RUN_RESULT::Not(OUTCOME::Refused, QString());
    }
    const QString version = SessionVersion(record);
    if (!QFileInfo(FindPackageFolder(applicationFolder, version)).isDir())
    {
        return RUN_RESULT::Not(
            OUTCOME::NotFound,
            QStringLiteral("The simulator version %1 of %2 is not installed.").arg(version, folderName));
    }
    const int port = record->savedPort;
    if (port <= 0 || port > 65535 || !PLATFORM::IsPortFree(static_cast<quint16>(port)))
    {
        TRACE_ERROR_IN(REQUEST_ORIGIN,
                       QStringLiteral("The web port is already in use : ") + QString::number(port));
        return RUN_RESULT::Not(OUTCOME::Refused,
                               QStringLiteral("The port %1 is already in use on 127.0.0.1.\n"
                                              "Close the program that uses it or choose another port.")
                                   .arg(port));
    }
    return RUN_RESULT::Done();
}

RUN_RESULT CLASS_SESSION_RUNNER::SLOT_StartSession(int sessionIndex)
{
    CLASS_SESSION_RECORD* record = Record(sessionIndex);
    if (record == nullptr)
    {
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::NotFound, QStringLiteral("No such session."));
    }
    if (record->process == nullptr)
    {
        record->process = new CLASS_SIMULATOR_PROCESS();
    }
    if (record->process->state() == QProcess::Running)
    {
        return RUN_RESULT::Done();
    }
    const QString program = SimulatorProgram(SessionVersion(record));
    connect(record->process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &CLASS_SESSION_RUNNER::SLOT_ShutOrRebootSession, Qt::QueuedConnection);
    const QString tag = QUuid::createUuid().toString(QUuid::WithoutBraces);
    record->process->setProperty(TREE_TAG_PROPERTY, tag);
    PLATFORM::TagProcessTree(*record->process, tag);
    record->process->start(program, {record->folder}, QIODevice::ReadWrite);
    if (!record->process->waitForStarted(START_TIMEOUT_MS))
    {
        TRACE_ERROR_IN(START_ORIGIN, QStringLiteral("Failed to start the simulator ") + program +
                                         QStringLiteral(" : ") + record->process->errorString());
        ReleaseProcess(record, true);
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::Failed,
                               QStringLiteral("The simulator could not be started:\n") + program);
    }
    record->process->setProperty(
        TREE_SINCE_PROPERTY, QVariant::fromValue(PLATFORM::ProcessStartTicks(record->process->processId())));
    TRACE_INFO_IN(START_ORIGIN, QStringLiteral("Simulator Launched"));
    return RUN_RESULT::Done();
}

void CLASS_SESSION_RUNNER::StopSession(int sessionIndex)
{
    CLASS_SESSION_RECORD* record = Record(sessionIndex);
    if (record != nullptr)
    {
        StopProcess(record, true);
    }
}

void CLASS_SESSION_RUNNER::StopAllSessions()
{
    for (CLASS_SESSION_RECORD* record : *sessions)
    {
        if (!record->idle)
        {
            // No event loop runs any more: the process objects go at once.
            StopProcess(record, false);
            record->idle = true;
        }
    }
}

void CLASS_SESSION_RUNNER::StopProcess(CLASS_SESSION_RECORD* record, bool releaseLater)
{
    if (record->process == nullptr)
    {
        return;
    }
    disconnect(record->process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
               &CLASS_SESSION_RUNNER::SLOT_ShutOrRebootSession);
    const QString tag = record->process->property(TREE_TAG_PROPERTY).toString();
    const auto since = record->process->property(TREE_SINCE_PROPERTY).toULongLong();
    if (record->process->state() != QProcess::NotRunning)
    {
        PLATFORM::KillProcessTree(record->process->processId(), tag);
        // The tree is gone; reaping the simulator itself lets its object go without a second kill.
        record->process->waitForFinished(REAP_TIMEOUT_MS);
    }
    else
    {
        // The simulator ended by itself (shut down, reboot): the helpers it left behind end with it.
        PLATFORM::KillTaggedProcesses(tag, since);
    }
    ReleaseProcess(record, releaseLater);
}

void CLASS_SESSION_RUNNER::ReleaseProcess(CLASS_SESSION_RECORD* record, bool later)
{
    QProcess* process = record->process;
    record->process = nullptr;
    if (process == nullptr)
    {
        return;
    }
    process->disconnect(this);
    process->setProperty(RETIRED_PROPERTY, true);
    if (later)
    {
        // An end notice of this process may still wait in the event queue: the object must outlive it.
        process->deleteLater();
    }
    else
    {
        delete process;
    }
}

void CLASS_SESSION_RUNNER::SLOT_ShutOrRebootSession(int exitCode, QProcess::ExitStatus exitStatus)
{
    QObject* ended = sender();
    int index = -1;
    for (int i = 0; i < sessions->size() && ended != nullptr; ++i)
    {
        if (sessions->at(i)->process == ended && sessions->at(i)->process->state() == QProcess::NotRunning)
        {
            index = i;
            break;
        }
    }
    if (index < 0)
    {
        // A process that was stopped or replaced meanwhile: its end is already handled.
        if (ended == nullptr || !ended->property(RETIRED_PROPERTY).toBool())
        {
            TRACE_ERROR_IN(END_ORIGIN, QStringLiteral("Failed to identify session"));
        }
        return;
    }
    if (exitStatus == QProcess::CrashExit)
    {
        TRACE_ERROR_IN(END_ORIGIN, QStringLiteral("The simulator crashed"));
        StopRunningSession(index);
    }
    else if (exitCode == 0)
    {
        TRACE_INFO_IN(END_ORIGIN, QStringLiteral("The simulator shut down"));
        StopRunningSession(index);
    }
    else if (exitCode == 1)
    {
        RestartSession(index);
    }
    else
    {
        TRACE_ERROR_IN(END_ORIGIN, QStringLiteral("The simulator ended with the exit code %1").arg(exitCode));
        StopRunningSession(index);
    }
}

bool CLASS_SESSION_RUNNER::RestartAllowed(CLASS_SESSION_RECORD* record)
{
    const qint64 now = clock.elapsed();
    while (!record->restartTimes.isEmpty() && now - record->restartTimes.first() > RESTART_WINDOW_MS)
    {
        record->restartTimes.removeFirst();
    }
    if (record->restartTimes.size() >= RESTART_LIMIT)
    {
        return false;
    }
    record->restartTimes.append(now);
    return true;
}

void CLASS_SESSION_RUNNER::RestartSession(int index)
{
    CLASS_SESSION_RECORD* record = Record(index);
    StopSession(index);
    MarkIdle(index);
    if (!RestartAllowed(record))
    {
        TRACE_ERROR_IN(RESTART_ORIGIN,
                       QStringLiteral("The simulator asked for a reboot %1 times within %2 s: not restarted")
                           .arg(RESTART_LIMIT + 1)
                           .arg(RESTART_WINDOW_MS / 1000));
        mainView->Warn(QStringLiteral("The simulator keeps asking for a reboot and was not restarted.\n"
                                      "Start the session again when the problem is solved."));
        return;
    }
    TRACE_INFO_IN(RESTART_ORIGIN, QStringLiteral("Simulator reboot requested"));
    // The simulator has just let its port go: no port check here.
    const RUN_RESULT restarted = SLOT_StartSession(index);
    if (restarted.IsDone())
    {
        MarkRunning(index);
    }
    else
    {
        mainView->Warn(restarted.reason);
    }
}

void CLASS_SESSION_RUNNER::MarkRunning(int index)
{
    CLASS_SESSION_RECORD* record = Record(index);
    record->idle = false;
    emit SIGNAL_SessionStateChanged(index, true);
    CLASS_SESSION_CARD_VIEW* card = mainView->GetSessionWidget(index);
    if (card != nullptr)
    {
        card->SetLedState(CLASS_SESSION_CARD_VIEW::LED_RUNNING);
    }
    if (!record->panel.isNull())
    {
        record->panel->SetPanelEnabled(false);
    }
    if (card != nullptr && card == mainView->GetSelectedSessionWidget())
    {
        mainView->SetOpenWebEnabled(true);
        mainView->SetStartStopText(STOP_TEXT);
        mainView->SetStartEnabled(true);
    }
}

void CLASS_SESSION_RUNNER::MarkIdle(int index)
{
    CLASS_SESSION_RECORD* record = Record(index);
    record->idle = true;
    emit SIGNAL_SessionStateChanged(index, false);
    CLASS_SESSION_CARD_VIEW* card = mainView->GetSessionWidget(index);
    if (card != nullptr)
    {
        card->SetLedState(CLASS_SESSION_CARD_VIEW::LED_STOPPED);
    }
    if (!record->panel.isNull())
    {
        record->panel->SetPanelEnabled(true);
    }
    if (card != nullptr && card == mainView->GetSelectedSessionWidget())
    {
        mainView->SetOpenWebEnabled(false);
        mainView->SetStartStopText(START_TEXT);
    }
}
