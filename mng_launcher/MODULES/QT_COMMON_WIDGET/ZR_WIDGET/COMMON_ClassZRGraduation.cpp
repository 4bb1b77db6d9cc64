#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRGraduation.h"

#include <QEvent>
#include <QPainter>

namespace
{
// Ticks run from this far right of the labels to TICK_END; the axis stands at TICK_START.
constexpr int TICK_START = 4;
constexpr int TICK_END = 14;
constexpr int HINT_EXTRA_HEIGHT = 100;
} // namespace

CLASS_ZR_GRADUATION::CLASS_ZR_GRADUATION(SDWord minimum, const QString& minLabel, SDWord maximum,
                                         const QString& maxLabel, const QColor& enabledLineColor,
                                         const QColor& disabledLineColor, QWidget* parent)
    : QWidget(parent), minimum(minimum), minLabel(minLabel), maximum(maximum), maxLabel(maxLabel),
      lineColor(enabledLineColor), enabledLineColor(enabledLineColor), disabledLineColor(disabledLineColor)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

bool CLASS_ZR_GRADUATION::AddGraduation(SDWord value, const QString& label)
{
    if (value <= minimum || value >= maximum)
    {
        return false;
    }
    graduations.append(qMakePair(value, label));
    Changed();
    return true;
}

void CLASS_ZR_GRADUATION::ClearGraduations()
{
    graduations.clear();
    Changed();
}

int CLASS_ZR_GRADUATION::MarkRow(SDWord value, int widgetHeight) const
{
    const qint64 bottom = widgetHeight - 1;
    // In 64 bits: the span of a full signed 32-bit range does not fit in 32 bits.
    const qint64 offset = (qint64(value) - minimum + 1) * (bottom + 1) / (qint64(maximum) - minimum + 1);
    return int(bottom - offset + 1);
}

QSize CLASS_ZR_GRADUATION::sizeHint() const
{
    return QSize(WidestLabel() + TICK_END,
                 fontMetrics().height() * (graduations.size() + 2) + HINT_EXTRA_HEIGHT);
}

QSize CLASS_ZR_GRADUATION::minimumSizeHint() const
{
    return QSize(20, 80);
}

void CLASS_ZR_GRADUATION::SetMinValue(SDWord minValue, QString valueToDisplay)
{
    if (minValue > maximum)
    {
        minimum = maximum;
        minLabel = maxLabel;
        maximum = minValue;
        maxLabel = valueToDisplay;
    }
    else
    {
        minimum = minValue;
        minLabel = valueToDisplay;
    }
    Changed();
}

void CLASS_ZR_GRADUATION::SetMaxValue(SDWord maxValue, QString valueToDisplay)
{
    if (maxValue < minimum)
    {
        maximum = minimum;
        maxLabel = minLabel;
        minimum = maxValue;
        minLabel = valueToDisplay;
    }
    else
    {
        maximum = maxValue;
        maxLabel = valueToDisplay;
    }
    Changed();
}

void CLASS_ZR_GRADUATION::SetRange(SDWord minValue, QString minValueToDiplay, SDWord maxValue,
                                   QString maxValueToDiplay)
{
    if (maxValue < minValue)
    {
        minimum = maxValue;
        minLabel = maxValueToDiplay;
        maximum = minValue;
        maxLabel = minValueToDiplay;
    }
    else
    {
        minimum = minValue;
        minLabel = minValueToDiplay;
        maximum = maxValue;
        maxLabel = maxValueToDiplay;
    }
    Changed();
}

void CLASS_ZR_GRADUATION::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
    {
        lineColor = isEnabled() ? enabledLineColor : disabledLineColor;
        update();
    }
}

int CLASS_ZR_GRADUATION::WidestLabel() const
{
    const QFontMetrics metrics = fontMetrics();
    int widest = qMax(metrics.horizontalAdvance(minLabel), metrics.horizontalAdvance(maxLabel));
    for (const QPair<SDWord, QString>& mark : graduations)
    {
        widest = qMax(widest, metrics.horizontalAdvance(mark.second));
    }
    return widest;
}

void CLASS_ZR_GRADUATION::Changed()
{
    // The labels and the number of marks decide the size hint.
    updateGeometry();
    update();
}

void CLASS_ZR_GRADUATION::paintEvent(QPaintEvent*)
{
    const int w = WidestLabel();
    const int fh = fontMetrics().height();
    const int bottom = height() - 1;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(lineColor, 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);

    painter.drawLine(w + TICK_START, bottom, w + TICK_END, bottom);
    painter.drawText(QRect(0, bottom - fh + 2, w, fh), Qt::AlignRight | Qt::AlignBottom, minLabel);

    painter.drawLine(w + TICK_START, 1, w + TICK_END, 1);
    painter.drawText(QRect(0, -1, w, fh), Qt::AlignRight | Qt::AlignTop, maxLabel);

    for (const QPair<SDWord, QString>& mark : graduations)
    {
        if (mark.first <= minimum || mark.first >= maximum)
        {
            continue;
        }
        const int y = MarkRow(mark.first, height());
        painter.drawLine(w + TICK_START, y, w + TICK_END, y);
        painter.drawText(QRect(0, y - fh / 2, w, fh), Qt::AlignRight | Qt::AlignVCenter, mark.second);
    }

    painter.drawLine(w + TICK_START, 1, w + TICK_START, bottom);
}
