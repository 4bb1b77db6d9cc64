#ifndef COMMON_CLASSZRBARGRAPHSOUND_H
#define COMMON_CLASSZRBARGRAPHSOUND_H

#include "ZR_Types.h"

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

// A vertical level meter: a framed column whose level is cut from a colour gradient, with an optional
// text over it. It keeps an enabled and a disabled set of colours and switches with its enabled state.
// It paints in logical coordinates 24 x 118 mapped onto the widget.
class CLASS_ZR_BARGRAPH_SOUND : public QWidget
{
    Q_OBJECT

public:
    CLASS_ZR_BARGRAPH_SOUND(SDWord minValue, SDWord maxValue, const QColor& frameColor,
                            const QColor& frameLineColor, const QColor& levelBottomColor,
                            const QColor& levelUpperColor, const QColor& levelTopColor,
                            const QColor& disabledFrameColor, const QColor& disabledFrameLineColor,
                            const QColor& disabledLevelBottomColor, const QColor& disabledLevelUpperColor,
                            const QColor& disabledLevelTopColor, const QString& text, const QColor& textColor,
                            QWidget* parent = nullptr);

    SDWord CurrentValue() const { return currentValue; }
    SDWord MinValue() const { return minValue; }
    SDWord MaxValue() const { return maxValue; }
    QString Text() const { return text; }
    QColor TextColor() const { return textColor; }

    // Height in logical pixels of the level drawn for the current value.
    int LevelHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void SetCurrentValue(SDWord currentValue);
    void SetMinValue(SDWord minValue);
    void SetMaxValue(SDWord maxValue);
    void SetRange(SDWord minValue, SDWord maxValue);
    void SetText(QString text);
    void SetTextColor(QColor textColor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct COLOR_SET
    {
        QColor frame;
        QColor frameLine;
        QColor levelBottom;
        QColor levelUpper;
        QColor levelTop;
    };

    void UseColors(const COLOR_SET& colors);
    void RenderLevelPixmap();

    SDWord currentValue = 0;
    SDWord minValue = 0;
    SDWord maxValue = 0;
    QColor frameColor;
    QColor frameLineColor;
    QColor levelBottomColor;
    QColor levelUpperColor;
    QColor levelTopColor;
    COLOR_SET enabledColors;
    COLOR_SET disabledColors;
    QString text;
    QColor textColor;
    QPixmap levelPixmap;
};

#endif // COMMON_CLASSZRBARGRAPHSOUND_H
