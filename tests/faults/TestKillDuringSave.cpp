// The launcher killed with SIGKILL in the middle of a save. A helper program (fault_save_loop) saves one
// session in a loop; the test kills it at random moments, many times, and after every kill reads the
// session's settings.ini: it must parse and hold either the last save that completed or the one that was
// under way, never a mixture. Finally a freshly started back end must load the session.

#include "BackEndFixture.h"
#include "FaultSaveData.h"
#include "FaultSupport.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassSessionWidget.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QThread>
#include <QtTest>

#include <memory>

#include <signal.h>

namespace
{
const QString VERSION = QStringLiteral("3.1.51");
const QString SESSION_FOLDER = QStringLiteral("Tarvo2024_01_01_00_00_00");
constexpr int FIRST_SAVE_WAIT_MS = 30000;
constexpr int RESOURCE_FILES = 200; // the back end copies them on every save: a save takes a while

QString HelperProgram()
{
    return QString::fromLocal8Bit(qgetenv("TARVO_BINARY_DIR")) +
           QStringLiteral("/tests/faults/fault_save_loop");
}

// The file as the writer produces it for a generation, written into a scratch folder.
QByteArray ReferenceFile(qint64 generation, const QString& scratch)
{
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    if (!CLASS_SESSION_SETTINGS::Write(scratch, GenerationData(generation)))
    {
        return QByteArray();
    }
    return FileBytes(CLASS_SESSION_SETTINGS::SettingsFilePath(scratch));
}

qint64 LastAnnounced(const QByteArray& output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return lines.isEmpty() ? -1 : lines.constLast().trimmed().toLongLong();
}
} // namespace

class TestKillDuringSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void killedMidSaveLeavesTheOldOrTheNewFile_data();
    void killedMidSaveLeavesTheOldOrTheNewFile();

private:
    // Starts the loop at generation first, lets it save for a random moment after its first save, kills it.
    // Returns the last generation it announced (-1 when it never saved).
    qint64 RunAndKill(const QStringList& arguments, const QString& tempFolder);
    // The generation the file holds, checked against what the writer produces; -1 when it is neither.
    qint64 CheckSettingsFile(const QString& mode, const QString& file, qint64 announced);

    std::unique_ptr<BackEndFixture> world;
    QTemporaryDir logs;
    QRandomGenerator random;
};

void TestKillDuringSave::initTestCase()
{
    BackEndFixture::StartTracing(logs.path());
    QVERIFY2(QFileInfo(HelperProgram()).isExecutable(), qPrintable(HelperProgram()));
    const quint32 seed = qEnvironmentVariableIsSet("FAULTS_SEED")
                             ? static_cast<quint32>(qEnvironmentVariableIntValue("FAULTS_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("kill moments drawn with FAULTS_SEED=%u", seed);
    random.seed(seed);
}

void TestKillDuringSave::init()
{
    world = std::make_unique<BackEndFixture>();
    QVERIFY(world->IsValid());
}

void TestKillDuringSave::cleanup()
{
    // A save makes the session folder the current directory: leave it before the folder goes.
    QDir::setCurrent(QDir::tempPath());
    world.reset();
}

qint64 TestKillDuringSave::RunAndKill(const QStringList& arguments, const QString& tempFolder)
{
    QProcess loop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tempFolder);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    loop.setProcessEnvironment(environment);
    loop.setProcessChannelMode(QProcess::SeparateChannels);
    loop.start(HelperProgram(), arguments);
    if (!loop.waitForStarted(FIRST_SAVE_WAIT_MS) || !loop.waitForReadyRead(FIRST_SAVE_WAIT_MS))
    {
        qWarning() << "the save loop did not save:" << loop.readAllStandardError();
        loop.kill();
        loop.waitForFinished();
        return -1;
    }
    // Anywhere within the next few saves, including the very start of one.
    QThread::usleep(random.bounded(0, 40000));
    ::kill(static_cast<pid_t>(loop.processId()), SIGKILL);
    loop.waitForFinished(FIRST_SAVE_WAIT_MS);
    if (loop.exitStatus() != QProcess::CrashExit)
    {
        qWarning() << "the save loop ended by itself:" << loop.readAllStandardError();
        return -1;
    }
    return LastAnnounced(loop.readAllStandardOutput());
}

qint64 TestKillDuringSave::CheckSettingsFile(const QString& mode, const QString& file, qint64 announced)
{
    const QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || settings.childKeys().size() != 9 ||
        settings.childGroups().size() != 9)
    {
        qWarning() << "unreadable or incomplete settings.ini:" << settings.status() << settings.childKeys()
                   << settings.childGroups();
        return -1;
    }
    // The last save that completed, or the one under way when the kill came (done, not yet announced).
    for (const qint64 generation : {announced, announced + 1})
    {
        if (mode == QStringLiteral("settings"))
        {
            if (FileBytes(file) == ReferenceFile(generation, world->Path() + QStringLiteral("/reference")))
            {
                return generation;
            }
            continue;
        }
        const SESSION_SETTINGS_DATA expected = GenerationData(generation);
        if (settings.value(QStringLiteral("NAME")).toString() == expected.name &&
            settings.value(QStringLiteral("PORT")).toInt() == expected.port &&
            settings.value(QStringLiteral("DESCRIPTION")).toString() == BackEndDescription(generation))
        {
            return generation;
        }
    }
    qWarning() << "settings.ini holds neither generation" << announced << "nor" << announced + 1 << ":"
               << FileBytes(file).left(300);
    return -1;
}

void TestKillDuringSave::killedMidSaveLeavesTheOldOrTheNewFile_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("kills");
    QTest::newRow("settings file writer") << "settings" << 60;
    QTest::newRow("session back end save") << "backend" << 15;
}

void TestKillDuringSave::killedMidSaveLeavesTheOldOrTheNewFile()
{
    QFETCH(QString, mode);
    QFETCH(int, kills);
    QVERIFY(world->InstallPackage(VERSION, QByteArray()));
    QVERIFY(world->WriteCatalogue({VERSION}));
    const QString resources = world->AppFolder() + QStringLiteral("/TARVO_3_1_51/ressources/ZR_APPS/");
    for (int i = 0; i < RESOURCE_FILES; ++i)
    {
        QVERIFY(WriteBytes(resources + QStringLiteral("page_%1.js").arg(i), QByteArray(4096, 'a' + i % 26)));
    }
    const QString tempFolder = world->Path() + QStringLiteral("/tmp");
    QVERIFY(QDir().mkpath(tempFolder));
    // The settings writer saves into a fixed folder; the back end names its folder itself.
    const QString fixedFolder = world->SessionsRoot() + SESSION_FOLDER;
    QVERIFY(QDir().mkpath(fixedFolder));

    qint64 next = 1;
    int betweenCommitAndNotice = 0;
    qsizetype strays = 0;
    for (int kill = 0; kill < kills; ++kill)
    {
        const QStringList arguments =
            mode == QStringLiteral("settings")
                ? QStringList{mode, fixedFolder, QString::number(next)}
                : QStringList{mode, world->SessionsRoot(), world->AppFolder(), QString::number(next)};
        const qint64 announced = RunAndKill(arguments, tempFolder);
        QVERIFY2(announced >= next, qPrintable(QStringLiteral("kill %1: no save announced").arg(kill)));
        const QStringList folders = world->SessionFolders();
        QCOMPARE(folders.size(), 1);
        const QString folder = world->SessionsRoot() + folders.constFirst();
        const qint64 held =
            CheckSettingsFile(mode, CLASS_SESSION_SETTINGS::SettingsFilePath(folder), announced);
        QVERIFY2(held >= 0, qPrintable(QStringLiteral("kill %1 left a torn settings.ini").arg(kill)));
        betweenCommitAndNotice += held > announced ? 1 : 0;
        // A kill between the writer's creating its temporary copy and the rename leaves that copy beside
        // the file: harmless to loading (only settings.ini is read), counted for the record.
        strays =
            QDir(folder).entryList({QStringLiteral("settings.ini?*")}, QDir::Files | QDir::Hidden).size();
        next = held + 1;
    }
    qInfo("%d kills; %d landed after a save was written and before it was announced; %lld files of killed "
          "saves stayed in the temporary folder, %lld beside settings.ini",
          kills, betweenCommitAndNotice,
          static_cast<long long>(QDir(tempFolder).entryList(QDir::Files | QDir::Hidden).size()),
          static_cast<long long>(strays));

    // A launcher started afterwards loads the session as it was last written.
    world->Build();
    QCOMPARE(world->backEnd->GetSessionCount(), 1);
    QCOMPARE(world->Card(0)->GetName(), GenerationName(next - 1));
    QCOMPARE(world->Panel(0)->GetLabel(), GenerationName(next - 1));
    QVERIFY(!world->backEnd->IsSessionModified(0));
}

QTEST_MAIN(TestKillDuringSave)
#include "TestKillDuringSave.moc"
