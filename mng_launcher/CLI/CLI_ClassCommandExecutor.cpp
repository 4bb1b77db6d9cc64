#include "CLI/CLI_ClassCommandExecutor.h"

#include "CLI/CLI_ClassCommandReport.h"
#include "CLI/CLI_ClassSessionHost.h"
#include "DEVICE/DEVICE_ClassDiagnostics.h"
#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassSessionArchive.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "DEVICE/DEVICE_PackageArchive.h"

#include <QFileInfo>

CLASS_COMMAND_EXECUTOR::CLASS_COMMAND_EXECUTOR(CLASS_SESSION_HOST* host,
                                               const TARVO_VERSION_INFO_LOCATIONS& given)
    : host(host), locations(given.WithDefaults())
{
}

// A command handed to a running launcher that asks another update server than the one the command
// chose is refused: the launcher's server would answer in its place without a word.
CLI_RESULT CLASS_COMMAND_EXECUTOR::ServerRefusal(const CLI_COMMAND& command)
{
    const bool asksServer = command.kind == CLI_COMMAND_KIND::Install ||
                            (command.kind == CLI_COMMAND_KIND::Packages && command.refresh);
    const QString inUse = CLASS_SERVER_ADDRESS::Server();
    if (!asksServer || command.server.isEmpty() || command.server == inUse)
    {
        return CLI_RESULT::Done();
    }
    return CLI_RESULT::Fail(
        EXIT_REFUSED, QStringLiteral("The running launcher asks the update server %1, not %2; stop it or "
                                     "start it with --update-server %2.")
                          .arg(inUse, command.server));
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Execute(const CLI_COMMAND& command, const CLI_PROGRESS& progress)
{
    const CLI_RESULT serverRefusal = ServerRefusal(command);
    if (serverRefusal.exitCode != EXIT_DONE)
    {
        return serverRefusal;
    }
    switch (command.kind)
    {
    case CLI_COMMAND_KIND::List:
        return List(command);
    case CLI_COMMAND_KIND::Packages:
        return Packages(command);
    case CLI_COMMAND_KIND::Status:
        return Status(command);
    case CLI_COMMAND_KIND::Start:
        return Start(command);
    case CLI_COMMAND_KIND::Stop:
        return Stop(command);
    case CLI_COMMAND_KIND::Export:
        return Export(command);
    case CLI_COMMAND_KIND::Import:
        return Import(command);
    case CLI_COMMAND_KIND::Diagnostics:
        return Diagnostics(command);
    case CLI_COMMAND_KIND::Install:
        return Install(command, progress);
    case CLI_COMMAND_KIND::Remove:
        return Remove(command, progress);
    case CLI_COMMAND_KIND::InstallFile:
        return InstallFile(command, progress);
    default:
        return CLI_RESULT::Fail(EXIT_USAGE, QStringLiteral("Not a command."));
    }
}

CLASS_SESSION_DIRECTORY CLASS_COMMAND_EXECUTOR::Directory() const
{
    CLASS_SESSION_DIRECTORY directory(locations.sessionsRoot, locations.applicationFolder);
    if (host != nullptr)
    {
        directory.SetRunning(host->RunningFolders());
    }
    return directory;
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::List(const CLI_COMMAND& command) const
{
    return CLI_RESULT::Done(CLASS_COMMAND_REPORT::Sessions(Directory().Sessions(), command.json));
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Packages(const CLI_COMMAND& command) const
{
    // With --refresh the catalogue is downloaded first, then its local copy read once.
    TARVO_VERSION_INFO_LOCATIONS where = locations;
    where.fetchCatalogue = command.refresh;
    where.trustedKeys = command.trustedKeys;
    const CLASS_TARVO_VERSION_INFO catalogue(where);
    if (command.refresh && !catalogue.LastFetchError().isEmpty())
    {
        return CLI_RESULT::Fail(EXIT_FAILED,
                                QStringLiteral("The catalogue could not be downloaded from %1: %2")
                                    .arg(locations.catalogueUrl, catalogue.LastFetchError()));
    }
    const QString server = CLASS_SIGNED_INDEX::ServerOf(locations.catalogueUrl);
    if (command.refresh && !catalogue.LastIndexProblem().isEmpty())
    {
        return CLI_RESULT::Fail(EXIT_FAILED, QStringLiteral("Failed: the signed index of %1 was refused: %2")
                                                 .arg(server, catalogue.LastIndexProblem()));
    }
    CLASS_TRUST_STORE store(where.trustFolder, command.trustedKeys);
    const INDEX_VERDICT verdict = CLASS_SIGNED_INDEX(store).Stored(server);
    const bool requireSigned = command.requireSigned || CLASS_TRUST_STORE::RequireSigned();
    const QStringList installed = catalogue.GetInstalledVersions();
    QList<CLI_PACKAGE_INFO> packages;
    for (const QString& version : catalogue.GetPackagesList())
    {
        const QString folder = FindPackageFolder(locations.applicationFolder, version);
        const bool isInstalled = installed.contains(version);
        packages.append({version, isInstalled, folder,
                         PackageTrust(store, verdict, version, isInstalled, folder, requireSigned)});
    }
    return CLI_RESULT::Done(
        CLASS_COMMAND_REPORT::Packages(packages, catalogue.GetCompatibility(), command.json));
}

QString CLASS_COMMAND_EXECUTOR::PackageTrust(const CLASS_TRUST_STORE& store, const INDEX_VERDICT& verdict,
                                             const QString& version, bool installed, const QString& folder,
                                             bool requireSigned)
{
    if (installed)
    {
        // As it was verified when it was installed; a folder put there by hand was not.
        const QString recorded = store.InstallationTrust(folder);
        return recorded.isEmpty() ? CLASS_TRUST_STORE::TRUST_NONE : recorded;
    }
    switch (verdict.trust)
    {
    case INDEX_VERDICT::TRUST::Signed:
        return verdict.index.FindPackage(version) != nullptr ? CLASS_TRUST_STORE::TRUST_SIGNED
                                                             : CLASS_TRUST_STORE::TRUST_NONE;
    case INDEX_VERDICT::TRUST::Refused:
        return CLASS_TRUST_STORE::TRUST_NONE;
    case INDEX_VERDICT::TRUST::Unsigned:
        break;
    }
    return requireSigned ? CLASS_TRUST_STORE::TRUST_NONE : CLASS_TRUST_STORE::TRUST_CHECKSUM;
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Status(const CLI_COMMAND& command) const
{
    const CLASS_SESSION_DIRECTORY directory = Directory();
    QList<CLI_SESSION_INFO> running;
    for (const CLI_SESSION_INFO& info : directory.Sessions())
    {
        if (info.running)
        {
            running.append(info);
        }
    }
    const QString launcher = host != nullptr ? host->Kind() : QStringLiteral("none");
    return CLI_RESULT::Done(CLASS_COMMAND_REPORT::Status(launcher, running, command.json));
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Start(const CLI_COMMAND& command)
{
    const CLASS_SESSION_DIRECTORY directory = Directory();
    CLI_SESSION_INFO session;
    CLI_RESULT failure;
    if (!directory.Find(command.arguments.value(0), session, failure))
    {
        return failure;
    }
    // The run control decides whether the session can start, and says why not.
    CLI_RESULT result = host->Start(session);
    if (result.exitCode == EXIT_DONE)
    {
        result.output += QStringLiteral("\nWeb page: ") + SessionWebUrl(session.port);
    }
    return result;
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Stop(const CLI_COMMAND& command)
{
    const QStringList running = host != nullptr ? host->RunningFolders() : QStringList();
    if (command.arguments.isEmpty())
    {
        return running.isEmpty() ? CLI_RESULT::Done(QStringLiteral("No session is running."))
                                 : host->Stop(running.first());
    }
    CLI_SESSION_INFO session;
    CLI_RESULT failure;
    if (!Directory().Find(command.arguments.first(), session, failure))
    {
        return failure;
    }
    return running.contains(session.folder)
               ? host->Stop(session.folder)
               : CLI_RESULT::Done(QStringLiteral("%1 is not running.").arg(session.folder));
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Export(const CLI_COMMAND& command) const
{
    CLI_SESSION_INFO session;
    CLI_RESULT failure;
    if (!Directory().Find(command.arguments.value(0), session, failure))
    {
        return failure;
    }
    const QString target = command.arguments.value(1);
    if (!QFileInfo(target).isDir())
    {
        return CLI_RESULT::Fail(EXIT_NOT_FOUND, QStringLiteral("No folder %1.").arg(target));
    }
    const CLASS_SESSION_ARCHIVE archive(locations.sessionsRoot, locations.applicationFolder);
    // As --diagnostics: an existing file is never replaced by a command.
    const SESSION_ARCHIVE_RESULT exported =
        archive.Export(session.folderPath, target, CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE::Refuse);
    if (!exported.ok)
    {
        return CLI_RESULT::Fail(exported.refused ? EXIT_REFUSED : EXIT_FAILED, exported.message);
    }
    return CLI_RESULT::Done(exported.archivePath);
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Import(const CLI_COMMAND& command)
{
    const QString path = command.arguments.value(0);
    if (!QFileInfo(path).isFile())
    {
        return CLI_RESULT::Fail(EXIT_NOT_FOUND, QStringLiteral("No file %1.").arg(path));
    }
    const CLASS_SESSION_ARCHIVE archive(locations.sessionsRoot, locations.applicationFolder);
    const SESSION_ARCHIVE_RESULT imported = archive.Import(path);
    if (!imported.ok)
    {
        return CLI_RESULT::Fail(imported.refused ? EXIT_REFUSED : EXIT_FAILED, imported.message);
    }
    if (host != nullptr)
    {
        host->SessionImported(imported.folderName);
    }
    return CLI_RESULT::Done(imported.folderName);
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Diagnostics(const CLI_COMMAND& command) const
{
    TARVO_VERSION_INFO_LOCATIONS where = locations;
    where.trustedKeys = command.trustedKeys;
    const CLASS_DIAGNOSTICS diagnostics(where);
    return CLI_RESULT::Of(diagnostics.Write(command.arguments.value(0)));
}

bool CLASS_COMMAND_EXECUTOR::CheckVersionArguments(const CLI_COMMAND& command, CLI_RESULT& failure)
{
    for (const QString& version : command.arguments)
    {
        if (!IsVersionText(version))
        {
            failure = CLI_RESULT::Fail(
                EXIT_USAGE, QStringLiteral("%1 is not a version (digits separated by dots, such as 3.1.51).")
                                .arg(version.simplified()));
            return false;
        }
    }
    return true;
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Install(const CLI_COMMAND& command, const CLI_PROGRESS& progress)
{
    CLI_RESULT failure;
    if (!CheckVersionArguments(command, failure))
    {
        return failure;
    }
    CLASS_TARVO_VERSION_INFO* catalogue = host->VersionInfo();
    catalogue->FindInstalledVersions();
    const QStringList offered = catalogue->GetPackagesList().values();
    QStringList wanted = catalogue->GetInstalledVersions();
    for (const QString& version : command.arguments)
    {
        if (!offered.contains(version))
        {
            return CLI_RESULT::Fail(
                EXIT_NOT_FOUND,
                QStringLiteral("The catalogue offers no version %1 (see --packages --refresh).")
                    .arg(version));
        }
        if (!wanted.contains(version))
        {
            wanted.append(version);
        }
    }
    if (wanted == catalogue->GetInstalledVersions())
    {
        return CLI_RESULT::Done(QStringLiteral("Already installed: ") +
                                command.arguments.join(QStringLiteral(", ")));
    }
    return RunPackageJob(command, wanted, QString(), QString(), progress);
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::Remove(const CLI_COMMAND& command, const CLI_PROGRESS& progress)
{
    CLI_RESULT failure;
    if (!CheckVersionArguments(command, failure))
    {
        return failure;
    }
    CLASS_TARVO_VERSION_INFO* catalogue = host->VersionInfo();
    catalogue->FindInstalledVersions();
    QStringList wanted = catalogue->GetInstalledVersions();
    const CLASS_SESSION_DIRECTORY directory = Directory();
    for (const QString& version : command.arguments)
    {
        if (!wanted.contains(version))
        {
            return CLI_RESULT::Fail(EXIT_NOT_FOUND,
                                    QStringLiteral("The version %1 is not installed.").arg(version));
        }
        for (const CLI_SESSION_INFO& session : directory.Sessions())
        {
            if (session.running && session.version == version)
            {
                return CLI_RESULT::Fail(
                    EXIT_REFUSED,
                    QStringLiteral("The version %1 runs the session %2.").arg(version, session.folder));
            }
        }
        wanted.removeAll(version);
    }
    // An explicit command: the removal goes ahead, and names the saved sessions left without a version.
    QStringList removed = command.arguments;
    removed.removeDuplicates();
    const QStringList warnings =
        CLASS_PACKAGE_MANAGER_BACKEND::RemovalWarnings(locations.sessionsRoot, removed);
    CLI_RESULT result = RunPackageJob(command, wanted, QString(), QString(), progress);
    if (result.exitCode == EXIT_DONE)
    {
        result.error = warnings.join(QLatin1Char('\n'));
    }
    return result;
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::InstallFile(const CLI_COMMAND& command, const CLI_PROGRESS& progress)
{
    const QFileInfo archive(command.arguments.value(0));
    if (!archive.isFile())
    {
        return CLI_RESULT::Fail(EXIT_NOT_FOUND, QStringLiteral("No file %1.").arg(archive.filePath()));
    }
    const QString name = archive.fileName();
    const QString version = name.endsWith(PACKAGE_ARCHIVE_SUFFIX)
                                ? VersionOfPackageFolderName(name.chopped(PACKAGE_ARCHIVE_SUFFIX.size()))
                                : QString();
    // "TARVO_..zip" would install a folder "TARVO_.": the name must carry a version text.
    if (!IsVersionText(version))
    {
        return CLI_RESULT::Fail(
            EXIT_REFUSED, QStringLiteral("A package archive is named TARVO_<version>.zip (a version such as "
                                         "3.1.51), not %1.")
                              .arg(name.simplified()));
    }
    CLASS_TARVO_VERSION_INFO* catalogue = host->VersionInfo();
    catalogue->FindInstalledVersions();
    if (catalogue->GetInstalledVersions().contains(version))
    {
        return CLI_RESULT::Fail(
            EXIT_REFUSED,
            QStringLiteral("The version %1 is already installed (--remove it first).").arg(version));
    }
    return RunPackageJob(command, QStringList(), archive.absoluteFilePath(), version, progress);
}

// What a finished job changed, a line per version: "Installed 3.2.0 into <folder>", "Removed 3.1.51".
QString CLASS_COMMAND_EXECUTOR::ChangedPackages(const QStringList& before, const QStringList& after) const
{
    QStringList lines;
    for (const QString& version : after)
    {
        if (!before.contains(version))
        {
            lines << QStringLiteral("Installed %1 into %2")
                         .arg(version, FindPackageFolder(locations.applicationFolder, version));
        }
    }
    for (const QString& version : before)
    {
        if (!after.contains(version))
        {
            lines << QStringLiteral("Removed %1").arg(version);
        }
    }
    return lines.isEmpty() ? QStringLiteral("Nothing to change.") : lines.join(QLatin1Char('\n'));
}

CLI_RESULT CLASS_COMMAND_EXECUTOR::RunPackageJob(const CLI_COMMAND& command, const QStringList& wanted,
                                                 const QString& archivePath, const QString& version,
                                                 const CLI_PROGRESS& progress)
{
    const CLI_RESULT allowed = host->CanChangePackages();
    if (allowed.exitCode != EXIT_DONE)
    {
        return allowed;
    }
    PACKAGE_MANAGER_OPTIONS options;
    options.applicationFolder = locations.applicationFolder;
    options.removalPauseMs = 0; // the pauses let a window show each removal step
    options.trustFolder = locations.trustFolder;
    options.trustedKeys = command.trustedKeys;
    options.requireSigned = command.requireSigned;
    CLASS_PACKAGE_MANAGER_BACKEND installer(nullptr, host->VersionInfo(), nullptr, options);
    if (progress)
    {
        QObject::connect(&installer, &CLASS_PACKAGE_MANAGER_BACKEND::SIGNAL_Progress, &installer,
                         [&progress](const QString& package, const QString& text, SDWord value)
                         { progress(package, text, value); });
    }
    // Every caller has just read the installed packages again.
    const QStringList before = host->VersionInfo()->GetInstalledVersions();
    const int status =
        archivePath.isEmpty() ? installer.RunJob(wanted) : installer.InstallArchiveFile(archivePath, version);
    host->PackagesChanged();
    if (status == CLASS_PACKAGE_MANAGER_BACKEND::JOB_DONE)
    {
        return CLI_RESULT::Done(ChangedPackages(before, host->VersionInfo()->GetInstalledVersions()));
    }
    const QString package = installer.CurrentPackage();
    if (installer.ArchiveRefused())
    {
        return CLI_RESULT::Fail(EXIT_REFUSED,
                                QStringLiteral("The archive of %1 holds entries outside its package "
                                               "folder and was refused.")
                                    .arg(package));
    }
    return CLI_RESULT::Fail(
        EXIT_FAILED,
        QStringLiteral("%1 at %2 (download, signature, checksum, extraction or disk; the error log names the "
                       "cause).")
            .arg(CLASS_PACKAGE_MANAGER_BACKEND::FinalStatusText(status, installer.FailureReason()), package));
}
