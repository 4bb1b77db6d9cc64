#include "QT_UTILS/UTILS_NumberManipulation.h"

#include "TraceCapture.h"

#include <QtTest>

// The number conversions of the utilities module.
class TestNumberManipulation : public QObject
{
    Q_OBJECT

private:
    TraceCapture traces;

private slots:
    void initTestCase() { QVERIFY(traces.Start()); }

    void appendWordPutsTheLowByteFirst()
    {
        QByteArray bytes("\x01", 1);
        AppendWord(0x1234, bytes);
        QCOMPARE(bytes, QByteArray::fromHex("013412"));
    }

    void hexTextToBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("appended");
        QTest::newRow("mixed case") << "0aFF" << 2 << true << QByteArray::fromHex("0aff");
        QTest::newRow("too short") << "0aFF" << 3 << false << QByteArray();
        QTest::newRow("longer text, first pairs only")
            << "0102030405" << 2 << true << QByteArray::fromHex("0102");
        QTest::newRow("pair that does not parse gives 0")
            << "zz7f" << 2 << true << QByteArray::fromHex("007f");
        QTest::newRow("half a pair does not parse") << "1g" << 1 << true << QByteArray::fromHex("00");
        QTest::newRow("blank and sign are not digits") << " 1+1" << 2 << true << QByteArray::fromHex("0000");
        QTest::newRow("no bytes wanted") << "" << 0 << true << QByteArray();
    }

    void hexTextToBytes()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(bool, result);
        QFETCH(QByteArray, appended);
        QByteArray bytes("\xAA", 1);
        QCOMPARE(ConvertHexTextToBytes(text, Byte(count), bytes), result);
        QCOMPARE(bytes, QByteArray("\xAA", 1) + appended);
    }

    void reverseBytes()
    {
        QCOMPARE(ReverseBytes(QByteArray::fromHex("010203")), QByteArray::fromHex("030201"));
        QCOMPARE(ReverseBytes(QByteArray()), QByteArray());
    }

    void readBigEndianValue_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<uint>("index");
        QTest::addColumn<uint>("count");
        QTest::addColumn<uint>("result");
        QTest::addColumn<uint>("value");
        const QByteArray three = QByteArray::fromHex("010203");
        QTest::newRow("index 1, five wanted: two read") << three << 1U << 5U << 2U << 0x0203U;
        QTest::newRow("index at the end") << three << 3U << 5U << 3U << 0U;
        QTest::newRow("index past the end") << three << 9U << 1U << 3U << 0U;
        QTest::newRow("last byte only") << three << 2U << 2U << 1U << 0x03U;
        QTest::newRow("one byte") << three << 0U << 1U << 1U << 0x01U;
        QTest::newRow("two bytes from the start") << three << 0U << 2U << 2U << 0x0102U;
        QTest::newRow("no byte wanted") << three << 0U << 0U << 3U << 0U;
        QTest::newRow("index near the top does not wrap") << three << 0xFFFFFFFFU << 2U << 3U << 0U;
        QTest::newRow("empty array") << QByteArray() << 0U << 2U << 0U << 0U;
    }

    void readBigEndianValue()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(uint, index);
        QFETCH(uint, count);
        QFETCH(uint, result);
        QFETCH(uint, value);
        Word read = 0xBEEF;
        QCOMPARE(ReadBigEndianValue(bytes, index, count, read), DWord(result));
        QCOMPARE(uint(read), value);
    }

    void readWordFromHex_data()
    {
        QTest::addColumn<uint>("offset");
        QTest::addColumn<uint>("value");
        // Hex text "12345678ab": the offset counts digits.
        QTest::newRow("from the start") << 0U << 0x1234U;
        QTest::newRow("odd digit offset") << 1U << 0x2345U;
        QTest::newRow("last full word") << 6U << 0x78abU;
        QTest::newRow("low byte missing") << 8U << 0U;
        QTest::newRow("low byte cut in half") << 7U << 0U;
    }

    void readWordFromHex()
    {
        QFETCH(uint, offset);
        QFETCH(uint, value);
        QCOMPARE(uint(ReadWordFromHex(QByteArray::fromHex("12345678ab"), offset)), value);
    }

    void readDWordFromHex_data()
    {
        QTest::addColumn<uint>("offset");
        QTest::addColumn<uint>("value");
        // The offset counts bytes.
        QTest::newRow("from the start") << 0U << 0x12345678U;
        QTest::newRow("one byte in") << 1U << 0x345678abU;
        QTest::newRow("last pair missing") << 2U << 0U;
    }

    void readDWordFromHex()
    {
        QFETCH(uint, offset);
        QFETCH(uint, value);
        QCOMPARE(ReadDWordFromHex(QByteArray::fromHex("12345678ab"), offset), DWord(value));
    }

    void dwordToBytes_data()
    {
        QTest::addColumn<bool>("littleEndian");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("little-endian") << true << QByteArray::fromHex("44332211");
        QTest::newRow("big-endian") << false << QByteArray::fromHex("11223344");
    }

    void dwordToBytes()
    {
        QFETCH(bool, littleEndian);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ConvertDWordToBytes(0x11223344U, littleEndian), bytes);
    }

    void bitArrays()
    {
        const QBitArray bits = ConvertDWordToQBitArray(0x80000005U);
        QCOMPARE(bits.size(), 32);
        QVERIFY(bits.testBit(0));
        QVERIFY(!bits.testBit(1));
        QVERIFY(bits.testBit(2));
        QVERIFY(bits.testBit(31));
        QCOMPARE(bits.count(true), 3);
        QCOMPARE(ConvertQBitArrayToDWord(bits), DWord(0x80000005U));
        QCOMPARE(ConvertQBitArrayToDWord(ConvertDWordToQBitArray(0xFFFFFFFFU)), DWord(0xFFFFFFFFU));
    }

    void bitArrayOfWrongSizeIsLogged_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("31 entries") << 31;
        QTest::newRow("33 entries") << 33;
        QTest::newRow("empty") << 0;
    }

    void bitArrayOfWrongSizeIsLogged()
    {
        QFETCH(int, size);
        const QString expected = QStringLiteral(
            "..\\mng_launcher\\MODULES\\QT_UTILS\\UTILS_NumberManipulation ConvertQBitArrayToDWord() "
            "Line ");
        const QString text = QStringLiteral(" Wrong size for the QBitArray: %1, must be 32\n").arg(size);
        const int before = traces.ErrorCount(text);
        QCOMPARE(ConvertQBitArrayToDWord(QBitArray(size, true)), DWord(0));
        QTRY_COMPARE(traces.ErrorCount(text), before + 1);
        QVERIFY(traces.ErrorLog().contains(expected));
    }

    void encodeSixBits()
    {
        QCOMPARE(EncodeSixBits(QByteArray()), QByteArray("`"));
        QCOMPARE(EncodeSixBits(QByteArray(1, '\0')), QByteArray(" "));
        QCOMPARE(EncodeSixBits(QByteArray(1, char(63))), QByteArray("_"));
    }

    void uuEncode_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<uint>("length");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("written");
        QTest::newRow("Cat") << QByteArray("Cat") << 3U << QByteArray("0V%T") << 4;
        QTest::newRow("three zero bytes") << QByteArray(3, '\0') << 3U << QByteArray("    ") << 4;
        QTest::newRow("one byte padded") << QByteArray("C") << 1U << QByteArray("0P  ") << 4;
        QTest::newRow("two bytes padded") << QByteArray("Ca") << 2U << QByteArray("0V$ ") << 4;
        QTest::newRow("a group and a partial one") << QByteArray("Cats") << 4U << QByteArray("0V%T<P  ") << 8;
        QTest::newRow("length shorter than the input") << QByteArray("Cats") << 3U << QByteArray("0V%T") << 4;
        QTest::newRow("length beyond the input") << QByteArray("Cat") << 9U << QByteArray("0V%T") << 4;
        QTest::newRow("nothing") << QByteArray() << 0U << QByteArray() << 0;
    }

    void uuEncode()
    {
        QFETCH(QByteArray, input);
        QFETCH(uint, length);
        QFETCH(QByteArray, output);
        QFETCH(int, written);
        QByteArray encoded;
        QCOMPARE(UuEncodeBytes(input, length, encoded), written);
        QCOMPARE(encoded, output);
    }

    void uuEncodeOverwritesFromTheStart()
    {
        QByteArray encoded("abcdefgh");
        QCOMPARE(UuEncodeBytes(QByteArray("Cat"), 3, encoded), 4);
        QCOMPARE(encoded, QByteArray("0V%Tefgh"));
    }
};

QTEST_GUILESS_MAIN(TestNumberManipulation)
#include "TestNumberManipulation.moc"
