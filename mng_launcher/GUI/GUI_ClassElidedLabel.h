#ifndef GUI_CLASSELIDEDLABEL_H
#define GUI_CLASSELIDEDLABEL_H

#include <QLabel>

// A one-line plain-text label that takes the width its layout gives it: a text too long for it ends in
// "…" and the whole text is shown as the tooltip. text() is always the whole text.
class CLASS_ELIDED_LABEL : public QLabel
{
    Q_OBJECT

public:
    explicit CLASS_ELIDED_LABEL(const QString& text, QWidget* parent = nullptr);

    // Hides QLabel::setText so that the tooltip follows the text.
    void setText(const QString& text);
    // True while the text is cut to fit.
    bool IsElided() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString ElidedText() const;
    void UpdateToolTip();
};

#endif // GUI_CLASSELIDEDLABEL_H
