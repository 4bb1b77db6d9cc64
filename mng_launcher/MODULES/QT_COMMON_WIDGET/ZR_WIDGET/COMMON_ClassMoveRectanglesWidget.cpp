#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassMoveRectanglesWidget.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QPainter>

namespace
{
constexpr int PEN_WIDTH = 2;
constexpr int LABEL_POINT_SIZE = 7;

QPen OutlinePen(const QColor& color)
{
    return QPen(color, PEN_WIDTH, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

// Visible items in list order with the selected one left out, then the selected one if visible, so it
// lies on top of the others.
template <typename ITEM, typename DRAW>
void DrawItems(const std::vector<std::unique_ptr<ITEM>>& items, const ITEM* selected, DRAW draw)
{
    for (const std::unique_ptr<ITEM>& item : items)
    {
        if (item->visible && item.get() != selected)
        {
            draw(*item, false);
        }
    }
    if (selected != nullptr && selected->visible)
    {
        draw(*selected, true);
    }
}
} // namespace

// Looks up the item of the operation; an index that names no item is logged from the operation itself,
// which then returns without changing anything.
#define FIND_ITEM_OR_RETURN(item, list, index, kind)                                                         \
    auto* item = ItemAt(list, index);                                                                        \
    if (item == nullptr)                                                                                     \
    {                                                                                                        \
        TRACE_ERROR(QStringLiteral("Unable to find a " kind " at index: ") + QString::number(index));        \
        return;                                                                                              \
    }

CLASS_MOVE_RECTANGLES_WIDGET::CLASS_MOVE_RECTANGLES_WIDGET(const QColor& normalColor,
                                                           const QColor& selectedColor, const QSize& size,
                                                           int drawBorder, QWidget* parent)
    : QWidget(parent), fixedSize(size), normalColor(normalColor), selectedColor(selectedColor),
      drawBorder(drawBorder)
{
    setFixedSize(fixedSize);
}

CLASS_MOVE_RECTANGLES_WIDGET::~CLASS_MOVE_RECTANGLES_WIDGET() = default;

template <typename ITEM>
ITEM* CLASS_MOVE_RECTANGLES_WIDGET::ItemAt(const std::vector<std::unique_ptr<ITEM>>& items, int index)
{
    if (index < 0 || index >= int(items.size()))
    {
        return nullptr;
    }
    return items[size_t(index)].get();
}

template <typename ITEM>
int CLASS_MOVE_RECTANGLES_WIDGET::IndexOf(const std::vector<std::unique_ptr<ITEM>>& items, const ITEM* item)
{
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (items[i].get() == item)
        {
            return int(i);
        }
    }
    return -1;
}

void CLASS_MOVE_RECTANGLES_WIDGET::AddRectangle(const QRectF& geometry, bool visible, bool select,
                                                const QColor& fillColor, const QString& label)
{
    rectangles.push_back(
        std::make_unique<RECTANGLE_ITEM>(RECTANGLE_ITEM{geometry, visible, fillColor, label}));
    if (select)
    {
        selectedRectangle = rectangles.back().get();
    }
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::AddLine(const QLineF& geometry, bool visible, bool select,
                                           const QColor& color)
{
    lines.push_back(std::make_unique<LINE_ITEM>(LINE_ITEM{geometry, visible, color}));
    if (select)
    {
        selectedLine = lines.back().get();
    }
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::AddText(const QPoint& position, bool visible, const QString& text)
{
    texts.push_back(std::make_unique<TEXT_ITEM>(TEXT_ITEM{position, visible, text}));
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeRectangleSize(int index, const QSizeF& size)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    rectangle->geometry.setSize(size);
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeRectanglePosition(int index, const QPointF& position)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    rectangle->geometry.moveTopLeft(position);
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeRectangleLabel(int index, const QString& label)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    rectangle->label = label;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeRectangleColor(int index, const QColor& fillColor)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    rectangle->fillColor = fillColor;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeRectangleVisibility(int index, bool visible)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    rectangle->visible = visible;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::SelectNewRectangle(int index)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    selectedRectangle = rectangle;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeAllParameters(int index, const QPointF& position, const QSizeF& size,
                                                       bool visible, bool select, const QColor& fillColor,
                                                       const QString& label)
{
    FIND_ITEM_OR_RETURN(rectangle, rectangles, index, "rectangle")
    rectangle->geometry = QRectF(position, size);
    rectangle->visible = visible;
    rectangle->fillColor = fillColor;
    rectangle->label = label;
    if (select)
    {
        selectedRectangle = rectangle;
    }
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeLineCoordinates(int index, const QLineF& geometry)
{
    FIND_ITEM_OR_RETURN(line, lines, index, "line")
    line->geometry = geometry;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeLineColor(int index, const QColor& color)
{
    FIND_ITEM_OR_RETURN(line, lines, index, "line")
    line->color = color;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeLineVisibility(int index, bool visible)
{
    FIND_ITEM_OR_RETURN(line, lines, index, "line")
    line->visible = visible;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::SelectNewLine(int index)
{
    FIND_ITEM_OR_RETURN(line, lines, index, "line")
    selectedLine = line;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeTextCoordinates(int index, const QPoint& position)
{
    FIND_ITEM_OR_RETURN(text, texts, index, "text")
    text->position = position;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeTextString(int index, const QString& string)
{
    FIND_ITEM_OR_RETURN(text, texts, index, "text")
    text->text = string;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::ChangeTextVisibility(int index, bool visible)
{
    FIND_ITEM_OR_RETURN(text, texts, index, "text")
    text->visible = visible;
    update();
}

void CLASS_MOVE_RECTANGLES_WIDGET::SelectNewText(int index)
{
    FIND_ITEM_OR_RETURN(text, texts, index, "text")
    selectedText = text;
    update();
}

int CLASS_MOVE_RECTANGLES_WIDGET::SelectedRectangleIndex() const
{
    return IndexOf(rectangles, selectedRectangle);
}

int CLASS_MOVE_RECTANGLES_WIDGET::SelectedLineIndex() const
{
    return IndexOf(lines, selectedLine);
}

int CLASS_MOVE_RECTANGLES_WIDGET::SelectedTextIndex() const
{
    return IndexOf(texts, selectedText);
}

QRectF CLASS_MOVE_RECTANGLES_WIDGET::RectangleGeometry(int index) const
{
    const RECTANGLE_ITEM* rectangle = ItemAt(rectangles, index);
    return rectangle != nullptr ? rectangle->geometry : QRectF();
}

QString CLASS_MOVE_RECTANGLES_WIDGET::RectangleLabel(int index) const
{
    const RECTANGLE_ITEM* rectangle = ItemAt(rectangles, index);
    return rectangle != nullptr ? rectangle->label : QString();
}

QSize CLASS_MOVE_RECTANGLES_WIDGET::minimumSizeHint() const
{
    return QSize(160, 90);
}

void CLASS_MOVE_RECTANGLES_WIDGET::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(QFont(QStringLiteral("Liberation Mono"), LABEL_POINT_SIZE, QFont::Normal));
    const auto outlineColor = [this](bool selected) { return selected ? selectedColor : normalColor; };

    DrawItems(rectangles, selectedRectangle,
              [&](const RECTANGLE_ITEM& rectangle, bool selected)
              {
                  const QRectF shrunk = rectangle.geometry.adjusted(1, 1, -1, -1);
                  painter.setBrush(rectangle.fillColor);
                  painter.setPen(OutlinePen(outlineColor(selected)));
                  painter.drawRect(shrunk);
                  painter.drawText(shrunk, Qt::AlignCenter, rectangle.label);
              });
    DrawItems(lines, selectedLine,
              [&](const LINE_ITEM& line, bool selected)
              {
                  painter.setPen(OutlinePen(outlineColor(selected)));
                  painter.drawLine(line.geometry);
              });
    DrawItems(texts, selectedText,
              [&](const TEXT_ITEM& text, bool selected)
              {
                  painter.setPen(outlineColor(selected));
                  painter.drawText(text.position, text.text);
              });
    if (drawBorder != 0)
    {
        painter.setPen(OutlinePen(normalColor));
        painter.setBrush(Qt::transparent);
        painter.drawRect(QRect(0, 0, width(), height()));
    }
}
