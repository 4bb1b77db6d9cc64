#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRBargraphSound.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

#include <utility>

namespace
{
constexpr int LOGICAL_WIDTH = 24;
constexpr int LOGICAL_HEIGHT = 118;
constexpr int LEVEL_WIDTH = 22;
constexpr int LEVEL_HEIGHT = 116;
// The gradient reaches the top colour this far below the top of the level pixmap.
constexpr int GRADIENT_TOP = 22;
constexpr qreal UPPER_STOP = 0.94;
constexpr int PEN_WIDTH = 2;
} // namespace

CLASS_ZR_BARGRAPH_SOUND::CLASS_ZR_BARGRAPH_SOUND(
    SDWord minValue, SDWord maxValue, const QColor& frameColor, const QColor& frameLineColor,
    const QColor& levelBottomColor, const QColor& levelUpperColor, const QColor& levelTopColor,
    const QColor& disabledFrameColor, const QColor& disabledFrameLineColor,
    const QColor& disabledLevelBottomColor, const QColor& disabledLevelUpperColor,
    const QColor& disabledLevelTopColor, const QString& text, const QColor& textColor, QWidget* parent)
    : QWidget(parent), enabledColors{frameColor, frameLineColor, levelBottomColor, levelUpperColor,
                                     levelTopColor},
      disabledColors{disabledFrameColor, disabledFrameLineColor, disabledLevelBottomColor,
                     disabledLevelUpperColor, disabledLevelTopColor},
      text(text), textColor(textColor), levelPixmap(LEVEL_WIDTH, LEVEL_HEIGHT)
{
    UseColors(enabledColors);
    SetRange(minValue, maxValue);
}

int CLASS_ZR_BARGRAPH_SOUND::LevelHeight() const
{
    if (currentValue == minValue)
    {
        return 0;
    }
    if (currentValue == maxValue)
    {
        return levelPixmap.height();
    }
    // In 64 bits: the span of a full signed 32-bit range does not fit in 32 bits.
    const qint64 reached = qint64(currentValue) - minValue + 1;
    const qint64 span = qint64(maxValue) - minValue + 1;
    // A range changed under the current value may leave it outside: the level stays within the column.
    return int(qBound<qint64>(0, levelPixmap.height() * reached / span, levelPixmap.height()));
}

QSize CLASS_ZR_BARGRAPH_SOUND::sizeHint() const
{
    return QSize(LOGICAL_WIDTH, LOGICAL_HEIGHT);
}

QSize CLASS_ZR_BARGRAPH_SOUND::minimumSizeHint() const
{
    return QSize(20, 80);
}

void CLASS_ZR_BARGRAPH_SOUND::SetCurrentValue(SDWord value)
{
    currentValue = qBound(minValue, value, maxValue);
    update();
}

void CLASS_ZR_BARGRAPH_SOUND::SetMinValue(SDWord value)
{
    if (value > maxValue)
    {
        minValue = maxValue;
        currentValue = maxValue;
        maxValue = value;
    }
    else
    {
        minValue = value;
    }
    update();
}

void CLASS_ZR_BARGRAPH_SOUND::SetMaxValue(SDWord value)
{
    if (value < minValue)
    {
        maxValue = minValue;
        minValue = value;
        currentValue = value;
    }
    else
    {
        maxValue = value;
    }
    update();
}

void CLASS_ZR_BARGRAPH_SOUND::SetRange(SDWord min, SDWord max)
{
    minValue = min;
    maxValue = max;
    if (max < min)
    {
        std::swap(minValue, maxValue);
        currentValue = max;
    }
    update();
}

void CLASS_ZR_BARGRAPH_SOUND::SetText(QString newText)
{
    if (newText != text)
    {
        text = newText;
        update();
    }
}

void CLASS_ZR_BARGRAPH_SOUND::SetTextColor(QColor newColor)
{
    if (newColor != textColor)
    {
        textColor = newColor;
        update();
    }
}

void CLASS_ZR_BARGRAPH_SOUND::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
    {
        UseColors(isEnabled() ? enabledColors : disabledColors);
        update();
    }
}

void CLASS_ZR_BARGRAPH_SOUND::UseColors(const COLOR_SET& colors)
{
    frameColor = colors.frame;
    frameLineColor = colors.frameLine;
    levelBottomColor = colors.levelBottom;
    levelUpperColor = colors.levelUpper;
    levelTopColor = colors.levelTop;
    RenderLevelPixmap();
}

void CLASS_ZR_BARGRAPH_SOUND::RenderLevelPixmap()
{
    QLinearGradient gradient(0, LEVEL_HEIGHT, 0, GRADIENT_TOP);
    gradient.setSpread(QGradient::PadSpread);
    gradient.setColorAt(0, levelBottomColor);
    gradient.setColorAt(UPPER_STOP, levelUpperColor);
    gradient.setColorAt(1, levelTopColor);
    levelPixmap.fill(Qt::transparent);
    QPainter painter(&levelPixmap);
    painter.fillRect(levelPixmap.rect(), gradient);
}

void CLASS_ZR_BARGRAPH_SOUND::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setWindow(0, 0, LOGICAL_WIDTH, LOGICAL_HEIGHT);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setBrush(frameColor);
    painter.setPen(QPen(frameLineColor, PEN_WIDTH, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawRect(0, 0, LOGICAL_WIDTH, LOGICAL_HEIGHT);

    const int level = LevelHeight();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPixmap(QRect(1, LEVEL_HEIGHT - level + 1, levelPixmap.width(), level), levelPixmap,
                       QRect(0, LEVEL_HEIGHT - level, levelPixmap.width(), level));

    if (!text.isEmpty())
    {
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setPen(QPen(textColor, PEN_WIDTH, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawText(QRect(0, 0, LOGICAL_WIDTH, LOGICAL_HEIGHT), Qt::AlignCenter, text);
    }
}
