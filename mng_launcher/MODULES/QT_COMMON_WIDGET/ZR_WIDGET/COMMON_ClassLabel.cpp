#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassLabel.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <QMoveEvent>
#include <QResizeEvent>

namespace
{
// Fitting is pixel-based: a text fits a width when it is strictly narrower.
bool Fits(const QFontMetrics& metrics, const QString& text, int availableWidth)
{
    return metrics.horizontalAdvance(text) < availableWidth;
}
} // namespace

CLASS_COMMON_LABEL::CLASS_COMMON_LABEL(QWidget* parent, Qt::WindowFlags flags)
    : CLASS_COMMON_LABEL(QString(), Qt::ElideRight, QColor(), parent, flags)
{
}

CLASS_COMMON_LABEL::CLASS_COMMON_LABEL(const QString& text, QWidget* parent, Qt::WindowFlags flags)
    : CLASS_COMMON_LABEL(text, Qt::ElideRight, QColor(), parent, flags)
{
}

CLASS_COMMON_LABEL::CLASS_COMMON_LABEL(const QString& text, Qt::TextElideMode elideMode, const QColor& color,
                                       QWidget* parent, Qt::WindowFlags flags)
    : QLabel(parent, flags), fullText(text), fontMetrics(font()), elideMode(elideMode), fontColor(color),
      fontColorEnabled(color.isValid()), maxFontSize(qMax(1, font().pointSize()))
{
    RefreshText();
}

void CLASS_COMMON_LABEL::SetFullText(const QString& text)
{
    fullText = text;
    RefreshText();
}

void CLASS_COMMON_LABEL::SetFontColor(const QColor& color)
{
    fontColor = color;
    fontColorEnabled = true;
    RefreshText();
}

void CLASS_COMMON_LABEL::SetElideMode(int mode)
{
    elideMode = Qt::TextElideMode(mode);
    RefreshText();
}

void CLASS_COMMON_LABEL::SetAutoFontSize(bool enabled)
{
    autoFontSize = enabled;
    RefreshText();
}

void CLASS_COMMON_LABEL::SetLabelFont(const QFont& labelFont)
{
    ApplyFont(labelFont);
    RefreshText();
}

void CLASS_COMMON_LABEL::SetFontSize(int minimum, int maximum)
{
    if (minimum < 1)
    {
        minFontSize = 1;
        TRACE_ERROR(QStringLiteral("Min font size wanted < 1 :") + QString::number(minimum));
    }
    else
    {
        minFontSize = minimum;
    }
    if (maximum < 1)
    {
        maxFontSize = 1;
        TRACE_ERROR(QStringLiteral("Max font size wanted < 1 :") + QString::number(maximum));
    }
    else if (minimum > maximum)
    {
        maxFontSize = minFontSize;
        TRACE_ERROR(QStringLiteral("Max font size wanted less than min size : max size = ") +
                    QString::number(maximum) + QStringLiteral("min size = ") + QString::number(minimum));
    }
    else
    {
        maxFontSize = maximum;
    }
    if (!autoFontSize)
    {
        // A wanted maximum below 1 is no point size: the corrected maximum is used instead.
        QFont sized = font();
        sized.setPointSize(maximum >= 1 ? maximum : maxFontSize);
        ApplyFont(sized);
    }
    RefreshText();
}

void CLASS_COMMON_LABEL::SetFontColorEnabled(bool enabled)
{
    fontColorEnabled = enabled;
}

QSize CLASS_COMMON_LABEL::sizeHint() const
{
    return HintWithFullText(QLabel::sizeHint());
}

QSize CLASS_COMMON_LABEL::minimumSizeHint() const
{
    return HintWithFullText(QLabel::minimumSizeHint());
}

QSize CLASS_COMMON_LABEL::HintWithFullText(const QSize& labelHint) const
{
    int textWidth = fontMetrics.horizontalAdvance(fullText);
    if (frameWidth() != 0)
    {
        textWidth += fontMetrics.horizontalAdvance(QLatin1Char('x'));
    }
    return QSize(qMax(labelHint.width(), textWidth), labelHint.height());
}

void CLASS_COMMON_LABEL::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    int availableWidth = event->size().width();
    if (frameWidth() != 0)
    {
        availableWidth -= fontMetrics.horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    }
    ShowText(FitText(availableWidth));
    emit SIGNAL_Resize(event->size());
}

void CLASS_COMMON_LABEL::moveEvent(QMoveEvent* event)
{
    QLabel::moveEvent(event);
    emit SIGNAL_Move(event->pos());
}

QString CLASS_COMMON_LABEL::FitText(int availableWidth)
{
    if (autoFontSize)
    {
        FitFontSize(availableWidth);
    }
    const QString elided = fontMetrics.elidedText(fullText, elideMode, availableWidth);
    if (fontColorEnabled && fontColor.isValid() && !elided.isEmpty())
    {
        return QStringLiteral("<font color = '") + fontColor.name() + QStringLiteral("'>") + elided +
               QStringLiteral("</font>");
    }
    return elided;
}

void CLASS_COMMON_LABEL::FitFontSize(int availableWidth)
{
    QFont candidate = font();
    candidate.setPointSize(maxFontSize);
    if (Fits(QFontMetrics(candidate), fullText, availableWidth))
    {
        ApplyFont(candidate);
        return;
    }
    candidate = font();
    const auto fitsAt = [&candidate, this, availableWidth](int pointSize)
    {
        candidate.setPointSize(pointSize);
        return Fits(QFontMetrics(candidate), fullText, availableWidth);
    };
    // The search starts from the current size brought into the allowed range: a size left below the
    // minimum by an earlier fit (or a font sized in pixels, which reports no point size) would otherwise
    // never come back up to the minimum.
    int pointSize = qBound(minFontSize, font().pointSize(), qMax(minFontSize, maxFontSize));
    if (fitsAt(pointSize))
    {
        // Grows while the next size still fits; it stops below the maximum, where the text did not fit.
        while (fitsAt(pointSize + 1))
        {
            ++pointSize;
        }
    }
    else
    {
        while (pointSize > minFontSize && !fitsAt(pointSize))
        {
            --pointSize;
        }
    }
    candidate.setPointSize(pointSize);
    ApplyFont(candidate);
}

void CLASS_COMMON_LABEL::ApplyFont(const QFont& newFont)
{
    setFont(newFont);
    fontMetrics = QFontMetrics(font());
}

void CLASS_COMMON_LABEL::ShowText(const QString& shown)
{
    if (shown != text())
    {
        setText(shown);
    }
}

void CLASS_COMMON_LABEL::RefreshText()
{
    const QMargins margins = contentsMargins();
    ShowText(FitText(width() - margins.left() - margins.right()));
}
