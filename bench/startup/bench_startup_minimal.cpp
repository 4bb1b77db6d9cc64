// The yardstick for the launcher's start-up and memory: the smallest Qt widgets program that shows a
// window of the launcher's size with a label, under the same probe (modes exit, quit, stay).

#include "FirstPaintProbe.h"

#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication application(argc, argv);
    const FIRST_PAINT_PROBE probe(sinceMain, FIRST_PAINT_PROBE::ModeOf(argc, argv));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal Qt Widgets"));
    window.setCentralWidget(new QLabel(QStringLiteral("Hello"), &window));
    window.setMinimumSize(1330, 720);
    window.show();
    return application.exec();
}
