#include "GUI/GUI_DialogKeys.h"

#include <QKeyEvent>
#include <QPushButton>

bool HandleDialogKey(const QKeyEvent* event, const QWidget* window, QPushButton* defaultButton,
                     QPushButton* closeButton)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
    {
        return false;
    }
    switch (event->key())
    {
    case Qt::Key_Escape:
        closeButton->click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    {
        QPushButton* focused = qobject_cast<QPushButton*>(window->focusWidget());
        (focused != nullptr ? focused : defaultButton)->click();
        return true;
    }
    default:
        return false;
    }
}
