#ifndef GUI_DIALOGPLACEMENT_H
#define GUI_DIALOGPLACEMENT_H

class QWidget;

// Where the launcher's dialogs and boxes open: over the window the user works in.

// The window a box or file dialog belongs to: the one asked for, else the active window, else the
// launcher's visible main window; null when there is none.
QWidget* DialogOwner(QWidget* requested);

// Moves a top-level window so that it is centred over the owner's frame, kept on the owner's screen.
void CentreOver(QWidget* window, const QWidget* owner);

#endif // GUI_DIALOGPLACEMENT_H
