#include "BackEndFixture.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassGlobalSession.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_MessageBox.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

BackEndFixture::BackEndFixture()
{
    QDir(temp.path()).mkpath(QStringLiteral("app"));
}

BackEndFixture::~BackEndFixture()
{
    Destroy();
}

void BackEndFixture::StartTracing(const QString& logFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    CLASS_MESSAGE_BOX::SetAutoAnswer(true);
    QDir().mkpath(logFolder);
    CreateTracesWorker(QStringLiteral("Tarvo4kSimulator"), QDir(logFolder), nullptr, nullptr, nullptr, 0);
    EnableTraces();
}

bool BackEndFixture::InstallPackage(const QString& version, const QByteArray& script)
{
    const QString package = AppFolder() + QLatin1Char('/') + PackageFolderName(version);
    QDir dir;
    if (!dir.mkpath(package + QStringLiteral("/ressources/ZR_APPS")) ||
        !dir.mkpath(package + QStringLiteral("/bin")))
    {
        return false;
    }
    QFile page(package + QStringLiteral("/ressources/ZR_APPS/index.html"));
    if (!page.open(QIODevice::WriteOnly) || page.write("<html>" + version.toUtf8() + "</html>") < 0)
    {
        return false;
    }
    if (script.isEmpty())
    {
        return true;
    }
    QFile program(package + QStringLiteral("/bin/ZR_APP_SIMULATOR"));
    const QByteArray text =
        "#!/bin/sh\necho \"$0|$#|$1\" >> '" + RecordFile().toUtf8() + "'\n" + script + "\n";
    if (!program.open(QIODevice::WriteOnly) || program.write(text) != text.size())
    {
        return false;
    }
    program.close();
    return program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool BackEndFixture::InstallProgram(const QString& version, const QString& program)
{
    if (!InstallPackage(version, QByteArray()))
    {
        return false;
    }
    return QFile::copy(program, AppFolder() + QLatin1Char('/') + PackageFolderName(version) +
                                    QStringLiteral("/bin/ZR_APP_SIMULATOR"));
}

bool BackEndFixture::WriteCatalogue(const QStringList& versions)
{
    QDir().mkpath(SessionsRoot());
    QSettings catalogue(SessionsRoot() + QStringLiteral("tarvo4kpackages.ini"), QSettings::IniFormat);
    for (const QString& version : versions)
    {
        catalogue.setValue(PackageFolderName(version), version);
    }
    catalogue.sync();
    return catalogue.status() == QSettings::NoError;
}

TARVO_VERSION_INFO_LOCATIONS BackEndFixture::Locations() const
{
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = AppFolder();
    locations.sessionsRoot = SessionsRoot();
    locations.catalogueUrl = QStringLiteral("http://127.0.0.1:%1/tarvo4kpackages.ini").arg(FreePort());
    locations.transferTimeoutMs = 3000;
    return locations;
}

void BackEndFixture::Build(const QString& catalogueUrl)
{
    window = new CLASS_MAIN_WINDOW();
    window->resize(1000, 700);
    window->show();
    TARVO_VERSION_INFO_LOCATIONS locations = Locations();
    if (!catalogueUrl.isEmpty())
    {
        locations.catalogueUrl = catalogueUrl;
    }
    backEnd = new CLASS_MAIN_BACKEND(window, nullptr, locations);
}

void BackEndFixture::Destroy()
{
    delete backEnd;
    backEnd = nullptr;
    delete window;
    window = nullptr;
    // Panels and cards scheduled for deletion go now, before the next test builds its own.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPushButton* BackEndFixture::Button(const QString& objectName) const
{
    return window->findChild<QPushButton*>(objectName);
}

void BackEndFixture::Click(const QString& objectName) const
{
    QTest::mouseClick(Button(objectName), Qt::LeftButton);
}

CLASS_SESSION_WIDGET* BackEndFixture::Card(int index) const
{
    return window->GetSessionWidget(index);
}

CLASS_GLOBAL_SETUP* BackEndFixture::Panel(int index) const
{
    auto* panel = dynamic_cast<CLASS_GLOBAL_SETUP*>(backEnd->GetSetupPanel(index));
    // A panel never shown waits with its widgets; the tests reach into them.
    if (panel != nullptr)
    {
        panel->BuildPanel();
    }
    return panel;
}

void BackEndFixture::SelectCard(int index) const
{
    QTest::mouseClick(Card(index), Qt::LeftButton);
}

int BackEndFixture::CreateAndSaveSession() const
{
    const int count = backEnd->GetSessionCount();
    Click(QStringLiteral("createSessionButton"));
    [&]()
    {
        QTRY_COMPARE(backEnd->GetSessionCount(), count + 1);
        QTRY_VERIFY(Button(QStringLiteral("saveButton"))->isEnabled());
    }();
    const int port = FreePort();
    Panel(count)->findChild<QSpinBox*>(QStringLiteral("portEditor"))->setValue(port);
    Click(QStringLiteral("saveButton"));
    return port;
}

QStringList BackEndFixture::SessionFolders() const
{
    return QDir(SessionsRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList BackEndFixture::Runs() const
{
    QFile file(RecordFile());
    if (!file.open(QIODevice::ReadOnly))
    {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString IniValue(const QString& file, const QString& key)
{
    return QSettings(file, QSettings::IniFormat).value(key).toString();
}
