#ifndef UTILS_NETWORKREQUEST_H
#define UTILS_NETWORKREQUEST_H

#include <QNetworkRequest>
#include <QString>

class QNetworkReply;
class QUrl;

// The one way the launcher asks a web server for something (catalogue, reachability probe, package,
// checksum, version file), so that every request follows the same rules.
namespace UTILS
{
// Redirects that one request follows at most.
inline constexpr int MAXIMUM_REDIRECTS = 5;

// A GET request for url that follows redirects unless they lead to a less safe place (https to http), at
// most MAXIMUM_REDIRECTS of them, and is aborted when no data arrives for transferTimeoutMs.
QNetworkRequest WebRequest(const QUrl& url, int transferTimeoutMs);

// Why a finished reply does not count as an answer (empty when it does): a network or protocol error, or a
// final HTTP status outside 2xx (a redirect that was not followed, an error page with no error raised).
QString ReplyFailure(const QNetworkReply& reply);

// True for a well-formed http or https address with a host (strict parsing).
bool IsWebUrl(const QString& url);
} // namespace UTILS

#endif // UTILS_NETWORKREQUEST_H
