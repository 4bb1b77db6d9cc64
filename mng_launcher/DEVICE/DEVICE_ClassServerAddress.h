#ifndef DEVICE_CLASSSERVERADDRESS_H
#define DEVICE_CLASSSERVERADDRESS_H

#include <QString>

// Where the launcher finds the maker's update server. The built-in address is chosen at configure time;
// the TARVO_UPDATE_SERVER environment variable overrides it and --update-server overrides both. The
// server paths are appended to the address. The reachability probe asks the server's root unless
// TARVO_PROBE_URL (environment, else configure time) names another address.
class CLASS_SERVER_ADDRESS
{
public:
    static const char* const SERVER_VARIABLE;
    static const char* const PROBE_VARIABLE;

    // The address compiled in.
    static QString BuiltInServer();
    // True for an absolute http or https address with a host and without a query or a fragment (the
    // server paths are appended to it).
    static bool IsValid(const QString& url);
    // Sets the address given on the command line (an empty text clears it). False, and nothing changed,
    // for an address IsValid refuses.
    static bool SetServer(const QString& url);

    // The address in use, without a trailing slash: the command line's, else the environment's when
    // valid, else the built-in one.
    static QString Server();
    // The address chosen for this process (the command line's, else the environment's when valid); empty
    // when the built-in one is in use.
    static QString ChosenServer();
    static QString ProbeUrl();
    static QString CatalogueUrl();
    static QString PackagesUrl();
    static QString VersionFileUrl();

private:
    static QString& CommandLineServer();
};

#endif // DEVICE_CLASSSERVERADDRESS_H
