#ifndef GUI_CLASSDEFERREDICONENGINE_H
#define GUI_CLASSDEFERREDICONENGINE_H

#include <QIcon>
#include <QIconEngine>

#include <functional>

// An icon that is made only when it is first drawn or measured: until then it holds only the function that
// makes it. Everything else is answered by the icon made.
class CLASS_DEFERRED_ICON_ENGINE : public QIconEngine
{
public:
    explicit CLASS_DEFERRED_ICON_ENGINE(std::function<QIcon()> maker);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) const override;
    QString key() const override;
    QIconEngine* clone() const override;
    void virtual_hook(int id, void* data) override;

private:
    const QIcon& Icon() const;

    std::function<QIcon()> maker;
    mutable QIcon icon;
    mutable bool made = false;
};

#endif // GUI_CLASSDEFERREDICONENGINE_H
