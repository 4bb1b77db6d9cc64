#include "DEVICE/DEVICE_ClassDiagnostics.h"

#include "DEVICE/DEVICE_ClassMinisign.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_ClassWorkerFile.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_ClassProxyFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSysInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace
{
const QString BUNDLE_NAME = QStringLiteral("Tarvo4kSimulator-diagnostics");
constexpr int RUNS_KEPT = 2;

// Copies a plain file (never a link, a pipe or a device) into folder; false when it is not one.
bool CopyPlainFile(const QString& source, const QString& folder)
{
    const QFileInfo info(source);
    if (info.isSymLink() || !info.isFile())
    {
        return false;
    }
    QDir().mkpath(folder);
    return QFile::copy(source, folder + QLatin1Char('/') + info.fileName());
}

// Copies a log file as CopyPlainFile does, without the user info of the web addresses in it (a log
// written by an older launcher may hold a password that was part of the server's address).
bool CopyLogFile(const QString& source, const QString& folder)
{
    const QFileInfo info(source);
    QFile log(source);
    if (info.isSymLink() || !info.isFile() || !log.open(QIODevice::ReadOnly))
    {
        return false;
    }
    const QString text = WithoutUserInfo(QString::fromUtf8(log.readAll()));
    QDir().mkpath(folder);
    return PLATFORM::WriteNewPrivateFile(folder + QLatin1Char('/') + info.fileName(), text.toUtf8());
}

// True when the run's info log holds no command's first line: the run was the window's. The run of this
// process never counts (its own lines may still be on their way to the file).
bool IsWindowRun(const QStringList& files, const QString& ownInfoFile)
{
    if (files.contains(ownInfoFile))
    {
        return false;
    }
    for (const QString& path : files)
    {
        if (QFileInfo(path).fileName().contains(QStringLiteral("_INFO_")))
        {
            QFile log(path);
            // The command's line follows the banner's three lines.
            return log.open(QIODevice::ReadOnly) &&
                   !QString::fromUtf8(log.read(4096)).contains(COMMAND_RUN_LOG_LINE);
        }
    }
    return false;
}

QString Joined(const QString& folder, const QString& name)
{
    return folder + (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + name;
}
} // namespace

CLASS_DIAGNOSTICS::CLASS_DIAGNOSTICS(const TARVO_VERSION_INFO_LOCATIONS& given)
    : locations(given.WithDefaults())
{
}

QString CLASS_DIAGNOSTICS::LogFolder()
{
    const auto* worker = qobject_cast<const CLASS_WORKER_FILE*>(TracesWorker());
    return worker != nullptr && !worker->InfoFilePath().isEmpty()
               ? QFileInfo(worker->InfoFilePath()).absolutePath()
               : QString();
}

QStringList CLASS_DIAGNOSTICS::NewestRunLogs(const QString& logFolder, const QString& ownInfoFile)
{
    QMap<unsigned int, QStringList> runs;
    const QFileInfoList entries = QDir(logFolder).entryInfoList({QStringLiteral("*.log*")}, QDir::Files);
    for (const QFileInfo& entry : entries)
    {
        bool isNumber = false;
        const unsigned int run = entry.fileName().section(QLatin1Char('_'), 0, 0).toUInt(&isNumber);
        if (isNumber)
        {
            runs[run].append(entry.absoluteFilePath());
        }
    }
    // From the newest run back: the newest ones, and older ones until a run of the window is among them.
    QStringList kept;
    bool windowRunKept = false;
    const QList<unsigned int> numbers = runs.keys();
    const int firstRecent = std::max(0, static_cast<int>(numbers.size()) - RUNS_KEPT);
    for (int i = numbers.size() - 1; i >= 0; --i)
    {
        const bool recent = i >= firstRecent;
        if (!recent && windowRunKept)
        {
            break;
        }
        const QStringList& files = runs[numbers.at(i)];
        const bool window = IsWindowRun(files, ownInfoFile);
        if (recent || window)
        {
            kept = files + kept;
        }
        windowRunKept = windowRunKept || window;
    }
    return kept;
}

RUN_RESULT CLASS_DIAGNOSTICS::Write(const QString& archivePath) const
{
    const QFileInfo target(archivePath);
    if (target.exists() || target.isSymLink())
    {
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::Refused,
                               QStringLiteral("%1 already exists.").arg(archivePath));
    }
    if (!target.absoluteDir().exists())
    {
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::NotFound,
                               QStringLiteral("No folder %1.").arg(target.absolutePath()));
    }
    const QTemporaryDir staging;
    const QString bundle = staging.filePath(BUNDLE_NAME);
    if (!staging.isValid() || !Collect(bundle))
    {
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::Failed,
                               QStringLiteral("The diagnostics could not be gathered."));
    }
    if (!CompressSessionFolder(staging.path(), BUNDLE_NAME, bundle, QString(), locations.applicationFolder))
    {
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::Failed,
                               QStringLiteral("The diagnostics could not be compressed."));
    }
    QFile archive(bundle + QStringLiteral(".zip"));
    if (!archive.open(QIODevice::ReadOnly) ||
        !PLATFORM::WriteNewPrivateFile(target.absoluteFilePath(), archive.readAll()))
    {
        return RUN_RESULT::Not(RUN_RESULT::OUTCOME::Failed,
                               QStringLiteral("%1 could not be written.").arg(archivePath));
    }
    return RUN_RESULT::Done(target.absoluteFilePath());
}

bool CLASS_DIAGNOSTICS::Collect(const QString& bundle) const
{
    if (!QDir().mkpath(bundle))
    {
        return false;
    }
    const QString logFolder = LogFolder();
    const auto* worker = qobject_cast<const CLASS_WORKER_FILE*>(TracesWorker());
    const QString ownInfoFile =
        worker != nullptr ? QFileInfo(worker->InfoFilePath()).absoluteFilePath() : QString();
    for (const QString& log : NewestRunLogs(logFolder, ownInfoFile))
    {
        CopyLogFile(log, bundle + QStringLiteral("/logs"));
    }
    CopyPlainFile(Joined(locations.sessionsRoot, STATE_FILE_NAME), bundle);
    CopyPlainFile(Joined(locations.sessionsRoot, LOCAL_CATALOGUE_NAME), bundle);
    // A session folder that is a link is not read through: nothing is copied from where it points.
    const QStringList folders =
        QDir(locations.sessionsRoot)
            .entryList(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Readable, QDir::Name);
    for (const QString& folder : folders)
    {
        CopyPlainFile(CLASS_SESSION_SETTINGS::SettingsFilePath(Joined(locations.sessionsRoot, folder)),
                      bundle + QStringLiteral("/sessions/") + folder);
    }
    QFile about(bundle + QStringLiteral("/about.txt"));
    if (!about.open(QIODevice::WriteOnly))
    {
        return false;
    }
    const QByteArray text = AboutText().toUtf8();
    return about.write(text) == text.size() && about.flush();
}

QString CLASS_DIAGNOSTICS::AboutText() const
{
    QStringList packages;
    for (const QString& place : PackageFolders(locations.applicationFolder))
    {
        const QStringList folders = QDir(place).entryList(QDir::AllDirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& folder : folders)
        {
            if (folder.contains(QStringLiteral("TARVO_")))
            {
                packages.append(place + QLatin1Char('/') + folder);
            }
        }
    }
    return QStringLiteral("Launcher: %1 %2\nQt: %3 (built with %4)\nSystem: %5, kernel %6 %7, %8\n"
                          "Sessions root: %9\n")
               .arg(QCoreApplication::applicationName(), LAUNCHER_VERSION, QString::fromLatin1(qVersion()),
                    QStringLiteral(QT_VERSION_STR), QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                    QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture())
               .arg(locations.sessionsRoot) +
           QStringLiteral("Application folder: %1\nLog folder: %2\n")
               .arg(locations.applicationFolder, LogFolder()) +
           QStringLiteral("Proxy for %1: %2\n")
               .arg(WithoutUserInfo(CLASS_SERVER_ADDRESS::Server()),
                    CLASS_PROXY_FACTORY::DescribeInstalled(QUrl(CLASS_SERVER_ADDRESS::Server()))) +
           QStringLiteral("Installed package folders:\n") +
           (packages.isEmpty()
                ? QStringLiteral("  (none)\n")
                : QStringLiteral("  ") + packages.join(QStringLiteral("\n  ")) + QLatin1Char('\n')) +
           TrustText();
}

QString CLASS_DIAGNOSTICS::TrustText() const
{
    const CLASS_TRUST_STORE store(locations.trustFolder, locations.trustedKeys);
    QString text = QStringLiteral("Trust folder: %1\nTrusted keys:\n").arg(store.Folder());
    for (const TRUSTED_KEY& trusted : store.Keys())
    {
        text +=
            QStringLiteral("  %1 (%2)\n").arg(CLASS_MINISIGN::KeyIdText(trusted.key.keyId), trusted.source);
    }
    text += store.Keys().isEmpty() ? QStringLiteral("  (none)\nPinned servers:\n")
                                   : QStringLiteral("Pinned servers:\n");
    const QMap<QString, QString> pins = store.Pins();
    for (auto it = pins.constBegin(); it != pins.constEnd(); ++it)
    {
        text += QStringLiteral("  %1 key %2\n").arg(WithoutUserInfo(it.key()), it.value());
    }
    return pins.isEmpty() ? text + QStringLiteral("  (none)\n") : text;
}
