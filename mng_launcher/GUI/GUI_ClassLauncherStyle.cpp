#include "GUI/GUI_ClassLauncherStyle.h"

#include "GUI/GUI_ClassDeferredIconEngine.h"

#include <QPointer>

namespace
{
bool IsExtensionButtonIcon(QStyle::StandardPixmap standardIcon)
{
    return standardIcon == QStyle::SP_ToolBarHorizontalExtensionButton ||
           standardIcon == QStyle::SP_ToolBarVerticalExtensionButton;
}
} // namespace

QIcon CLASS_LAUNCHER_STYLE::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                         const QWidget* widget) const
{
    if (!IsExtensionButtonIcon(standardIcon) || option != nullptr)
    {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    // The icon follows the application's layout direction, not the asking widget. This style, with the
    // platform's, may be gone by the time the icon is first drawn: a button of a replaced style draws none.
    const QPointer<QStyle> platform(baseStyle());
    return QIcon(new CLASS_DEFERRED_ICON_ENGINE(
        [platform, standardIcon]()
        { return platform.isNull() ? QIcon() : platform->standardIcon(standardIcon); }));
}
