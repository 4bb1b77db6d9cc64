#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRDial.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QEvent>
#include <QPainter>

namespace
{
constexpr int FULL_TURN = 360;
// A start angle of 90 degrees points down; the sweep starts half the unused part further round.
constexpr int DOWN_ANGLE = 90;

QPixmap IconPixmap(const QIcon& icon, double width, double height)
{
    return icon.pixmap(QSize(int(width), int(height)), QIcon::Normal, QIcon::Off);
}
} // namespace

CLASS_ZR_DIAL::CLASS_ZR_DIAL(const QIcon& knobIcon, const QIcon& markerIcon, const QIcon& backgroundIcon,
                             const QIcon& knobIconDisabled, const QIcon& markerIconDisabled,
                             const QIcon& backgroundIconDisabled, int sweepAngle, float knobScale,
                             float markerInset, float markerScale, QWidget* parent)
    : QDial(parent), sweepAngle(sweepAngle), knobIcon(knobIcon), knobIconDisabled(knobIconDisabled),
      markerIcon(markerIcon), markerIconDisabled(markerIconDisabled), backgroundIcon(backgroundIcon),
      backgroundIconDisabled(backgroundIconDisabled),
      startAngle(float((FULL_TURN - sweepAngle) / 2 + DOWN_ANGLE)), knobScale(knobScale),
      markerInset(markerInset), markerScale(markerScale)
{
    if (knobIcon.isNull() || markerIcon.isNull() || backgroundIcon.isNull())
    {
        TRACE_ERROR(QStringLiteral("Icon(s) enabled state is/are NULL(s)"));
    }
}

float CLASS_ZR_DIAL::DialAngle() const
{
    if (minimum() >= 0 && maximum() <= 0)
    {
        return 0.0F;
    }
    if (maximum() <= minimum())
    {
        // An empty range has no position along the sweep: the marker rests at its start.
        return startAngle;
    }
    // Differences in 64 bits: a range wider than the int type holds would overflow.
    const qint64 offset = qint64(value()) - minimum();
    const qint64 span = qint64(maximum()) - minimum();
    return startAngle + float(sweepAngle) * float(offset) / float(span);
}

void CLASS_ZR_DIAL::changeEvent(QEvent* event)
{
    QDial::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
    {
        showDisabled = !isEnabled();
        update();
    }
}

void CLASS_ZR_DIAL::RenderPixmaps()
{
    const QIcon& knob = showDisabled ? knobIconDisabled : knobIcon;
    const QIcon& marker = showDisabled ? markerIconDisabled : markerIcon;
    const QIcon& background = showDisabled ? backgroundIconDisabled : backgroundIcon;
    knobPixmap = IconPixmap(knob, width() * double(knobScale), height() * double(knobScale));
    markerPixmap = IconPixmap(marker, knobPixmap.width() * double(markerScale),
                              knobPixmap.height() * double(markerScale));
    backgroundPixmap = IconPixmap(background, width(), height());
}

void CLASS_ZR_DIAL::paintEvent(QPaintEvent*)
{
    RenderPixmaps();
    const int halfWidth = width() / 2;
    const int halfHeight = height() / 2;

    QPainter painter(this);
    painter.drawPixmap(halfWidth - backgroundPixmap.width() / 2, halfHeight - backgroundPixmap.height() / 2,
                       backgroundPixmap);
    painter.drawPixmap(halfWidth - knobPixmap.width() / 2, halfHeight - knobPixmap.height() / 2, knobPixmap);

    painter.translate(halfWidth, halfHeight);
    painter.rotate(qreal(DialAngle()));
    const qreal markerLeft =
        knobPixmap.width() / 2 - markerPixmap.width() - knobPixmap.width() * qreal(markerInset);
    painter.drawPixmap(QPointF(markerLeft, -markerPixmap.height() / 2), markerPixmap);
}
