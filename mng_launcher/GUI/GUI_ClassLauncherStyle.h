#ifndef GUI_CLASSLAUNCHERSTYLE_H
#define GUI_CLASSLAUNCHERSTYLE_H

#include <QProxyStyle>

// The platform's style, drawing everything as it does; only the icons of the menu bar's and tool bars'
// extension buttons are made when they are first shown. Those buttons stay hidden while the menus fit, and
// making their bitmap icons early has Qt's image reader load every image-format plugin installed.
class CLASS_LAUNCHER_STYLE : public QProxyStyle
{
    Q_OBJECT

public:
    CLASS_LAUNCHER_STYLE() = default;

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

#endif // GUI_CLASSLAUNCHERSTYLE_H
