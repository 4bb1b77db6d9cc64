#ifndef COMMON_CLASSZRGRADUATION_H
#define COMMON_CLASSZRGRADUATION_H

#include "ZR_Types.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>

// A vertical scale with labelled ticks, meant to stand beside a level meter: the minimum at the bottom,
// the maximum at the top and any number of marks in between, labels on the left of the axis.
class CLASS_ZR_GRADUATION : public QWidget
{
    Q_OBJECT

public:
    CLASS_ZR_GRADUATION(SDWord minimum, const QString& minLabel, SDWord maximum, const QString& maxLabel,
                        const QColor& enabledLineColor, const QColor& disabledLineColor,
                        QWidget* parent = nullptr);

    SDWord Minimum() const { return minimum; }
    SDWord Maximum() const { return maximum; }
    QString MinLabel() const { return minLabel; }
    QString MaxLabel() const { return maxLabel; }
    QList<QPair<SDWord, QString>> Graduations() const { return graduations; }
    QColor LineColor() const { return lineColor; }

    // Adds a mark strictly between the minimum and the maximum; false, and nothing changes, otherwise.
    bool AddGraduation(SDWord value, const QString& label);
    void ClearGraduations();

    // Row of a mark's tick for a widget of the given height.
    int MarkRow(SDWord value, int widgetHeight) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void SetMinValue(SDWord minValue, QString valueToDisplay);
    void SetMaxValue(SDWord maxValue, QString valueToDisplay);
    void SetRange(SDWord minValue, QString minValueToDiplay, SDWord maxValue, QString maxValueToDiplay);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int WidestLabel() const;
    void Changed();

    SDWord minimum;
    QString minLabel;
    SDWord maximum;
    QString maxLabel;
    QList<QPair<SDWord, QString>> graduations;
    QColor lineColor;
    QColor enabledLineColor;
    QColor disabledLineColor;
};

#endif // COMMON_CLASSZRGRADUATION_H
