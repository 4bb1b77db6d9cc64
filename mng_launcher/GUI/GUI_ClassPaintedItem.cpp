#include "GUI/GUI_ClassPaintedItem.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

CLASS_PAINTED_ITEM::CLASS_PAINTED_ITEM(const QWidget* owner, const QString& text) : owner(owner), text(text)
{
}

CLASS_PAINTED_ITEM::CLASS_PAINTED_ITEM(const QWidget* owner, const QPixmap& pixmap)
    : owner(owner), pixmap(pixmap)
{
}

void CLASS_PAINTED_ITEM::Paint(QPainter& painter) const
{
    QStyle* style = owner->style();
    if (!pixmap.isNull())
    {
        QStyleOption option;
        option.initFrom(owner);
        // Greyed against the application's window colour, as an icon label is (the owner's own colours
        // come from its style sheet, which a label inside it does not take).
        option.palette = QGuiApplication::palette();
        const QPixmap shown =
            owner->isEnabled() ? pixmap : style->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
        style->drawItemPixmap(&painter, place, static_cast<int>(ContentAlignment()), shown);
        return;
    }
    const Qt::TextFlag direction =
        owner->layoutDirection() == Qt::RightToLeft ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
    style->drawItemText(&painter, place, static_cast<int>(ContentAlignment()) | direction, owner->palette(),
                        owner->isEnabled(), text, owner->foregroundRole());
}

QSize CLASS_PAINTED_ITEM::sizeHint() const
{
    if (!size.isValid())
    {
        if (!pixmap.isNull())
        {
            size = pixmap.size() / pixmap.devicePixelRatio();
        }
        else
        {
            // As wide and tall as the text on one line; the centring flags are left out, as a label
            // leaves them out, so that no half pixel is lost to rounding.
            const int flags = static_cast<int>(ContentAlignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter));
            constexpr int LARGE = 2000;
            size = owner->fontMetrics().boundingRect(0, 0, LARGE, LARGE, flags, text).size();
        }
    }
    return size;
}

QSize CLASS_PAINTED_ITEM::minimumSize() const
{
    return sizeHint();
}

QSize CLASS_PAINTED_ITEM::maximumSize() const
{
    // Free to grow; in the directions of its alignment the layout may give it any space.
    return QSize(alignment() & Qt::AlignHorizontal_Mask ? QLAYOUTSIZE_MAX : QWIDGETSIZE_MAX,
                 alignment() & Qt::AlignVertical_Mask ? QLAYOUTSIZE_MAX : QWIDGETSIZE_MAX);
}

Qt::Orientations CLASS_PAINTED_ITEM::expandingDirections() const
{
    return {};
}

bool CLASS_PAINTED_ITEM::isEmpty() const
{
    return false;
}

void CLASS_PAINTED_ITEM::setGeometry(const QRect& rect)
{
    // Within the cell: as wide (tall) as its content in the directions it is aligned in, the whole cell
    // otherwise, then placed by that alignment (centred where none is given).
    QSize given = rect.size().boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    if (alignment() & Qt::AlignHorizontal_Mask)
    {
        given.setWidth(qMin(given.width(), sizeHint().width()));
    }
    if (alignment() & Qt::AlignVertical_Mask)
    {
        given.setHeight(qMin(given.height(), sizeHint().height()));
    }
    const Qt::Alignment horizontal = QStyle::visualAlignment(owner->layoutDirection(), alignment());
    int x = rect.x();
    int y = rect.y();
    if (horizontal & Qt::AlignRight)
    {
        x += rect.width() - given.width();
    }
    else if (!(horizontal & Qt::AlignLeft))
    {
        x += (rect.width() - given.width()) / 2;
    }
    if (alignment() & Qt::AlignBottom)
    {
        y += rect.height() - given.height();
    }
    else if (!(alignment() & Qt::AlignTop))
    {
        y += (rect.height() - given.height()) / 2;
    }
    place = QRect(QPoint(x, y), given);
}

QRect CLASS_PAINTED_ITEM::geometry() const
{
    return place;
}

void CLASS_PAINTED_ITEM::invalidate()
{
    // The owner's font may have changed (its style sheet arrives when it is polished).
    size = QSize();
}

Qt::Alignment CLASS_PAINTED_ITEM::ContentAlignment() const
{
    return QStyle::visualAlignment(owner->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter);
}
