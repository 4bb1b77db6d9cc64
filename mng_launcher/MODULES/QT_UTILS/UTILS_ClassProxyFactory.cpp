#include "QT_UTILS/UTILS_ClassProxyFactory.h"

#include <QHostAddress>

#include <atomic>

namespace
{
// curl's default port of a proxy address that gives none.
constexpr int DEFAULT_PROXY_PORT = 1080;
constexpr int HTTP_PORT = 80;
constexpr int HTTPS_PORT = 443;
const QString HTTP = QStringLiteral("http");
const QString HTTPS = QStringLiteral("https");

std::atomic<const CLASS_PROXY_FACTORY*> installed{nullptr};

// text as a proxy address: http:// added when it names no scheme; an empty URL for an empty text.
QUrl ProxyUrl(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
    {
        return QUrl();
    }
    return QUrl(trimmed.contains(QStringLiteral("://")) ? trimmed : QStringLiteral("http://") + trimmed,
                QUrl::StrictMode);
}

bool IsSocks(const QUrl& proxy)
{
    const QString scheme = proxy.scheme().toLower();
    return scheme == QStringLiteral("socks5") || scheme == QStringLiteral("socks5h");
}

// The first variable of names that the environment sets.
QString FirstSet(const QProcessEnvironment& environment, const QStringList& names, QString& name)
{
    for (const QString& candidate : names)
    {
        const QString value = environment.value(candidate).trimmed();
        if (!value.isEmpty())
        {
            name = candidate;
            return value;
        }
    }
    return QString();
}

// The proxy of one scheme: the first of names (lower case, then upper case) that holds a usable address.
PROXY_CHOICE FromEnvironment(const QProcessEnvironment& environment, const QString& scheme)
{
    const QString lower = scheme + QStringLiteral("_proxy");
    QString name;
    const QString value = FirstSet(environment, {lower, lower.toUpper()}, name);
    return CLASS_PROXY_FACTORY::IsValidProxy(value) ? PROXY_CHOICE{ProxyUrl(value), name} : PROXY_CHOICE();
}

QNetworkProxy ToProxy(const QUrl& proxy)
{
    return QNetworkProxy(IsSocks(proxy) ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy, proxy.host(),
                         static_cast<quint16>(proxy.port(DEFAULT_PROXY_PORT)),
                         proxy.userName(QUrl::FullyDecoded), proxy.password(QUrl::FullyDecoded));
}

// "host", "host:port", "[v6]:port", "*.domain" and ".domain" as (name without leading dots, port or -1).
QPair<QString, int> ExceptionEntry(const QString& entry)
{
    QString name = entry;
    int port = -1;
    if (name.startsWith(QLatin1Char('[')))
    {
        const int close = name.indexOf(QLatin1Char(']'));
        port = name.mid(close + 1).startsWith(QLatin1Char(':')) ? name.mid(close + 2).toInt() : -1;
        name = name.mid(1, close - 1);
    }
    else if (name.count(QLatin1Char(':')) == 1)
    {
        port = name.section(QLatin1Char(':'), 1).toInt();
        name = name.section(QLatin1Char(':'), 0, 0);
    }
    while (name.startsWith(QLatin1Char('*')) || name.startsWith(QLatin1Char('.')))
    {
        name.remove(0, 1);
    }
    return {name, port > 0 ? port : -1};
}
} // namespace

const QString CLASS_PROXY_FACTORY::OPTION_SOURCE = QStringLiteral("--proxy");

CLASS_PROXY_FACTORY::CLASS_PROXY_FACTORY(const QProcessEnvironment& environment, const QString& overrideUrl)
{
    if (!overrideUrl.isEmpty())
    {
        http = {ProxyUrl(overrideUrl), OPTION_SOURCE};
        https = http;
        return;
    }
    http = FromEnvironment(environment, HTTP);
    https = FromEnvironment(environment, HTTPS);
    const QString list =
        FirstSet(environment, {QStringLiteral("no_proxy"), QStringLiteral("NO_PROXY")}, exceptionsSource);
    for (const QString& entry : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
    {
        exceptions.append(entry.trimmed().toLower());
    }
}

QList<QNetworkProxy> CLASS_PROXY_FACTORY::queryProxy(const QNetworkProxyQuery& query)
{
    const PROXY_CHOICE choice = Choose(query.url());
    return {choice.proxy.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : ToProxy(choice.proxy)};
}

PROXY_CHOICE CLASS_PROXY_FACTORY::Choose(const QUrl& url) const
{
    if (IsLocal(url.host()))
    {
        return {QUrl(), QStringLiteral("local address")};
    }
    const PROXY_CHOICE& choice = url.scheme().toLower() == HTTPS ? https : http;
    if (choice.proxy.isEmpty())
    {
        return PROXY_CHOICE();
    }
    return Excepted(url) ? PROXY_CHOICE{QUrl(), exceptionsSource} : choice;
}

QString CLASS_PROXY_FACTORY::Describe(const QUrl& url) const
{
    const PROXY_CHOICE choice = Choose(url);
    const QString proxy = choice.proxy.isEmpty()
                              ? QStringLiteral("none")
                              : choice.proxy.toString(QUrl::RemoveUserInfo | QUrl::RemovePath);
    return choice.source.isEmpty() ? proxy : proxy + QStringLiteral(" (") + choice.source + QLatin1Char(')');
}

bool CLASS_PROXY_FACTORY::IsValidProxy(const QString& text)
{
    const QUrl proxy = ProxyUrl(text);
    const QString scheme = proxy.scheme().toLower();
    return proxy.isValid() && !proxy.host().isEmpty() && (scheme == HTTP || IsSocks(proxy));
}

void CLASS_PROXY_FACTORY::Install(const QString& overrideUrl)
{
    auto* factory = new CLASS_PROXY_FACTORY(QProcessEnvironment::systemEnvironment(), overrideUrl);
    QNetworkProxyFactory::setApplicationProxyFactory(factory);
    installed = factory;
}

QString CLASS_PROXY_FACTORY::DescribeInstalled(const QUrl& url)
{
    const CLASS_PROXY_FACTORY* factory = installed;
    return factory != nullptr ? factory->Describe(url) : CLASS_PROXY_FACTORY().Describe(url);
}

bool CLASS_PROXY_FACTORY::IsLocal(const QString& host)
{
    const QString name = host.toLower();
    return name == QStringLiteral("localhost") || name.startsWith(QStringLiteral("localhost.")) ||
           QHostAddress(name).isLoopback();
}

bool CLASS_PROXY_FACTORY::Excepted(const QUrl& url) const
{
    const QString host = url.host().toLower();
    const int port = url.port(url.scheme().toLower() == HTTPS ? HTTPS_PORT : HTTP_PORT);
    for (const QString& entry : exceptions)
    {
        if (entry == QStringLiteral("*"))
        {
            return true;
        }
        const QPair<QString, int> exception = ExceptionEntry(entry);
        const bool hostMatches =
            !exception.first.isEmpty() &&
            (host == exception.first || host.endsWith(QLatin1Char('.') + exception.first));
        if (hostMatches && (exception.second < 0 || exception.second == port))
        {
            return true;
        }
    }
    return false;
}
