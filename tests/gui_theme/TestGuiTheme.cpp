// The theme: palette replacement, the style sheet resource, the fonts and every named resource.
#include "GUI/GUI_ClassAboutWindow.h"
#include "GUI/GUI_SharpPixmap.h"
#include "GUI/GUI_Theme.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QSet>
#include <QStyle>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace
{
// True when the image has at least one pixel that is not fully transparent.
bool HasVisiblePixels(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
    {
        for (int x = 0; x < argb.width(); ++x)
        {
            if (qAlpha(argb.pixel(x, y)) != 0)
            {
                return true;
            }
        }
    }
    return false;
}

// WCAG 2 relative luminance of an opaque colour.
double RelativeLuminance(const QColor& colour)
{
    const auto linear = [](double channel)
    { return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double ContrastRatio(const QColor& first, const QColor& second)
{
    const double lighter = std::max(RelativeLuminance(first), RelativeLuminance(second));
    const double darker = std::min(RelativeLuminance(first), RelativeLuminance(second));
    return (lighter + 0.05) / (darker + 0.05);
}

const char* const MAKER_LOGO = ":/LOGO/Logo_Vorntal.svg";

QString ResourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}
} // namespace

class TestGuiTheme : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void replacement_data();
    void replacement();
    void paletteOrderKeepsLongerNamesFirst();
    void paletteValuesAreColours();

    void styleSheetHasNoPlaceholderLeft();
    void styleSheetImagesResolve();
    void applyThemeSetsTheApplicationStyleSheet();
    void logoRenderedAheadIsTheSame();
    void linkContrast_data();
    void linkContrast();

    void fontResources_data();
    void fontResources();
    void fontsRegisterOpenSans();

    void namedResources_data();
    void namedResources();
    void ledsAreTwentyPixelsSquare();
};

void TestGuiTheme::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    InitLauncherResources();
}

void TestGuiTheme::replacement_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("slate 500 is not slate 50 followed by 0") << "SLATE_GREY_500"
                                                             << "#3D4951";
    QTest::newRow("slate 50 alone") << "SLATE_GREY_50"
                                    << "#F2F2F3";
    QTest::newRow("slate 50 and 500 side by side") << "SLATE_GREY_50 SLATE_GREY_500"
                                                   << "#F2F2F3 #3D4951";
    QTest::newRow("red lighter is not red followed by _LIGHTER") << "ZR_RED_LIGHTER"
                                                                 << "#FF6565";
    QTest::newRow("red alone") << "ZR_RED"
                               << "#F64747";
    QTest::newRow("device lighter") << "BLUE_DEVICE_LIGHTER"
                                    << "#343846";
    QTest::newRow("device darker") << "BLUE_DEVICE_DARKER"
                                   << "#040810";
    QTest::newRow("device") << "BLUE_DEVICE"
                            << "#0E121A";
    QTest::newRow("alpha first") << "ZR_WHITE_90"
                                 << "#E6FFFFFF";
    QTest::newRow("white 4 is not white 40") << "ZR_WHITE_4;"
                                             << "#0AFFFFFF;";
    QTest::newRow("inside a rule") << "QWidget { color: ZR_WHITE_70; background: SLATE_GREY_500; }"
                                   << "QWidget { color: #B3FFFFFF; background: #3D4951; }";
    QTest::newRow("every occurrence") << "ORANGE_ZR ORANGE_ZR"
                                      << "#F2711C #F2711C";
    QTest::newRow("case sensitive") << "slate_grey_900"
                                    << "slate_grey_900";
    QTest::newRow("no placeholder") << "border: none;"
                                    << "border: none;";
}

void TestGuiTheme::replacement()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ReplacePalettePlaceholders(text), expected);
}

void TestGuiTheme::paletteOrderKeepsLongerNamesFirst()
{
    // A name that begins a later name would eat the start of that name's occurrences.
    const QVector<THEME_PALETTE_ENTRY>& palette = ThemePalette();
    QCOMPARE(palette.size(), 43);
    QCOMPARE(palette.first().placeholder, QStringLiteral("SLATE_GREY_900"));
    QCOMPARE(palette.last().placeholder, QStringLiteral("ZR_RED"));
    QSet<QString> names;
    for (int i = 0; i < palette.size(); ++i)
    {
        QVERIFY2(!names.contains(palette.at(i).placeholder), qPrintable(palette.at(i).placeholder));
        names.insert(palette.at(i).placeholder);
        for (int j = i + 1; j < palette.size(); ++j)
        {
            QVERIFY2(
                !palette.at(j).placeholder.startsWith(palette.at(i).placeholder),
                qPrintable(palette.at(i).placeholder + " is replaced before " + palette.at(j).placeholder));
        }
    }
}

void TestGuiTheme::paletteValuesAreColours()
{
    const QRegularExpression form(QStringLiteral("^#([0-9A-F]{6}|[0-9A-F]{8})$"));
    for (const THEME_PALETTE_ENTRY& entry : ThemePalette())
    {
        QVERIFY2(form.match(entry.value).hasMatch(), qPrintable(entry.placeholder));
        QVERIFY2(QColor(entry.value).isValid(), qPrintable(entry.placeholder));
    }
    // Eight digits carry the alpha first, as style sheets read them.
    QCOMPARE(QColor(ReplacePalettePlaceholders(QStringLiteral("ZR_BLACK_70"))), QColor(0, 0, 0, 0xB2));
}

void TestGuiTheme::styleSheetHasNoPlaceholderLeft()
{
    const QString raw = ResourceText(QStringLiteral(":/STYLE_SHEET/Style.css"));
    QVERIFY(!raw.isEmpty());
    QVERIFY(raw.trimmed().startsWith(QStringLiteral("/*")));
    QVERIFY(raw.contains(QStringLiteral("SLATE_GREY_600")));

    const QString styleSheet = ApplicationStyleSheet();
    QVERIFY(!styleSheet.isEmpty());
    for (const THEME_PALETTE_ENTRY& entry : ThemePalette())
    {
        QVERIFY2(!styleSheet.contains(entry.placeholder), qPrintable(entry.placeholder));
    }
    // A partial replacement would leave a colour with a stray digit or letter glued to it.
    // Colours are values (after a colon or a blank); object names in selectors are glued to their class.
    const QRegularExpression colour(QStringLiteral("(?<=[\\s:(])#\\w+"));
    QRegularExpressionMatchIterator it = colour.globalMatch(styleSheet);
    int colours = 0;
    while (it.hasNext())
    {
        const QString token = it.next().captured();
        QVERIFY2(token.size() == 7 || token.size() == 9, qPrintable(token));
        QVERIFY2(QColor(token).isValid(), qPrintable(token));
        ++colours;
    }
    QVERIFY(colours > 50);
}

void TestGuiTheme::styleSheetImagesResolve()
{
    const QString styleSheet = ApplicationStyleSheet();
    const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
    QRegularExpressionMatchIterator it = url.globalMatch(styleSheet);
    QSet<QString> images;
    while (it.hasNext())
    {
        images.insert(it.next().captured(1));
    }
    QVERIFY(images.size() >= 10);
    for (const QString& image : images)
    {
        QVERIFY2(image.startsWith(QStringLiteral(":/css_icons/")), qPrintable(image));
        QVERIFY2(HasVisiblePixels(QImage(image)), qPrintable(image));
    }
}

void TestGuiTheme::applyThemeSetsTheApplicationStyleSheet()
{
    // The first theme of this program: the logos are drawn from the platform's font before it.
    QPixmapCache::clear();
    const QImage logoBefore = SharpPixmap(QString::fromLatin1(MAKER_LOGO)).toImage();
    ApplyTheme(qApp);
    QCOMPARE(qApp->styleSheet(), ApplicationStyleSheet());

    // The rule for every widget colours text white at 90 %: the style sheet is read, alpha first.
    QLabel label(QStringLiteral("text"));
    label.ensurePolished();
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(255, 255, 255, 0xE6));
    QCOMPARE(label.font().family(), QStringLiteral("Open Sans"));
    QCOMPARE(label.font().pixelSize(), 14);
    QCOMPARE(label.font().weight(), static_cast<int>(QFont::Normal));

    // Text inside an image (the logo's name) is laid out as before: the widgets' font is not its base.
    QPixmapCache::clear();
    QCOMPARE(SharpPixmap(QString::fromLatin1(MAKER_LOGO)).toImage(), logoBefore);

    // The menu bar's extension button keeps the platform's arrow, made only when it is first drawn.
    const QIcon extension = qApp->style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QVERIFY(!extension.isNull());
    QVERIFY(HasVisiblePixels(extension.pixmap(QSize(16, 16)).toImage()));

    qApp->setStyleSheet(QString());
}

// The window's logos are rendered on a thread of their own while it is built: pixel for pixel what the
// GUI thread renders, at the same pixel density, under the theme.
void TestGuiTheme::logoRenderedAheadIsTheSame()
{
    ApplyTheme(qApp);
    const QString logo = QStringLiteral(":/LOGO/logo-Tarvo-4k-Simulator.svg");
    const QSize fitInto(180, 25);
    QPixmapCache::clear();
    const QPixmap onGuiThread = SharpPixmap(logo, fitInto);
    QPixmapCache::clear();
    RenderSvgsAhead({{logo, fitInto}});
    const QPixmap ahead = SharpPixmap(logo, fitInto);
    QCOMPARE(ahead.devicePixelRatio(), onGuiThread.devicePixelRatio());
    QCOMPARE(ahead.toImage(), onGuiThread.toImage());
    qApp->setStyleSheet(QString());
}

// Links are read on the window that shows them: at least 4.5:1, as WCAG asks of text.
void TestGuiTheme::linkContrast_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("update box") << "update box";
    QTest::newRow("about window") << "about window";
}

void TestGuiTheme::linkContrast()
{
    QFETCH(QString, where);
    ApplyTheme(qApp);
    const auto unthemed = qScopeGuard([]() { qApp->setStyleSheet(QString()); });
    QColor link;
    QColor background;
    if (where == QStringLiteral("update box"))
    {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Tarvo 4k Simulator"),
                        QStringLiteral("Please click <a href='http://127.0.0.1/'>here</a>."));
        box.setTextFormat(Qt::RichText);
        QLabel* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(text);
        box.ensurePolished();
        text->ensurePolished();
        link = text->palette().color(QPalette::Link);
        background = box.palette().color(QPalette::Window);
    }
    else
    {
        CLASS_ABOUT_WINDOW about;
        about.ensurePolished();
        const QLabel* licence = about.findChild<QLabel*>(QStringLiteral("licenceLink"));
        QVERIFY(licence);
        const QRegularExpressionMatch colour =
            QRegularExpression(QStringLiteral("color:\\s*([^;\"]+)")).match(licence->text());
        QVERIFY2(colour.hasMatch(), qPrintable(licence->text()));
        link = QColor(colour.captured(1));
        background = about.palette().color(QPalette::Window);
    }
    QCOMPARE(background.alpha(), 255);
    const double ratio = ContrastRatio(link, background);
    QVERIFY2(ratio >= 4.5,
             qPrintable(
                 QStringLiteral("%1 on %2: %3:1").arg(link.name(), background.name()).arg(ratio, 0, 'f', 2)));
}

void TestGuiTheme::fontResources_data()
{
    QTest::addColumn<QString>("resource");
    for (const QString& resource : ApplicationFontResources())
    {
        QTest::newRow(qPrintable(resource)) << resource;
    }
}

void TestGuiTheme::fontResources()
{
    QFETCH(QString, resource);
    QFile file(resource);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.size() > 10000);
    const int id = QFontDatabase::addApplicationFont(resource);
    QVERIFY(id >= 0);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QVERIFY(!families.isEmpty());
    QVERIFY2(families.first().startsWith(QStringLiteral("Open Sans")), qPrintable(families.first()));
}

void TestGuiTheme::fontsRegisterOpenSans()
{
    QCOMPARE(ApplicationFontResources().size(), 12);
    QCOMPARE(ApplicationFontResources().first(), QStringLiteral(":/Fonts/OpenSans-Regular.ttf"));
    QCOMPARE(ApplicationFontResources().last(), QStringLiteral(":/Fonts/OpenSans-SemiBoldItalic.ttf"));
    RegisterApplicationFonts();
    QVERIFY(QFontDatabase().families().contains(QStringLiteral("Open Sans")));
    QVERIFY(QFontDatabase().isSmoothlyScalable(QStringLiteral("Open Sans")));
}

void TestGuiTheme::namedResources_data()
{
    QTest::addColumn<QString>("resource");
    const char* const resources[] = {
        ":/LOGO/logo-Tarvo-4k-Simulator.svg",
        ":/LOGO/Logo_Vorntal.svg",
        ":/ICONS/led-verte.png",
        ":/ICONS/led-orange.png",
        ":/ICONS/led-rouge.png",
        ":/ICONS/plug-sdi-18.svg",
        ":/ICONS/plug-hdmi-18.svg",
        ":/ICONS/plug-displayport-18.svg",
        ":/ICONS/plug-hdbt-18.svg",
        ":/ICONS/audio-line-18.svg",
        ":/css_icons/warning.svg",
        ":/css_icons/error.svg",
        ":/css_icons/arrow-down-70.svg",
        ":/css_icons/arrow-down.svg",
        ":/css_icons/arrow-up-70.svg",
        ":/css_icons/arrow-up.svg",
        ":/css_icons/arrow-left-70.svg",
        ":/css_icons/arrow-left.svg",
        ":/css_icons/arrow-right-70.svg",
        ":/css_icons/arrow-right.svg",
        ":/css_icons/drag-indicator-50.svg",
        ":/css_icons/drag-indicator-horizontal-50.svg",
    };
    for (const char* resource : resources)
    {
        QTest::newRow(resource) << QString::fromLatin1(resource);
    }
}

void TestGuiTheme::namedResources()
{
    QFETCH(QString, resource);
    QVERIFY(QFile::exists(resource));
    QImageReader reader(resource);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QVERIFY(HasVisiblePixels(image));
    const QIcon icon(resource);
    QVERIFY(!icon.isNull());
    QVERIFY(HasVisiblePixels(icon.pixmap(QSize(32, 32)).toImage()));
}

void TestGuiTheme::ledsAreTwentyPixelsSquare()
{
    for (const char* led : {":/ICONS/led-verte.png", ":/ICONS/led-orange.png", ":/ICONS/led-rouge.png"})
    {
        const QImage image(QString::fromLatin1(led));
        QCOMPARE(image.size(), QSize(20, 20));
        // Round: the corners are clear, the centre is lit.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(10, 10)), 255);
    }
}

QTEST_MAIN(TestGuiTheme)
#include "TestGuiTheme.moc"
