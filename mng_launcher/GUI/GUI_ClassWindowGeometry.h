#ifndef GUI_CLASSWINDOWGEOMETRY_H
#define GUI_CLASSWINDOWGEOMETRY_H

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Where the launcher window opens: where the user left it (size, position, maximised), kept in a
// per-user settings file of the launcher's own, when that place still lies on a screen; otherwise at its
// preferred size, fitted to the primary screen's free area and centred there.
class CLASS_WINDOW_GEOMETRY
{
public:
    // A window's place: its normal geometry (without the frame) and whether it is maximised.
    struct PLACEMENT
    {
        QRect geometry;
        bool maximized = false;
    };
    // A screen as the window system gives it: its whole area and the part that panels leave free.
    struct SCREEN_AREA
    {
        QRect geometry;
        QRect available;
    };

    // Room kept for the frame and title bar that the window manager adds around the window.
    static constexpr int FRAME_WIDTH = 16;
    static constexpr int FRAME_HEIGHT = 48;

    // filePath empty: the launcher's own file, window.ini in its configuration folder.
    explicit CLASS_WINDOW_GEOMETRY(const QString& filePath = QString());

    QString FilePath() const { return filePath; }
    // Writes where the window is now; false (and logged) when the file cannot be written.
    bool Save(const QWidget& window) const;
    // The saved place; false when there is none.
    bool Load(PLACEMENT& placement) const;
    // Places the window where Choose says, with the screens there are now, and shows it.
    void Show(QWidget& window, const QSize& preferred) const;

    // Where a window opens: the saved place (null or empty: none) on the screen it meets, kept within
    // that screen's free area; else the preferred size, no larger than the primary (first) screen's free
    // area, centred there. Never smaller than minimum.
    static PLACEMENT Choose(const PLACEMENT* saved, const QList<SCREEN_AREA>& screens, const QSize& preferred,
                            const QSize& minimum);
    // The screens of the application, the primary one first.
    static QList<SCREEN_AREA> Screens();

private:
    // Size and position kept within the free area, the frame's room left around it.
    static QRect Fitted(const QRect& wanted, const QRect& available, const QSize& minimum);

    QString filePath;
};

#endif // GUI_CLASSWINDOWGEOMETRY_H
