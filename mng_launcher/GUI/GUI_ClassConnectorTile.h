#ifndef GUI_CLASSCONNECTORTILE_H
#define GUI_CLASSCONNECTORTILE_H

#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QVector>
#include <QWidget>

class CLASS_PAINTED_ITEM;

// One tile of the connector panel, or the frame inside the audio tile. Its captions and connector icons
// are items of its layout that it draws itself: it looks as a tile of labels would, for a single widget
// instead of one per caption and icon. Its own style sheet gives its background and border and the
// captions' colour and font (greyed while it is disabled, where the sheet says so).
class CLASS_CONNECTOR_TILE : public QWidget
{
    Q_OBJECT

public:
    explicit CLASS_CONNECTOR_TILE(QWidget* parent);

    // A new item of the tile, for its layout (which then owns it).
    CLASS_PAINTED_ITEM* NewCaption(const QString& text);
    CLASS_PAINTED_ITEM* NewIcon(const QPixmap& pixmap);

    // The captions and icons in the order they were made.
    QStringList Captions() const;
    QVector<QPixmap> Icons() const;
    // Where a caption is drawn in the tile; an empty rectangle for a caption it does not have.
    QRect CaptionPlace(const QString& caption) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CLASS_PAINTED_ITEM* Keep(CLASS_PAINTED_ITEM* item);

    QVector<const CLASS_PAINTED_ITEM*> items;
};

#endif // GUI_CLASSCONNECTORTILE_H
