// The number functions of the utilities module on any bytes, offsets and counts (they read device
// answers and hex text that come from outside). Each result is compared with a plain reference, and
// every read stays inside its array (the sanitizers watch that).

#include "FuzzSupport.h"

#include "QT_UTILS/UTILS_NumberManipulation.h"

#include <algorithm>

namespace
{
// Reads parameters from the front of the input, then leaves the rest as data.
class INPUT_READER
{
public:
    explicit INPUT_READER(const QByteArray& input) : input(input) {}
    quint32 Next32()
    {
        quint32 value = 0;
        for (int i = 0; i < 4; ++i)
        {
            value = (value << 8) | Next8();
        }
        return value;
    }
    quint8 Next8() { return position < input.size() ? quint8(input.at(position++)) : 0; }
    QByteArray Rest() const { return input.mid(position); }

private:
    QByteArray input;
    int position = 0;
};

// A small offset most of the time, so that reads near the end of the data are common.
quint32 Offset(quint32 raw, int dataSize)
{
    return (raw & 0x80000000u) != 0 ? raw : raw % quint32(dataSize + 8);
}

quint32 BigEndianAt(const QByteArray& bytes, int first, int count)
{
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
    {
        value = (value << 8) | quint8(bytes.at(first + i));
    }
    return value;
}

void CheckBytesAndWords(const QByteArray& data, quint32 word32)
{
    QByteArray appended = data;
    const Word word = Word(word32);
    AppendWord(word, appended);
    FUZZ::Check(appended == data + QByteArray(1, char(word & 0xFF)) + QByteArray(1, char(word >> 8)),
                "AppendWord appends low then high byte");
    FUZZ::Check(ReverseBytes(ReverseBytes(data)) == data && ReverseBytes(data).size() == data.size(),
                "ReverseBytes twice gives the bytes back");
    const QByteArray little = ConvertDWordToBytes(word32, true);
    const QByteArray big = ConvertDWordToBytes(word32, false);
    FUZZ::Check(big.size() == 4 && BigEndianAt(big, 0, 4) == word32, "big-endian bytes of a 32-bit value");
    FUZZ::Check(little == ReverseBytes(big), "little-endian is big-endian reversed");
    FUZZ::Check(ConvertQBitArrayToDWord(ConvertDWordToQBitArray(word32)) == word32, "bits round-trip");
    QBitArray bits(int(word32 % 64));
    for (int i = 0; i < bits.size(); ++i)
    {
        bits.setBit(i, i < data.size() && (data.at(i) & 1) != 0);
    }
    FUZZ::Check(bits.size() == 32 || ConvertQBitArrayToDWord(bits) == 0,
                "a bit array of another size gives 0");
}

void CheckHexText(const QByteArray& data, quint8 count)
{
    const QString text = QString::fromLatin1(data);
    QByteArray bytes("prefix");
    const bool converted = ConvertHexTextToBytes(text, count, bytes);
    FUZZ::Check(converted == (text.size() >= 2 * int(count)), "hex text converts when long enough");
    FUZZ::Check(bytes.size() == 6 + (converted ? int(count) : 0) && bytes.startsWith("prefix"),
                "hex text appends one byte per digit pair");
    const int whole = std::min(data.size(), 255);
    QByteArray back;
    FUZZ::Check(ConvertHexTextToBytes(QString::fromLatin1(data.left(whole).toHex()), Byte(whole), back) &&
                    back == data.left(whole),
                "bytes round-trip through their hex text");
}

void CheckBigEndianRead(const QByteArray& data, quint32 index, quint32 count)
{
    Word value = 0xBEEF;
    const DWord read = ReadBigEndianValue(data, index, count, value);
    const quint64 length = quint64(data.size());
    if (index >= length || count == 0)
    {
        FUZZ::Check(read == DWord(length) && value == 0, "a read of nothing returns the length and 0");
        return;
    }
    const int expectedCount = int(std::min<quint64>({quint64(count), 2, length - index}));
    FUZZ::Check(read == DWord(expectedCount), "at most two bytes are read, none past the end");
    FUZZ::Check(value == BigEndianAt(data, int(index), expectedCount),
                "the bytes read form a big-endian value");
}

void CheckHexReads(const QByteArray& data, quint32 hexOffset, quint32 byteOffset)
{
    const QByteArray hex = data.toHex();
    const quint64 digits = quint64(hex.size());
    const Word word = ReadWordFromHex(data, hexOffset);
    if (quint64(hexOffset) + 4 <= digits)
    {
        FUZZ::Check(word == hex.mid(int(hexOffset), 4).toUInt(nullptr, 16),
                    "a word is read from four hex digits");
    }
    else
    {
        FUZZ::Check(word == 0, "a word beyond the hex text is 0");
    }
    const DWord dword = ReadDWordFromHex(data, byteOffset);
    const bool inside = quint64(byteOffset) + 4 <= quint64(data.size());
    FUZZ::Check(dword == (inside ? BigEndianAt(data, int(byteOffset), 4) : 0),
                "a 32-bit value is read from hex");
}

void CheckUuEncode(const QByteArray& data, quint32 length, quint8 junk)
{
    QByteArray output(junk % 16, '#');
    const QByteArray before = output;
    const int encodedBytes = int(std::min<quint64>(length, quint64(data.size())));
    const int written = UuEncodeBytes(data, length, output);
    FUZZ::Check(written == 4 * ((encodedBytes + 2) / 3), "four characters per group of three bytes");
    FUZZ::Check(output.size() == std::max(before.size(), written), "the output grows only as needed");
    FUZZ::Check(output.mid(written) == before.mid(written), "bytes after the encoded ones stay");
    for (int i = 0; i < written; ++i)
    {
        const int group = i / 4;
        quint32 bits = 0;
        for (int k = 0; k < 3; ++k)
        {
            const int at = 3 * group + k;
            bits = (bits << 8) | (at < encodedBytes ? quint8(data.at(at)) : 0);
        }
        const int sixBits = int((bits >> (6 * (3 - i % 4))) & 63);
        FUZZ::Check(output.at(i) == char(sixBits + 32), "each character is a six-bit value + 32");
    }
    FUZZ::Check(EncodeSixBits(QByteArray()) == QByteArray("`"), "an empty six-bit value is the back-quote");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    INPUT_READER reader(FUZZ::Bytes(data, size));
    const quint32 word32 = reader.Next32();
    const quint32 index = reader.Next32();
    const quint32 count = reader.Next32();
    const quint32 hexOffset = reader.Next32();
    const quint32 byteOffset = reader.Next32();
    const quint32 uuLength = reader.Next32();
    const quint8 small = reader.Next8();
    const QByteArray rest = reader.Rest();
    const int n = rest.size();

    CheckBytesAndWords(rest, word32);
    CheckHexText(rest, small);
    CheckBigEndianRead(rest, Offset(index, n), count % 2 == 0 ? count : count % 5);
    CheckHexReads(rest, Offset(hexOffset, 2 * n), Offset(byteOffset, n));
    CheckUuEncode(rest, Offset(uuLength, n), small);
    return 0;
}
