#include "GUI/GUI_ClassPaintedItem.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPair>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

namespace
{
// The size of a text on one line in a font (its alignment there does not change it): each is laid out
// once, as many cards show the same texts. The few texts kept are dropped all together when there are
// more.
QSize TextSize(const QFont& font, int flags, const QString& text)
{
    // Never destroyed: fonts kept past the application's end would be released after Qt's font cache.
    static auto* const sizes = new QHash<QPair<QFont, QString>, QSize>;
    constexpr int KEPT = 256;
    constexpr int LARGE = 2000;
    const QPair<QFont, QString> key(font, text);
    const auto known = sizes->constFind(key);
    if (known != sizes->constEnd())
    {
        return known.value();
    }
    if (sizes->size() >= KEPT)
    {
        sizes->clear();
    }
    const QSize size = QFontMetrics(font).boundingRect(0, 0, LARGE, LARGE, flags, text).size();
    sizes->insert(key, size);
    return size;
}
} // namespace

CLASS_PAINTED_ITEM::CLASS_PAINTED_ITEM(const QWidget* owner, const QString& text)
    : owner(owner), text(text), styledAsOwner(false), padding(0), elided(false), indent(0)
{
}

CLASS_PAINTED_ITEM::CLASS_PAINTED_ITEM(const QWidget* owner, const QPixmap& pixmap)
    : owner(owner), pixmap(pixmap), styledAsOwner(false), padding(0), elided(false), indent(0)
{
}

void CLASS_PAINTED_ITEM::SetText(const QString& newText)
{
    text = newText;
    size = QSize();
}

void CLASS_PAINTED_ITEM::SetPixmap(const QPixmap& newPixmap)
{
    pixmap = newPixmap;
    size = QSize();
}

void CLASS_PAINTED_ITEM::SetStyledAsOwner(int newPadding)
{
    styledAsOwner = true;
    padding = newPadding;
    size = QSize();
}

void CLASS_PAINTED_ITEM::SetElided(bool elide)
{
    elided = elide;
    size = QSize();
}

bool CLASS_PAINTED_ITEM::IsCut() const
{
    return ShownText() != text;
}

void CLASS_PAINTED_ITEM::Paint(QPainter& painter) const
{
    QStyle* style = owner->style();
    if (!pixmap.isNull())
    {
        QStyleOption option;
        option.initFrom(owner);
        // Greyed against the window colour of the label it stands for: the owner's, or the application's
        // for a label that did not take the owner's style sheet.
        if (!styledAsOwner)
        {
            option.palette = QGuiApplication::palette();
        }
        const QPixmap shown =
            owner->isEnabled() ? pixmap : style->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
        style->drawItemPixmap(&painter, ContentRect(), static_cast<int>(ContentAlignment()), shown);
        return;
    }
    QRect area = ContentRect();
    if (!elided)
    {
        Measure();
        area.setLeft(area.left() + indent / 2);
    }
    const Qt::TextFlag direction =
        owner->layoutDirection() == Qt::RightToLeft ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
    style->drawItemText(&painter, area, static_cast<int>(ContentAlignment()) | direction, owner->palette(),
                        owner->isEnabled(), ShownText(), owner->foregroundRole());
}

void CLASS_PAINTED_ITEM::PaintAll(QPainter& painter, const QVector<const CLASS_PAINTED_ITEM*>& items)
{
    for (const CLASS_PAINTED_ITEM* item : items)
    {
        painter.save();
        item->Paint(painter);
        painter.restore();
    }
}

QSize CLASS_PAINTED_ITEM::sizeHint() const
{
    Measure();
    return size;
}

QSize CLASS_PAINTED_ITEM::minimumSize() const
{
    // An elided text asks for no width: its cell may be as narrow as the layout makes it.
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

Qt::Alignment CLASS_PAINTED_ITEM::ContentAlignment() const
{
    return QStyle::visualAlignment(owner->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter);
}

QRect CLASS_PAINTED_ITEM::ContentRect() const
{
    return place.adjusted(padding, padding, -padding, -padding);
}

QString CLASS_PAINTED_ITEM::ShownText() const
{
    if (!elided)
    {
        return text;
    }
    return owner->fontMetrics().elidedText(text, Qt::ElideRight, qMax(0, ContentRect().width()));
}

void CLASS_PAINTED_ITEM::Measure() const
{
    const QFont font = owner->font();
    if (size.isValid() && font == measuredIn)
    {
        return;
    }
    measuredIn = font;
    const QFontMetrics metrics(font);
    // A padded text label stands off its edge by an "x" in its size and by half of one when drawn.
    indent = padding > 0 && pixmap.isNull() ? metrics.horizontalAdvance(QLatin1Char('x')) : 0;
    if (!pixmap.isNull())
    {
        size = pixmap.size() / pixmap.devicePixelRatio();
    }
    else
    {
        // As wide and tall as the text on one line; the centring flags are left out, as a label leaves
        // them out, so that no half pixel is lost to rounding.
        const int flags = static_cast<int>(ContentAlignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter));
        size = TextSize(font, flags, text) + QSize(indent, 0);
    }
    size += QSize(2 * padding, 2 * padding);
    if (elided)
    {
        size.setWidth(0);
    }
}
