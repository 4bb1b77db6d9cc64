#include "CLI/CLI_ClassHeadlessHost.h"

#include "DEVICE/DEVICE_ClassNullView.h"
#include "DEVICE/DEVICE_ClassSessionRecord.h"
#include "DEVICE/DEVICE_ClassSessionRunner.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"

#include <QDir>

CLASS_HEADLESS_HOST::CLASS_HEADLESS_HOST(const QString& applicationFolder, QObject* parent) : QObject(parent)
{
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = applicationFolder;
    locations.fetchCatalogue = false;
    versionInfo = std::make_unique<CLASS_TARVO_VERSION_INFO>(locations);
    runner = new CLASS_SESSION_RUNNER(CLASS_NULL_VIEW::Instance(), &records, versionInfo.get(),
                                      applicationFolder, this);
    connect(runner, &CLASS_SESSION_RUNNER::SIGNAL_SessionStateChanged, this,
            &CLASS_HEADLESS_HOST::OnStateChanged, Qt::QueuedConnection);
}

CLASS_HEADLESS_HOST::~CLASS_HEADLESS_HOST()
{
    StopAll();
    qDeleteAll(records);
}

QString CLASS_HEADLESS_HOST::Kind() const
{
    return QStringLiteral("headless");
}

QStringList CLASS_HEADLESS_HOST::RunningFolders() const
{
    QStringList running;
    for (const CLASS_SESSION_RECORD* record : records)
    {
        if (!record->idle)
        {
            running.append(QDir(record->folder).dirName());
        }
    }
    return running;
}

CLI_RESULT CLASS_HEADLESS_HOST::Start(const CLI_SESSION_INFO& session)
{
    // Without a window the session runs the version it was saved with.
    const int index = records.size();
    auto* record = new CLASS_SESSION_RECORD();
    record->folder = session.folderPath;
    record->savedName = session.name;
    record->savedDescription = session.description;
    record->savedPort = session.port;
    record->savedVersion = session.version;
    record->savedConfiguration = {-1, session.deviceIndex, session.audioCard};
    records.append(record);
    const RUN_RESULT result = runner->StartSession(index);
    if (!result.IsDone())
    {
        delete records.takeLast();
        return CLI_RESULT::Refusal(result);
    }
    return CLI_RESULT::Done(QStringLiteral("Started %1 (%2).").arg(session.folder, session.name));
}

CLI_RESULT CLASS_HEADLESS_HOST::Stop(const QString& folderName)
{
    for (int i = 0; i < records.size(); ++i)
    {
        if (!records.at(i)->idle && QDir(records.at(i)->folder).dirName() == folderName)
        {
            runner->StopRunningSession(i);
            return CLI_RESULT::Done(QStringLiteral("Stopped %1.").arg(folderName));
        }
    }
    return CLI_RESULT::Done(QStringLiteral("%1 is not running.").arg(folderName));
}

void CLASS_HEADLESS_HOST::StopAll()
{
    runner->StopAllSessions();
}

void CLASS_HEADLESS_HOST::OnStateChanged(int, bool)
{
    // A reboot passes through idle and is running again by the time this queued notice arrives.
    if (RunningFolders().isEmpty())
    {
        emit SIGNAL_NothingRuns();
    }
}
