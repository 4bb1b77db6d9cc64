#include "GUI/GUI_TextCut.h"

int WholeCharacterPosition(const QString& text, int position)
{
    const bool splitsPair = position > 0 && position < text.size() && text.at(position).isLowSurrogate() &&
                            text.at(position - 1).isHighSurrogate();
    return splitsPair ? position - 1 : position;
}

QString LeftWholeCharacters(const QString& text, int length)
{
    return text.left(WholeCharacterPosition(text, length));
}
