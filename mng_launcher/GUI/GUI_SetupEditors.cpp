#include "GUI/GUI_SetupEditors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextEdit>

namespace
{
constexpr int CAPTION_WIDTH = 100;
constexpr int EDITOR_STRETCH = 10;
constexpr int DESCRIPTION_HEIGHT = 50;
} // namespace

void SetGroupMargins(QLayout* layout)
{
    layout->setContentsMargins(10, 3, 10, 3);
}

QHBoxLayout* MakeEditorRow(const QString& caption, QWidget* editor, QWidget* box)
{
    QLabel* label = new QLabel(caption, box);
    label->setTextFormat(Qt::PlainText);
    // Styled by the application style sheet: a style sheet of its own would give each caption a cascade of
    // its own to build.
    label->setObjectName(QStringLiteral("editorCaption"));
    label->setFixedWidth(CAPTION_WIDTH);
    label->setBuddy(editor);
    // A caption beside an editor of fixed height (the description) stays at its top.
    if (editor->maximumHeight() < QWIDGETSIZE_MAX)
    {
        label->setAlignment(Qt::AlignTop);
    }
    QHBoxLayout* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(editor, EDITOR_STRETCH);
    row->addWidget(new QWidget(box), EDITOR_STRETCH);
    return row;
}

QLineEdit* MakeLabelEditor(QWidget* box, int maxLength)
{
    QLineEdit* editor = new QLineEdit(box);
    editor->setObjectName(QStringLiteral("labelEditor"));
    editor->setAccessibleName(QStringLiteral("Session label"));
    editor->setMaxLength(maxLength);
    // The limits are told, not only applied.
    editor->setPlaceholderText(QStringLiteral("Up to %1 characters").arg(maxLength));
    editor->setToolTip(QStringLiteral("The name on the session's card: up to %1 characters").arg(maxLength));
    return editor;
}

QTextEdit* MakeDescriptionEditor(QWidget* box)
{
    QTextEdit* editor = new QTextEdit(box);
    editor->setObjectName(QStringLiteral("descriptionEditor"));
    editor->setAccessibleName(QStringLiteral("Session description"));
    editor->setFixedHeight(DESCRIPTION_HEIGHT);
    // The description is plain text: pasted markup stays text, and Tab leaves the editor.
    editor->setAcceptRichText(false);
    editor->setTabChangesFocus(true);
    return editor;
}

QSpinBox* MakePortEditor(QWidget* box, int minimum, int maximum, int value)
{
    QSpinBox* editor = new QSpinBox(box);
    editor->setObjectName(QStringLiteral("portEditor"));
    editor->setAccessibleName(QStringLiteral("Web port"));
    editor->setRange(minimum, maximum);
    editor->setToolTip(
        QStringLiteral("Port of the device's web page on 127.0.0.1: %1 to %2").arg(minimum).arg(maximum));
    editor->setValue(value);
    return editor;
}
