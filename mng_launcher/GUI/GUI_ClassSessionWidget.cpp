#include "GUI/GUI_ClassSessionWidget.h"

#include "DEVICE/DEVICE_DeviceTables.h"
#include "GUI/GUI_ClassPaintedItem.h"
#include "GUI/GUI_SharpPixmap.h"

#include <QEvent>
#include <QGridLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <QToolTip>

namespace
{
const QString DEVICE_PREFIX = QStringLiteral("Tarvo 4k ");
constexpr int DEFAULT_DEVICE_INDEX = 3;
constexpr int CARD_MARGIN = 6;
// The room around each text and the LED: the padding of the card's style sheet, which its labels took.
constexpr int TEXT_PADDING = 2;

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
      nameItem(NewText(QStringLiteral("Session %1").arg(number), true)),
      ledItem(new CLASS_PAINTED_ITEM(this, QPixmap())),
      deviceItem(NewText(DEVICE_PREFIX + DeviceModelName(DEFAULT_DEVICE_INDEX), true)),
      ipCaption(NewText(QStringLiteral("IP address :"), false)),
      portCaption(NewText(QStringLiteral("Port :"), false)), versionItem(NewText(QString(), true)),
      ipItem(NewText(QStringLiteral("127.0.0.1"), false)), portItem(NewText(QStringLiteral("3000"), false)),
      ledState(-1)
{
    ledItem->SetStyledAsOwner(TEXT_PADDING);
    layout->addItem(nameItem, 0, 0, 1, 1);
    layout->addItem(ledItem, 0, 1, 1, 1, Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addItem(deviceItem, 1, 0, 1, 1);
    layout->addItem(ipCaption, 2, 0, 1, 1);
    layout->addItem(portCaption, 3, 0, 1, 1);
    layout->addItem(versionItem, 1, 1, 1, 1);
    layout->addItem(ipItem, 2, 1, 1, 1);
    layout->addItem(portItem, 3, 1, 1, 1);
    // The first column gives up width: the LED, version, address and port keep theirs.
    layout->setColumnStretch(0, 1);
    layout->setContentsMargins(CARD_MARGIN, CARD_MARGIN, CARD_MARGIN, CARD_MARGIN);

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
    ledItem->SetPixmap(SharpPixmap(path));
    ContentChanged();
}

int CLASS_SESSION_WIDGET::GetLedState() const
{
    return ledState;
}

QString CLASS_SESSION_WIDGET::GetName() const
{
    return nameItem->Text();
}

void CLASS_SESSION_WIDGET::SetName(const QString& name)
{
    nameItem->SetText(name);
    ContentChanged();
}

QString CLASS_SESSION_WIDGET::GetPort() const
{
    return portItem->Text();
}

void CLASS_SESSION_WIDGET::SetPort(int port)
{
    portItem->SetText(QStringLiteral("%1").arg(port));
    ContentChanged();
}

void CLASS_SESSION_WIDGET::SetDevice(const QString& name)
{
    deviceItem->SetText(DEVICE_PREFIX + name);
    ContentChanged();
}

QString CLASS_SESSION_WIDGET::GetDevice() const
{
    return deviceItem->Text();
}

void CLASS_SESSION_WIDGET::SetVersion(const QString& version)
{
    versionItem->SetText(version);
    ContentChanged();
}

QString CLASS_SESSION_WIDGET::GetVersion() const
{
    return versionItem->Text();
}

QRect CLASS_SESSION_WIDGET::PartGeometry(CARD_PART part) const
{
    const CLASS_PAINTED_ITEM* item = Part(part);
    return item != nullptr ? item->geometry() : QRect();
}

QPixmap CLASS_SESSION_WIDGET::LedPixmap() const
{
    return ledItem->Pixmap();
}

QString CLASS_SESSION_WIDGET::ToolTipAt(const QPoint& position) const
{
    const CLASS_PAINTED_ITEM* cut = CutTextAt(position);
    // A tooltip guesses rich text from its content: the text is handed over as escaped rich text.
    return cut != nullptr ? Qt::convertFromPlainText(cut->Text(), Qt::WhiteSpaceNormal) : QString();
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
    case QEvent::ToolTip:
        ShowToolTip(static_cast<QHelpEvent*>(event));
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
    QPainter painter(this);
    if (hasFocus())
    {
        // The card's own style sheet carries its background; the focus is drawn over it as a light outline.
        painter.save();
        painter.setPen(QPen(QColor(0x54, 0xC8, 0xFF), 2, Qt::DashLine));
        painter.drawRoundedRect(rect().adjusted(2, 2, -2, -2), 3, 3);
        painter.restore();
    }
    CLASS_PAINTED_ITEM::PaintAll(
        painter, {nameItem, ledItem, deviceItem, ipCaption, portCaption, versionItem, ipItem, portItem});
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

CLASS_PAINTED_ITEM* CLASS_SESSION_WIDGET::NewText(const QString& text, bool elided)
{
    CLASS_PAINTED_ITEM* item = new CLASS_PAINTED_ITEM(this, text);
    item->SetStyledAsOwner(TEXT_PADDING);
    item->SetElided(elided);
    return item;
}

const CLASS_PAINTED_ITEM* CLASS_SESSION_WIDGET::Part(CARD_PART part) const
{
    switch (part)
    {
    case PART_NAME:
        return nameItem;
    case PART_LED:
        return ledItem;
    case PART_DEVICE:
        return deviceItem;
    case PART_VERSION:
        return versionItem;
    case PART_IP:
        return ipItem;
    case PART_PORT:
        return portItem;
    default:
        return nullptr;
    }
}

void CLASS_SESSION_WIDGET::ContentChanged()
{
    layout->invalidate();
    update();
    UpdateAccessibleName();
}

const CLASS_PAINTED_ITEM* CLASS_SESSION_WIDGET::CutTextAt(const QPoint& position) const
{
    for (const CLASS_PAINTED_ITEM* item : {nameItem, deviceItem, versionItem})
    {
        if (item->geometry().contains(position) && item->IsCut())
        {
            return item;
        }
    }
    return nullptr;
}

void CLASS_SESSION_WIDGET::ShowToolTip(const QHelpEvent* event)
{
    const CLASS_PAINTED_ITEM* cut = CutTextAt(event->pos());
    if (cut == nullptr)
    {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(event->globalPos(), ToolTipAt(event->pos()), this, cut->geometry());
}

void CLASS_SESSION_WIDGET::UpdateAccessibleName()
{
    setAccessibleName(
        QStringLiteral("%1, %2, port %3, %4")
            .arg(nameItem->Text(), deviceItem->Text(), portItem->Text(), LedStateText(ledState)));
    setAccessibleDescription(versionItem->Text().isEmpty()
                                 ? QString()
                                 : QStringLiteral("Simulator version %1").arg(versionItem->Text()));
}
