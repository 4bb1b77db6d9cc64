#include "E2eWorld.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "GUI/GUI_ClassLauncherWindow.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTcpServer>
#include <QTest>

namespace
{
constexpr int SERVER_START_MS = 10000;
constexpr int SERVER_STOP_MS = 5000;
constexpr int TOOL_MS = 10000;
const QString CATALOGUE_PATH = QStringLiteral("/~ftp-xml/tarvo4ksimulator/tarvo4kpackages.ini");
const QString PACKAGES_PATH = QStringLiteral("/~ftp-xml/tarvo4ksimulator/");
const QString VERSION_FILE_PATH = QStringLiteral("/~ftp-xml/ruvoraduridedi.json");

// Reads the server's first line, "... on http://127.0.0.1:<port>"; 0 when it did not come in time.
int ReadServerPort(QProcess& server)
{
    const QDeadlineTimer deadline(SERVER_START_MS);
    if (!server.waitForStarted(SERVER_START_MS))
    {
        return 0;
    }
    while (!server.canReadLine() && !deadline.hasExpired() && server.state() == QProcess::Running)
    {
        server.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    }
    const QString line = QString::fromUtf8(server.readLine());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)")).match(line);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

E2E_REPLY Exchange(const QString& url, bool post, int timeoutMs)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply* reply = post ? manager.post(request, QByteArray("{}")) : manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
    {
        loop.exec();
    }
    E2E_REPLY answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    delete reply;
    return answer;
}
} // namespace

E2E_WORLD::E2E_WORLD() = default;

E2E_WORLD::~E2E_WORLD()
{
    if (server.state() != QProcess::NotRunning)
    {
        server.terminate();
        if (!server.waitForFinished(SERVER_STOP_MS))
        {
            server.kill();
            server.waitForFinished(SERVER_STOP_MS);
        }
    }
}

bool E2E_WORLD::Start(QString& error)
{
    // The test program's name must not occur in the path: the sessions root drops every occurrence of it.
    folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tarvo-walk-XXXXXX"));
    if (!folder->isValid() || !QDir().mkpath(AppFolder()) || !QDir().mkpath(SessionsRoot()) ||
        !QDir().mkpath(ExportFolder()) || !QDir().mkpath(Home()))
    {
        error = QStringLiteral("temporary folders could not be made");
        return false;
    }
    server.setProcessChannelMode(QProcess::SeparateChannels);
    server.setStandardErrorFile(folder->path() + QStringLiteral("/update-server.err"));
    server.start(QStringLiteral(UPDATE_SERVER_PROGRAM),
                 {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--content"),
                  QStringLiteral(UPDATE_SERVER_CONTENT)});
    port = ReadServerPort(server);
    if (port <= 0)
    {
        error = QStringLiteral("the update server did not start: ") + server.errorString();
        return false;
    }
    // Whatever else the server prints is read away, so that it never waits on a full pipe.
    QObject::connect(&server, &QProcess::readyReadStandardOutput, &server,
                     [this]() { server.readAllStandardOutput(); });
    return true;
}

QString E2E_WORLD::Home() const
{
    return folder->path() + QStringLiteral("/home");
}

QString E2E_WORLD::AppFolder() const
{
    return folder->path() + QStringLiteral("/app");
}

QString E2E_WORLD::SessionsRoot() const
{
    return folder->path() + QStringLiteral("/sessions/");
}

QString E2E_WORLD::ExportFolder() const
{
    return folder->path() + QStringLiteral("/exports");
}

QString E2E_WORLD::ServerUrl(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port) + path;
}

void E2E_WORLD::PointLauncherHere() const
{
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = AppFolder();
    locations.sessionsRoot = SessionsRoot();
    locations.catalogueUrl = ServerUrl(CATALOGUE_PATH);
    // The local update server's content is signed with its test key: the launcher is given its public key,
    // and keeps what it accepts in this world's own trust folder.
    QFile publicKey(QStringLiteral(UPDATE_SERVER_PUBLIC_KEY));
    const QStringList trustedKeys{
        QString::fromUtf8(publicKey.open(QIODevice::ReadOnly) ? publicKey.readAll() : QByteArray())};
    locations.trustFolder = folder->path() + QStringLiteral("/trust");
    locations.trustedKeys = trustedKeys;
    PACKAGE_MANAGER_OPTIONS packages;
    packages.packagesUrl = ServerUrl(PACKAGES_PATH);
    packages.probeUrl = ServerUrl(QStringLiteral("/"));
    packages.trustFolder = locations.trustFolder;
    packages.trustedKeys = trustedKeys;
    CLASS_LAUNCHER_WINDOW::SetLocations(locations, packages, ServerUrl(VERSION_FILE_PATH));
}

E2E_REPLY HttpGet(const QString& url, int timeoutMs)
{
    return Exchange(url, false, timeoutMs);
}

E2E_REPLY HttpPost(const QString& url, int timeoutMs)
{
    return Exchange(url, true, timeoutMs);
}

bool PortFree(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress(QHostAddress::LocalHost), port);
}

QStringList ArchiveEntries(const QString& archive)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    if (!unzip.waitForFinished(TOOL_MS) || unzip.exitCode() != 0)
    {
        return {};
    }
    return QString::fromUtf8(unzip.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void ClickCheckBox(QCheckBox* box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect area = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, area.center());
}

void ReplaceText(QWidget* editor, const QString& text)
{
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, text);
}

bool PickWithKeys(QComboBox* combo, const QString& text)
{
    const int target = combo->findText(text, Qt::MatchExactly);
    if (target < 0 || !combo->isEnabled())
    {
        return false;
    }
    const Qt::Key key = target < combo->currentIndex() ? Qt::Key_Up : Qt::Key_Down;
    for (int step = 0; step < combo->count() && combo->currentIndex() != target; ++step)
    {
        QTest::keyClick(combo, key);
    }
    return combo->currentIndex() == target;
}
