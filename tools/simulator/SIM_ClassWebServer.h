#ifndef SIM_CLASSWEBSERVER_H
#define SIM_CLASSWEBSERVER_H

#include <QString>

#include <atomic>
#include <memory>
#include <string>

class CLASS_SIMULATOR_SETTINGS;
class CLASS_SIMULATOR_DEVICE;

namespace httplib
{
class Server;
struct Request;
struct Response;
} // namespace httplib

// The simulated device's web server on 127.0.0.1:PORT: the web application's files, the JSON status
// and the control requests of the page, including shut down (exit code 0) and reboot (exit code 1).
class CLASS_SIMULATOR_SERVER
{
public:
    static constexpr int EXIT_SHUTDOWN = 0;
    static constexpr int EXIT_REBOOT = 1;
    // Built-in copy of the web application, compiled into the program.
    static const QString BUILT_IN_WEB_ROOT;

    CLASS_SIMULATOR_SERVER(const CLASS_SIMULATOR_SETTINGS& settings, CLASS_SIMULATOR_DEVICE& device,
                           const QString& webRoot);
    ~CLASS_SIMULATOR_SERVER();

    // The session's own ZR_APPS folder when it exists, else the built-in copy.
    static QString ChooseWebRoot(const QString& sessionFolder);

    // Takes 127.0.0.1 on the session's port. False when another program holds it.
    bool Bind();
    // Serves until the page asks for a shutdown or a reboot; returns the matching exit code.
    int Run();

private:
    // Empty when the request may be answered; else why it is refused (403, nothing changes).
    QString RefusalReason(const httplib::Request& request) const;
    void AddApiRoutes();
    void AnswerStatus(httplib::Response& response) const;
    void AnswerEnd(httplib::Response& response, int code, const char* action);
    void ServeFile(const httplib::Request& request, httplib::Response& response) const;

    const CLASS_SIMULATOR_SETTINGS& settings;
    CLASS_SIMULATOR_DEVICE& device;
    const QString webRoot;
    std::unique_ptr<httplib::Server> server;
    std::atomic<int> exitCode{-1};
};

#endif // SIM_CLASSWEBSERVER_H
