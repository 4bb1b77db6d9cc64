// tarvo-update-server: serves a local copy of the maker's update web server (package catalogue, package
// archives, launcher version file) on 127.0.0.1, logging every request on standard output ("GET <path>
// <status> <body bytes sent>"). Files are streamed from disk and can be asked for in ranges (see
// ContentFiles.h), so that a download cut short can be resumed.
//   tarvo-update-server [--port N] [--content DIR]
// --port 0 takes any free port; the first line printed names the address in use.

#include "ContentFiles.h"

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int DEFAULT_PORT = 8470;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_PORT_TAKEN = 3;
// An idle keep-alive connection holds a stop request back at most this long.
constexpr time_t KEEP_ALIVE_SECONDS = 1;

bool IsFolder(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The build's content folder, or, for an installed copy whose build folder is gone, the content installed
// beside it in <prefix>/share/tarvo4ksimulator/update-server-content.
std::string DefaultContent()
{
    if (IsFolder(TARVO_UPDATE_SERVER_CONTENT))
    {
        return TARVO_UPDATE_SERVER_CONTENT;
    }
    char executable[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof(executable) - 1);
    if (length <= 0)
    {
        return TARVO_UPDATE_SERVER_CONTENT;
    }
    std::string folder(executable, static_cast<size_t>(length));
    folder.erase(folder.find_last_of('/'));
    const std::string installed = folder + "/../share/tarvo4ksimulator/update-server-content";
    return IsFolder(installed) ? installed : TARVO_UPDATE_SERVER_CONTENT;
}

struct Options
{
    int port = DEFAULT_PORT;
    std::string content = DefaultContent();
};

int Usage(const char* problem)
{
    std::fprintf(stderr, "tarvo-update-server: %s\nusage: tarvo-update-server [--port N] [--content DIR]\n",
                 problem);
    return EXIT_USAGE;
}

bool ParsePort(const char* text, int& port)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 65535)
    {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

// Returns 0 when the command line is good, else the exit code after the message.
int ParseArguments(int argc, char* argv[], Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--port" && hasValue)
        {
            if (!ParsePort(argv[++i], options.port))
            {
                return Usage("--port needs a number from 0 to 65535");
            }
        }
        else if (argument == "--content" && hasValue)
        {
            options.content = argv[++i];
        }
        else
        {
            return Usage(("unknown or incomplete argument: " + argument).c_str());
        }
    }
    if (!IsFolder(options.content))
    {
        return Usage(("content folder not found: " + options.content).c_str());
    }
    return 0;
}

// Only address reuse: a second server on a port in use fails instead of sharing it.
void ExclusiveSocketOptions(socket_t socket)
{
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

CONTENT_FILES ContentFiles(const std::string& content)
{
    CONTENT_FILES files(content);
    const char* const types[][2] = {{"ini", "text/plain; charset=utf-8"},
                                    {"sha256", "text/plain; charset=utf-8"},
                                    {"txt", "text/plain; charset=utf-8"},
                                    {"json", "application/json"},
                                    {"zip", "application/zip"},
                                    {"html", "text/html; charset=utf-8"},
                                    {"css", "text/css"},
                                    {"js", "text/javascript"},
                                    {"svg", "image/svg+xml"},
                                    {"png", "image/png"}};
    for (const auto& type : types)
    {
        files.SetMimeType(type[0], type[1]);
    }
    return files;
}

void SetUpRoutes(httplib::Server& server, const std::string& content)
{
    server.Get(".*",
               [files = ContentFiles(content)](const httplib::Request& request, httplib::Response& response)
               {
                   if (files.Serve(request, response))
                   {
                       return;
                   }
                   // The root answers even without an index page: the launcher asks it whether it is online.
                   if (CONTENT_FILES::PathOf(request) == "/")
                   {
                       response.set_content("Tarvo update server\n", "text/plain; charset=utf-8");
                       return;
                   }
                   response.status = 404;
               });
    server.set_error_handler(
        [](const httplib::Request& request, httplib::Response& response)
        {
            if (response.body.empty())
            {
                response.set_content(std::to_string(response.status) + " " + request.path + "\n",
                                     "text/plain; charset=utf-8");
            }
        });
    static std::mutex logMutex;
    server.set_logger(
        [](const httplib::Request& request, const httplib::Response& response)
        {
            const long long sent = CONTENT_FILES::TakeBytesSent();
            std::lock_guard<std::mutex> lock(logMutex);
            std::printf("%s %s %d %lld\n", request.method.c_str(), request.path.c_str(), response.status,
                        sent >= 0 ? sent : static_cast<long long>(response.body.size()));
            std::fflush(stdout);
        });
}
} // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (const int problem = ParseArguments(argc, argv, options))
    {
        return problem;
    }

    // SIGINT and SIGTERM are taken by one waiting thread (every thread started later inherits the mask),
    // which stops the server; listen then returns and the program ends normally.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    server.set_socket_options(ExclusiveSocketOptions);
    server.set_keep_alive_timeout(KEEP_ALIVE_SECONDS);
    SetUpRoutes(server, options.content);
    int port = options.port;
    if (port == 0)
    {
        port = server.bind_to_any_port("127.0.0.1");
    }
    else if (!server.bind_to_port("127.0.0.1", port))
    {
        port = -1;
    }
    if (port <= 0)
    {
        std::fprintf(stderr, "tarvo-update-server: port %d on 127.0.0.1 is already in use\n", options.port);
        return EXIT_PORT_TAKEN;
    }
    std::printf("tarvo-update-server: serving %s on http://127.0.0.1:%d\n", options.content.c_str(), port);
    std::fflush(stdout);

    std::thread(
        [&server, stopSignals]()
        {
            int received = 0;
            sigwait(&stopSignals, &received);
            std::printf("tarvo-update-server: %s received, stopping\n",
                        received == SIGINT ? "SIGINT" : "SIGTERM");
            std::fflush(stdout);
            server.stop();
        })
        .detach();

    server.listen_after_bind();
    std::printf("tarvo-update-server: stopped\n");
    std::fflush(stdout);
    return 0;
}
