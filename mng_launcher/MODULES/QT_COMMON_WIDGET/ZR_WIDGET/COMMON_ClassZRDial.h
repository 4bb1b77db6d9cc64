#ifndef COMMON_CLASSZRDIAL_H
#define COMMON_CLASSZRDIAL_H

#include <QDial>
#include <QIcon>
#include <QPixmap>

// A dial drawn from three icons: a background, a knob over it and a marker inside the knob's rim that
// rotates with the value over a sweep centred at the top, so the unused part of the circle lies at the
// bottom. Value, range and stepping are those of QDial. It keeps an enabled and a disabled set of
// icons and switches with its enabled state.
class CLASS_ZR_DIAL : public QDial
{
    Q_OBJECT

public:
    CLASS_ZR_DIAL(const QIcon& knobIcon, const QIcon& markerIcon, const QIcon& backgroundIcon,
                  const QIcon& knobIconDisabled, const QIcon& markerIconDisabled,
                  const QIcon& backgroundIconDisabled, int sweepAngle, float knobScale, float markerInset,
                  float markerScale, QWidget* parent = nullptr);

    int SweepAngle() const { return sweepAngle; }
    float StartAngle() const { return startAngle; }
    bool ShowsDisabled() const { return showDisabled; }

    // Rotation of the marker, in degrees clockwise from the positive x axis, for the current value.
    float DialAngle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RenderPixmaps();

    int sweepAngle;
    bool showDisabled = false;
    QIcon knobIcon;
    QIcon knobIconDisabled;
    QIcon markerIcon;
    QIcon markerIconDisabled;
    QIcon backgroundIcon;
    QIcon backgroundIconDisabled;
    float startAngle;
    QPixmap knobPixmap;
    QPixmap markerPixmap;
    QPixmap backgroundPixmap;
    float knobScale;
    float markerInset;
    float markerScale;
};

#endif // COMMON_CLASSZRDIAL_H
