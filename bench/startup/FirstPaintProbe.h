#ifndef BENCH_FIRSTPAINTPROBE_H
#define BENCH_FIRSTPAINTPROBE_H

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

// Watches for the first paint of a shown top-level window. Once that paint has been flushed to the
// display (the event loop runs again after the flush), it prints the time since main() began and then,
// by mode:
//   "exit"  ends the process at once (_Exit: no teardown, so that an outside timer measures start-up);
//   "quit"  quits the event loop normally (everything is released, the single-instance lock too);
//   "stay"  keeps running (for a memory reading from outside);
//   "shot=<file>"  saves what the display shows of the window at that moment (the first frame, as the
//                  X server has it) to the PNG file, then ends like "exit".
class FIRST_PAINT_PROBE : public QObject
{
public:
    FIRST_PAINT_PROBE(const QElapsedTimer& sinceMain, const QString& mode) : sinceMain(sinceMain), mode(mode)
    {
        qApp->installEventFilter(this);
    }

    // The mode given as the program's single argument ("exit" when none).
    static QString ModeOf(int argc, char* argv[])
    {
        return argc > 1 ? QString::fromLocal8Bit(argv[argc - 1]) : QStringLiteral("exit");
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!painted && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window()->isVisible())
        {
            painted = true;
            window = static_cast<QWidget*>(watched)->window();
            // Runs once the repaint that this paint belongs to has been flushed.
            QTimer::singleShot(0, this, [this]() { Report(); });
        }
        return false;
    }

private:
    void Report()
    {
        std::fprintf(stderr, "first paint flushed %.1f ms after main()\n",
                     static_cast<double>(sinceMain.nsecsElapsed()) / 1e6);
        std::fflush(stderr);
        const QLatin1String shotPrefix("shot=");
        if (mode.startsWith(shotPrefix))
        {
            SaveShot(mode.mid(shotPrefix.size()));
            std::_Exit(0);
        }
        if (mode == QStringLiteral("exit"))
        {
            std::_Exit(0);
        }
        if (mode == QStringLiteral("quit"))
        {
            QCoreApplication::quit();
        }
    }

    void SaveShot(const QString& path) const
    {
        QScreen* screen = window != nullptr ? window->screen() : nullptr;
        if (screen == nullptr || !screen->grabWindow(window->winId()).save(path, "PNG"))
        {
            std::fprintf(stderr, "no shot saved in %s\n", qPrintable(path));
        }
    }

    const QElapsedTimer& sinceMain;
    QString mode;
    QPointer<QWidget> window;
    bool painted = false;
};

#endif // BENCH_FIRSTPAINTPROBE_H
