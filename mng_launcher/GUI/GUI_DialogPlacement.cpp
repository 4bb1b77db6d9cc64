#include "GUI/GUI_DialogPlacement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

QWidget* DialogOwner(QWidget* requested)
{
    if (requested != nullptr)
    {
        return requested;
    }
    if (QApplication::activeWindow() != nullptr)
    {
        return QApplication::activeWindow();
    }
    for (QWidget* widget : QApplication::topLevelWidgets())
    {
        if (widget->isVisible() && qobject_cast<QMainWindow*>(widget) != nullptr)
        {
            return widget;
        }
    }
    return nullptr;
}

void CentreOver(QWidget* window, const QWidget* owner)
{
    if (window == nullptr || owner == nullptr || !owner->isVisible())
    {
        return;
    }
    window->adjustSize();
    QRect frame = window->frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    const QScreen* screen = owner->screen();
    if (screen != nullptr)
    {
        const QRect available = screen->availableGeometry();
        frame.moveLeft(qBound(available.left(), frame.left(),
                              qMax(available.left(), available.right() - frame.width())));
        frame.moveTop(
            qBound(available.top(), frame.top(), qMax(available.top(), available.bottom() - frame.height())));
    }
    window->move(frame.topLeft());
}
