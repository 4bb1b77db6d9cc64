#ifndef COMMON_CLASSLABEL_H
#define COMMON_CLASSLABEL_H

#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QPoint>
#include <QSize>
#include <QString>

// A label that keeps its complete text apart from what it shows. Whenever its width, text, font or
// settings change it computes the shown text: optionally it first fits the font's point size between a
// minimum and a maximum so that the text fits the width, then it elides the text to the width, and
// optionally it wraps the result in a rich-text colour tag. It reports its own resizes and moves.
class CLASS_COMMON_LABEL : public QLabel
{
    Q_OBJECT

public:
    explicit CLASS_COMMON_LABEL(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    explicit CLASS_COMMON_LABEL(const QString& text, QWidget* parent = nullptr,
                                Qt::WindowFlags flags = Qt::WindowFlags());
    CLASS_COMMON_LABEL(const QString& text, Qt::TextElideMode elideMode, const QColor& color,
                       QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    void SetFullText(const QString& text);
    void SetFontColor(const QColor& color);
    void SetElideMode(int mode);
    void SetAutoFontSize(bool enabled);
    void SetLabelFont(const QFont& labelFont);
    void SetFontSize(int minimum, int maximum);
    // Only stores the flag: the shown text follows at the next refresh.
    void SetFontColorEnabled(bool enabled);

    QString GetFullText() const { return fullText; }
    QColor GetFontColor() const { return fontColor; }
    int GetMinFontSize() const { return minFontSize; }
    int GetMaxFontSize() const { return maxFontSize; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void SIGNAL_Resize(QSize newSize);
    void SIGNAL_Move(QPoint newPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QString FitText(int availableWidth);
    void FitFontSize(int availableWidth);
    void ApplyFont(const QFont& newFont);
    void ShowText(const QString& shown);
    void RefreshText();
    QSize HintWithFullText(const QSize& labelHint) const;

    QString fullText;
    QFontMetrics fontMetrics;
    Qt::TextElideMode elideMode = Qt::ElideRight;
    QColor fontColor;
    bool fontColorEnabled = false;
    bool autoFontSize = false;
    int minFontSize = 1;
    int maxFontSize;
};

#endif // COMMON_CLASSLABEL_H
