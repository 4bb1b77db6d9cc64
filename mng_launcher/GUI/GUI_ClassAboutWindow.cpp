#include "GUI/GUI_ClassAboutWindow.h"

#include "PLATFORM/PLATFORM_Files.h"

#include "GUI/GUI_DialogKeys.h"
#include "GUI/GUI_OpenAddress.h"
#include "GUI/GUI_SharpPixmap.h"
#include "GUI/GUI_Theme.h"
#include "LauncherVersion.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPixmap>
#include <QSpacerItem>
#include <QUrl>

namespace
{
const QString APPLICATION_VERSION = QStringLiteral(TARVO_LAUNCHER_VERSION);
const QString WINDOW_TITLE = QStringLiteral("About ") + QStringLiteral("Tarvo 4k Simulator");
const QString LOGO_RESOURCE = QStringLiteral(":/LOGO/logo-Tarvo-4k-Simulator.svg");
const QString LICENCE_RESOURCE = QStringLiteral(":/Licenses/ZR_EULA.html");
const QString LICENCE_FILE_NAME = QStringLiteral("ZR_EULA.html");
const QString HEADING_STYLE = QStringLiteral("font-weight: bold; font-size: 15px;");
const QString CAPTION_STYLE = QStringLiteral("color: #B3000000;");
// The links take the theme's link colour: black had 1.9:1 contrast on the window's SLATE_GREY_600.
const QString LINK_SPAN = QStringLiteral("<span style=\" text-decoration: underline; color:%1;\">")
                              .arg(LinkColour().name().toUpper());
const QString QT_LICENCE_PAGE = QStringLiteral("https://doc.qt.io/qt-5/lgpl.html");
constexpr int MAKER_FIRST_YEAR = 2004;

// The compiler's date and time stamps of this unit, for example "Oct  2 2023 15:57:16".
QString BuildDateTime()
{
    return QStringLiteral(__DATE__) + QLatin1Char(' ') + QStringLiteral(__TIME__);
}

QString LibraryText()
{
    return QStringLiteral("Based on <a href=\"") + QT_LICENCE_PAGE + QStringLiteral("\">") + LINK_SPAN +
           QStringLiteral("Qt5 (") + QStringLiteral(QT_VERSION_STR) + QStringLiteral(") Library</span></a>");
}

QSpacerItem* VerticalSpacer()
{
    return new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

// The links open with the system's handler; when it cannot open them, a box tells their address.
void ShowRichTextWithLinks(QLabel& label)
{
    label.setTextFormat(Qt::RichText);
    label.setTextInteractionFlags(Qt::TextBrowserInteraction);
    label.setOpenExternalLinks(false);
    QObject::connect(&label, &QLabel::linkActivated, &label,
                     [&label](const QString& link)
                     { OpenAddress(label.window(), QUrl(link), LINK_NOT_OPENED_TEXT); });
}
} // namespace

CLASS_ABOUT_WINDOW::CLASS_ABOUT_WINDOW(QWidget* parent)
    : QWidget(parent), versionHeading(QStringLiteral("Version information")),
      versionCaption(QStringLiteral("Version ")), versionValue(APPLICATION_VERSION),
      buildCaption(QStringLiteral("Built on ")), buildValue(BuildDateTime()),
      libraryHeading(QStringLiteral("Libraries information")), libraryLine(LibraryText()),
      closeButton(QStringLiteral("Close"))
{
    const int year = QDate::currentDate().year();
    makerLine.setText(
        QStringLiteral("Vorntal %1 - %2, video processing you can rely on.").arg(MAKER_FIRST_YEAR).arg(year));
    rightsNotice.setText(QStringLiteral("Copyright (c) %1 Vorntal. All rights reserved.").arg(year));

    versionValue.setObjectName(QStringLiteral("versionValue"));
    buildValue.setObjectName(QStringLiteral("buildValue"));
    libraryLine.setObjectName(QStringLiteral("libraryLine"));
    makerLine.setObjectName(QStringLiteral("makerLine"));
    rightsNotice.setObjectName(QStringLiteral("rightsNotice"));
    licenceLink.setObjectName(QStringLiteral("licenceLink"));
    logo.setObjectName(QStringLiteral("logo"));
    closeButton.setObjectName(QStringLiteral("closeButton"));
    for (QLabel* label : {&versionHeading, &versionCaption, &versionValue, &buildCaption, &buildValue,
                          &libraryHeading, &makerLine, &rightsNotice})
    {
        label->setTextFormat(Qt::PlainText);
    }

    setWindowFlags((windowFlags() & ~Qt::WindowMaximizeButtonHint) | Qt::CustomizeWindowHint);
    setWindowTitle(WINDOW_TITLE);
    setLayout(&outerLayout);
    BuildMainColumn();
    outerLayout.addLayout(&mainColumn);

    PrepareLicencePage();
    licenceLink.setText(
        QStringLiteral("<a href=\"%1\">")
            .arg(QUrl::fromLocalFile(LicencePagePath()).toString(QUrl::FullyEncoded).toHtmlEscaped()) +
        LINK_SPAN + QStringLiteral(" View License</span></a>"));

    // Close hides the window: it belongs to the launcher window for the whole run.
    connect(&closeButton, &QPushButton::clicked, this, &QWidget::close);
    closeButton.setDefault(true);
}

CLASS_ABOUT_WINDOW::~CLASS_ABOUT_WINDOW() = default;

QString CLASS_ABOUT_WINDOW::LicencePagePath()
{
    const QString folder = PLATFORM::PrivatePageFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + LICENCE_FILE_NAME;
}

void CLASS_ABOUT_WINDOW::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, this, &closeButton, &closeButton))
    {
        QWidget::keyPressEvent(event);
    }
}

void CLASS_ABOUT_WINDOW::BuildMainColumn()
{
    const QPixmap logoPixmap = SharpPixmap(LOGO_RESOURCE, QSize(180, 25));
    if (!logoPixmap.isNull())
    {
        logo.setPixmap(logoPixmap);
    }
    mainColumn.addWidget(&logo);

    versionHeading.setStyleSheet(HEADING_STYLE);
    mainColumn.addWidget(&versionHeading);
    versionCaption.setStyleSheet(CAPTION_STYLE);
    buildCaption.setStyleSheet(CAPTION_STYLE);
    versionGrid.addWidget(&versionCaption, 0, 0);
    versionGrid.addWidget(&versionValue, 0, 1);
    versionGrid.addWidget(&buildCaption, 1, 0);
    versionGrid.addWidget(&buildValue, 1, 1);
    mainColumn.addLayout(&versionGrid);
    mainColumn.addSpacerItem(VerticalSpacer());

    libraryHeading.setStyleSheet(HEADING_STYLE);
    mainColumn.addWidget(&libraryHeading);
    ShowRichTextWithLinks(libraryLine);
    libraryColumn.addWidget(&libraryLine);
    mainColumn.addLayout(&libraryColumn);
    mainColumn.addSpacerItem(VerticalSpacer());

    ShowRichTextWithLinks(licenceLink);
    rightsColumn.addWidget(&makerLine);
    rightsColumn.addWidget(&rightsNotice);
    rightsColumn.addWidget(&licenceLink);
    mainColumn.addLayout(&rightsColumn);
    mainColumn.addSpacerItem(VerticalSpacer());

    mainColumn.addWidget(&closeButton, 1, Qt::AlignRight);
}

void CLASS_ABOUT_WINDOW::PrepareLicencePage()
{
    // The copy is a new file of the launcher's own in a folder only the user can write: whatever stood at
    // its path (an older copy, a link) is replaced, never written through.
    const QString path = LicencePagePath();
    QFile resource(LICENCE_RESOURCE);
    if (!path.isEmpty() && resource.open(QIODevice::ReadOnly))
    {
        PLATFORM::WriteNewPrivateFile(path, resource.readAll());
    }
}
