#ifndef CLI_CLASSCOMMANDREPORT_H
#define CLI_CLASSCOMMANDREPORT_H

#include "CLI/CLI_ClassSessionDirectory.h"

#include <QList>
#include <QString>

// One package of the catalogue as --packages shows it.
struct CLI_PACKAGE_INFO
{
    QString version;
    bool installed = false;
    QString folder; // where the package is (or would be) installed
    QString trust;  // "signed", "checksum" or "none" (CLASS_TRUST_STORE::TRUST_...)
};

// The output of the reading commands: plain text for people, or one JSON document with stable keys
// (described in the README) for scripts.
class CLASS_COMMAND_REPORT
{
public:
    // --list: {"sessions": [{"folder", "name", "description", "model", "version", "installed", "port",
    // "running"}]}
    static QString Sessions(const QList<CLI_SESSION_INFO>& sessions, bool json);
    // --packages: {"compatibility": n, "packages": [{"version", "installed", "folder", "trust"}]}
    static QString Packages(const QList<CLI_PACKAGE_INFO>& packages, int compatibility, bool json);
    // --status: {"launcher": "window" | "headless" | "none", "running": [{"folder", "name", "port", "url"}]}
    static QString Status(const QString& launcher, const QList<CLI_SESSION_INFO>& running, bool json);
};

#endif // CLI_CLASSCOMMANDREPORT_H
