#ifndef COMMON_CLASSZRPROGRESSBAR_H
#define COMMON_CLASSZRPROGRESSBAR_H

#include <QColor>
#include <QProgressBar>
#include <QRectF>

// A progress bar drawn as a rounded coloured shape that grows from the left, with the percentage
// travelling inside its right end. The size index chooses the height and the corner radius.
class CLASS_ZR_PROGRESS_BAR : public QProgressBar
{
    Q_OBJECT

public:
    CLASS_ZR_PROGRESS_BAR(unsigned int sizeIndex, const QColor& fillColor, QWidget* parent = nullptr);

    // Height and corner radius of a size index; unknown indexes take those of index 2.
    static int StepHeight(unsigned int sizeIndex);
    static int StepRadius(unsigned int sizeIndex);

    unsigned int SizeIndex() const { return sizeIndex; }
    QColor FillColor() const { return fillColor; }

    // 0 when the range is empty, else the share of the range reached, from 0 to 100.
    double Percentage() const;
    // The coloured shape and the text drawn into it, for the current value and widget size.
    QRectF ShapeRect() const;
    QString PaintedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FillWidth() const;

    unsigned int sizeIndex;
    QColor fillColor;
};

#endif // COMMON_CLASSZRPROGRESSBAR_H
