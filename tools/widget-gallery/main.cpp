#include "GalleryWindow.h"

#include <QApplication>
#include <QStyleFactory>

// Shows the common widget module's custom widgets in one window.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    GalleryWindow window;
    window.show();
    return application.exec();
}
