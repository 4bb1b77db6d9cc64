#ifndef GALLERYART_H
#define GALLERYART_H

#include <QColor>
#include <QIcon>

// Colours and painted icons of the gallery: the widgets take theirs from the program that creates them.
namespace GalleryArt
{
const QColor INK(0x26, 0x32, 0x38);
const QColor MUTED(0x90, 0xA4, 0xAE);
const QColor ACCENT(0x00, 0xBF, 0xA5);
const QColor ACCENT_DARK(0x00, 0x89, 0x7B);
const QColor WARNING(0xFF, 0xB3, 0x00);
const QColor ALERT(0xE5, 0x39, 0x35);
const QColor PANEL(0xFA, 0xFB, 0xFC);
const QColor GREY_LIGHT(0xCF, 0xD8, 0xDC);
const QColor GREY(0x9E, 0x9E, 0x9E);

// The dial's three layers in an enabled or a disabled look.
QIcon DialBackground(bool enabled);
QIcon DialKnob(bool enabled);
QIcon DialMarker(bool enabled);

// A small square of colour for the combo box's items.
QIcon Swatch(const QColor& color);
} // namespace GalleryArt

#endif // GALLERYART_H
