#include "CLI/CLI_TerminalText.h"

namespace
{
bool IsControl(QChar character, bool keepLineFeed)
{
    const ushort code = character.unicode();
    if (code == u'\n')
    {
        return !keepLineFeed;
    }
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x2028 || code == 0x2029;
}

QString Escaped(const QString& text, bool keepLineFeed)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar character : text)
    {
        if (!IsControl(character, keepLineFeed))
        {
            safe.append(character);
        }
        else if (character == QLatin1Char('\n'))
        {
            safe.append(QStringLiteral("\\n"));
        }
        else if (character == QLatin1Char('\r'))
        {
            safe.append(QStringLiteral("\\r"));
        }
        else
        {
            safe.append(QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0')));
        }
    }
    return safe;
}
} // namespace

QString TerminalSafe(const QString& text)
{
    return Escaped(text, true);
}

QString OneLineValue(const QString& value)
{
    return Escaped(value, false);
}
