#ifndef UTILS_CLASSPROXYFACTORY_H
#define UTILS_CLASSPROXYFACTORY_H

#include <QList>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QProcessEnvironment>
#include <QString>
#include <QUrl>

// The proxy chosen for an address, and why.
struct PROXY_CHOICE
{
    QUrl proxy;     // empty: the request goes direct
    QString source; // "--proxy", the variable that named the proxy or the exception, "local address"; or ""
};

// Chooses the proxy of every request of the program as command-line tools do, from the environment:
// http_proxy for http addresses and https_proxy for https ones (lower case first, then HTTP_PROXY,
// HTTPS_PROXY), except the hosts of no_proxy (NO_PROXY): a comma-separated list of host names, domains
// ("example.com" or ".example.com" also covers every host below it), "host:port", or "*" for every host.
// A proxy given on the command line (--proxy) overrides the three variables. A proxy address may leave out
// its scheme (http://) and carry a user and password; socks5:// names a SOCKS 5 proxy. Local addresses
// (localhost, 127.0.0.0/8, ::1) always go direct, as Qt does for them. Immutable: any thread may ask.
class CLASS_PROXY_FACTORY : public QNetworkProxyFactory
{
public:
    static const QString OPTION_SOURCE;

    // environment: where the variables are read; overrideUrl: the --proxy address (empty: none).
    explicit CLASS_PROXY_FACTORY(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
        const QString& overrideUrl = QString());

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;
    PROXY_CHOICE Choose(const QUrl& url) const;
    // One line for logs and diagnostics, never with a password: "http://proxy.example:3128 (https_proxy)",
    // "none (no_proxy)", "none (local address)" or "none".
    QString Describe(const QUrl& url) const;

    // True for an address the factory can use as a proxy: http://, socks5:// or none, with a host.
    static bool IsValidProxy(const QString& text);
    // Makes a factory of the process's environment and overrideUrl the application's (Qt owns it).
    static void Install(const QString& overrideUrl);
    // Describe() of the installed factory, or of one made from the environment when none is installed.
    static QString DescribeInstalled(const QUrl& url);

private:
    static bool IsLocal(const QString& host);
    // True when no_proxy names the host of url (and its port, when an entry gives one).
    bool Excepted(const QUrl& url) const;

    PROXY_CHOICE http;
    PROXY_CHOICE https;
    QStringList exceptions;
    QString exceptionsSource;
};

#endif // UTILS_CLASSPROXYFACTORY_H
