#ifndef GUI_THEME_H
#define GUI_THEME_H

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QVector>

class QApplication;

// The launcher's look: one palette, one application style sheet written with the palette's
// placeholder names, and the Open Sans faces compiled into the program.

struct THEME_PALETTE_ENTRY
{
    QString placeholder;
    QString value;
};

// The palette, in replacement order: a name that begins another name comes after it.
const QVector<THEME_PALETTE_ENTRY>& ThemePalette();

// Replaces every placeholder of the palette, row after row, case-sensitively.
QString ReplacePalettePlaceholders(QString text);

// The twelve font resources, in registration order.
const QStringList& ApplicationFontResources();
// All twelve, in that order: the two below, one after the other.
void RegisterApplicationFonts();
// The faces that the launcher window's first frame is drawn with, the first of the list.
void RegisterFirstPaintFonts();
// The others, in their order; the window registers them once its first frame is on screen.
void RegisterRemainingFonts();

// The style sheet resource with its placeholders replaced; a null string when it cannot be read.
QString ApplicationStyleSheet();
// Starts making ApplicationStyleSheet() on a thread of its own, for the next ApplyTheme to take instead
// of making it then (the resources are registered first). Once per run: a second call does nothing.
void PrepareStyleSheetAhead();

// Sets the style sheet on the whole application; an unreadable resource leaves it unthemed. Links of
// rich texts (a style sheet cannot colour them) become BLUE_LIGHTER, readable on the dark windows.
// WidgetFont() becomes the application's font.
void ApplyTheme(QApplication* application);

// 14 px Open Sans (Helvetica, Arial) at normal weight over the platform's font: every widget's font, as
// a rule of the style sheet for every widget would set it, without setting it on each widget one by one.
QFont WidgetFont();
// The application's font as the platform gave it (before ApplyTheme). Text inside images, such as the
// SVG logos', is laid out from it.
QFont PlatformFont();

// Every window's icon: the desktop entry's icon, built into the program (none where a program does not
// carry that resource). The launcher window sets it once its first frame is on screen: the window
// system shows it, the frame does not.
void ApplyApplicationIcon();

// The colour of links on the launcher's dark backgrounds.
QColor LinkColour();

// Registers every resource collection of the launcher's library. The library is static, so its
// resources are linked in only through this call; the program and the tests make it once at start.
void InitLauncherResources();

#endif // GUI_THEME_H
