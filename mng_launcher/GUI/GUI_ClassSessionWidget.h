#ifndef GUI_CLASSSESSIONWIDGET_H
#define GUI_CLASSSESSIONWIDGET_H

#include "DEVICE/DEVICE_ClassSessionCardView.h"

#include <QFrame>
#include <QString>

class CLASS_ELIDED_LABEL;
class QGridLayout;
class QLabel;

// One card of the sessions list: name, LED, device model, address and web port of a session. The card
// takes the list's width: a name, model or version too long for it ends in "…" with the whole text as
// tooltip.
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
    void UpdateAccessibleName();

    QGridLayout* layout;
    CLASS_ELIDED_LABEL* nameLabel;
    QLabel* ledLabel;
    CLASS_ELIDED_LABEL* deviceLabel;
    QLabel* ipCaption;
    QLabel* portCaption;
    CLASS_ELIDED_LABEL* versionLabel;
    QLabel* ipLabel;
    QLabel* portLabel;
    int ledState;
};

#endif // GUI_CLASSSESSIONWIDGET_H
