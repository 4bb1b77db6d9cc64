#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRComboBox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace
{
// The icon square keeps this distance from the top and bottom of the edit field ...
constexpr int ICON_VERTICAL_MARGIN = 3;
// ... and starts this far left of the field's right edge, next to the arrow.
constexpr int ICON_RIGHT_OFFSET = 28;
} // namespace

CLASS_ZR_COMBO_BOX::CLASS_ZR_COMBO_BOX(QWidget* parent) : QComboBox(parent) {}

void CLASS_ZR_COMBO_BOX::paintEvent(QPaintEvent* event)
{
    const int index = currentIndex();
    if (index < 0)
    {
        return;
    }
    const QIcon icon = itemIcon(index);
    if (icon.isNull())
    {
        QComboBox::paintEvent(event);
        return;
    }

    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect editField =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);

    // The label is drawn without its icon; the icon goes to the right end of the field.
    option.currentIcon = QIcon();
    option.iconSize = QSize(-1, -1);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);

    const int side = editField.height() - 2 * ICON_VERTICAL_MARGIN;
    if (side <= 0)
    {
        return;
    }
    const QPixmap pixmap = icon.pixmap(QSize(side, side), QIcon::Normal, QIcon::Off);
    const QRect target(editField.right() - ICON_RIGHT_OFFSET, editField.top() + ICON_VERTICAL_MARGIN, side,
                       side);
    painter.drawPixmap(target, pixmap);
}
