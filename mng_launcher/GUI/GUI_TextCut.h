#ifndef GUI_TEXTCUT_H
#define GUI_TEXTCUT_H

#include <QString>

// Cuts of the texts the user types (labels, descriptions): a cut never leaves half a character, that is
// one half of a surrogate pair (a character outside the Basic Multilingual Plane, such as an emoji).

// position, moved back before a surrogate pair that it would split.
int WholeCharacterPosition(const QString& text, int position);

// The beginning of text that fits in length code units, without half a character at its end.
QString LeftWholeCharacters(const QString& text, int length);

#endif // GUI_TEXTCUT_H
