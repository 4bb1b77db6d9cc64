#include "GUI/GUI_SharpPixmap.h"

#include "GUI/GUI_Theme.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <future>
#include <system_error>

namespace
{
qreal DevicePixelRatio()
{
    return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

QString CacheKey(const QString& resource, const QSize& fitInto, qreal ratio)
{
    return QStringLiteral("SharpPixmap:%1:%2x%3@%4")
        .arg(resource)
        .arg(fitInto.width())
        .arg(fitInto.height())
        .arg(ratio);
}

// Painting into an image needs no GUI thread: this runs on the thread that renders ahead too. textFont
// is what the SVG's text is laid out from.
QImage SvgImage(const QString& resource, const QSize& fitInto, qreal ratio, const QFont& textFont)
{
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
    {
        return QImage();
    }
    const QSize logical = fitInto.isValid() ? renderer.defaultSize().scaled(fitInto, Qt::KeepAspectRatio)
                                            : renderer.defaultSize();
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(textFont);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

QPixmap ScreenPixmap(const QImage& image, qreal ratio)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap RenderedSvg(const QString& resource, const QSize& fitInto, qreal ratio)
{
    const QImage image = SvgImage(resource, fitInto, ratio, PlatformFont());
    return image.isNull() ? QPixmap() : ScreenPixmap(image, ratio);
}

// The images being rendered ahead, by cache key, and the ratio they are rendered for. Used on the GUI
// thread only; the rendering thread sees nothing but its own copy of the list.
struct RENDERED_AHEAD
{
    QStringList keys;
    qreal ratio = 1.0;
    std::future<QHash<QString, QImage>> images;
};

RENDERED_AHEAD& RenderedAhead()
{
    static RENDERED_AHEAD ahead;
    return ahead;
}

// When the key is one of the images rendered ahead: waits for them and puts them into the pixmap cache.
void TakeRenderedAhead(const QString& key)
{
    RENDERED_AHEAD& ahead = RenderedAhead();
    if (!ahead.images.valid() || !ahead.keys.contains(key))
    {
        return;
    }
    const QHash<QString, QImage> images = ahead.images.get();
    ahead.keys.clear();
    for (auto image = images.cbegin(); image != images.cend(); ++image)
    {
        if (!image.value().isNull())
        {
            QPixmapCache::insert(image.key(), ScreenPixmap(image.value(), ahead.ratio));
        }
    }
}

// A bitmap is read by the decoder its suffix names, without offering it to the image-format plugins first:
// that offer loads every plugin installed (and libraries such as libtiff and libwebp) on the first read.
bool LoadBitmap(QPixmap& pixmap, const QString& file)
{
    QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
    {
        return false;
    }
    pixmap = QPixmap::fromImage(image);
    return true;
}

QPixmap Bitmap(const QString& resource, const QSize& fitInto, qreal ratio)
{
    QPixmap pixmap;
    if (ratio > 1.0)
    {
        QString doubled = resource;
        doubled.insert(resource.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
        if (LoadBitmap(pixmap, doubled))
        {
            pixmap.setDevicePixelRatio(2.0);
        }
    }
    if (pixmap.isNull() && !LoadBitmap(pixmap, resource))
    {
        return QPixmap();
    }
    if (!fitInto.isValid())
    {
        return pixmap;
    }
    const qreal own = pixmap.devicePixelRatio();
    QPixmap fitted = pixmap.scaled(fitInto * own, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(own);
    return fitted;
}
} // namespace

QPixmap SharpPixmap(const QString& resource, const QSize& fitInto)
{
    // The same image at the same size is made once (every session's LED, every panel's icons) and then
    // shared from Qt's pixmap cache.
    const qreal ratio = DevicePixelRatio();
    const QString key = CacheKey(resource, fitInto, ratio);
    TakeRenderedAhead(key);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
    {
        return pixmap;
    }
    pixmap = resource.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)
                 ? RenderedSvg(resource, fitInto, ratio)
                 : Bitmap(resource, fitInto, ratio);
    if (!pixmap.isNull())
    {
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

void RenderSvgsAhead(const QVector<QPair<QString, QSize>>& images)
{
    RENDERED_AHEAD& ahead = RenderedAhead();
    if (ahead.images.valid())
    {
        return;
    }
    const qreal ratio = DevicePixelRatio();
    const QFont textFont = PlatformFont();
    QStringList keys;
    for (const auto& image : images)
    {
        keys.append(CacheKey(image.first, image.second, ratio));
    }
    try
    {
        ahead.images =
            std::async(std::launch::async,
                       [images, keys, ratio, textFont]()
                       {
                           QHash<QString, QImage> rendered;
                           for (int i = 0; i < images.size(); ++i)
                           {
                               rendered.insert(keys.at(i), SvgImage(images.at(i).first, images.at(i).second,
                                                                    ratio, textFont));
                           }
                           return rendered;
                       });
    }
    catch (const std::system_error&)
    {
        // No thread to spare: each image is rendered when it is asked for, as without this call.
        return;
    }
    ahead.keys = keys;
    ahead.ratio = ratio;
}
