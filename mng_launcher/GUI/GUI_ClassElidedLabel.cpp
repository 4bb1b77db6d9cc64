#include "GUI/GUI_ClassElidedLabel.h"

#include <QPainter>
#include <QStyle>
#include <QTextDocument>

CLASS_ELIDED_LABEL::CLASS_ELIDED_LABEL(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, sizePolicy().verticalPolicy());
}

void CLASS_ELIDED_LABEL::setText(const QString& text)
{
    QLabel::setText(text);
    // A hidden label has no width to fit yet: its tooltip follows when it is shown.
    if (isVisible())
    {
        UpdateToolTip();
    }
}

bool CLASS_ELIDED_LABEL::IsElided() const
{
    return ElidedText() != text();
}

QSize CLASS_ELIDED_LABEL::minimumSizeHint() const
{
    // Room for the ellipsis: the layout may make the label as narrow as that.
    const QSize hint = QLabel::minimumSizeHint();
    const QMargins margins = contentsMargins();
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("…")) + margins.left() + margins.right(),
                 hint.height());
}

void CLASS_ELIDED_LABEL::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), ElidedText(), foregroundRole());
}

void CLASS_ELIDED_LABEL::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (isVisible())
    {
        UpdateToolTip();
    }
}

void CLASS_ELIDED_LABEL::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    UpdateToolTip();
}

QString CLASS_ELIDED_LABEL::ElidedText() const
{
    const int width = contentsRect().width() - 2 * margin();
    return fontMetrics().elidedText(text(), Qt::ElideRight, qMax(0, width));
}

void CLASS_ELIDED_LABEL::UpdateToolTip()
{
    // A tooltip guesses rich text from its content: the text is handed over as escaped rich text.
    setToolTip(IsElided() ? Qt::convertFromPlainText(text(), Qt::WhiteSpaceNormal) : QString());
}
