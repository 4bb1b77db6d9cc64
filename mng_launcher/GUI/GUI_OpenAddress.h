#ifndef GUI_OPENADDRESS_H
#define GUI_OPENADDRESS_H

#include <QString>

class QUrl;
class QWidget;

// What the address boxes say before the address.
inline const QString BROWSER_NOT_OPENED_TEXT =
    QStringLiteral("The browser could not be opened. The device's web page is at:");
inline const QString LINK_NOT_OPENED_TEXT =
    QStringLiteral("The browser could not be opened. The link leads to:");
inline const QString FOLDER_NOT_OPENED_TEXT =
    QStringLiteral("The file manager could not be opened. The log folder is:");

// Opens a web page or a folder with the desktop's handler. When it cannot (no xdg-open, no handler for
// it, a browser or file manager that fails after xdg-open started: xdg-open ends with an error), a box
// tells the address (a local file as its path) with a button that copies it, and the log says why. The
// outcome may be known only after this returns (xdg-open's end, within a few seconds): the box then
// comes from the event loop, over parent if it still exists.
void OpenAddress(QWidget* parent, const QUrl& address, const QString& failureText);

#endif // GUI_OPENADDRESS_H
