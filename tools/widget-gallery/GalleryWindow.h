#ifndef GALLERYWINDOW_H
#define GALLERYWINDOW_H

#include <QWidget>

// The gallery's window: live controls on top, the widgets below in an enabled and a disabled column.
class GalleryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget* parent = nullptr);
};

#endif // GALLERYWINDOW_H
