#ifndef DEVICE_CLASSSETUPVIEWPOINTER_H
#define DEVICE_CLASSSETUPVIEWPOINTER_H

#include "DEVICE/DEVICE_ClassSetupView.h"

#include <QObject>
#include <QPointer>

// A setup panel as the session back end holds it: null again once the panel is gone (the view may go
// first at shutdown).
class CLASS_SETUP_VIEW_POINTER
{
public:
    CLASS_SETUP_VIEW_POINTER() = default;
    // NOLINTNEXTLINE(google-explicit-constructor): stands where a plain pointer stood
    CLASS_SETUP_VIEW_POINTER(CLASS_SETUP_VIEW* view)
        : view(view), alive(view != nullptr ? view->ViewObject() : nullptr)
    {
    }

    bool isNull() const { return alive.isNull(); }
    CLASS_SETUP_VIEW* data() const { return alive.isNull() ? nullptr : view; }
    CLASS_SETUP_VIEW* operator->() const { return data(); }
    // NOLINTNEXTLINE(google-explicit-constructor)
    operator CLASS_SETUP_VIEW*() const { return data(); }

private:
    CLASS_SETUP_VIEW* view = nullptr;
    QPointer<QObject> alive;
};

#endif // DEVICE_CLASSSETUPVIEWPOINTER_H
