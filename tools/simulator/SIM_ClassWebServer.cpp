#include "SIM_ClassWebServer.h"

#include "SIM_ClassDeviceState.h"
#include "SIM_ClassSessionSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <httplib.h>

#include <cstdio>

#include <sys/socket.h>

const QString CLASS_SIMULATOR_SERVER::BUILT_IN_WEB_ROOT = QStringLiteral(":/ZR_APPS");

namespace
{
// Idle keep-alive connections hold a shutdown back at most this long.
constexpr time_t KEEP_ALIVE_SECONDS = 1;

std::string ContentTypeOf(const QString& path)
{
    static const QHash<QString, std::string> types = {
        {QStringLiteral("html"), "text/html; charset=utf-8"},
        {QStringLiteral("htm"), "text/html; charset=utf-8"},
        {QStringLiteral("css"), "text/css; charset=utf-8"},
        {QStringLiteral("js"), "text/javascript; charset=utf-8"},
        {QStringLiteral("json"), "application/json"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("ico"), "image/x-icon"},
        {QStringLiteral("txt"), "text/plain; charset=utf-8"},
    };
    return types.value(QFileInfo(path).suffix().toLower(), "application/octet-stream");
}

void AnswerJson(httplib::Response& response, const QJsonObject& object, int status = 200)
{
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString(),
                         "application/json");
}

void AnswerError(httplib::Response& response, int status, const QString& text)
{
    AnswerJson(response, QJsonObject{{QStringLiteral("error"), text}}, status);
}

bool ParseBody(const httplib::Request& request, QJsonObject& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
    {
        return false;
    }
    body = document.object();
    return true;
}

bool IsSameText(const std::string& text, const QString& expected)
{
    return QString::fromStdString(text).compare(expected, Qt::CaseInsensitive) == 0;
}

// GET, HEAD and OPTIONS only read; every other method may change the device or end the session.
bool ChangesState(const httplib::Request& request)
{
    return request.method != "GET" && request.method != "HEAD" && request.method != "OPTIONS";
}

// The media type of a Content-Type header, without its parameters ("application/json; charset=utf-8").
QString MediaType(const httplib::Request& request)
{
    return QString::fromStdString(request.get_header_value("Content-Type"))
        .section(QLatin1Char(';'), 0, 0)
        .trimmed()
        .toLower();
}

// Only address reuse: unlike the library's default (port reuse), a port held by another program fails.
void ExclusiveSocketOptions(socket_t socket)
{
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}
} // namespace

CLASS_SIMULATOR_SERVER::CLASS_SIMULATOR_SERVER(const CLASS_SIMULATOR_SETTINGS& sessionSettings,
                                               CLASS_SIMULATOR_DEVICE& simulatedDevice, const QString& root)
    : settings(sessionSettings), device(simulatedDevice), webRoot(root), server(new httplib::Server)
{
    server->set_socket_options(ExclusiveSocketOptions);
    server->set_keep_alive_timeout(KEEP_ALIVE_SECONDS);
    server->set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response)
        {
            const QString refusal = RefusalReason(request);
            if (refusal.isEmpty())
            {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            AnswerError(response, 403, refusal);
            return httplib::Server::HandlerResponse::Handled;
        });
    AddApiRoutes();
    server->Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response)
                { ServeFile(request, response); });
}

CLASS_SIMULATOR_SERVER::~CLASS_SIMULATOR_SERVER() = default;

QString CLASS_SIMULATOR_SERVER::ChooseWebRoot(const QString& sessionFolder)
{
    const QString sessionApps = sessionFolder + QStringLiteral("/ZR_APPS");
    return QFileInfo(sessionApps).isDir() ? sessionApps : BUILT_IN_WEB_ROOT;
}

bool CLASS_SIMULATOR_SERVER::Bind()
{
    return server->bind_to_port("127.0.0.1", settings.Port());
}

int CLASS_SIMULATOR_SERVER::Run()
{
    server->listen_after_bind();
    return exitCode.load();
}

void CLASS_SIMULATOR_SERVER::AddApiRoutes()
{
    server->Get("/api/status",
                [this](const httplib::Request&, httplib::Response& response) { AnswerStatus(response); });
    server->Post(
        "/api/routing",
        [this](const httplib::Request& request, httplib::Response& response)
        {
            QJsonObject body;
            if (!ParseBody(request, body) || !device.Route(body.value(QStringLiteral("output")).toInt(),
                                                           body.value(QStringLiteral("input")).toInt()))
            {
                AnswerError(response, 400, QStringLiteral("expected {\"output\": 1-4, \"input\": 1-4}"));
                return;
            }
            AnswerStatus(response);
        });
    server->Post("/api/testpattern",
                 [this](const httplib::Request& request, httplib::Response& response)
                 {
                     QJsonObject body;
                     if (!ParseBody(request, body) ||
                         !device.SetTestPattern(body.value(QStringLiteral("pattern")).toString()))
                     {
                         AnswerError(response, 400,
                                     QStringLiteral("unknown test pattern; expected one of: ") +
                                         CLASS_SIMULATOR_DEVICE::TestPatterns().join(QStringLiteral(", ")));
                         return;
                     }
                     AnswerStatus(response);
                 });
    server->Post("/api/audio",
                 [this](const httplib::Request& request, httplib::Response& response)
                 {
                     QJsonObject body;
                     if (!ParseBody(request, body) || !body.value(QStringLiteral("embedded")).isBool())
                     {
                         AnswerError(response, 400, QStringLiteral("expected {\"embedded\": true|false}"));
                         return;
                     }
                     if (!device.SetAudioEmbedded(body.value(QStringLiteral("embedded")).toBool()))
                     {
                         AnswerError(response, 409, QStringLiteral("this device has no audio card"));
                         return;
                     }
                     AnswerStatus(response);
                 });
    server->Post("/api/shutdown", [this](const httplib::Request&, httplib::Response& response)
                 { AnswerEnd(response, EXIT_SHUTDOWN, "shutdown"); });
    server->Post("/api/reboot", [this](const httplib::Request&, httplib::Response& response)
                 { AnswerEnd(response, EXIT_REBOOT, "reboot"); });
    server->Get(R"(/api/.*)", [](const httplib::Request&, httplib::Response& response)
                { AnswerError(response, 404, QStringLiteral("no such request")); });
}

QString CLASS_SIMULATOR_SERVER::RefusalReason(const httplib::Request& request) const
{
    // Any web page can send requests to 127.0.0.1. A name that a foreign DNS server resolves to this
    // address (DNS rebinding) arrives with that name as Host: only this device's own addresses are served.
    const std::string host = request.get_header_value("Host");
    const QString portSuffix = QStringLiteral(":%1").arg(settings.Port());
    if (!IsSameText(host, QStringLiteral("127.0.0.1") + portSuffix) &&
        !IsSameText(host, QStringLiteral("localhost") + portSuffix))
    {
        return QStringLiteral("this device answers only at http://127.0.0.1") + portSuffix;
    }
    if (!ChangesState(request))
    {
        return QString();
    }
    // A form or a "simple" request of another site cannot send JSON without the browser asking first,
    // which this server never allows; a request from another page names that page as its Origin.
    if (MediaType(request) != QStringLiteral("application/json"))
    {
        return QStringLiteral("control requests carry application/json");
    }
    if (request.has_header("Origin") && !IsSameText(request.get_header_value("Origin"),
                                                    QStringLiteral("http://") + QString::fromStdString(host)))
    {
        return QStringLiteral("control requests come from this device's own page only");
    }
    return QString();
}

void CLASS_SIMULATOR_SERVER::AnswerStatus(httplib::Response& response) const
{
    QJsonArray cards;
    for (const auto& [name, plugged] : settings.Cards())
    {
        cards.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("plugged"), plugged}});
    }
    QJsonObject status = device.ToJson();
    status.insert(QStringLiteral("state"),
                  exitCode.load() < 0 ? QStringLiteral("running") : QStringLiteral("stopping"));
    status.insert(QStringLiteral("name"), settings.Name());
    status.insert(QStringLiteral("description"), settings.Description());
    status.insert(QStringLiteral("deviceModel"), settings.DeviceModel());
    status.insert(QStringLiteral("deviceType"), settings.DeviceTypeCode());
    status.insert(QStringLiteral("version"), settings.Version());
    status.insert(QStringLiteral("port"), settings.Port());
    status.insert(QStringLiteral("audioCard"), settings.AudioCard());
    status.insert(QStringLiteral("cards"), cards);
    status.insert(QStringLiteral("webApplication"),
                  webRoot == BUILT_IN_WEB_ROOT ? QStringLiteral("built-in") : QStringLiteral("session"));
    AnswerJson(response, status);
}

void CLASS_SIMULATOR_SERVER::AnswerEnd(httplib::Response& response, int code, const char* action)
{
    int running = -1;
    if (!exitCode.compare_exchange_strong(running, code))
    {
        AnswerError(response, 409, QStringLiteral("the device is already stopping"));
        return;
    }
    std::printf("ZR_APP_SIMULATOR: %s requested from the web page\n", action);
    std::fflush(stdout);
    const QJsonObject answer{{QStringLiteral("result"), QString::fromLatin1(action)},
                             {QStringLiteral("exitCode"), code}};
    auto body =
        std::make_shared<std::string>(QJsonDocument(answer).toJson(QJsonDocument::Compact).toStdString());
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    response.set_header("Connection", "close");
    response.set_header("Cache-Control", "no-store");
    // The server stops once the answer has been written, so the page always learns what happens.
    response.set_content_provider(
        body->size(), "application/json",
        [body](size_t offset, size_t length, httplib::DataSink& sink)
        {
            sink.write(body->data() + offset, std::min(length, body->size() - offset));
            return true;
        },
        [this, stopped](bool)
        {
            if (!stopped->exchange(true))
            {
                server->stop();
            }
        });
}

void CLASS_SIMULATOR_SERVER::ServeFile(const httplib::Request& request, httplib::Response& response) const
{
    const QString path = QString::fromStdString(request.path);
    const QStringList segments = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const bool unsafe = path.contains(QLatin1Char('\\')) || path.contains(QChar(0)) ||
                        segments.contains(QStringLiteral("..")) || segments.contains(QStringLiteral("."));
    QString file = webRoot + QLatin1Char('/') + segments.join(QLatin1Char('/'));
    if (!unsafe && QFileInfo(file).isDir())
    {
        if (!path.endsWith(QLatin1Char('/')))
        {
            response.set_redirect(request.path + "/");
            return;
        }
        file += QStringLiteral("/index.html");
    }
    QFile content(file);
    if (unsafe || !QFileInfo(file).isFile() || !content.open(QIODevice::ReadOnly))
    {
        response.status = 404;
        response.set_content("Not found: " + request.path, "text/plain; charset=utf-8");
        return;
    }
    response.set_content(content.readAll().toStdString(), ContentTypeOf(file));
}
