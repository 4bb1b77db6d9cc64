#ifndef UTILS_NUMBERMANIPULATION_H
#define UTILS_NUMBERMANIPULATION_H

#include "ZR_Types.h"

#include <QBitArray>
#include <QByteArray>
#include <QString>

// Conversions between integers, byte arrays, hexadecimal text and bit arrays, and a uuencode-style
// encoder. The functions keep no state. The hex text of a byte array is QByteArray::toHex of it:
// two lower-case digits per byte.

// Appends the low byte of the value, then its high byte.
void AppendWord(Word value, QByteArray& bytes);

// Appends byteCount bytes read as digit pairs from the start of the text; a pair that is not two
// hexadecimal digits gives 0. A text shorter than 2 x byteCount appends nothing and returns false.
bool ConvertHexTextToBytes(const QString& text, Byte byteCount, QByteArray& bytes);

QByteArray ReverseBytes(const QByteArray& bytes);

// Reads at most two bytes from index as one big-endian number into value and returns how many were
// read; an index at or past the end, or a byte count of 0, reads nothing and returns the array's length.
DWord ReadBigEndianValue(const QByteArray& bytes, DWord index, DWord byteCount, Word& value);

// The offset counts hex digits: the two digits at it give the high byte, the next two the low byte.
// 0 when the low byte's digits do not parse.
Word ReadWordFromHex(const QByteArray& bytes, DWord hexDigitOffset);

// The offset counts bytes: four digit pairs from digit 2 x offset give a big-endian value.
// 0 when the last pair does not parse.
DWord ReadDWordFromHex(const QByteArray& bytes, DWord byteOffset);

QByteArray ConvertDWordToBytes(DWord value, bool littleEndian);

// Entry i is bit i of the value (bit 0 the least significant).
QBitArray ConvertDWordToQBitArray(DWord value);
// The reverse; an array that does not have exactly 32 entries is logged and gives 0.
DWord ConvertQBitArrayToDWord(const QBitArray& bits);

// The character of one 6-bit value (value + 32); an empty input gives the back-quote.
QByteArray EncodeSixBits(const QByteArray& sixBitValue);

// Encodes the first inputLength bytes of the input, three bytes to four characters, into output from
// position 0 (the output grows as needed) and returns the number of characters written. A last group
// of one or two bytes is padded with zero bytes.
int UuEncodeBytes(const QByteArray& input, DWord inputLength, QByteArray& output);

#endif // UTILS_NUMBERMANIPULATION_H
