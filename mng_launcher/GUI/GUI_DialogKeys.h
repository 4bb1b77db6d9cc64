#ifndef GUI_DIALOGKEYS_H
#define GUI_DIALOGKEYS_H

class QKeyEvent;
class QPushButton;
class QWidget;

// Enter and Escape in the launcher's windows that are no QDialog, as a dialog has them: Enter presses the
// focused button, or else the window's default button; Escape presses its closing button. A disabled
// button ignores the key. True when the key was one of these.
bool HandleDialogKey(const QKeyEvent* event, const QWidget* window, QPushButton* defaultButton,
                     QPushButton* closeButton);

#endif // GUI_DIALOGKEYS_H
