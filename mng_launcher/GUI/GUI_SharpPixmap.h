#ifndef GUI_SHARPPIXMAP_H
#define GUI_SHARPPIXMAP_H

#include <QPair>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QVector>

// An image resource as a pixmap for the screen's pixel density (QT_SCALE_FACTOR, high-density screens), so
// that logos, LEDs and icons are as sharp as the text: an SVG is rendered at the device pixel ratio; a
// bitmap takes its "@2x" file when there is one. fitInto, when valid, is the logical size the image is
// fitted into keeping its aspect ratio (an SVG's own size otherwise). A null pixmap for a missing resource.
QPixmap SharpPixmap(const QString& resource, const QSize& fitInto = QSize());

// Starts rendering these SVG resources (each with its fitInto, as SharpPixmap takes them) on a thread of
// their own, for the pixel density of now, while the GUI thread builds the widgets; SharpPixmap waits
// for them when it is first asked for one of them, instead of rendering it itself. Pixel for pixel the
// same. Once per run: a second call does nothing.
void RenderSvgsAhead(const QVector<QPair<QString, QSize>>& images);

#endif // GUI_SHARPPIXMAP_H
