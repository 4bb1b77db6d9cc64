// The constant tables of the device family: model names, DEVICE_TYPE codes in both directions and the
// card groups of a session's settings file.
#include "DEVICE/DEVICE_DeviceTables.h"

#include <QtTest>

class TestDeviceTables : public QObject
{
    Q_OBJECT

private slots:
    void modelNameOfDeviceIndex_data();
    void modelNameOfDeviceIndex();
    void codeOfDeviceIndex_data();
    void codeOfDeviceIndex();
    void deviceIndexOfStoredCode_data();
    void deviceIndexOfStoredCode();
    void everyModelSurvivesTheRoundTrip();
    void cardGroupOfCardIndex_data();
    void cardGroupOfCardIndex();
    void nineCardGroupsInCardIndexOrder();
    void defaultPackagesList();
};

void TestDeviceTables::modelNameOfDeviceIndex_data()
{
    QTest::addColumn<int>("deviceIndex");
    QTest::addColumn<QString>("name");

    QTest::newRow("0") << 0 << "Dalvoscan 4K";
    QTest::newRow("1") << 1 << "Dalvogrid 4K";
    QTest::newRow("2") << 2 << "Brekka 4K";
    QTest::newRow("3") << 3 << "Orvane 4K";
    QTest::newRow("4 has a code but no name") << 4 << QString();
    QTest::newRow("unknown -1") << -1 << QString();
}

void TestDeviceTables::modelNameOfDeviceIndex()
{
    QFETCH(int, deviceIndex);
    QFETCH(QString, name);
    QCOMPARE(DeviceModelName(deviceIndex), name);
}

void TestDeviceTables::codeOfDeviceIndex_data()
{
    QTest::addColumn<int>("deviceIndex");
    QTest::addColumn<int>("code");

    QTest::newRow("Dalvoscan 4K") << 0 << 1;
    QTest::newRow("Dalvogrid 4K is stored as 4") << 1 << 4;
    QTest::newRow("Brekka 4K is stored as 2") << 2 << 2;
    QTest::newRow("Orvane 4K") << 3 << 3;
    QTest::newRow("index 4") << 4 << 5;
    QTest::newRow("index 5") << 5 << 6;
    QTest::newRow("index without entry") << 6 << 0;
}

void TestDeviceTables::codeOfDeviceIndex()
{
    QFETCH(int, deviceIndex);
    QFETCH(int, code);
    QCOMPARE(DeviceTypeCode(deviceIndex), code);
}

void TestDeviceTables::deviceIndexOfStoredCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("deviceIndex");

    QTest::newRow("1 is Dalvoscan 4K") << 1 << 0;
    QTest::newRow("4 is Dalvogrid 4K") << 4 << 1;
    QTest::newRow("2 is Brekka 4K") << 2 << 2;
    QTest::newRow("3 is Orvane 4K") << 3 << 3;
    QTest::newRow("5") << 5 << 4;
    QTest::newRow("6") << 6 << 5;
    QTest::newRow("unknown 9 reads as index 0") << 9 << 0;
    QTest::newRow("0 reads as index 0") << 0 << 0;
}

void TestDeviceTables::deviceIndexOfStoredCode()
{
    QFETCH(int, code);
    QFETCH(int, deviceIndex);
    QCOMPARE(DeviceIndexOfCode(code), deviceIndex);
    if (code == 9)
    {
        QCOMPARE(DeviceModelName(DeviceIndexOfCode(code)), QStringLiteral("Dalvoscan 4K"));
    }
}

void TestDeviceTables::everyModelSurvivesTheRoundTrip()
{
    for (int deviceIndex = 0; deviceIndex < DEVICE_TYPE_CODES.size(); ++deviceIndex)
    {
        QCOMPARE(DeviceIndexOfCode(DeviceTypeCode(deviceIndex)), deviceIndex);
    }
}

void TestDeviceTables::cardGroupOfCardIndex_data()
{
    QTest::addColumn<int>("cardIndex");
    QTest::addColumn<QString>("group");

    QTest::newRow("0") << 0 << "MOTHERBOARD";
    QTest::newRow("1") << 1 << "FAV";
    QTest::newRow("2") << 2 << "GENLOCK";
    QTest::newRow("3") << 3 << "MEZZA_SDI_IN";
    QTest::newRow("4") << 4 << "MEZZA_RJ45_IN";
    QTest::newRow("5") << 5 << "MEZZA_RJ45_OUT";
    QTest::newRow("6") << 6 << "MEZZA_AUDIO";
    QTest::newRow("7") << 7 << "OPT_VIDEO_OPTION_1";
    QTest::newRow("8") << 8 << "OPT_VIDEO_OPTION_2";
    QTest::newRow("9 has no entry") << 9 << QString();
}

void TestDeviceTables::cardGroupOfCardIndex()
{
    QFETCH(int, cardIndex);
    QFETCH(QString, group);
    QCOMPARE(CardGroupName(cardIndex), group);
}

void TestDeviceTables::nineCardGroupsInCardIndexOrder()
{
    QCOMPARE(CARD_GROUP_NAMES.size(), 9);
    QCOMPARE(CARD_GROUP_COUNT, 9);
    QStringList groups;
    for (int cardIndex = 0; cardIndex < CARD_GROUP_COUNT; ++cardIndex)
    {
        groups << CardGroupName(cardIndex);
    }
    QCOMPARE(groups.removeDuplicates(), 0);
    QVERIFY(!groups.contains(QString()));
}

void TestDeviceTables::defaultPackagesList()
{
    QCOMPARE(DEFAULT_PACKAGES_LIST, (QMap<int, QString>{{0, QStringLiteral("3.1.51")}}));
}

QTEST_GUILESS_MAIN(TestDeviceTables)
#include "TestDeviceTables.moc"
