#include "GUI/GUI_ClassWindowGeometry.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

namespace
{
const QString FILE_NAME = QStringLiteral("window.ini");
const QString KEY_X = QStringLiteral("Window/x");
const QString KEY_Y = QStringLiteral("Window/y");
const QString KEY_WIDTH = QStringLiteral("Window/width");
const QString KEY_HEIGHT = QStringLiteral("Window/height");
const QString KEY_MAXIMIZED = QStringLiteral("Window/maximized");

const CLASS_WINDOW_GEOMETRY::SCREEN_AREA* ScreenMet(const QRect& geometry,
                                                    const QList<CLASS_WINDOW_GEOMETRY::SCREEN_AREA>& screens)
{
    const auto met = std::find_if(screens.cbegin(), screens.cend(),
                                  [&geometry](const CLASS_WINDOW_GEOMETRY::SCREEN_AREA& screen)
                                  { return screen.geometry.intersects(geometry); });
    return met != screens.cend() ? &*met : nullptr;
}
} // namespace

CLASS_WINDOW_GEOMETRY::CLASS_WINDOW_GEOMETRY(const QString& filePath)
    : filePath(filePath.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                                        QLatin1Char('/') + FILE_NAME
                                  : filePath)
{
}

bool CLASS_WINDOW_GEOMETRY::Save(const QWidget& window) const
{
    // The normal geometry also of a maximised window: un-maximising it next time goes back there.
    const QRect geometry = window.isMaximized() ? window.normalGeometry() : window.geometry();
    QSettings settings(filePath, QSettings::IniFormat);
    settings.setValue(KEY_X, geometry.x());
    settings.setValue(KEY_Y, geometry.y());
    settings.setValue(KEY_WIDTH, geometry.width());
    settings.setValue(KEY_HEIGHT, geometry.height());
    settings.setValue(KEY_MAXIMIZED, window.isMaximized());
    settings.sync();
    if (settings.status() != QSettings::NoError)
    {
        TRACE_ERROR(QStringLiteral("Cannot write the window's place to ") + filePath);
        return false;
    }
    return true;
}

bool CLASS_WINDOW_GEOMETRY::Load(PLACEMENT& placement) const
{
    const QSettings settings(filePath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || !settings.contains(KEY_WIDTH))
    {
        return false;
    }
    placement.geometry = QRect(settings.value(KEY_X).toInt(), settings.value(KEY_Y).toInt(),
                               settings.value(KEY_WIDTH).toInt(), settings.value(KEY_HEIGHT).toInt());
    placement.maximized = settings.value(KEY_MAXIMIZED).toBool();
    return true;
}

void CLASS_WINDOW_GEOMETRY::Show(QWidget& window, const QSize& preferred) const
{
    PLACEMENT saved;
    const PLACEMENT placement =
        Choose(Load(saved) ? &saved : nullptr, Screens(), preferred, window.minimumSize());
    window.setGeometry(placement.geometry);
    if (placement.maximized)
    {
        window.showMaximized();
        return;
    }
    window.show();
}

CLASS_WINDOW_GEOMETRY::PLACEMENT CLASS_WINDOW_GEOMETRY::Choose(const PLACEMENT* saved,
                                                               const QList<SCREEN_AREA>& screens,
                                                               const QSize& preferred, const QSize& minimum)
{
    PLACEMENT placement;
    const SCREEN_AREA* screen =
        saved != nullptr && !saved->geometry.isEmpty() ? ScreenMet(saved->geometry, screens) : nullptr;
    if (screen != nullptr)
    {
        placement.geometry = Fitted(saved->geometry, screen->available, minimum);
        placement.maximized = saved->maximized;
        return placement;
    }
    if (screens.isEmpty())
    {
        placement.geometry = QRect(QPoint(0, 0), preferred.expandedTo(minimum));
        return placement;
    }
    const QRect& available = screens.first().available;
    QRect centred(QPoint(0, 0), preferred);
    centred.moveCenter(available.center());
    placement.geometry = Fitted(centred, available, minimum);
    return placement;
}

QList<CLASS_WINDOW_GEOMETRY::SCREEN_AREA> CLASS_WINDOW_GEOMETRY::Screens()
{
    QList<SCREEN_AREA> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens())
    {
        const SCREEN_AREA area{screen->geometry(), screen->availableGeometry()};
        if (screen == primary)
        {
            screens.prepend(area);
        }
        else
        {
            screens.append(area);
        }
    }
    return screens;
}

QRect CLASS_WINDOW_GEOMETRY::Fitted(const QRect& wanted, const QRect& available, const QSize& minimum)
{
    // The frame sits outside the geometry: its room comes off the free area, on the left and at the top
    // (title bar) as much as the window manager puts there.
    const QRect inner = available.adjusted(FRAME_WIDTH / 2, FRAME_HEIGHT - FRAME_WIDTH / 2, -FRAME_WIDTH / 2,
                                           -FRAME_WIDTH / 2);
    QRect fitted(wanted.topLeft(), wanted.size().boundedTo(inner.size()).expandedTo(minimum));
    fitted.moveLeft(std::max(inner.left(), std::min(fitted.left(), inner.right() + 1 - fitted.width())));
    fitted.moveTop(std::max(inner.top(), std::min(fitted.top(), inner.bottom() + 1 - fitted.height())));
    return fitted;
}
