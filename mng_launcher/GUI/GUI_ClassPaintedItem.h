#ifndef GUI_CLASSPAINTEDITEM_H
#define GUI_CLASSPAINTEDITEM_H

#include <QFont>
#include <QLayoutItem>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

class QPainter;
class QWidget;

// A caption or an icon in a widget's layout that the widget draws itself: it takes the place, the size
// and the look that a QLabel showing the same text or pixmap would take there (its text or pixmap
// left-aligned and vertically centred in its cell, in the owner's font and palette, greyed while the
// owner is disabled), without being a widget of its own. Styled as its owner, it is a label that took its
// owner's style sheet: the owner's colours and the sheet's padding (a text then also stands off its left
// edge by half an "x"). An elided text is the label that asks for no width and ends in "…" when its cell
// is too narrow.
class CLASS_PAINTED_ITEM : public QLayoutItem
{
public:
    CLASS_PAINTED_ITEM(const QWidget* owner, const QString& text);
    CLASS_PAINTED_ITEM(const QWidget* owner, const QPixmap& pixmap);

    const QString& Text() const { return text; }
    const QPixmap& Pixmap() const { return pixmap; }
    // A new text or pixmap: the owner lays out and repaints.
    void SetText(const QString& newText);
    void SetPixmap(const QPixmap& newPixmap);
    void SetStyledAsOwner(int padding);
    void SetElided(bool elided);
    // True while an elided text is cut to fit its place.
    bool IsCut() const;
    // Draws the item at its place in the owner (the painter paints on the owner).
    void Paint(QPainter& painter) const;
    // Draws the items in their order, each from the painter's state as it was before the first.
    static void PaintAll(QPainter& painter, const QVector<const CLASS_PAINTED_ITEM*>& items);

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    QSize maximumSize() const override;
    Qt::Orientations expandingDirections() const override;
    bool isEmpty() const override;
    void setGeometry(const QRect& rect) override;
    QRect geometry() const override;

private:
    Qt::Alignment ContentAlignment() const;
    QRect ContentRect() const;
    QString ShownText() const;
    // Measures the content (size and indent) again if the owner's font is not the one it was measured in.
    void Measure() const;

    const QWidget* owner;
    QString text;
    QPixmap pixmap;
    bool styledAsOwner;
    int padding;
    bool elided;
    QRect place;
    // The content's measure, kept while the owner's font stays the one it was measured in: a layout asks
    // for it at every pass.
    mutable QSize size;
    mutable int indent;
    mutable QFont measuredIn;
};

#endif // GUI_CLASSPAINTEDITEM_H
