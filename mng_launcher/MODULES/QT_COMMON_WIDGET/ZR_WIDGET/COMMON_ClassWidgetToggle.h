#ifndef COMMON_CLASSWIDGETTOGGLE_H
#define COMMON_CLASSWIDGETTOGGLE_H

#include <QAbstractButton>
#include <QColor>
#include <QRect>
#include <QString>

// A checkable button drawn as a coloured track with a rounded knob that carries a label. The knob sits
// at the left when unchecked and at the right when checked; it jumps, without animation.
class CLASS_WIDGET_TOGGLE : public QAbstractButton
{
    Q_OBJECT

public:
    CLASS_WIDGET_TOGGLE(const QColor& backgroundColor, const QColor& knobColor, const QString& checkedText,
                        const QString& uncheckedText, const QColor& labelColor, int margin,
                        float cornerRadius, float knobWidthRatio, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

    // Where the knob is drawn for the current state and size.
    QRect KnobRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor backgroundColor;
    QColor knobColor;
    int margin;
    QString checkedText;
    QString uncheckedText;
    QColor labelColor;
    float cornerRadius;
    float knobWidthRatio;
};

#endif // COMMON_CLASSWIDGETTOGGLE_H
