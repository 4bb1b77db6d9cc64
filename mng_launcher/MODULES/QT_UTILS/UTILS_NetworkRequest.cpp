#include "QT_UTILS/UTILS_NetworkRequest.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QNetworkReply>
#include <QUrl>
#include <QVariant>

namespace UTILS
{
QNetworkRequest WebRequest(const QUrl& url, int transferTimeoutMs)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MAXIMUM_REDIRECTS);
    request.setTransferTimeout(transferTimeoutMs);
    return request;
}

QString ReplyFailure(const QNetworkReply& reply)
{
    if (reply.error() != QNetworkReply::NoError)
    {
        // Qt's texts name the address, with its password when it has one.
        return WithoutUserInfo(reply.errorString());
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QString scheme = reply.url().scheme().toLower();
    if (!status.isValid())
    {
        // Only an HTTP answer carries a status; one without it is no answer of a web server.
        const bool web = scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
        return web ? QStringLiteral("no HTTP status in the answer") : QString();
    }
    const int code = status.toInt();
    if (code < 200 || code > 299)
    {
        return QStringLiteral("HTTP status %1 %2")
            .arg(code)
            .arg(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
            .trimmed();
    }
    return QString();
}

bool IsWebUrl(const QString& url)
{
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    return address.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https")) &&
           !address.host().isEmpty();
}
} // namespace UTILS
