#include "GUI/GUI_MessageBox.h"

#include "GUI/GUI_DialogPlacement.h"

#include <QApplication>

namespace
{
QMessageBox::StandardButton nextAnswer = QMessageBox::NoButton;
bool autoAnswer = false;
QStringList texts;
Qt::TextFormat lastFormat = Qt::PlainText;
QString lastTitle;
QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
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

QMessageBox::StandardButton CLASS_MESSAGE_BOX::Show(QWidget* parent, QMessageBox::Icon icon,
                                                    const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    Qt::TextFormat format,
                                                    QMessageBox::StandardButton defaultButton)
{
    texts.append(text);
    lastTitle = title;
    lastIcon = icon;
    lastFormat = format;
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
    if (defaultButton != QMessageBox::NoButton)
    {
        box.setDefaultButton(defaultButton);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
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

void CLASS_MESSAGE_BOX::ClearHistory()
{
    texts.clear();
    lastTitle.clear();
    lastIcon = QMessageBox::NoIcon;
    lastFormat = Qt::PlainText;
}
