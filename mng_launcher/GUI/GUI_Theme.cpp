#include "GUI/GUI_Theme.h"

#include <QApplication>

const QVector<THEME_PALETTE_ENTRY>& ThemePalette()
{
    static const QVector<THEME_PALETTE_ENTRY> palette;
    return palette;
}

QString ReplacePalettePlaceholders(QString text)
{
    return text;
}

const QStringList& ApplicationFontResources()
{
    static const QStringList resources;
    return resources;
}

void RegisterApplicationFonts() {}

QString ApplicationStyleSheet()
{
    return QString();
}

void ApplyTheme(QApplication*) {}

void InitLauncherResources() {}
