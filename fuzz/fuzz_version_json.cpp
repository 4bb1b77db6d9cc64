// The launcher version file (JSON) as the update server may deliver it, checked by the web updater
// through its public interface: the file is fetched (file:// address) and parsed as in a real check.
// Properties: exactly one result per check; success exactly when the document is an array; the newer
// flag, the most recent version and the versions seen agree with the entries that qualify (an entry whose
// Url is no web address is left out); the result does not depend on the order of the entries.

#include "FuzzSupport.h"

#include "QT_UPDATER/UPDATER_ClassUpdaterFromWeb.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace
{
const QString RUNNING_VERSION = QStringLiteral("1.5.3");
constexpr int DEV_FILTER = -1;

struct CHECK_RESULT
{
    int results = 0;
    bool isSuccessfull = false;
    bool moreRecentFound = false;
    QVersionNumber mostRecent;
    QList<QVersionNumber> seen;
};

CHECK_RESULT RunCheck(CLASS_UPDATER_FROM_WEB& updater, const QString& path, const QByteArray& content)
{
    FUZZ::WriteFile(path, content);
    updater.ResetVersions();
    CHECK_RESULT result;
    QEventLoop loop;
    const QMetaObject::Connection connection =
        QObject::connect(&updater, &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished, &loop,
                         [&result, &loop](Bool isSuccessfull, Bool moreRecentFound)
                         {
                             result.results += 1;
                             result.isSuccessfull = isSuccessfull;
                             result.moreRecentFound = moreRecentFound;
                             loop.quit();
                         });
    FUZZ::Check(updater.CheckIfNewVersionIsAvailable(), "a check starts when the updater is idle");
    // A timer of this check only: a pending single-shot timer would outlive it by 20 s.
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&loop]() { loop.exit(1); });
    limit.start(20000);
    FUZZ::Check(loop.exec() == 0, "a check of a local file ends within 20 s");
    // Anything queued behind the result (a second, wrong result) is delivered now.
    QCoreApplication::processEvents();
    QObject::disconnect(connection);
    result.mostRecent = updater.GetMostRecentVersion();
    result.seen = updater.GetVersions().keys();
    std::sort(result.seen.begin(), result.seen.end());
    return result;
}

// An entry with the four required keys whose Url is a web address (http or https, with a host).
bool IsEntry(const QJsonValue& element)
{
    const QJsonObject entry = element.toObject();
    const QUrl url(entry.value(QStringLiteral("Url")).toString(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return element.isObject() && entry.contains(QStringLiteral("Version")) &&
           entry.contains(QStringLiteral("ProductName")) && entry.contains(QStringLiteral("Url")) &&
           entry.contains(QStringLiteral("ProductId")) && url.isValid() && !url.host().isEmpty() &&
           (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"));
}

// The highest qualifying version and the versions of every entry, found without the updater.
void Expected(const QJsonArray& entries, QVersionNumber& mostRecent, QList<QVersionNumber>& seen)
{
    mostRecent = QVersionNumber::fromString(RUNNING_VERSION);
    for (const QJsonValue& element : entries)
    {
        if (!IsEntry(element))
        {
            continue;
        }
        const QJsonObject entry = element.toObject();
        const QVersionNumber version =
            QVersionNumber::fromString(entry.value(QStringLiteral("Version")).toString());
        if (!seen.contains(version))
        {
            seen.append(version);
        }
        if (entry.value(QStringLiteral("Dev")).toInt(-1) == DEV_FILTER && version > mostRecent)
        {
            mostRecent = version;
        }
    }
    std::sort(seen.begin(), seen.end());
}

void CheckResult(const CHECK_RESULT& result, const QByteArray& input)
{
    FUZZ::Check(result.results == 1, "one result per check", QString::number(result.results));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(input, &error);
    const bool isArray = error.error == QJsonParseError::NoError && document.isArray();
    FUZZ::Check(result.isSuccessfull == isArray, "a check succeeds exactly when the file is a JSON array");
    if (!isArray)
    {
        FUZZ::Check(!result.moreRecentFound, "a failed check finds nothing");
        return;
    }
    QVersionNumber mostRecent;
    QList<QVersionNumber> seen;
    Expected(document.array(), mostRecent, seen);
    FUZZ::Check(result.mostRecent == mostRecent, "the most recent version is the highest qualifying one",
                result.mostRecent.toString() + QStringLiteral(" instead of ") + mostRecent.toString());
    FUZZ::Check(result.moreRecentFound == (mostRecent > QVersionNumber::fromString(RUNNING_VERSION)),
                "a newer version is reported exactly when one qualifies");
    FUZZ::Check(result.seen == seen, "every entry is kept under its version");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = FUZZ::TemporaryFolder() + QStringLiteral("/ruvoraduridedi.json");
    static CLASS_UPDATER_FROM_WEB updater(RUNNING_VERSION, QUrl::fromLocalFile(path).toString(), 1002,
                                          DEV_FILTER);
    const QByteArray input = FUZZ::Bytes(data, size);
    const CHECK_RESULT result = RunCheck(updater, path, input);
    CheckResult(result, input);

    // The same entries in reverse order give the same result.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(input, &error);
    if (error.error == QJsonParseError::NoError && document.isArray())
    {
        QJsonArray reversed;
        const QJsonArray entries = document.array();
        for (int i = entries.size() - 1; i >= 0; --i)
        {
            reversed.append(entries.at(i));
        }
        const CHECK_RESULT again = RunCheck(updater, path, QJsonDocument(reversed).toJson());
        FUZZ::Check(again.isSuccessfull && again.mostRecent == result.mostRecent &&
                        again.moreRecentFound == result.moreRecentFound && again.seen == result.seen,
                    "the order of the entries does not matter");
    }
    return 0;
}
