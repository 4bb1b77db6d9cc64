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
    std::string etag;
    TestHttpServer::RANGES ranges = TestHttpServer::RANGES::Honour;
};

constexpr int PARTIAL_CONTENT = 206;
constexpr int RANGE_NOT_SATISFIABLE = 416;

// <first> of "Range: bytes=<first>-"; -1 for no range, or one of another form.
long long RangeStart(const httplib::Request& request)
{
    const std::string range = request.get_header_value("Range");
    const std::string prefix = "bytes=";
    if (range.compare(0, prefix.size(), prefix) != 0 || range.empty() || range.back() != '-')
    {
        return -1;
    }
    const std::string digits = range.substr(prefix.size(), range.size() - prefix.size() - 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
    {
        return -1;
    }
    return std::stoll(digits);
}
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
    std::map<std::string, httplib::Headers> lastHeaders;
    std::map<std::string, long long> bytesSent;
    int streaming = 0;

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
            lastHeaders[request.path] = request.headers;
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
        if (!route.etag.empty())
        {
            response.set_header("ETag", route.etag);
        }
        // The server answers ranges itself, as the route says: the library's own handling stays out.
        const_cast<httplib::Request&>(request).ranges.clear();
        const long long first = RangeStart(request);
        const std::string ifRange = request.get_header_value("If-Range");
        std::string body = route.body;
        if (first >= 0 && (ifRange.empty() || ifRange == route.etag))
        {
            body = AnswerRange(route, static_cast<size_t>(first), response);
        }
        if (route.truncateAt >= 0 || route.chunkBytes > 0)
        {
            Stream(route, body, request.path, response);
            return;
        }
        Count(request.path, body.size());
        response.set_content(body, route.contentType.c_str());
    }

    // Sets the status and Content-Range of an answer to "bytes=<first>-"; returns the body it sends.
    static std::string AnswerRange(const Route& route, size_t first, httplib::Response& response)
    {
        const std::string length = std::to_string(route.body.size());
        const std::string last = std::to_string(route.body.empty() ? 0 : route.body.size() - 1);
        TestHttpServer::RANGES answer = route.ranges;
        if (answer == TestHttpServer::RANGES::Honour && first >= route.body.size())
        {
            answer = TestHttpServer::RANGES::Unsatisfiable;
        }
        switch (answer)
        {
        case TestHttpServer::RANGES::Honour:
            response.status = PARTIAL_CONTENT;
            response.set_header("Content-Range",
                                "bytes " + std::to_string(first) + "-" + last + "/" + length);
            return route.body.substr(first);
        case TestHttpServer::RANGES::WrongOffset:
            response.status = PARTIAL_CONTENT;
            response.set_header("Content-Range", "bytes 0-" + last + "/" + length);
            return route.body;
        case TestHttpServer::RANGES::Unsatisfiable:
            response.status = RANGE_NOT_SATISFIABLE;
            response.set_header("Content-Range", "bytes */" + length);
            return std::string();
        case TestHttpServer::RANGES::Ignore:
            break;
        }
        return route.body;
    }

    void Count(const std::string& path, size_t bytes)
    {
        std::lock_guard<std::mutex> lock(mutex);
        bytesSent[path] += static_cast<long long>(bytes);
    }

    void Stream(const Route& route, const std::string& body, const std::string& path,
                httplib::Response& response)
    {
        const size_t total = body.size();
        const size_t limit =
            route.truncateAt >= 0 ? std::min<size_t>(total, size_t(route.truncateAt)) : total;
        const size_t chunk = route.chunkBytes > 0 ? size_t(route.chunkBytes) : total;
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++streaming;
        }
        response.set_content_provider(
            total, route.contentType.c_str(),
            [this, route, body, path, limit, chunk](size_t offset, size_t, httplib::DataSink& sink)
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
                if (!sink.write(body.data() + offset, size))
                {
                    return false;
                }
                Count(path, size);
                return true;
            },
            // Released with the answer, after its last write (or failed write).
            [this](bool)
            {
                std::lock_guard<std::mutex> lock(mutex);
                --streaming;
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
    // Connections stay open for the whole test, so that no request is sent again because the server closed
    // its connection. (Qt 5.15 may still send a request that got a redirect twice: count such addresses
    // with care.)
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

void TestHttpServer::SetETag(const QString& path, const QByteArray& etag)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes[path.toStdString()].etag = etag.toStdString();
}

void TestHttpServer::SetRanges(const QString& path, RANGES answer)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->routes[path.toStdString()].ranges = answer;
}

QByteArray TestHttpServer::LastRequestHeader(const QString& path, const QByteArray& name) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto it = d->lastHeaders.find(path.toStdString());
    if (it == d->lastHeaders.end())
    {
        return QByteArray();
    }
    const auto header = it->second.find(name.toStdString());
    return header == it->second.end() ? QByteArray() : QByteArray::fromStdString(header->second);
}

qint64 TestHttpServer::BytesSent(const QString& path) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto it = d->bytesSent.find(path.toStdString());
    return it == d->bytesSent.end() ? 0 : it->second;
}

int TestHttpServer::StreamsInProgress() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->streaming;
}

int TestHttpServer::RequestCount(const QString& path) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    const auto it = d->counts.find(path.toStdString());
    return it == d->counts.end() ? 0 : it->second;
}
