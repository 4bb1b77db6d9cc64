#ifndef DEVICE_CLASSTARVOVERSIONINFO_H
#define DEVICE_CLASSTARVOVERSIONINFO_H

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QObject;

// Where the catalogue comes from and where it looks; the defaults are the launcher's own locations.
struct TARVO_VERSION_INFO_LOCATIONS
{
    QString applicationFolder;  // package folders; default: the folder of the launcher executable
    QString sessionsRoot;       // session folders and the local catalogue copy; default: the sessions root
    QString catalogueUrl;       // remote catalogue; default: CLASS_SERVER_ADDRESS::CatalogueUrl()
    int transferTimeoutMs = 0;  // limit of the catalogue download; default: SMALL_TRANSFER_TIMEOUT_MS
    bool fetchCatalogue = true; // false: the constructor reads the local copy without downloading
    QString trustFolder;        // trusted keys and accepted indexes; default: CLASS_TRUST_STORE's
    QStringList trustedKeys;    // texts of .pub files trusted besides the trust folder's and built-in ones

    // Every empty field replaced by its default.
    TARVO_VERSION_INFO_LOCATIONS WithDefaults() const;
};

// The package catalogue: the versions the maker offers (downloaded once per run), the versions installed
// beside the launcher, and the catalogue's compatibility level.
class CLASS_TARVO_VERSION_INFO
{
public:
    // Scans the installed versions, downloads the catalogue (unless locations say not to) and parses it,
    // in this order.
    CLASS_TARVO_VERSION_INFO();
    explicit CLASS_TARVO_VERSION_INFO(const TARVO_VERSION_INFO_LOCATIONS& locations);
    ~CLASS_TARVO_VERSION_INFO();

    // Rescans the application folder for package folders (also after every installer job).
    void FindInstalledVersions();
    // Downloads the remote catalogue into the local copy; on failure keeps the old copy, or writes a
    // fallback catalogue from the installed and session versions when there is none. True when the
    // download arrived and replaced the local copy; otherwise LastFetchError() tells why.
    bool FetchPackages();
    QString LastFetchError() const { return lastFetchError; }
    // Why the signed index that came with the catalogue was refused; empty when it was accepted, when the
    // server publishes none (and is not pinned) or when the catalogue did not arrive.
    QString LastIndexProblem() const { return lastIndexProblem; }
    // Parses the local copy into the packages list and the compatibility level.
    void FindPackagesList();
    // Starts the download of the remote catalogue without waiting for it. When it ends (arrived, failed
    // or timed out) the local copy is updated as by FetchPackages, parsed again, and `done` runs on this
    // thread with whether the packages list or the compatibility level changed, unless `context` is gone.
    // A download still running is not started a second time.
    void FetchPackagesInBackground(QObject* context, const std::function<void(bool changed)>& done);
    // True while a background download runs.
    bool IsFetching() const { return backgroundReply != nullptr; }

    QStringList GetInstalledVersions() const { return installedVersions; }
    const QMap<int, QString>& GetPackagesList() const { return packagesList; }
    int GetCompatibility() const { return compatibility; }
    const QMap<int, QString>& GetVersionsTable() const { return versionsTable; }
    void SetVersionsTable(const QMap<int, QString>& table) { versionsTable = table; }
    // The key of a version text in the versions table ("3_1_51" matches "3.1.51"); a version the table
    // lacks is added after its last entry, so that a session keeps the version it was saved with.
    int VersionKey(const QString& version);

    // The folder that holds the package folders, and the local catalogue file.
    QString GetApplicationFolder() const { return locations.applicationFolder; }
    // The address the catalogue is downloaded from.
    QString GetCatalogueUrl() const { return locations.catalogueUrl; }
    QString GetLocalCatalogueFile() const;

private:
    // Stores what a finished catalogue request brought (or the fallback when it failed); true when it
    // replaced the local copy.
    bool StoreCatalogueReply(QNetworkReply* reply);
    // The installed versions and the versions of the sessions, newest first.
    QStringList KnownVersions() const;
    // Without a usable local copy: the known versions, numbered newest first (the default list when
    // nothing is known), as a fallback catalogue would list them.
    QMap<int, QString> FallbackPackagesList() const;
    void WriteFallbackCatalogue(const QString& path) const;
    // Downloads and verifies the signed index beside the catalogue (CLASS_SIGNED_INDEX).
    void RefreshIndex();

    QMap<int, QString> versionsTable;
    QMap<int, QString> packagesList;
    QStringList installedVersions;
    int compatibility = 1;
    TARVO_VERSION_INFO_LOCATIONS locations;
    QString lastFetchError;
    QString lastIndexProblem;
    // Only while a background download runs or has run.
    std::unique_ptr<QNetworkAccessManager> backgroundManager;
    QNetworkReply* backgroundReply = nullptr;
};

#endif // DEVICE_CLASSTARVOVERSIONINFO_H
