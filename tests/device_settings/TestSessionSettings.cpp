#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_DeviceTables.h"
#include "TestFiles.h"
#include "TraceCapture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(SESSION_LOAD_STATUS)

namespace
{
SESSION_SETTINGS_DATA Studio()
{
    SESSION_SETTINGS_DATA data;
    data.deviceIndex = 1; // "Dalvogrid 4K"
    data.port = 3000;
    data.versionText = QStringLiteral("3.1.51");
    data.name = QStringLiteral("Studio");
    data.description = QStringLiteral("Rack 2\nleft side");
    data.audioCard = 1;
    return data;
}
} // namespace

// The session settings file: locations, folder names, every written key and the reading rules.
class TestSessionSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void sessionsRootDropsTheApplicationName_data()
    {
        QTest::addColumn<bool>("homeNamedAfterTheProgram");
        QTest::newRow("home of any name") << false;
        // Only the location's last part is the program's name: a home path holding it stays whole.
        QTest::newRow("home holding the program's name") << true;
    }
    void sessionsRootDropsTheApplicationName()
    {
        QFETCH(bool, homeNamedAfterTheProgram);
        const QByteArray home = qgetenv("HOME");
        const auto restoreHome = qScopeGuard([&home]() { qputenv("HOME", home); });
        const QTemporaryDir namedHome(QDir::tempPath() + QLatin1Char('/') +
                                      QCoreApplication::applicationName() + QStringLiteral("-XXXXXX"));
        if (homeNamedAfterTheProgram)
        {
            QVERIFY(namedHome.isValid());
            qputenv("HOME", namedHome.path().toUtf8());
        }
        QString expected = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(expected.endsWith(QCoreApplication::applicationName()));
        expected.chop(QCoreApplication::applicationName().size());
        QCOMPARE(CLASS_SESSION_SETTINGS::SessionsRoot(),
                 expected + QStringLiteral("VORNTAL/Tarvo_Simulator/"));
    }

    void folderNameCarriesTheCreationTime()
    {
        const QDateTime creation(QDate(2024, 3, 5), QTime(14, 7, 59));
        QCOMPARE(CLASS_SESSION_SETTINGS::SessionFolderName(creation),
                 QStringLiteral("Tarvo2024_03_05_14_07_59"));
    }

    void writesEveryTopLevelKey()
    {
        QTemporaryDir folder;
        QVERIFY(CLASS_SESSION_SETTINGS::Write(folder.path(), Studio()));
        QSettings file(folder.path() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        QCOMPARE(file.status(), QSettings::NoError);
        QCOMPARE(file.childKeys().size(), 9);
        QCOMPARE(file.value(QStringLiteral("DEVICE_TYPE")).toInt(), 4);
        QCOMPARE(file.value(QStringLiteral("PORT")).toString(), QStringLiteral("3000"));
        QCOMPARE(file.value(QStringLiteral("VERSION")).toString(), QStringLiteral("3.1.51"));
        QCOMPARE(file.value(QStringLiteral("NAME")).toString(), QStringLiteral("Studio"));
        QCOMPARE(file.value(QStringLiteral("ZRJ_INT_PORT")).toInt(), 10506);
        QCOMPARE(file.value(QStringLiteral("ZRJ_EXT_PORT")).toInt(), 10606);
        QCOMPARE(file.value(QStringLiteral("ZRP_INT_PORT")).toInt(), 10500);
        QCOMPARE(file.value(QStringLiteral("KB700S_PORT")).toInt(), 10691);
        QCOMPARE(file.value(QStringLiteral("DESCRIPTION")).toString(), QStringLiteral("Rack 2\nleft side"));
        // Only the file itself is left in the folder: the staging copy is gone.
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("settings.ini")});
    }

    void writesCardGroups_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("audioCard");
        QTest::addColumn<int>("plugged");
        const QStringList pluggedAlways = {QStringLiteral("MOTHERBOARD"), QStringLiteral("FAV"),
                                           QStringLiteral("GENLOCK"), QStringLiteral("MEZZA_SDI_IN")};
        for (int card = 0; card < CARD_GROUP_COUNT; ++card)
        {
            const QString group = CardGroupName(card);
            for (int audio : {0, 1})
            {
                const int plugged =
                    group == QStringLiteral("MEZZA_AUDIO") ? audio : pluggedAlways.contains(group);
                QTest::addRow("%s audio=%d", qPrintable(group), audio) << group << audio << plugged;
            }
        }
    }
    void writesCardGroups()
    {
        QFETCH(QString, group);
        QFETCH(int, audioCard);
        QFETCH(int, plugged);
        QTemporaryDir folder;
        SESSION_SETTINGS_DATA data = Studio();
        data.audioCard = audioCard;
        QVERIFY(CLASS_SESSION_SETTINGS::Write(folder.path(), data));
        QSettings file(folder.path() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
        QCOMPARE(file.childGroups().size(), 9);
        file.beginGroup(group);
        QCOMPARE(file.childKeys().size(), 3);
        QCOMPARE(file.value(QStringLiteral("PLUGGED")).toInt(), plugged);
        QCOMPARE(file.value(QStringLiteral("TYPE")).toInt(), 0);
        QCOMPARE(file.value(QStringLiteral("SLOT")).toInt(), 0);
    }

    void readsBackWhatWasWritten_data()
    {
        QTest::addColumn<int>("deviceIndex");
        QTest::addColumn<int>("audioCard");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("Dalvoscan, no audio") << 0 << 0 << QStringLiteral("Desk") << QString();
        QTest::newRow("Dalvogrid, audio")
            << 1 << 1 << QStringLiteral("Studio") << QStringLiteral("two\nlines");
        QTest::newRow("Brekka, special characters")
            << 2 << 0 << QStringLiteral("A = \"b\"; c, [d]") << QStringLiteral("50% \\ # é");
        QTest::newRow("Orvane, audio") << 3 << 1 << QStringLiteral("Orvane") << QStringLiteral("x");
    }
    void readsBackWhatWasWritten()
    {
        QFETCH(int, deviceIndex);
        QFETCH(int, audioCard);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("Tarvo1")));
        SESSION_SETTINGS_DATA data = Studio();
        data.deviceIndex = deviceIndex;
        data.audioCard = audioCard;
        data.name = name;
        data.description = description;
        QVERIFY(CLASS_SESSION_SETTINGS::Write(root.filePath(QStringLiteral("Tarvo1")), data));

        const SESSION_LOAD_RESULT result =
            CLASS_SESSION_SETTINGS::Load(root.path(), QStringLiteral("Tarvo1"));
        QCOMPARE(result.status, SESSION_LOAD_STATUS::Loaded);
        QVERIFY(result.logText.isEmpty());
        QCOMPARE(result.presentKeys.size(), 9);
        QCOMPARE(result.data.deviceIndex, deviceIndex);
        QCOMPARE(result.data.audioCard, audioCard);
        QCOMPARE(result.data.name, name);
        QCOMPARE(result.data.description, description);
        QCOMPARE(result.data.port, 3000);
        QCOMPARE(result.data.versionText, QStringLiteral("3.1.51"));
    }

    void readingRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("deviceIndex");
        QTest::addColumn<int>("audioCard");
        QTest::addColumn<int>("zrjIntPort");
        QTest::newRow("underscores read as points")
            << QByteArray("VERSION=3_1_51\nDEVICE_TYPE=2\n") << "3.1.51" << 2 << 0 << 10506;
        QTest::newRow("unknown device code")
            << QByteArray("VERSION=3.2.0\nDEVICE_TYPE=99\n") << "3.2.0" << 0 << 0 << 10506;
        QTest::newRow("no version, no device type") << QByteArray("NAME=x\n") << "" << 0 << 0 << 10506;
        QTest::newRow("audio from any group naming the card")
            << QByteArray("DEVICE_TYPE=3\n[OLD_MEZZA_AUDIO_2]\nPLUGGED=1\n") << "" << 3 << 1 << 10506;
        QTest::newRow("audio card unplugged")
            << QByteArray("[MEZZA_AUDIO]\nPLUGGED=0\n[FAV]\nPLUGGED=1\n") << "" << 0 << 0 << 10506;
        QTest::newRow("hand-edited port is read")
            << QByteArray("ZRJ_INT_PORT=1234\n") << "" << 0 << 0 << 1234;
    }
    void readingRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, version);
        QFETCH(int, deviceIndex);
        QFETCH(int, audioCard);
        QFETCH(int, zrjIntPort);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("S")));
        QVERIFY(WriteFile(root.filePath(QStringLiteral("S/settings.ini")), content));
        const SESSION_LOAD_RESULT result =
            CLASS_SESSION_SETTINGS::Load(root.path() + QStringLiteral("/"), QStringLiteral("S"));
        QCOMPARE(result.status, SESSION_LOAD_STATUS::Loaded);
        QCOMPARE(result.data.versionText, version);
        QCOMPARE(result.data.deviceIndex, deviceIndex);
        QCOMPARE(result.data.audioCard, audioCard);
        QCOMPARE(result.data.zrjIntPort, zrjIntPort);
        QCOMPARE(result.data.kb700sPort, 10691);
    }

    void saveRewritesHandEditedPortsAndKeepsOtherKeys()
    {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("S"));
        const QString path = folder + QStringLiteral("/settings.ini");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(CLASS_SESSION_SETTINGS::Write(folder, Studio()));
        {
            QSettings edit(path, QSettings::IniFormat);
            edit.setValue(QStringLiteral("ZRJ_INT_PORT"), 1);
            edit.setValue(QStringLiteral("KB700S_PORT"), 2);
            edit.setValue(QStringLiteral("CUSTOM"), QStringLiteral("kept"));
        }
        const SESSION_LOAD_RESULT loaded = CLASS_SESSION_SETTINGS::Load(root.path(), QStringLiteral("S"));
        QCOMPARE(loaded.data.zrjIntPort, 1);
        QCOMPARE(loaded.data.kb700sPort, 2);

        QVERIFY(CLASS_SESSION_SETTINGS::Write(folder, loaded.data));
        QSettings file(path, QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("ZRJ_INT_PORT")).toInt(), 10506);
        QCOMPARE(file.value(QStringLiteral("KB700S_PORT")).toInt(), 10691);
        QCOMPARE(file.value(QStringLiteral("CUSTOM")).toString(), QStringLiteral("kept"));
    }

    void saveReplacesAMalformedFile()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("settings.ini"));
        QVERIFY(WriteFile(path, "[GENLOCK\nPLUGGED=1\n"));
        QVERIFY(CLASS_SESSION_SETTINGS::Write(folder.path(), Studio()));
        QSettings file(path, QSettings::IniFormat);
        QCOMPARE(file.status(), QSettings::NoError);
        QCOMPARE(file.value(QStringLiteral("NAME")).toString(), QStringLiteral("Studio"));
    }

    void saveIntoAMissingFolderFailsAndSaysSo()
    {
        TraceCapture traces;
        QVERIFY(traces.Ready());
        QTemporaryDir root;
        const QString missing = root.filePath(QStringLiteral("gone"));
        QVERIFY(!CLASS_SESSION_SETTINGS::Write(missing, Studio()));
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(traces.ErrorsStartingWith(QStringLiteral("Error opening file for writing:")), 1);
    }

    void loadOutcomes_data()
    {
        QTest::addColumn<QStringList>("files"); // relative paths; a trailing "/" makes a folder
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<SESSION_LOAD_STATUS>("status");
        QTest::addColumn<bool>("folderKept");
        QTest::addColumn<QString>("logText"); // {folder} and {file} stand for the paths
        QTest::addColumn<bool>("logIsError");
        QTest::newRow("empty folder")
            << QStringList() << QByteArray() << SESSION_LOAD_STATUS::EmptyFolderRemoved << false
            << "The Session folder is empty {folder}" << false;
        QTest::newRow("only a tmp folder")
            << QStringList{QStringLiteral("tmp/")} << QByteArray() << SESSION_LOAD_STATUS::MissingFileRemoved
            << false << "The configuration file is missing {folder}" << false;
        QTest::newRow("resources but no settings")
            << QStringList{QStringLiteral("ZR_APPS/"), QStringLiteral("ZR_APPS/index.html")} << QByteArray()
            << SESSION_LOAD_STATUS::MissingFileRemoved << false
            << "The configuration file is missing {folder}" << false;
        QTest::newRow("malformed settings")
            << QStringList{QStringLiteral("settings.ini")} << QByteArray("NAME=x\n[GENLOCK\nPLUGGED=1\n")
            << SESSION_LOAD_STATUS::ParseFailed << true << "Failed to parse file {file}" << true;
    }
    void loadOutcomes()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, settings);
        QFETCH(SESSION_LOAD_STATUS, status);
        QFETCH(bool, folderKept);
        QFETCH(QString, logText);
        QFETCH(bool, logIsError);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("Tarvo2024_03_05_14_07_59"));
        QVERIFY(QDir().mkpath(folder));
        for (const QString& file : files)
        {
            if (file.endsWith(QLatin1Char('/')))
            {
                QVERIFY(QDir(folder).mkpath(file));
            }
            else
            {
                QVERIFY(WriteFile(folder + QStringLiteral("/") + file,
                                  settings.isEmpty() ? QByteArray("x") : settings));
            }
        }
        const SESSION_LOAD_RESULT result = CLASS_SESSION_SETTINGS::Load(
            root.path() + QStringLiteral("/"), QStringLiteral("Tarvo2024_03_05_14_07_59"));
        QCOMPARE(result.status, status);
        QCOMPARE(QFileInfo::exists(folder), folderKept);
        logText.replace(QStringLiteral("{folder}"), folder)
            .replace(QStringLiteral("{file}"), folder + QStringLiteral("/settings.ini"));
        QCOMPARE(result.logText, logText);
        QCOMPARE(result.logIsError, logIsError);
        if (folderKept)
        {
            QCOMPARE(ReadFile(folder + QStringLiteral("/settings.ini")), settings);
        }
        QVERIFY(QFileInfo::exists(root.path()));
    }

    void refusesNamesOutsideTheRoot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("dot") << QStringLiteral(".");
        QTest::newRow("dot dot") << QStringLiteral("..");
        QTest::newRow("nested") << QStringLiteral("a/b");
    }
    void refusesNamesOutsideTheRoot()
    {
        QFETCH(QString, name);
        QTemporaryDir parent;
        const QString root = parent.filePath(QStringLiteral("root"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/a/b/tmp")));
        QVERIFY(WriteFile(parent.filePath(QStringLiteral("keep.txt")), "x"));
        const SESSION_LOAD_RESULT result = CLASS_SESSION_SETTINGS::Load(root + QStringLiteral("/"), name);
        QCOMPARE(result.status, SESSION_LOAD_STATUS::InvalidFolderName);
        QVERIFY(result.logIsError);
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/a/b/tmp")));
        QVERIFY(QFileInfo::exists(parent.filePath(QStringLiteral("keep.txt"))));
    }
};

QTEST_GUILESS_MAIN(TestSessionSettings)
#include "TestSessionSettings.moc"
