#include "GUI/GUI_Theme.h"

#include "GUI/GUI_ClassLauncherStyle.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QPalette>
#include <QTextStream>

#include <future>
#include <optional>
#include <system_error>

// A static library's resource collections are registered by name from the global namespace.
static void InitLauncherResourceCollections()
{
#include "GUI_LauncherResources.inc"
}

namespace
{
const char* const STYLE_SHEET_RESOURCE = ":/STYLE_SHEET/Style.css";
constexpr int WIDGET_FONT_PIXELS = 14;

// The application's font before the theme replaced it; none while it has not.
std::optional<QFont>& PlatformFontStore()
{
    static std::optional<QFont> font;
    return font;
}

// The style sheet being made ahead (PrepareStyleSheetAhead); none once ApplyTheme has taken it.
std::future<QString>& StyleSheetAhead()
{
    static std::future<QString> styleSheet;
    return styleSheet;
}
} // namespace

const QVector<THEME_PALETTE_ENTRY>& ThemePalette()
{
    // A name that begins another one (SLATE_GREY_50, BLUE_DEVICE, ZR_RED) comes after it.
    static const QVector<THEME_PALETTE_ENTRY> palette = {
        {QStringLiteral("SLATE_GREY_900"), QStringLiteral("#08141B")},
        {QStringLiteral("SLATE_GREY_800"), QStringLiteral("#1B272F")},
        {QStringLiteral("SLATE_GREY_700"), QStringLiteral("#283239")},
        {QStringLiteral("SLATE_GREY_600"), QStringLiteral("#323F48")},
        {QStringLiteral("SLATE_GREY_500"), QStringLiteral("#3D4951")},
        {QStringLiteral("SLATE_GREY_400"), QStringLiteral("#49535B")},
        {QStringLiteral("SLATE_GREY_300"), QStringLiteral("#616D75")},
        {QStringLiteral("SLATE_GREY_200"), QStringLiteral("#838B91")},
        {QStringLiteral("SLATE_GREY_100"), QStringLiteral("#B0B3B5")},
        {QStringLiteral("SLATE_GREY_50"), QStringLiteral("#F2F2F3")},
        {QStringLiteral("GREY_ZR"), QStringLiteral("#808080")},
        {QStringLiteral("GREY_LIGHTER"), QStringLiteral("#D3D3D3")},
        {QStringLiteral("GREY_DARKER"), QStringLiteral("#484848")},
        {QStringLiteral("BLUE_ZR"), QStringLiteral("#2185D0")},
        {QStringLiteral("BLUE_LIGHTER"), QStringLiteral("#54C8FF")},
        {QStringLiteral("BLUE_DARKER"), QStringLiteral("#114268")},
        {QStringLiteral("BLUE_GREY"), QStringLiteral("#1A2D3F")},
        {QStringLiteral("BLUE_DEVICE_LIGHTER"), QStringLiteral("#343846")},
        {QStringLiteral("BLUE_DEVICE_DARKER"), QStringLiteral("#040810")},
        {QStringLiteral("BLUE_DEVICE"), QStringLiteral("#0E121A")},
        {QStringLiteral("ORANGE_ZR"), QStringLiteral("#F2711C")},
        {QStringLiteral("ORANGE_LIGHTER"), QStringLiteral("#D29F69")},
        {QStringLiteral("ORANGE_DARKER"), QStringLiteral("#D85600")},
        {QStringLiteral("BLACK_ZR"), QStringLiteral("#000000")},
        {QStringLiteral("WHITE_ZR"), QStringLiteral("#FFFFFF")},
        {QStringLiteral("ZR_BLUE_BUTTON_HOVER"), QStringLiteral("#2493E6")},
        {QStringLiteral("ZR_ORANGE_BUTTON_HOVER"), QStringLiteral("#F26202")},
        {QStringLiteral("ZR_ORANGE_BUTTON_DARKEN"), QStringLiteral("#CF590C")},
        {QStringLiteral("ZR_ORANGE_BUTTON_FOCUS"), QStringLiteral("#E55B00")},
        {QStringLiteral("ZR_GREY_BUTTON_HOVER"), QStringLiteral("#53606A")},
        {QStringLiteral("ZR_GREY_BUTTON_DARKEN"), QStringLiteral("#32393F")},
        {QStringLiteral("ZR_GREY_BUTTON_FOCUS"), QStringLiteral("#596874")},
        {QStringLiteral("ZR_WHITE_90"), QStringLiteral("#E6FFFFFF")},
        {QStringLiteral("ZR_WHITE_70"), QStringLiteral("#B3FFFFFF")},
        {QStringLiteral("ZR_WHITE_30"), QStringLiteral("#4DFFFFFF")},
        {QStringLiteral("ZR_WHITE_4"), QStringLiteral("#0AFFFFFF")},
        {QStringLiteral("ZR_BLACK_15"), QStringLiteral("#26000000")},
        {QStringLiteral("ZR_BLACK_30"), QStringLiteral("#4C000000")},
        {QStringLiteral("ZR_BLACK_50"), QStringLiteral("#80000000")},
        {QStringLiteral("ZR_BLACK_70"), QStringLiteral("#B2000000")},
        {QStringLiteral("ZR_GREEN"), QStringLiteral("#00FF7F")},
        {QStringLiteral("ZR_RED_LIGHTER"), QStringLiteral("#FF6565")},
        {QStringLiteral("ZR_RED"), QStringLiteral("#F64747")},
    };
    return palette;
}

QString ReplacePalettePlaceholders(QString text)
{
    for (const THEME_PALETTE_ENTRY& entry : ThemePalette())
    {
        text.replace(entry.placeholder, entry.value, Qt::CaseSensitive);
    }
    return text;
}

const QStringList& ApplicationFontResources()
{
    static const QStringList resources = {
        QStringLiteral(":/Fonts/OpenSans-Regular.ttf"),
        QStringLiteral(":/Fonts/OpenSans-Bold.ttf"),
        QStringLiteral(":/Fonts/OpenSans-BoldItalic.ttf"),
        QStringLiteral(":/Fonts/OpenSans-ExtraBold.ttf"),
        QStringLiteral(":/Fonts/OpenSans-ExtraBoldItalic.ttf"),
        QStringLiteral(":/Fonts/OpenSans-Italic.ttf"),
        QStringLiteral(":/Fonts/OpenSans-Light.ttf"),
        QStringLiteral(":/Fonts/OpenSans-LightItalic.ttf"),
        QStringLiteral(":/Fonts/OpenSans-Medium.ttf"),
        QStringLiteral(":/Fonts/OpenSans-MediumItalic.ttf"),
        QStringLiteral(":/Fonts/OpenSans-SemiBold.ttf"),
        QStringLiteral(":/Fonts/OpenSans-SemiBoldItalic.ttf"),
    };
    return resources;
}

namespace
{
// The regular and bold faces open the list: the style sheet's text in the launcher window is drawn in
// them (the lighter, semi-bold and italic faces serve tooltips, progress bars and other windows).
constexpr int FIRST_PAINT_FACES = 2;

void RegisterFonts(const QStringList& resources)
{
    // A face that fails to register leaves the others; the style sheet falls back to Helvetica, Arial.
    for (const QString& resource : resources)
    {
        QFontDatabase::addApplicationFont(resource);
    }
}
} // namespace

void RegisterApplicationFonts()
{
    RegisterFirstPaintFonts();
    RegisterRemainingFonts();
}

void RegisterFirstPaintFonts()
{
    RegisterFonts(ApplicationFontResources().mid(0, FIRST_PAINT_FACES));
}

void RegisterRemainingFonts()
{
    RegisterFonts(ApplicationFontResources().mid(FIRST_PAINT_FACES));
}

QString ApplicationStyleSheet()
{
    QFile file(QString::fromLatin1(STYLE_SHEET_RESOURCE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    {
        return QString();
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    return ReplacePalettePlaceholders(stream.readAll());
}

void PrepareStyleSheetAhead()
{
    static bool started = false;
    if (started)
    {
        return;
    }
    started = true;
    try
    {
        StyleSheetAhead() = std::async(std::launch::async, ApplicationStyleSheet);
    }
    catch (const std::system_error&)
    {
        // No thread to spare: ApplyTheme makes it, as without this call.
    }
}

void ApplyTheme(QApplication* application)
{
    // Without its style sheet the program runs unthemed, silently.
    std::future<QString>& ahead = StyleSheetAhead();
    const QString styleSheet = ahead.valid() ? ahead.get() : ApplicationStyleSheet();
    if (application == nullptr || styleSheet.isNull())
    {
        return;
    }
    // Qt's default link blue has 1.3:1 contrast on SLATE_GREY_600.
    QPalette palette = application->palette();
    palette.setColor(QPalette::Link, LinkColour());
    palette.setColor(QPalette::LinkVisited, LinkColour());
    application->setPalette(palette);
    // The application's font rather than a rule of the style sheet, which would set it on each widget
    // as it is polished: a font change and new size hints for every widget built. It also replaces the
    // platform's fonts for single classes (menus, tool tips, ...), as that rule did.
    const QFont widgetFont = WidgetFont();
    PlatformFontStore() = PlatformFont();
    QApplication::setFont(widgetFont);
    application->setStyle(new CLASS_LAUNCHER_STYLE);
    application->setStyleSheet(styleSheet);
}

QFont WidgetFont()
{
    const QStringList families = {QStringLiteral("Open Sans"), QStringLiteral("Helvetica"),
                                  QStringLiteral("Arial")};
    QFont font = PlatformFont();
    font.setFamily(families.first());
    font.setFamilies(families);
    font.setPixelSize(WIDGET_FONT_PIXELS);
    font.setWeight(QFont::Normal);
    return font;
}

QFont PlatformFont()
{
    return PlatformFontStore().value_or(QGuiApplication::font());
}

void ApplyApplicationIcon()
{
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/ICONS/application.svg")));
}

QColor LinkColour()
{
    return QColor(0x54, 0xC8, 0xFF); // BLUE_LIGHTER
}

void InitLauncherResources()
{
    // Registering a collection twice would stack a second copy of it; the first call is enough.
    static bool registered = false;
    if (!registered)
    {
        InitLauncherResourceCollections();
        registered = true;
    }
}
