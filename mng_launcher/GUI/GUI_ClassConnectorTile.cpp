#include "GUI/GUI_ClassConnectorTile.h"

#include "GUI/GUI_ClassPaintedItem.h"

#include <QPainter>

CLASS_CONNECTOR_TILE::CLASS_CONNECTOR_TILE(QWidget* parent) : QWidget(parent)
{
    // The background and border of the style sheet, as a plain QWidget gets them.
    setAttribute(Qt::WA_StyledBackground);
}

CLASS_PAINTED_ITEM* CLASS_CONNECTOR_TILE::NewCaption(const QString& text)
{
    return Keep(new CLASS_PAINTED_ITEM(this, text));
}

CLASS_PAINTED_ITEM* CLASS_CONNECTOR_TILE::NewIcon(const QPixmap& pixmap)
{
    return Keep(new CLASS_PAINTED_ITEM(this, pixmap));
}

QStringList CLASS_CONNECTOR_TILE::Captions() const
{
    QStringList captions;
    for (const CLASS_PAINTED_ITEM* item : items)
    {
        if (item->Pixmap().isNull())
        {
            captions << item->Text();
        }
    }
    return captions;
}

QVector<QPixmap> CLASS_CONNECTOR_TILE::Icons() const
{
    QVector<QPixmap> icons;
    for (const CLASS_PAINTED_ITEM* item : items)
    {
        if (!item->Pixmap().isNull())
        {
            icons << item->Pixmap();
        }
    }
    return icons;
}

QRect CLASS_CONNECTOR_TILE::CaptionPlace(const QString& caption) const
{
    for (const CLASS_PAINTED_ITEM* item : items)
    {
        if (item->Pixmap().isNull() && item->Text() == caption)
        {
            return item->geometry();
        }
    }
    return QRect();
}

void CLASS_CONNECTOR_TILE::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CLASS_PAINTED_ITEM::PaintAll(painter, items);
}

CLASS_PAINTED_ITEM* CLASS_CONNECTOR_TILE::Keep(CLASS_PAINTED_ITEM* item)
{
    items.append(item);
    return item;
}
