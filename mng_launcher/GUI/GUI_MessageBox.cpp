#include "GUI/GUI_MessageBox.h"

#include "GUI/GUI_DialogPlacement.h"
#include "GUI/GUI_OpenAddress.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace
{
QMessageBox::StandardButton nextAnswer = QMessageBox::NoButton;
bool autoAnswer = false;
QStringList texts;
Qt::TextFormat lastFormat = Qt::PlainText;
QString lastTitle;
QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
QString lastCopyText;
} // namespace

QMessageBox::StandardButton CLASS_MESSAGE_BOX::Information(QWidget* parent, const QString& title,
                                                           const QString& text, Qt::TextFormat format)
{
    return Show(parent, QMessageBox::Information, title, text, QMessageBox::Ok, format);
}

QMessageBox::StandardButton CLASS_MESSAGE_BOX::Warning(QWidget* parent, const QString& title,
                                                       const QString& text)
{
    return Show(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, Qt::PlainText);
}

QMessageBox::StandardButton CLASS_MESSAGE_BOX::Critical(QWidget* parent, const QString& title,
                                                        const QString& text)
{
    return Show(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, Qt::PlainText);
}

QMessageBox::StandardButton CLASS_MESSAGE_BOX::Question(QWidget* parent, const QString& title,
                                                        const QString& text,
                                                        QMessageBox::StandardButtons buttons,
                                                        QMessageBox::StandardButton defaultButton)
{
    return Show(parent, QMessageBox::Question, title, text, buttons, Qt::PlainText, defaultButton);
}

QMessageBox::StandardButton CLASS_MESSAGE_BOX::Address(QWidget* parent, const QString& title,
                                                       const QString& text, const QString& address)
{
    return Show(parent, QMessageBox::Information, title, text + QStringLiteral("\n\n") + address,
                QMessageBox::Ok, Qt::PlainText, QMessageBox::Ok, address);
}

QMessageBox::StandardButton
CLASS_MESSAGE_BOX::Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                        QMessageBox::StandardButtons buttons, Qt::TextFormat format,
                        QMessageBox::StandardButton defaultButton, const QString& copyText)
{
    texts.append(text);
    lastTitle = title;
    lastIcon = icon;
    lastFormat = format;
    lastCopyText = copyText;
    if (nextAnswer != QMessageBox::NoButton)
    {
        const QMessageBox::StandardButton answer = nextAnswer;
        nextAnswer = QMessageBox::NoButton;
        return answer;
    }
    // A command run without a window has no widgets application: the box is recorded, not shown, and the
    // command reports its text itself.
    if (autoAnswer || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    {
        return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
    }
    QMessageBox box(icon, title, text, buttons, DialogOwner(parent));
    box.setTextFormat(format);
    if (format == Qt::RichText)
    {
        OpenLinksWithFallback(box);
    }
    if (!copyText.isEmpty())
    {
        AddCopyButton(box, copyText);
    }
    if (defaultButton != QMessageBox::NoButton)
    {
        box.setDefaultButton(defaultButton);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CLASS_MESSAGE_BOX::OpenLinksWithFallback(QMessageBox& box)
{
    QLabel* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr)
    {
        return;
    }
    label->setOpenExternalLinks(false);
    QObject::connect(label, &QLabel::linkActivated, &box,
                     [&box](const QString& link) { OpenAddress(&box, QUrl(link), LINK_NOT_OPENED_TEXT); });
}

void CLASS_MESSAGE_BOX::AddCopyButton(QMessageBox& box, const QString& copyText)
{
    QPushButton* copy = box.addButton(QStringLiteral("Copy"), QMessageBox::ActionRole);
    // Without the box's own connection the button does not close it: the user may copy, then read on.
    QObject::disconnect(copy, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(copy, &QPushButton::clicked, &box,
                     [copyText]() { QGuiApplication::clipboard()->setText(copyText); });
}

void CLASS_MESSAGE_BOX::SetNextAnswer(QMessageBox::StandardButton answer)
{
    nextAnswer = answer;
}

void CLASS_MESSAGE_BOX::SetAutoAnswer(bool on)
{
    autoAnswer = on;
}

bool CLASS_MESSAGE_BOX::AutoAnswer()
{
    return autoAnswer;
}

QStringList CLASS_MESSAGE_BOX::Texts()
{
    return texts;
}

QString CLASS_MESSAGE_BOX::LastText()
{
    return texts.isEmpty() ? QString() : texts.constLast();
}

QString CLASS_MESSAGE_BOX::LastTitle()
{
    return lastTitle;
}

QMessageBox::Icon CLASS_MESSAGE_BOX::LastIcon()
{
    return lastIcon;
}

Qt::TextFormat CLASS_MESSAGE_BOX::LastFormat()
{
    return lastFormat;
}

QString CLASS_MESSAGE_BOX::LastCopyText()
{
    return lastCopyText;
}

void CLASS_MESSAGE_BOX::ClearHistory()
{
    texts.clear();
    lastTitle.clear();
    lastIcon = QMessageBox::NoIcon;
    lastFormat = Qt::PlainText;
    lastCopyText.clear();
}
