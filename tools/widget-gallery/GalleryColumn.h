#ifndef GALLERYCOLUMN_H
#define GALLERYCOLUMN_H

#include <QGroupBox>

class CLASS_COMMON_LABEL;
class CLASS_FILTER_LINE_EDIT;
class CLASS_MOVE_RECTANGLES_WIDGET;
class CLASS_ZR_BARGRAPH_SOUND;
class CLASS_ZR_DIAL;
class CLASS_ZR_PROGRESS_BAR;
class QLabel;

// One column of the gallery: every custom widget of the module once. The disabled column is the same
// set inside a disabled group, so each widget shows its disabled look.
class GalleryColumn : public QGroupBox
{
    Q_OBJECT

public:
    GalleryColumn(const QString& title, bool enabled, QWidget* parent = nullptr);

public slots:
    void SetLevel(int level);
    void SetCaption(const QString& caption);
    void SelectNextRectangle();

signals:
    // The user turned the dial.
    void LevelChanged(int level);

private:
    QWidget* MakeToggles();
    QWidget* MakeFilter();
    QWidget* MakeCaptions();
    QWidget* MakeMeters();
    QWidget* MakeComboBox();
    CLASS_MOVE_RECTANGLES_WIDGET* MakeRectangles();
    void ApplyFilter();

    CLASS_FILTER_LINE_EDIT* filter = nullptr;
    QLabel* filterResult = nullptr;
    CLASS_COMMON_LABEL* wideCaption = nullptr;
    CLASS_COMMON_LABEL* narrowCaption = nullptr;
    CLASS_ZR_BARGRAPH_SOUND* barGraph = nullptr;
    CLASS_ZR_DIAL* dial = nullptr;
    CLASS_ZR_PROGRESS_BAR* progressBar = nullptr;
    CLASS_MOVE_RECTANGLES_WIDGET* rectangles = nullptr;
    int selectedRectangle = 0;
};

#endif // GALLERYCOLUMN_H
