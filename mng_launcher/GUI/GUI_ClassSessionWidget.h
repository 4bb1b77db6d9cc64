#ifndef GUI_CLASSSESSIONWIDGET_H
#define GUI_CLASSSESSIONWIDGET_H

#include <QFrame>
#include <QString>

class CLASS_ELIDED_LABEL;
class QGridLayout;
class QLabel;

// One card of the sessions list: name, LED, device model, address and web port of a session. The card
// takes the list's width: a name, model or version too long for it ends in "…" with the whole text as
// tooltip.
class CLASS_SESSION_WIDGET : public QFrame
{
    Q_OBJECT

public:
    // LED states given by the session back end.
    enum LED_STATE
    {
        LED_RUNNING = 0,
        LED_WAITING = 1,
        LED_STOPPED = 2,
    };

    CLASS_SESSION_WIDGET(QWidget* parent, int number);

    void SetLedState(int state);
    int GetLedState() const;
    QString GetName() const;
    void SetName(const QString& name);
    QString GetPort() const;
    void SetPort(int port);
    // The device label becomes "Tarvo 4k " followed by the model name.
    void SetDevice(const QString& name);
    QString GetDevice() const;
    void SetVersion(const QString& version);
    QString GetVersion() const;

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
