#ifndef GUI_SETUPEDITORS_H
#define GUI_SETUPEDITORS_H

#include <QString>

class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QSpinBox;
class QTextEdit;
class QWidget;

// The editors of a setup panel's boxes, made inside their box: each is named for tests and screen
// readers and tells its limits in its placeholder or tooltip.

// The margins of every box of the panel.
void SetGroupMargins(QLayout* layout);
// A row: the caption (the editor's buddy), the editor and an empty half, so the editor takes half a row.
QHBoxLayout* MakeEditorRow(const QString& caption, QWidget* editor, QWidget* box);
QLineEdit* MakeLabelEditor(QWidget* box, int maxLength);
// Plain text only; Tab leaves it.
QTextEdit* MakeDescriptionEditor(QWidget* box);
QSpinBox* MakePortEditor(QWidget* box, int minimum, int maximum, int value);

#endif // GUI_SETUPEDITORS_H
