#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassWidgetToggle.h"

#include <QPainter>

namespace
{
constexpr int MINIMUM_WIDTH = 60;
constexpr int MINIMUM_HEIGHT = 20;
} // namespace

CLASS_WIDGET_TOGGLE::CLASS_WIDGET_TOGGLE(const QColor& backgroundColor, const QColor& knobColor,
                                         const QString& checkedText, const QString& uncheckedText,
                                         const QColor& labelColor, int margin, float cornerRadius,
                                         float knobWidthRatio, QWidget* parent)
    : QAbstractButton(parent), backgroundColor(backgroundColor), knobColor(knobColor), margin(margin),
      checkedText(checkedText), uncheckedText(uncheckedText), labelColor(labelColor),
      cornerRadius(cornerRadius), knobWidthRatio(knobWidthRatio)
{
    setCheckable(true);
}

QSize CLASS_WIDGET_TOGGLE::minimumSizeHint() const
{
    return QSize(MINIMUM_WIDTH, MINIMUM_HEIGHT);
}

QRect CLASS_WIDGET_TOGGLE::KnobRect() const
{
    const int knobWidth = int(knobWidthRatio * float(width()));
    const int knobHeight = height() - 2 * margin;
    const int left = isChecked() ? int(float(width()) * (1.0F - knobWidthRatio)) - margin : margin;
    return QRect(left, margin, knobWidth, knobHeight);
}

void CLASS_WIDGET_TOGGLE::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QBrush(backgroundColor, Qt::SolidPattern));
    painter.drawRect(QRect(0, 0, width(), height()));

    painter.setBrush(QBrush(knobColor, Qt::SolidPattern));
    QPen labelPen = painter.pen();
    labelPen.setStyle(Qt::DotLine);
    labelPen.setColor(labelColor);
    painter.setPen(labelPen);

    const QRect knob = KnobRect();
    painter.drawRoundedRect(knob, qreal(cornerRadius), qreal(cornerRadius));
    painter.drawText(knob, Qt::AlignCenter, isChecked() ? checkedText : uncheckedText);
}
