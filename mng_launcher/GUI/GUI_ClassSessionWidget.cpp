#include "GUI/GUI_ClassSessionWidget.h"

#include "DEVICE/DEVICE_DeviceTables.h"
#include "GUI/GUI_ClassElidedLabel.h"
#include "GUI/GUI_SharpPixmap.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace
{
const QString DEVICE_PREFIX = QStringLiteral("Tarvo 4k ");
constexpr int DEFAULT_DEVICE_INDEX = 3;
constexpr int CARD_MARGIN = 6;

QString LedPixmapPath(int state)
{
    switch (state)
    {
    case CLASS_SESSION_WIDGET::LED_RUNNING:
        return QStringLiteral(":/ICONS/led-verte.png");
    case CLASS_SESSION_WIDGET::LED_WAITING:
        return QStringLiteral(":/ICONS/led-orange.png");
    case CLASS_SESSION_WIDGET::LED_STOPPED:
        return QStringLiteral(":/ICONS/led-rouge.png");
    default:
        return QString();
    }
}

QString LedStateText(int state)
{
    switch (state)
    {
    case CLASS_SESSION_WIDGET::LED_RUNNING:
        return QStringLiteral("running");
    case CLASS_SESSION_WIDGET::LED_WAITING:
        return QStringLiteral("waiting");
    default:
        return QStringLiteral("not running");
    }
}
} // namespace

CLASS_SESSION_WIDGET::CLASS_SESSION_WIDGET(QWidget* parent, int number)
    : QFrame(parent), layout(new QGridLayout(this)),
      nameLabel(new CLASS_ELIDED_LABEL(QStringLiteral("Session %1").arg(number), this)),
      ledLabel(new QLabel(this)),
      deviceLabel(new CLASS_ELIDED_LABEL(DEVICE_PREFIX + DeviceModelName(DEFAULT_DEVICE_INDEX), this)),
      ipCaption(new QLabel(QStringLiteral("IP address :"), this)),
      portCaption(new QLabel(QStringLiteral("Port :"), this)),
      versionLabel(new CLASS_ELIDED_LABEL(QString(), this)),
      ipLabel(new QLabel(QStringLiteral("127.0.0.1"), this)),
      portLabel(new QLabel(QStringLiteral("3000"), this)), ledState(-1)
{
    nameLabel->setObjectName(QStringLiteral("sessionName"));
    ledLabel->setObjectName(QStringLiteral("sessionLed"));
    deviceLabel->setObjectName(QStringLiteral("sessionDevice"));
    versionLabel->setObjectName(QStringLiteral("sessionVersion"));
    ipLabel->setObjectName(QStringLiteral("sessionIp"));
    portLabel->setObjectName(QStringLiteral("sessionPort"));
    // The port comes from the session's settings file (the other texts are elided labels, always plain).
    portLabel->setTextFormat(Qt::PlainText);

    layout->addWidget(nameLabel, 0, 0, 1, 1);
    layout->addWidget(ledLabel, 0, 1, 1, 1, Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addWidget(deviceLabel, 1, 0, 1, 1);
    layout->addWidget(ipCaption, 2, 0, 1, 1);
    layout->addWidget(portCaption, 3, 0, 1, 1);
    layout->addWidget(versionLabel, 1, 1, 1, 1);
    layout->addWidget(ipLabel, 2, 1, 1, 1);
    layout->addWidget(portLabel, 3, 1, 1, 1);
    // The first column gives up width: the LED, version, address and port keep theirs.
    layout->setColumnStretch(0, 1);
    layout->setContentsMargins(CARD_MARGIN, CARD_MARGIN, CARD_MARGIN, CARD_MARGIN);
    for (QLabel* label : {ipCaption, portCaption, ipLabel, portLabel})
    {
        label->setTextFormat(Qt::PlainText);
    }

    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setLineWidth(2);
    setAttribute(Qt::WA_Hover);
    // The list makes its selected card the one that Tab reaches; the others take the focus by a click.
    setFocusPolicy(Qt::ClickFocus);
    SetLedState(LED_STOPPED);
}

void CLASS_SESSION_WIDGET::SetLedState(int state)
{
    const QString path = LedPixmapPath(state);
    if (path.isEmpty())
    {
        return;
    }
    ledState = state;
    ledLabel->setPixmap(SharpPixmap(path));
    UpdateAccessibleName();
}

int CLASS_SESSION_WIDGET::GetLedState() const
{
    return ledState;
}

QString CLASS_SESSION_WIDGET::GetName() const
{
    return nameLabel->text();
}

void CLASS_SESSION_WIDGET::SetName(const QString& name)
{
    nameLabel->setText(name);
    UpdateAccessibleName();
}

QString CLASS_SESSION_WIDGET::GetPort() const
{
    return portLabel->text();
}

void CLASS_SESSION_WIDGET::SetPort(int port)
{
    portLabel->setText(QStringLiteral("%1").arg(port));
    UpdateAccessibleName();
}

void CLASS_SESSION_WIDGET::SetDevice(const QString& name)
{
    deviceLabel->setText(DEVICE_PREFIX + name);
    UpdateAccessibleName();
}

QString CLASS_SESSION_WIDGET::GetDevice() const
{
    return deviceLabel->text();
}

void CLASS_SESSION_WIDGET::SetVersion(const QString& version)
{
    versionLabel->setText(version);
    UpdateAccessibleName();
}

QString CLASS_SESSION_WIDGET::GetVersion() const
{
    return versionLabel->text();
}

bool CLASS_SESSION_WIDGET::event(QEvent* event)
{
    switch (event->type())
    {
    case QEvent::HoverEnter:
        emit SIGNAL_HoverEnter(this);
        return true;
    case QEvent::HoverLeave:
        emit SIGNAL_HoverLeave(this);
        return true;
    default:
        // QFrame reads its frame width (the padding of the card's style sheet) again once polished.
        return QFrame::event(event);
    }
}

void CLASS_SESSION_WIDGET::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit SIGNAL_ClickedWithMouse(this);
}

void CLASS_SESSION_WIDGET::keyPressEvent(QKeyEvent* event)
{
    switch (event->key())
    {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit SIGNAL_ActivatedWithKeyboard(this);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        event->accept();
        emit SIGNAL_MoveWithKeyboard(this, event->key());
        break;
    default:
        QFrame::keyPressEvent(event);
        break;
    }
}

void CLASS_SESSION_WIDGET::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
    {
        return;
    }
    // The card's own style sheet carries its background; the focus is drawn over it as a light outline.
    QPainter painter(this);
    painter.setPen(QPen(QColor(0x54, 0xC8, 0xFF), 2, Qt::DashLine));
    painter.drawRoundedRect(rect().adjusted(2, 2, -2, -2), 3, 3);
}

void CLASS_SESSION_WIDGET::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
    emit SIGNAL_FocusIn(this);
}

void CLASS_SESSION_WIDGET::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
}

void CLASS_SESSION_WIDGET::UpdateAccessibleName()
{
    setAccessibleName(
        QStringLiteral("%1, %2, port %3, %4")
            .arg(nameLabel->text(), deviceLabel->text(), portLabel->text(), LedStateText(ledState)));
    setAccessibleDescription(versionLabel->text().isEmpty()
                                 ? QString()
                                 : QStringLiteral("Simulator version %1").arg(versionLabel->text()));
}
