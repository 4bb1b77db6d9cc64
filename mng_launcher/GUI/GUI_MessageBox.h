#ifndef GUI_MESSAGEBOX_H
#define GUI_MESSAGEBOX_H

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// Every modal box of the launcher goes through here, so that a test can answer a box in advance
// (setNextAnswer) and read what it said (LastText) without a real modal loop. A box shows its text as
// plain text unless its caller asks for rich text (and then escapes every value it did not write itself).
// Without a widgets application (a command run without a window) a box is recorded and answered with its
// default instead of shown.
class CLASS_MESSAGE_BOX
{
public:
    static QMessageBox::StandardButton Information(QWidget* parent, const QString& title, const QString& text,
                                                   Qt::TextFormat format = Qt::PlainText);
    static QMessageBox::StandardButton Warning(QWidget* parent, const QString& title, const QString& text);
    static QMessageBox::StandardButton Critical(QWidget* parent, const QString& title, const QString& text);
    static QMessageBox::StandardButton
    Question(QWidget* parent, const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // An information box that tells an address (a web page, a folder) that could not be opened, with a
    // Copy button that puts the address on the clipboard and leaves the box open.
    static QMessageBox::StandardButton Address(QWidget* parent, const QString& title, const QString& text,
                                               const QString& address);

    // Test hooks: the next box returns this answer at once instead of showing itself.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // Every box answers at once with its default (Ok) while set (also while a command from the command
    // line acts in the window, which reports the text to the command instead).
    static void SetAutoAnswer(bool on);
    static bool AutoAnswer();
    // Texts of the boxes shown (or answered) so far, oldest first.
    static QStringList Texts();
    static QString LastText();
    static QString LastTitle();
    static QMessageBox::Icon LastIcon();
    static Qt::TextFormat LastFormat();
    // What the last box's Copy button copies; empty when it had none.
    static QString LastCopyText();
    static void ClearHistory();

private:
    static QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            Qt::TextFormat format,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                            const QString& copyText = QString());
    // The links of a rich-text box open through OpenAddress, which tells the address when they cannot.
    static void OpenLinksWithFallback(QMessageBox& box);
    static void AddCopyButton(QMessageBox& box, const QString& copyText);
};

#endif // GUI_MESSAGEBOX_H
