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

// Opens a web page or a folder with the desktop's handler. When none can be started (no xdg-open, no
// handler for it), a box tells the address (a local file as its path) with a button that copies it.
// A browser that fails after xdg-open has started is not seen. True when the handler started.
bool OpenAddress(QWidget* parent, const QUrl& address, const QString& failureText);

#endif // GUI_OPENADDRESS_H
