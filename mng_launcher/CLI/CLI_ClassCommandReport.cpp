#include "CLI/CLI_ClassCommandReport.h"

#include "CLI/CLI_TerminalText.h"
#include "DEVICE/DEVICE_Helpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{
QString Document(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QString YesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}
} // namespace

QString CLASS_COMMAND_REPORT::Sessions(const QList<CLI_SESSION_INFO>& sessions, bool json)
{
    if (json)
    {
        QJsonArray list;
        for (const CLI_SESSION_INFO& info : sessions)
        {
            list.append(QJsonObject{{QStringLiteral("folder"), info.folder},
                                    {QStringLiteral("name"), info.name},
                                    {QStringLiteral("description"), info.description},
                                    {QStringLiteral("model"), info.model},
                                    {QStringLiteral("version"), info.version},
                                    {QStringLiteral("installed"), info.installed},
                                    {QStringLiteral("port"), info.port},
                                    {QStringLiteral("running"), info.running}});
        }
        return Document(QJsonObject{{QStringLiteral("sessions"), list}});
    }
    QString text;
    for (const CLI_SESSION_INFO& info : sessions)
    {
        text +=
            QStringLiteral("%1\n  name: %2\n  description: %3\n  model: %4\n  version: %5 (installed: %6)\n"
                           "  port: %7\n  running: %8\n")
                .arg(OneLineValue(info.folder), OneLineValue(info.name), OneLineValue(info.description),
                     OneLineValue(info.model), OneLineValue(info.version), YesNo(info.installed))
                .arg(info.port)
                .arg(YesNo(info.running));
    }
    return text.isEmpty() ? QStringLiteral("No session.\n") : text;
}

QString CLASS_COMMAND_REPORT::Packages(const QList<CLI_PACKAGE_INFO>& packages, int compatibility, bool json)
{
    if (json)
    {
        QJsonArray list;
        for (const CLI_PACKAGE_INFO& package : packages)
        {
            list.append(QJsonObject{{QStringLiteral("version"), package.version},
                                    {QStringLiteral("installed"), package.installed},
                                    {QStringLiteral("folder"), package.folder},
                                    {QStringLiteral("trust"), package.trust}});
        }
        return Document(QJsonObject{{QStringLiteral("compatibility"), compatibility},
                                    {QStringLiteral("packages"), list}});
    }
    QString text;
    for (const CLI_PACKAGE_INFO& package : packages)
    {
        text += QStringLiteral("%1  %2  %3  %4\n")
                    .arg(OneLineValue(package.version), -12)
                    .arg(package.installed ? QStringLiteral("installed") : QStringLiteral("-"), -9)
                    .arg(package.trust, -8)
                    .arg(OneLineValue(package.folder));
    }
    return text;
}

QString CLASS_COMMAND_REPORT::Status(const QString& launcher, const QList<CLI_SESSION_INFO>& running,
                                     bool json)
{
    if (json)
    {
        QJsonArray list;
        for (const CLI_SESSION_INFO& info : running)
        {
            list.append(QJsonObject{{QStringLiteral("folder"), info.folder},
                                    {QStringLiteral("name"), info.name},
                                    {QStringLiteral("port"), info.port},
                                    {QStringLiteral("url"), SessionWebUrl(info.port)}});
        }
        return Document(
            QJsonObject{{QStringLiteral("launcher"), launcher}, {QStringLiteral("running"), list}});
    }
    QString text = QStringLiteral("Launcher: %1\n").arg(OneLineValue(launcher));
    if (running.isEmpty())
    {
        return text + QStringLiteral("No session is running.\n");
    }
    for (const CLI_SESSION_INFO& info : running)
    {
        text += QStringLiteral("Running: %1 (%2) at %3\n")
                    .arg(OneLineValue(info.folder), OneLineValue(info.name), SessionWebUrl(info.port));
    }
    return text;
}
