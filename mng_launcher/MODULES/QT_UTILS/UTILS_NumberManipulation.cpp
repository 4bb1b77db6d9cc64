#include "QT_UTILS/UTILS_NumberManipulation.h"

#include "QT_TRACES/TRACES_Traces.h"

#include <algorithm>

namespace
{
constexpr int DWORD_BITS = 32;
constexpr DWord BIG_ENDIAN_MAX_BYTES = 2;

int HexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
    {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f')
    {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F')
    {
        return digit - 'A' + 10;
    }
    return -1;
}

// Two hexadecimal digits starting at position; false when they are missing or not digits.
bool ParseHexPair(const QByteArray& text, qint64 position, Byte& value)
{
    if (position < 0 || position + 2 > text.size())
    {
        return false;
    }
    const int high = HexDigitValue(text.at(int(position)));
    const int low = HexDigitValue(text.at(int(position) + 1));
    if (high < 0 || low < 0)
    {
        return false;
    }
    value = Byte(high * 16 + low);
    return true;
}

char SixBitCharacter(Byte value)
{
    return EncodeSixBits(QByteArray(1, char(value))).at(0);
}

// Four characters of a group of three bytes, written over output from position on.
void EncodeGroup(Byte x, Byte y, Byte z, QByteArray& output, int position)
{
    if (output.size() < position + 4)
    {
        output.resize(position + 4);
    }
    output[position] = SixBitCharacter(Byte(x >> 2));
    output[position + 1] = SixBitCharacter(Byte(((x & 3) << 4) | (y >> 4)));
    output[position + 2] = SixBitCharacter(Byte(((y & 15) << 2) | (z >> 6)));
    output[position + 3] = SixBitCharacter(Byte(z & 63));
}
} // namespace

void AppendWord(Word value, QByteArray& bytes)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

bool ConvertHexTextToBytes(const QString& text, Byte byteCount, QByteArray& bytes)
{
    if (text.size() < 2 * int(byteCount))
    {
        return false;
    }
    const QByteArray latin = text.toLatin1();
    for (int i = 0; i < int(byteCount); ++i)
    {
        Byte value = 0;
        if (!ParseHexPair(latin, 2 * i, value))
        {
            value = 0;
        }
        bytes.append(char(value));
    }
    return true;
}

QByteArray ReverseBytes(const QByteArray& bytes)
{
    QByteArray reversed(bytes);
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

DWord ReadBigEndianValue(const QByteArray& bytes, DWord index, DWord byteCount, Word& value)
{
    value = 0;
    const quint64 length = quint64(bytes.size());
    quint64 count = std::min(byteCount, BIG_ENDIAN_MAX_BYTES);
    // Summed in 64 bits: an index near the top of the range must not wrap round to a small position.
    if (quint64(index) + count >= length)
    {
        if (index >= length)
        {
            return DWord(length);
        }
        count = length - index;
    }
    else if (byteCount == 0)
    {
        return DWord(length);
    }
    for (quint64 i = 0; i < count; ++i)
    {
        value = Word((value << 8) | Byte(bytes.at(int(index + i))));
    }
    return DWord(count);
}

Word ReadWordFromHex(const QByteArray& bytes, DWord hexDigitOffset)
{
    const QByteArray hex = bytes.toHex();
    Byte high = 0;
    Byte low = 0;
    ParseHexPair(hex, qint64(hexDigitOffset), high);
    if (!ParseHexPair(hex, qint64(hexDigitOffset) + 2, low))
    {
        return 0;
    }
    return Word(high * 256 + low);
}

DWord ReadDWordFromHex(const QByteArray& bytes, DWord byteOffset)
{
    const QByteArray hex = bytes.toHex();
    DWord value = 0;
    for (int pair = 0; pair < 4; ++pair)
    {
        Byte byte = 0;
        const bool parsed = ParseHexPair(hex, 2 * qint64(byteOffset) + 2 * pair, byte);
        if (pair == 3 && !parsed)
        {
            return 0;
        }
        value = (value << 8) | byte;
    }
    return value;
}

QByteArray ConvertDWordToBytes(DWord value, bool littleEndian)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
    {
        const int shift = littleEndian ? 8 * i : 8 * (3 - i);
        bytes.append(char((value >> shift) & 0xFF));
    }
    return bytes;
}

QBitArray ConvertDWordToQBitArray(DWord value)
{
    QBitArray bits(DWORD_BITS);
    for (int i = 0; i < DWORD_BITS; ++i)
    {
        bits.setBit(i, ((value >> i) & 1U) != 0);
    }
    return bits;
}

DWord ConvertQBitArrayToDWord(const QBitArray& bits)
{
    if (bits.size() != DWORD_BITS)
    {
        TRACE_ERROR(QStringLiteral("Wrong size for the QBitArray: ") + QString::number(bits.size()) +
                    QStringLiteral(", must be 32"));
        return 0;
    }
    DWord value = 0;
    for (int i = 0; i < DWORD_BITS; ++i)
    {
        if (bits.testBit(i))
        {
            value |= DWord(1) << i;
        }
    }
    return value;
}

QByteArray EncodeSixBits(const QByteArray& sixBitValue)
{
    if (sixBitValue.isEmpty())
    {
        return QByteArray(1, '`');
    }
    return QByteArray(1, char(Byte(sixBitValue.at(0)) + 32));
}

int UuEncodeBytes(const QByteArray& input, DWord inputLength, QByteArray& output)
{
    // A length beyond the input would read past its end: only the bytes that exist are encoded.
    const int length = int(std::min<quint64>(inputLength, quint64(input.size())));
    const auto byteAt = [&input, length](int i) { return i < length ? Byte(input.at(i)) : Byte(0); };
    int written = 0;
    for (int start = 0; start < length; start += 3)
    {
        EncodeGroup(byteAt(start), byteAt(start + 1), byteAt(start + 2), output, written);
        written += 4;
    }
    return written;
}
