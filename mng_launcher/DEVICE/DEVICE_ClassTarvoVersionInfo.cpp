#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "DEVICE/DEVICE_Constants.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "DEVICE/DEVICE_FileSave.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "QT_UTILS/UTILS_NetworkRequest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedPointer>
#include <QSettings>
#include <QTemporaryFile>

#include <algorithm>

namespace
{
// The download's lines name it, whether it was waited for or ran in the background.
constexpr TRACE_ORIGIN FETCH_ORIGIN{__FILE__, "FetchPackages"};
const QString VERSION_GROUP = QStringLiteral("version");
const QString COMPATIBILITY_KEY = QStringLiteral("version/compatibility");

// The downloaded catalogue replaces the local copy in one step: a failed write leaves the old copy.
bool SaveCatalogue(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString errorText;
    if (!ReplaceFileContent(path, content, &errorText))
    {
        TRACE_ERROR_IN(FETCH_ORIGIN, errorText);
        return false;
    }
    return true;
}

// Why a downloaded body is no package catalogue (empty when it is one): it must read as an INI file and
// offer at least one package, a top-level key whose value is a version text. A captive portal's login
// page, an error page or the body of a redirect is none.
QString CatalogueProblem(const QByteArray& body)
{
    QTemporaryFile copy;
    if (!copy.open() || copy.write(body) != body.size() || !copy.flush())
    {
        return QStringLiteral("the answer could not be checked: ") + copy.errorString();
    }
    const QSettings catalogue(copy.fileName(), QSettings::IniFormat);
    static_cast<void>(catalogue.allKeys());
    if (catalogue.status() != QSettings::NoError)
    {
        return QStringLiteral("the answer is not a package catalogue (not an INI file)");
    }
    for (const QString& key : catalogue.childKeys())
    {
        if (IsVersionText(catalogue.value(key).toString()))
        {
            return QString();
        }
    }
    return QStringLiteral("the answer is not a package catalogue (no package entry)");
}
} // namespace

TARVO_VERSION_INFO_LOCATIONS TARVO_VERSION_INFO_LOCATIONS::WithDefaults() const
{
    TARVO_VERSION_INFO_LOCATIONS filled = *this;
    if (filled.applicationFolder.isEmpty())
    {
        filled.applicationFolder = QCoreApplication::applicationDirPath();
    }
    if (filled.sessionsRoot.isEmpty())
    {
        filled.sessionsRoot = CLASS_SESSION_SETTINGS::SessionsRoot();
    }
    if (filled.catalogueUrl.isEmpty())
    {
        filled.catalogueUrl = CLASS_SERVER_ADDRESS::CatalogueUrl();
    }
    if (filled.transferTimeoutMs <= 0)
    {
        filled.transferTimeoutMs = SMALL_TRANSFER_TIMEOUT_MS;
    }
    if (filled.trustFolder.isEmpty())
    {
        filled.trustFolder = CLASS_TRUST_STORE::DefaultFolder();
    }
    return filled;
}

CLASS_TARVO_VERSION_INFO::CLASS_TARVO_VERSION_INFO()
    : CLASS_TARVO_VERSION_INFO(TARVO_VERSION_INFO_LOCATIONS())
{
}

CLASS_TARVO_VERSION_INFO::CLASS_TARVO_VERSION_INFO(const TARVO_VERSION_INFO_LOCATIONS& given)
    : locations(given.WithDefaults())
{
    FindInstalledVersions();
    if (locations.fetchCatalogue)
    {
        FetchPackages();
    }
    FindPackagesList();
}

// The manager takes a request still running with it.
CLASS_TARVO_VERSION_INFO::~CLASS_TARVO_VERSION_INFO() = default;

QString CLASS_TARVO_VERSION_INFO::GetLocalCatalogueFile() const
{
    const QString& root = locations.sessionsRoot;
    return root + (root.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + LOCAL_CATALOGUE_NAME;
}

void CLASS_TARVO_VERSION_INFO::FindInstalledVersions()
{
    QStringList versions = ListInstalledVersionsIn(PackageFolders(locations.applicationFolder));
    SortNewestFirst(versions);
    installedVersions = versions;
}

bool CLASS_TARVO_VERSION_INFO::FetchPackages()
{
    QNetworkAccessManager manager;
    const QScopedPointer<QNetworkReply> reply(
        GetAndWait(manager, locations.catalogueUrl, locations.transferTimeoutMs));
    return StoreCatalogueReply(reply.data());
}

void CLASS_TARVO_VERSION_INFO::FetchPackagesInBackground(QObject* context,
                                                         const std::function<void(bool changed)>& done)
{
    if (backgroundReply != nullptr)
    {
        return;
    }
    if (!backgroundManager)
    {
        backgroundManager = std::make_unique<QNetworkAccessManager>();
    }
    // The same request as every other of the launcher (time limit, safe redirects).
    backgroundReply =
        backgroundManager->get(UTILS::WebRequest(QUrl(locations.catalogueUrl), locations.transferTimeoutMs));
    QObject::connect(backgroundReply, &QNetworkReply::finished, context,
                     [this, done]()
                     {
                         QNetworkReply* reply = backgroundReply;
                         backgroundReply = nullptr;
                         reply->deleteLater();
                         const QMap<int, QString> before = packagesList;
                         const int compatibilityBefore = compatibility;
                         StoreCatalogueReply(reply);
                         FindPackagesList();
                         done(packagesList != before || compatibility != compatibilityBefore);
                     });
}

bool CLASS_TARVO_VERSION_INFO::StoreCatalogueReply(QNetworkReply* reply)
{
    const QString path = GetLocalCatalogueFile();
    QString failure = UTILS::ReplyFailure(*reply);
    if (failure.isEmpty())
    {
        const QByteArray body = reply->readAll();
        failure = CatalogueProblem(body);
        if (failure.isEmpty())
        {
            // The index lives beside the catalogue: it is looked at whenever the catalogue arrives.
            RefreshIndex();
            if (SaveCatalogue(path, body))
            {
                return true;
            }
            lastFetchError = QStringLiteral("the local copy could not be written: ") + path;
            return false;
        }
    }
    lastFetchError = failure;
    // Logged as the download's own failure, whether it was waited for or ran in the background.
    TRACE_ERROR_IN(FETCH_ORIGIN, QStringLiteral("Error downloading file:") + failure);
    // The last catalogue that arrived stays in use; only a first run without one gets the fallback.
    if (!QFileInfo::exists(path))
    {
        WriteFallbackCatalogue(path);
    }
    return false;
}

void CLASS_TARVO_VERSION_INFO::RefreshIndex()
{
    CLASS_TRUST_STORE store(locations.trustFolder, locations.trustedKeys);
    const INDEX_VERDICT verdict = CLASS_SIGNED_INDEX(store).Refresh(
        CLASS_SIGNED_INDEX::ServerOf(locations.catalogueUrl), locations.transferTimeoutMs);
    lastIndexProblem = verdict.trust == INDEX_VERDICT::TRUST::Refused ? verdict.reason : QString();
}

QStringList CLASS_TARVO_VERSION_INFO::KnownVersions() const
{
    QStringList known;
    const QStringList candidates = installedVersions + ListSessionVersions(locations.sessionsRoot);
    for (const QString& version : candidates)
    {
        // A session folder without a VERSION key names no package.
        if (!version.isEmpty() && !known.contains(version))
        {
            known.append(version);
        }
    }
    SortNewestFirst(known);
    return known;
}

void CLASS_TARVO_VERSION_INFO::WriteFallbackCatalogue(const QString& path) const
{
    const QStringList known = KnownVersions();
    if (known.isEmpty())
    {
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    INI_VALUES catalogue;
    for (const QString& text : known)
    {
        const QString version = DottedVersion(text);
        catalogue.append({PackageFolderName(version), version});
    }
    // Written whole or not at all: a fallback cut short by a full disk would stay in use as the catalogue.
    QString errorText;
    if (!ReplaceIniFile(path, QByteArray(), catalogue, &errorText))
    {
        TRACE_ERROR_IN(FETCH_ORIGIN, QStringLiteral("Error opening file for writing:") + path);
    }
}

QMap<int, QString> CLASS_TARVO_VERSION_INFO::FallbackPackagesList() const
{
    const QStringList known = KnownVersions();
    if (known.isEmpty())
    {
        return DEFAULT_PACKAGES_LIST;
    }
    QMap<int, QString> list;
    for (const QString& version : known)
    {
        list.insert(list.size(), DottedVersion(version));
    }
    return list;
}

void CLASS_TARVO_VERSION_INFO::FindPackagesList()
{
    packagesList.clear();
    // Every parse starts afresh: a catalogue without a "version" group is of level 1, whatever came before.
    compatibility = 1;
    const QString path = GetLocalCatalogueFile();
    if (!QFileInfo::exists(path))
    {
        TRACE_INFO(QStringLiteral("Packages file is missing"));
        packagesList = FallbackPackagesList();
        return;
    }
    const QSettings catalogue(path, QSettings::IniFormat);
    // The INI reader parses the file on first use: only then does status() tell a malformed one.
    // Keys come sorted by name (TARVO_3_1_51 before TARVO_3_2_0); reversed, such names list the newest first.
    QStringList keys = catalogue.childKeys();
    if (catalogue.status() != QSettings::NoError)
    {
        TRACE_ERROR(QStringLiteral("Failed to parse packages file"));
        packagesList = FallbackPackagesList();
        return;
    }
    std::reverse(keys.begin(), keys.end());
    for (const QString& key : qAsConst(keys))
    {
        // A value that is no version would name a package folder of its own ("TARVO_." for "."): skipped.
        const QString version = catalogue.value(key).toString();
        if (!IsVersionText(version))
        {
            // On one line, whatever the file holds.
            TRACE_ERROR(QStringLiteral("Skipped a catalogue entry that is no version : ") +
                        (key + QStringLiteral(" = ") + version).simplified());
            continue;
        }
        packagesList.insert(packagesList.size(), version);
    }
    if (catalogue.childGroups().contains(VERSION_GROUP))
    {
        compatibility = catalogue.value(COMPATIBILITY_KEY).toInt();
    }
}

int CLASS_TARVO_VERSION_INFO::VersionKey(const QString& version)
{
    const QString dotted = DottedVersion(version);
    for (auto it = versionsTable.constBegin(); it != versionsTable.constEnd(); ++it)
    {
        if (DottedVersion(it.value()) == dotted)
        {
            return it.key();
        }
    }
    const int key = versionsTable.isEmpty() ? 0 : versionsTable.lastKey() + 1;
    versionsTable.insert(key, dotted);
    return key;
}
