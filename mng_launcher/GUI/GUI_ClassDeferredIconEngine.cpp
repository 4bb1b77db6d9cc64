#include "GUI/GUI_ClassDeferredIconEngine.h"

#include <QPainter>

#include <utility>

CLASS_DEFERRED_ICON_ENGINE::CLASS_DEFERRED_ICON_ENGINE(std::function<QIcon()> maker) : maker(std::move(maker))
{
}

void CLASS_DEFERRED_ICON_ENGINE::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                                       QIcon::State state)
{
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize CLASS_DEFERRED_ICON_ENGINE::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Icon().actualSize(size, mode, state);
}

QPixmap CLASS_DEFERRED_ICON_ENGINE::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return Icon().pixmap(size, mode, state);
}

QList<QSize> CLASS_DEFERRED_ICON_ENGINE::availableSizes(QIcon::Mode mode, QIcon::State state) const
{
    return Icon().availableSizes(mode, state);
}

QString CLASS_DEFERRED_ICON_ENGINE::key() const
{
    return QStringLiteral("CLASS_DEFERRED_ICON_ENGINE");
}

QIconEngine* CLASS_DEFERRED_ICON_ENGINE::clone() const
{
    return new CLASS_DEFERRED_ICON_ENGINE(maker);
}

void CLASS_DEFERRED_ICON_ENGINE::virtual_hook(int id, void* data)
{
    switch (id)
    {
    case QIconEngine::IsNullHook:
        // Asking whether the icon is empty does not make it: it is taken to be drawable until it is made.
        *static_cast<bool*>(data) = false;
        break;
    default:
        QIconEngine::virtual_hook(id, data);
        break;
    }
}

const QIcon& CLASS_DEFERRED_ICON_ENGINE::Icon() const
{
    if (!made)
    {
        icon = maker();
        made = true;
    }
    return icon;
}
