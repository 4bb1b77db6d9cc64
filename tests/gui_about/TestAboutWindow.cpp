#include "GUI/GUI_ClassAboutWindow.h"
#include "GUI/GUI_Theme.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The about window: its texts, the licence page it copies to the temporary folder, and Close.
class TestAboutWindow : public QObject
{
    Q_OBJECT

private:
    // The HOME of the whole run: the licence page is copied into its cache folder.
    QTemporaryDir temporaryRoot;

    static QString LabelText(const QWidget& window, const QString& name)
    {
        const QLabel* label = window.findChild<QLabel*>(name);
        return label != nullptr ? label->text() : QStringLiteral("<no label %1>").arg(name);
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static QStringList LicenceCopies()
    {
        return QFileInfo(CLASS_ABOUT_WINDOW::LicencePagePath())
            .dir()
            .entryList(QStringList{QStringLiteral("ZR_EULA*")}, QDir::Files | QDir::System);
    }

private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(about);
        InitLauncherResources();
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(temporaryRoot.isValid());
        qputenv("HOME", QFile::encodeName(temporaryRoot.path()));
        QVERIFY(QFile::exists(QStringLiteral(":/Licenses/ZR_EULA.html")));
    }

    void texts()
    {
        CLASS_ABOUT_WINDOW window;
        QCOMPARE(window.windowTitle(), QStringLiteral("About Tarvo 4k Simulator"));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags() & Qt::CustomizeWindowHint);
        QCOMPARE(LabelText(window, QStringLiteral("versionValue")), QStringLiteral("1.5.3"));
        QCOMPARE(LabelText(window, QStringLiteral("libraryLine")),
                 QStringLiteral("Based on <a href=\"https://doc.qt.io/qt-5/lgpl.html\"><span style=\" "
                                "text-decoration: underline; color:#54C8FF;\">Qt5 (") +
                     QStringLiteral(QT_VERSION_STR) + QStringLiteral(") Library</span></a>"));
        const QString year = QString::number(QDate::currentDate().year());
        QVERIFY(LabelText(window, QStringLiteral("rightsNotice")).contains(year));
        QVERIFY(LabelText(window, QStringLiteral("makerLine")).contains(year));
        for (const QString& text : {QStringLiteral("Version information"), QStringLiteral("Version "),
                                    QStringLiteral("Built on "), QStringLiteral("Libraries information")})
        {
            bool found = false;
            for (const QLabel* label : window.findChildren<QLabel*>())
            {
                found = found || label->text() == text;
            }
            QVERIFY2(found, qPrintable(text));
        }
    }

    void buildValueIsTheCompileTime()
    {
        CLASS_ABOUT_WINDOW window;
        const QString build = LabelText(window, QStringLiteral("buildValue"));
        // The compiler's stamps: "Mmm dd yyyy" (day padded with a blank), one blank, "hh:mm:ss".
        const QRegularExpressionMatch match =
            QRegularExpression(
                QStringLiteral(
                    "^([A-Z][a-z]{2}) ([ 1-3][0-9]) ([0-9]{4}) ([0-2][0-9]:[0-5][0-9]:[0-6][0-9])$"))
                .match(build);
        QVERIFY2(match.hasMatch(), qPrintable(build));
        const QDate date =
            QLocale::c().toDate(match.captured(1) + QLatin1Char(' ') + match.captured(2).trimmed() +
                                    QLatin1Char(' ') + match.captured(3),
                                QStringLiteral("MMM d yyyy"));
        QVERIFY(date.isValid());
        QVERIFY(date <= QDate::currentDate());
        QVERIFY(QTime::fromString(match.captured(4), QStringLiteral("hh:mm:ss")).isValid());
    }

    void logoFitsTheHeader()
    {
        CLASS_ABOUT_WINDOW window;
        const QLabel* logo = window.findChild<QLabel*>(QStringLiteral("logo"));
        QVERIFY(logo != nullptr);
        const QPixmap pixmap = logo->pixmap(Qt::ReturnByValue);
        QVERIFY(!pixmap.isNull());
        QVERIFY(pixmap.width() <= 180 && pixmap.height() <= 25);
        QVERIFY(pixmap.width() == 180 || pixmap.height() == 25);
    }

    void licencePageCopiedOnce_data()
    {
        QTest::addColumn<bool>("plantedLink");
        QTest::newRow("read-only copy of an earlier run") << false;
        QTest::newRow("link to another file in its place") << true;
    }

    void licencePageCopiedOnce()
    {
        QFETCH(bool, plantedLink);
        const QString path = CLASS_ABOUT_WINDOW::LicencePagePath();
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QVERIFY2(path.startsWith(cache + QStringLiteral("/vaDevazade/")), qPrintable(path));
        QVERIFY(QFileInfo(path).absolutePath().startsWith(temporaryRoot.path()));
        QFile::remove(path);
        const QString victim = temporaryRoot.filePath(QStringLiteral("profile"));
        QFile::remove(victim);
        {
            QFile stale(plantedLink ? victim : path);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("old licence");
        }
        QVERIFY(QFile::setPermissions(plantedLink ? victim : path, QFileDevice::ReadOwner));
        QVERIFY(!plantedLink || QFile::link(victim, path));
        const QByteArray page = Read(QStringLiteral(":/Licenses/ZR_EULA.html"));
        QVERIFY(page.contains("Tarvo 4k Simulator"));

        {
            CLASS_ABOUT_WINDOW first;
            QCOMPARE(Read(path), page);
        }
        CLASS_ABOUT_WINDOW second;
        QCOMPARE(Read(path), page);
        QCOMPARE(LicenceCopies(), QStringList{"ZR_EULA.html"});
        QVERIFY(!QFileInfo(path).isSymLink());
        // The launcher's own file, for the user only; a planted link's target keeps content and permissions.
        // Owner, group and others only: root may write any file, so the "user" bits say nothing here.
        const int ownerGroupOther = 0x7077;
        QCOMPARE(QFileInfo(path).permissions() & ownerGroupOther,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (plantedLink)
        {
            QCOMPARE(Read(victim), QByteArray("old licence"));
            QCOMPARE(QFileInfo(victim).permissions() & ownerGroupOther, QFileDevice::ReadOwner);
        }

        // The link opens that copy.
        const QString link = LabelText(second, QStringLiteral("licenceLink"));
        const QRegularExpressionMatch href =
            QRegularExpression(QStringLiteral("^<a href=\"([^\"]+)\">")).match(link);
        QVERIFY2(href.hasMatch(), qPrintable(link));
        QCOMPARE(QUrl(href.captured(1)).toLocalFile(), path);
        QVERIFY(
            link.endsWith(QStringLiteral("<span style=\" text-decoration: underline; color:#54C8FF;\"> View "
                                         "License</span></a>")));
    }

    void closeHides()
    {
        CLASS_ABOUT_WINDOW window;
        QPointer<CLASS_ABOUT_WINDOW> guard(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QPushButton* close = window.findChild<QPushButton*>(QStringLiteral("closeButton"));
        QVERIFY(close != nullptr);
        QCOMPARE(close->text(), QStringLiteral("Close"));
        QTest::mouseClick(close, Qt::LeftButton);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(!guard.isNull());
        // Shown again on demand.
        window.show();
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestAboutWindow)
#include "TestAboutWindow.moc"
