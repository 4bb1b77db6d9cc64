#include "TestHttpServer.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace
{
struct Route
{
    std::string body;
    int status = 200;
    std::string contentType = "application/octet-stream";
    int delayMs = 0;
    long long truncateAt = -1;
    std::string redirect;
    int chunkBytes = 0;
    int pauseMs = 0;
};
} // namespace

struct TestHttpServer::Private
{
    httplib::Server server;
    std::thread thread;
    int port = -1;
    mutable std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::map<std::string, Route> routes;
    std::map<std::string, int> counts;

    // Waits for the given time unless the server stops first. False when stopping.
    bool Pause(int milliseconds)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return !stopped.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping; });
    }

    void Handle(const httplib::Request& request, httplib::Response& response)
    {
        Route route;
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++counts[request.path];
            const auto it = routes.find(request.path);
            if (it == routes.end())
            {
                response.status = 404;
                response.set_content("not found", "text/plain");
                return;
            }
            route = it->second;
        }
        if (route.delayMs > 0 && !Pause(route.delayMs))
        {
            response.status = 503;
            return;
        }
        if (!route.redirect.empty())
        {
            response.set_redirect(route.redirect, route.status);
            return;
        }
        response.status = route.status;
        if (route.truncateAt >= 0 || route.chunkBytes > 0)
        {
            Stream(route, response);
            return;
        }
        response.set_content(route.body, route.contentType.c_str());
    }

    void Stream(const Route& route, httplib::Response& response)
    {
        const size_t total = route.body.size();
        const size_t limit =
            route.truncateAt >= 0 ? std::min<size_t>(total, size_t(route.truncateAt)) : total;
        const size_t chunk = route.chunkBytes > 0 ? size_t(route.chunkBytes) : total;
        response.set_content_provider(
            total, route.contentType.c_str(),
            [this, route, limit, chunk](size_t offset, size_t, httplib::DataSink& sink)
            {
                if (offset >= limit)
                {
                    return false; // cut short: the connection closes before the announced length
                }
                if (offset > 0 && route.pauseMs > 0 && !Pause(route.pauseMs))
                {
                    return false;
                }
                const size_t size = std::min(chunk, limit - offset);
                sink.write(route.body.data() + offset, size);
                return true;
            });
    }
};

TestHttpServer::TestHttpServer() : d(new Private) {}

TestHttpServer::~TestHttpServer()
{
    Stop();
}

bool TestHttpServer::Start()
{
    d->server.Get(".*", [this](const httplib::Request& request, httplib::Response& response)
                  { d->Handle(request, response); });
    // A connection closed after a few requests makes a client send the next one again on a new connection
    // (Qt does so for a request it had just sent): the requests counted would depend on timing.
    d->server.set_keep_alive_max_count(100000);
    d->port = d->server.bind_to_any_port("127.0.0.1");
    if (d->port <= 0)
    {
        return false;
    }
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
    while (!d->server.is_running())
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void TestHttpServer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->stopping = true;
    }
    d->stopped.notify_all();
    d->server.stop();
    if (d->thread.joinable())
    {
        d->thread.join();
    }
}

int TestHttpServer::Port() const
{
    return d->port;
}

QString TestHttpServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(path);
}

void TestHttpServer::SetRoute(const QString& path, const QByteArray& body, int status,
                              const QString& contentType)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    Route& route = d->routes[path.toStdString()];
    route.body = body.toStdString();
    route.status = status;
    route.contentType = contentType.toStdString();
}

void TestHttpServer::SetDelay(const QString& path, int milliseconds)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes[path.toStdString()].delayMs = milliseconds;
}

void TestHttpServer::SetTruncated(const QString& path, qint64 bytes)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes[path.toStdString()].truncateAt = bytes;
}

void TestHttpServer::SetRedirect(const QString& path, const QString& target, int status)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    Route& route = d->routes[path.toStdString()];
    route.redirect = target.toStdString();
    route.status = status;
}

void TestHttpServer::SetChunked(const QString& path, int chunkBytes, int pauseMilliseconds)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    Route& route = d->routes[path.toStdString()];
    route.chunkBytes = chunkBytes;
    route.pauseMs = pauseMilliseconds;
}

void TestHttpServer::RemoveRoute(const QString& path)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes.erase(path.toStdString());
}

int TestHttpServer::RequestCount(const QString& path) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto it = d->counts.find(path.toStdString());
    return it == d->counts.end() ? 0 : it->second;
}
