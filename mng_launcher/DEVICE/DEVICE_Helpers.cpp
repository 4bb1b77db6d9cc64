#include "DEVICE/DEVICE_Helpers.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_SessionFolders.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_ClassProxyFactory.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"
#include "QT_UTILS/UTILS_ZrProcess.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QScopedPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

namespace
{
const QString PACKAGE_PREFIX = QStringLiteral("TARVO_");

bool IsSameOrInside(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && (path == folder || path.startsWith(folder + QLatin1Char('/')));
}

// Copying a folder into itself or into one of its own sub-folders would feed the walk forever.
bool TargetInsideSource(const QString& source, const QString& target)
{
    const QString targetPath = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
    const QString sourcePath = QDir::cleanPath(QFileInfo(source).absoluteFilePath());
    const QString sourceCanonical = QFileInfo(source).canonicalFilePath();
    return IsSameOrInside(targetPath, sourcePath) || IsSameOrInside(targetPath, sourceCanonical);
}

QFileInfoList SubFolders(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
}

// The runs of decimal digits, each without its leading zeros, so that numbers of any length compare.
QStringList Numbers(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("(\\d+)"));
    QStringList numbers;
    QRegularExpressionMatchIterator it = digits.globalMatch(text);
    while (it.hasNext())
    {
        const QString number = it.next().captured(1);
        int first = 0;
        while (first + 1 < number.size() && number.at(first) == QLatin1Char('0'))
        {
            ++first;
        }
        numbers.append(number.mid(first));
    }
    return numbers;
}

// -1, 0 or 1 as the decimal number a (no leading zeros) is smaller than, equal to or greater than b.
int CompareNumbers(const QString& a, const QString& b)
{
    if (a.size() != b.size())
    {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}
} // namespace

bool CopyDirectory(const QString& source, const QString& target)
{
    // Never through a link: a source folder that is one would lead the copy out of it, a target folder
    // that is one would take the copy somewhere else.
    if (TargetInsideSource(source, target) || PLATFORM::IsLink(source) || PLATFORM::IsLink(target))
    {
        return false;
    }
    QDir().mkpath(target);
    bool allCopied = true;
    const QFileInfoList entries =
        QDir(source).entryInfoList(QDir::AllEntries | QDir::Readable | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries)
    {
        const QString destination = target + QStringLiteral("/") + entry.fileName();
        // A link inside the source is not copied (and counts as a failure); QFile::copy itself never
        // writes through a link at the destination (it refuses an existing name and renames a new file
        // into place).
        const bool copied =
            !entry.isSymLink() && (entry.isDir() ? CopyDirectory(entry.absoluteFilePath(), destination)
                                                 : QFile::copy(entry.absoluteFilePath(), destination));
        allCopied = allCopied && copied;
    }
    return allCopied;
}

QString PackageFolderName(const QString& version)
{
    return PACKAGE_PREFIX + QString(version).replace(QLatin1Char('.'), QLatin1Char('_'));
}

QString VersionOfPackageFolderName(const QString& name)
{
    return name.startsWith(PACKAGE_PREFIX) ? DottedVersion(name.mid(PACKAGE_PREFIX.size())) : QString();
}

QString SessionWebUrl(int port)
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

QString DottedVersion(QString version)
{
    return version.replace(QLatin1Char('_'), QLatin1Char('.'));
}

bool IsVersionText(const QString& text)
{
    // Anchored at the very end: "$" would also take a text that ends with a line feed.
    static const QRegularExpression version(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]+(\\.[0-9]+)*")));
    return version.match(text).hasMatch();
}

QStringList ListInstalledVersions(const QString& folder)
{
    QStringList versions;
    const QFileInfoList entries = SubFolders(folder);
    for (const QFileInfo& entry : entries)
    {
        QString name = entry.fileName();
        if (name.contains(PACKAGE_PREFIX))
        {
            versions.append(DottedVersion(name.remove(PACKAGE_PREFIX)));
        }
    }
    return versions;
}

bool IsPathTaken(const QString& path)
{
    return QFileInfo::exists(path) || PLATFORM::IsLink(path);
}

QString UserPackagesFolder()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           QStringLiteral("/packages"));
}

QString OldUserPackagesFolder()
{
    return QDir::cleanPath(CLASS_SESSION_SETTINGS::SessionsRoot() + QLatin1Char('/') +
                           OLD_USER_PACKAGES_FOLDER_NAME);
}

QString MoveOldUserPackagesFolder(const QString& oldFolder, const QString& newFolder)
{
    const QString from = QDir::toNativeSeparators(oldFolder);
    if (!IsPathTaken(oldFolder))
    {
        return QString();
    }
    const QString leftAlone = QStringLiteral("Left the old package folder %1 where it is: %2");
    if (!PLATFORM::IsOwnFolder(oldFolder))
    {
        return leftAlone.arg(from, QStringLiteral("a link, not a folder, or another user's"));
    }
    if (IsPathTaken(CLASS_SESSION_SETTINGS::SettingsFilePath(oldFolder)))
    {
        return leftAlone.arg(from, QStringLiteral("it holds a session (settings.ini)"));
    }
    if (IsPathTaken(newFolder))
    {
        return leftAlone.arg(from, QDir::toNativeSeparators(newFolder) + QStringLiteral(" exists already"));
    }
    // A rename: the folder moves whole, links inside it stay links and nothing is followed.
    if (!QDir().mkpath(QFileInfo(newFolder).absolutePath()) || !QDir().rename(oldFolder, newFolder))
    {
        return leftAlone.arg(from, QStringLiteral("it could not be moved to ") +
                                       QDir::toNativeSeparators(newFolder));
    }
    return QStringLiteral("Moved the old package folder %1 to %2")
        .arg(from, QDir::toNativeSeparators(newFolder));
}

void MoveOldUserPackagesFolder()
{
    const QString done = MoveOldUserPackagesFolder(OldUserPackagesFolder(), UserPackagesFolder());
    if (!done.isEmpty())
    {
        TRACE_INFO(done);
    }
}

QStringList PackageFolders(const QString& applicationFolder)
{
    QStringList folders{QDir::cleanPath(applicationFolder)};
    const QString user = UserPackagesFolder();
    if (!folders.contains(user))
    {
        folders.append(user);
    }
    return folders;
}

QStringList ListInstalledVersionsIn(const QStringList& folders)
{
    QStringList versions;
    for (const QString& folder : folders)
    {
        for (const QString& version : ListInstalledVersions(folder))
        {
            if (!versions.contains(version))
            {
                versions.append(version);
            }
        }
    }
    return versions;
}

QString FindPackageFolder(const QString& applicationFolder, const QString& version)
{
    const QStringList folders = PackageFolders(applicationFolder);
    for (const QString& folder : folders)
    {
        const QString path = folder + QLatin1Char('/') + PackageFolderName(version);
        if (QFileInfo(path).isDir())
        {
            return path;
        }
    }
    return folders.first() + QLatin1Char('/') + PackageFolderName(version);
}

bool IsWritableFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
    {
        return false;
    }
    QTemporaryFile probe(folder + QStringLiteral("/.tarvo-write-test-XXXXXX"));
    return probe.open();
}

QString PackageInstallFolder(const QString& applicationFolder, QString* reason)
{
    if (IsWritableFolder(applicationFolder))
    {
        return QDir::cleanPath(applicationFolder);
    }
    const QString user = UserPackagesFolder();
    if (QDir().mkpath(user) && IsWritableFolder(user))
    {
        return user;
    }
    *reason = QStringLiteral("no permission to write %1 or %2")
                  .arg(QDir::toNativeSeparators(applicationFolder), QDir::toNativeSeparators(user));
    return QString();
}

QStringList ListSessionVersions(const QString& folder)
{
    QStringList versions;
    const QStringList sessions = SessionFolderNames(folder);
    for (const QString& session : sessions)
    {
        const QString file = QDir(folder).absoluteFilePath(session) + QStringLiteral("/settings.ini");
        // Only a plain file is read: a pipe in its place would block for good.
        if (!QFileInfo(file).isFile())
        {
            continue;
        }
        const QSettings settings(file, QSettings::IniFormat);
        versions.append(DottedVersion(settings.value(QStringLiteral("VERSION")).toString()));
    }
    SortNewestFirst(versions);
    return versions;
}

bool VersionIsNewer(const QString& a, const QString& b)
{
    const QStringList numbersA = Numbers(a);
    const QStringList numbersB = Numbers(b);
    const int common = std::min(numbersA.size(), numbersB.size());
    for (int i = 0; i < common; ++i)
    {
        const int order = CompareNumbers(numbersA.at(i), numbersB.at(i));
        if (order != 0)
        {
            return order > 0;
        }
    }
    return a.size() < b.size();
}

void SortNewestFirst(QStringList& versions)
{
    // Hand-edited texts can make the relation inconsistent; a merge sort never leaves the range even then,
    // and equal versions keep their order.
    std::stable_sort(versions.begin(), versions.end(), VersionIsNewer);
}

QNetworkReply* GetAndWait(QNetworkAccessManager& manager, const QString& url, int timeoutMs)
{
    QNetworkReply* reply = manager.get(UTILS::WebRequest(QUrl(url), timeoutMs));
    if (!reply->isFinished())
    {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return reply;
}

QString TransferFailureReason(const QNetworkReply& reply)
{
    const QString host = reply.url().host();
    const int httpStatus = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    switch (reply.error())
    {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connection refused by %1").arg(host);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("server %1 not found").arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer limit aborts the reply
        return QStringLiteral("timed out");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed by %1").arg(host);
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        // The proxy stands in the way: the user learns which one.
        return QStringLiteral("the proxy %1 failed: %2")
            .arg(CLASS_PROXY_FACTORY::DescribeInstalled(reply.url()), UTILS::ReplyFailure(reply));
    default:
        break;
    }
    if (httpStatus != 0 && (httpStatus < 200 || httpStatus > 299))
    {
        return QStringLiteral("the server answered HTTP %1").arg(httpStatus);
    }
    return UTILS::ReplyFailure(reply);
}

bool IsInternetReachable(const QString& probeUrl, int timeoutMs)
{
    QNetworkAccessManager manager;
    const QScopedPointer<QNetworkReply> reply(GetAndWait(manager, probeUrl, timeoutMs));
    return UTILS::ReplyFailure(*reply).isEmpty();
}

QString QuotedCommandPart(const QString& text)
{
    const QChar quote = QLatin1Char('"');
    QString inner = text;
    inner.replace(quote, QStringLiteral("\"\"\""));
    return quote + inner + quote;
}

bool CompressSessionFolder(const QString& workingFolder, const QString& folderName, const QString& target,
                           const QString& commentFile, const QString& toolFolder, int startTimeoutMs,
                           int finishTimeoutMs)
{
    QString folder = toolFolder;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
    {
        folder.chop(1);
    }
    const QString program = PLATFORM::ArchiveToolProgram(folder, QStringLiteral("zip"));
    // Session folder names carry no blanks; one that does is quoted so that it stays one argument.
    const bool plainName =
        !folderName.isEmpty() && !folderName.contains(QLatin1Char('"')) &&
        std::none_of(folderName.begin(), folderName.end(), [](QChar c) { return c.isSpace(); });
    QString commandLine = QuotedCommandPart(program) + QStringLiteral(" -r ") + QuotedCommandPart(target) +
                          QLatin1Char(' ') + (plainName ? folderName : QuotedCommandPart(folderName));

    // The tool runs in the working folder; the launcher's own current directory stays as it is.
    CLASS_UTILS_ZRPROCESS process(false, true, nullptr);
    process.setWorkingDirectory(workingFolder);
    if (!commentFile.isEmpty())
    {
        commandLine += QStringLiteral(" -z ");
        process.setStandardInputFile(commentFile);
    }
    return process.ShellProcessStart(commandLine, startTimeoutMs, finishTimeoutMs);
}
