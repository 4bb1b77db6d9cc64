// The package catalogue INI as the update server (or anything between) may deliver it: fetched into the
// local copy and parsed by the catalogue holder, exactly as at start-up.
// Properties: the local copy holds the bytes received when they are a catalogue (the INI reader takes them
// and a top-level key holds a version text), else no copy is written and the default list applies with
// compatibility 1; the packages list is numbered 0..n-1; it holds one entry per top-level key whose value is
// a version text, in reversed key order (a value that is no version is skipped), and the compatibility
// follows "version/compatibility".

#include "FuzzSupport.h"

#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_DeviceTables.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

#include <algorithm>

namespace
{
QString Describe(const QMap<int, QString>& list)
{
    QStringList parts;
    for (auto it = list.cbegin(); it != list.cend(); ++it)
    {
        parts.append(QStringLiteral("%1=[%2]").arg(it.key()).arg(it.value()));
    }
    return parts.join(QLatin1Char(' '));
}

// A version text: digits separated by single dots, nothing after them ("3.1.51").
bool IsVersion(const QString& text)
{
    static const QRegularExpression version(QStringLiteral("\\A[0-9]+(\\.[0-9]+)*\\z"));
    return version.match(text).hasMatch();
}

// True when the INI reader takes the file and one of its top-level keys offers a version ("3.1.51").
bool OffersAPackage(const QString& copyPath)
{
    const QSettings reader(copyPath, QSettings::IniFormat);
    static_cast<void>(reader.allKeys());
    if (reader.status() != QSettings::NoError)
    {
        return false;
    }
    const QStringList keys = reader.childKeys();
    return std::any_of(keys.begin(), keys.end(),
                       [&](const QString& key) { return IsVersion(reader.value(key).toString()); });
}

// What the catalogue should hold, read from a copy at a path of its own (Qt caches parsed INI files by path).
void CheckAgainstReader(const CLASS_TARVO_VERSION_INFO& catalogue, const QString& copyPath)
{
    const QMap<int, QString>& packages = catalogue.GetPackagesList();
    const QSettings reader(copyPath, QSettings::IniFormat);
    // The reader parses its sections on first use: only then does its status tell a malformed one.
    static_cast<void>(reader.allKeys());
    if (reader.status() != QSettings::NoError)
    {
        FUZZ::Check(packages == DEFAULT_PACKAGES_LIST, "a refused catalogue gives the default list",
                    Describe(packages));
        FUZZ::Check(catalogue.GetCompatibility() == 1, "a refused catalogue keeps compatibility 1");
        return;
    }
    QStringList keys;
    for (const QString& key : reader.childKeys())
    {
        if (IsVersion(reader.value(key).toString()))
        {
            keys.prepend(key);
        }
    }
    FUZZ::Check(packages.size() == keys.size(), "one package per top-level key that offers a version",
                Describe(packages) + QStringLiteral(" keys: ") + keys.join(QLatin1Char(' ')));
    for (int i = 0; i < keys.size(); ++i)
    {
        FUZZ::Check(packages.value(i) == reader.value(keys.at(i)).toString(),
                    "packages follow the reversed key order", keys.at(i));
    }
    const int expected = reader.childGroups().contains(QStringLiteral("version"))
                             ? reader.value(QStringLiteral("version/compatibility")).toInt()
                             : 1;
    FUZZ::Check(catalogue.GetCompatibility() == expected, "the compatibility follows the version group",
                QString::number(catalogue.GetCompatibility()));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quint64 counter = 0;
    const QString work = FUZZ::TemporaryFolder() + QStringLiteral("/catalogue%1").arg(++counter);
    QDir().mkpath(work + QStringLiteral("/application"));
    const QByteArray input = FUZZ::Bytes(data, size);
    const QString served = work + QStringLiteral("/tarvo4kpackages.ini");
    FUZZ::WriteFile(served, input);

    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = work + QStringLiteral("/application");
    locations.sessionsRoot = work + QStringLiteral("/sessions/");
    locations.catalogueUrl = QUrl::fromLocalFile(served).toString();
    locations.transferTimeoutMs = 5000;
    const CLASS_TARVO_VERSION_INFO catalogue(locations);

    const QMap<int, QString>& packages = catalogue.GetPackagesList();
    FUZZ::Check(packages.isEmpty() || (packages.firstKey() == 0 && packages.lastKey() == packages.size() - 1),
                "the packages list is numbered from 0 without gaps", Describe(packages));
    const QString copy = work + QStringLiteral("/copy.ini");
    FUZZ::WriteFile(copy, input);
    QFile local(catalogue.GetLocalCatalogueFile());
    if (OffersAPackage(copy))
    {
        FUZZ::Check(local.open(QIODevice::ReadOnly) && local.readAll() == input,
                    "the local copy holds the catalogue as received", local.fileName());
        CheckAgainstReader(catalogue, copy);
    }
    else
    {
        // Nothing installed, no sessions: without a catalogue there is no copy and the default list applies.
        FUZZ::Check(!local.exists(), "a body that is no catalogue is not kept", local.fileName());
        FUZZ::Check(packages == DEFAULT_PACKAGES_LIST, "a body that is no catalogue gives the default list",
                    Describe(packages));
        FUZZ::Check(catalogue.GetCompatibility() == 1, "a body that is no catalogue keeps compatibility 1");
    }
    QDir(work).removeRecursively();
    return 0;
}
