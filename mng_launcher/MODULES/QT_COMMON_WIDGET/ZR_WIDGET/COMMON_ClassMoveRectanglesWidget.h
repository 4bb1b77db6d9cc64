#ifndef COMMON_CLASSMOVERECTANGLESWIDGET_H
#define COMMON_CLASSMOVERECTANGLESWIDGET_H

#include <QColor>
#include <QLineF>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

// A fixed-size canvas showing three lists of items placed by its owner: filled rectangles with a centred
// label, straight lines and texts. One item of each kind can be selected; it is then outlined in the
// selected colour and drawn on top of the others. The widget does not react to the mouse: the owner
// changes the items by their position in their list, and every change repaints.
class CLASS_MOVE_RECTANGLES_WIDGET : public QWidget
{
    Q_OBJECT

public:
    CLASS_MOVE_RECTANGLES_WIDGET(const QColor& normalColor, const QColor& selectedColor, const QSize& size,
                                 int drawBorder, QWidget* parent = nullptr);
    ~CLASS_MOVE_RECTANGLES_WIDGET() override;

    void AddRectangle(const QRectF& geometry, bool visible, bool select, const QColor& fillColor,
                      const QString& label);
    void AddLine(const QLineF& geometry, bool visible, bool select, const QColor& color);
    void AddText(const QPoint& position, bool visible, const QString& text);

    void ChangeRectangleSize(int index, const QSizeF& size);
    void ChangeRectanglePosition(int index, const QPointF& position);
    void ChangeRectangleLabel(int index, const QString& label);
    void ChangeRectangleColor(int index, const QColor& fillColor);
    void ChangeRectangleVisibility(int index, bool visible);
    void SelectNewRectangle(int index);
    void ChangeAllParameters(int index, const QPointF& position, const QSizeF& size, bool visible,
                             bool select, const QColor& fillColor, const QString& label);

    void ChangeLineCoordinates(int index, const QLineF& geometry);
    void ChangeLineColor(int index, const QColor& color);
    void ChangeLineVisibility(int index, bool visible);
    void SelectNewLine(int index);

    void ChangeTextCoordinates(int index, const QPoint& position);
    void ChangeTextString(int index, const QString& text);
    void ChangeTextVisibility(int index, bool visible);
    void SelectNewText(int index);

    int RectangleCount() const { return int(rectangles.size()); }
    int LineCount() const { return int(lines.size()); }
    int TextCount() const { return int(texts.size()); }
    // Positions of the selected items in their lists, -1 when none is selected.
    int SelectedRectangleIndex() const;
    int SelectedLineIndex() const;
    int SelectedTextIndex() const;
    QRectF RectangleGeometry(int index) const;
    QString RectangleLabel(int index) const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct RECTANGLE_ITEM
    {
        QRectF geometry;
        bool visible;
        QColor fillColor;
        QString label;
    };
    struct LINE_ITEM
    {
        QLineF geometry;
        bool visible;
        QColor color; // kept for the owner; lines are drawn in the normal or the selected colour
    };
    struct TEXT_ITEM
    {
        QPoint position;
        bool visible;
        QString text;
    };

    template <typename ITEM> static ITEM* ItemAt(const std::vector<std::unique_ptr<ITEM>>& items, int index);
    template <typename ITEM>
    static int IndexOf(const std::vector<std::unique_ptr<ITEM>>& items, const ITEM* item);

    QSize fixedSize;
    std::vector<std::unique_ptr<RECTANGLE_ITEM>> rectangles;
    RECTANGLE_ITEM* selectedRectangle = nullptr;
    std::vector<std::unique_ptr<LINE_ITEM>> lines;
    LINE_ITEM* selectedLine = nullptr;
    std::vector<std::unique_ptr<TEXT_ITEM>> texts;
    TEXT_ITEM* selectedText = nullptr;
    QColor normalColor;
    QColor selectedColor;
    int drawBorder;
};

#endif // COMMON_CLASSMOVERECTANGLESWIDGET_H
