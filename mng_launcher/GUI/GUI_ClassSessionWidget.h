#ifndef GUI_CLASSSESSIONWIDGET_H
#define GUI_CLASSSESSIONWIDGET_H

#include "DEVICE/DEVICE_ClassSessionCardView.h"

#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QString>

class CLASS_PAINTED_ITEM;
class QGridLayout;
class QHelpEvent;

// One card of the sessions list: name, LED, device model, address and web port of a session. The card
// takes the list's width: a name, model or version too long for it ends in "…" with the whole text as
// tooltip. The card draws its texts and LED itself, as items of its layout (a label for each would cost
// eight widgets a card).
class CLASS_SESSION_WIDGET : public QFrame, public CLASS_SESSION_CARD_VIEW
{
    Q_OBJECT

public:
    CLASS_SESSION_WIDGET(QWidget* parent, int number);

    void SetLedState(int state) override;
    int GetLedState() const override;
    QString GetName() const override;
    void SetName(const QString& name) override;
    QString GetPort() const override;
    void SetPort(int port) override;
    // The device label becomes "Tarvo 4k " followed by the model name.
    void SetDevice(const QString& name) override;
    QString GetDevice() const override;
    void SetVersion(const QString& version) override;
    QString GetVersion() const override;

    // The parts of the card, for their place in it.
    enum CARD_PART
    {
        PART_NAME,
        PART_LED,
        PART_DEVICE,
        PART_VERSION,
        PART_IP,
        PART_PORT,
    };
    QRect PartGeometry(CARD_PART part) const;
    QPixmap LedPixmap() const;
    // The tooltip at a point of the card: the whole text of a part cut to fit, or nothing.
    QString ToolTipAt(const QPoint& position) const;

signals:
    void SIGNAL_ClickedWithMouse(CLASS_SESSION_WIDGET* session);
    void SIGNAL_HoverEnter(CLASS_SESSION_WIDGET* session);
    void SIGNAL_HoverLeave(CLASS_SESSION_WIDGET* session);
    // Space or Enter while the card has the keyboard focus: selects it like a click.
    void SIGNAL_ActivatedWithKeyboard(CLASS_SESSION_WIDGET* session);
    // Up, Down, Home or End while the card has the keyboard focus: the list moves its selection.
    void SIGNAL_MoveWithKeyboard(CLASS_SESSION_WIDGET* session, int key);
    // The card took the keyboard focus: the list shows it.
    void SIGNAL_FocusIn(CLASS_SESSION_WIDGET* session);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CLASS_PAINTED_ITEM* NewText(const QString& text, bool elided);
    const CLASS_PAINTED_ITEM* Part(CARD_PART part) const;
    // After a text or the LED changed: the card lays out and repaints.
    void ContentChanged();
    // The name, model or version under a point while it is cut to fit; none otherwise.
    const CLASS_PAINTED_ITEM* CutTextAt(const QPoint& position) const;
    void ShowToolTip(const QHelpEvent* event);
    void UpdateAccessibleName();

    QGridLayout* layout;
    CLASS_PAINTED_ITEM* nameItem;
    CLASS_PAINTED_ITEM* ledItem;
    CLASS_PAINTED_ITEM* deviceItem;
    CLASS_PAINTED_ITEM* ipCaption;
    CLASS_PAINTED_ITEM* portCaption;
    CLASS_PAINTED_ITEM* versionItem;
    CLASS_PAINTED_ITEM* ipItem;
    CLASS_PAINTED_ITEM* portItem;
    int ledState;
};

#endif // GUI_CLASSSESSIONWIDGET_H
