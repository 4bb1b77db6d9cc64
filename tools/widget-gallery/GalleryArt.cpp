#include "GalleryArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <QtMath>

namespace
{
constexpr int SIDE = 256;
// The dial's sweep: 270 degrees, leaving the bottom quarter free.
constexpr int SWEEP = 270;
constexpr int START = 135;
constexpr int TICKS = 11;

QPixmap Canvas()
{
    QPixmap pixmap(SIDE, SIDE);
    pixmap.fill(Qt::transparent);
    return pixmap;
}
} // namespace

QIcon GalleryArt::DialBackground(bool enabled)
{
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(SIDE / 2.0, SIDE / 2.0);
    const QColor track = enabled ? GREY_LIGHT : QColor(0xE0, 0xE0, 0xE0);

    // The scale: a track along the sweep (angles counter-clockwise in sixteenths of a degree) with ticks.
    painter.setPen(QPen(track, 14, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(18, 18, SIDE - 36, SIDE - 36), -START * 16, -SWEEP * 16);
    painter.setPen(QPen(enabled ? INK : GREY, 4, Qt::SolidLine, Qt::RoundCap));
    for (int tick = 0; tick < TICKS; ++tick)
    {
        const qreal angle = qDegreesToRadians(START + SWEEP * tick / qreal(TICKS - 1));
        const QPointF direction(qCos(angle), qSin(angle));
        painter.drawLine(centre + direction * 96, centre + direction * 104);
    }
    return QIcon(pixmap);
}

QIcon GalleryArt::DialKnob(bool enabled)
{
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(QPointF(SIDE * 0.4, SIDE * 0.35), SIDE * 0.6);
    gradient.setColorAt(0, enabled ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xF5, 0xF5, 0xF5));
    gradient.setColorAt(1, enabled ? QColor(0xB0, 0xBE, 0xC5) : QColor(0xD6, 0xD6, 0xD6));
    painter.setBrush(gradient);
    painter.setPen(QPen(enabled ? QColor(0x78, 0x90, 0x9C) : GREY_LIGHT, 6));
    painter.drawEllipse(QRectF(8, 8, SIDE - 16, SIDE - 16));
    return QIcon(pixmap);
}

QIcon GalleryArt::DialMarker(bool enabled)
{
    QPixmap pixmap = Canvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(enabled ? ACCENT_DARK : GREY);
    painter.drawEllipse(QRectF(16, 16, SIDE - 32, SIDE - 32));
    return QIcon(pixmap);
}

QIcon GalleryArt::Swatch(const QColor& color)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color.darker(130), 4));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
    return QIcon(pixmap);
}
