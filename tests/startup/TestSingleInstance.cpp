// The single-instance lock of the application object. The other copies of the launcher are copies of
// this test program started in a child mode (first argument). All of them run in test mode with a private
// HOME, so the lock file lies in a temporary folder and no real launcher on the machine is disturbed;
// a copy given another HOME stands for another user.
#include "APP/APP_ClassSingleApplication.h"
#include "DEVICE/DEVICE_SingleInstanceLock.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace
{
const char* const TRY_LOCK = "--try-lock";
const char* const LOCK_AND_CRASH = "--lock-and-crash";

// The child modes: exit status 0 when the lock was taken, 1 when refused.
int RunChildMode(int argc, char** argv)
{
    CLASS_SINGLE_APPLICATION application(argc, argv);
    if (!application.TryLock())
    {
        return 1;
    }
    if (std::strcmp(argv[1], LOCK_AND_CRASH) == 0)
    {
        std::raise(SIGKILL);
    }
    return 0;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstCopyTakesTheLock();
    void otherCopiesOfTheSameUserAreRefused_data();
    void otherCopiesOfTheSameUserAreRefused();
    void anotherUserHasALockOfItsOwn();
    void lockOfAKilledCopyIsReleased();
    void linkInPlaceOfTheLockFileIsNotFollowed();

private:
    // Runs a copy of this program in the given mode with the given variables changed; returns its exit
    // status, -1 after a crash.
    int RunCopy(const char* mode, const QMap<QString, QString>& variables = {});

    QTemporaryDir otherHome;
};

int TestSingleInstance::RunCopy(const char* mode, const QMap<QString, QString>& variables)
{
    QProcess copy;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
    {
        environment.insert(it.key(), it.value());
    }
    copy.setProcessEnvironment(environment);
    copy.setProcessChannelMode(QProcess::ForwardedChannels);
    copy.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
    if (!copy.waitForFinished(20000))
    {
        copy.kill();
        copy.waitForFinished();
        return -2;
    }
    return copy.exitStatus() == QProcess::CrashExit ? -1 : copy.exitCode();
}

void TestSingleInstance::initTestCase()
{
    QVERIFY(otherHome.isValid());
}

void TestSingleInstance::firstCopyTakesTheLock()
{
    QVERIFY(static_cast<CLASS_SINGLE_APPLICATION*>(qApp)->TryLock());
    const QFileInfo lockFile(SingleInstanceLockPath());
    QVERIFY2(lockFile.isFile(), qPrintable(lockFile.filePath()));
    QVERIFY(lockFile.filePath().startsWith(QDir::homePath()));
    QCOMPARE(int(lockFile.permissions() & 0x7077), int(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

void TestSingleInstance::otherCopiesOfTheSameUserAreRefused_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");

    QTest::newRow("same environment") << QString() << QString();
    QTest::newRow("another TMPDIR") << "TMPDIR" << otherHome.path();
    QTest::newRow("another XDG_RUNTIME_DIR") << "XDG_RUNTIME_DIR" << otherHome.path();
    QTest::newRow("another XDG_CACHE_HOME") << "XDG_CACHE_HOME" << otherHome.path();
}

void TestSingleInstance::otherCopiesOfTheSameUserAreRefused()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QMap<QString, QString> variables;
    if (!variable.isEmpty())
    {
        variables.insert(variable, value);
    }
    QCOMPARE(RunCopy(TRY_LOCK, variables), 1);
    // A refused copy leaves the first copy's lock in place.
    QCOMPARE(RunCopy(TRY_LOCK, variables), 1);
}

void TestSingleInstance::anotherUserHasALockOfItsOwn()
{
    const QMap<QString, QString> otherUser{{QStringLiteral("HOME"), otherHome.path()}};
    QCOMPARE(RunCopy(TRY_LOCK, otherUser), 0);
    // That copy ended normally and released its lock.
    QCOMPARE(RunCopy(TRY_LOCK, otherUser), 0);
}

void TestSingleInstance::lockOfAKilledCopyIsReleased()
{
    const QMap<QString, QString> otherUser{{QStringLiteral("HOME"), otherHome.path()}};
    QCOMPARE(RunCopy(LOCK_AND_CRASH, otherUser), -1);
    QCOMPARE(RunCopy(TRY_LOCK, otherUser), 0);
    QCOMPARE(RunCopy(TRY_LOCK, otherUser), 0);
}

void TestSingleInstance::linkInPlaceOfTheLockFileIsNotFollowed()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString target = home.filePath(QStringLiteral("target"));
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept\n") == 5);
    file.close();
    const QByteArray ownHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString lockFile = SingleInstanceLockPath();
    qputenv("HOME", ownHome);
    QVERIFY(QDir().mkpath(QFileInfo(lockFile).absolutePath()));
    QVERIFY(QFile::link(target, lockFile));

    QMap<QString, QString> user;
    user.insert(QStringLiteral("HOME"), home.path());
    QCOMPARE(RunCopy(TRY_LOCK, user), 1);
    QVERIFY(QFileInfo(lockFile).isSymLink());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("kept\n"));
}

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    if (argc == 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--help") != 0)
    {
        return RunChildMode(argc, argv);
    }
    // Every copy in this test finds its lock file below this private HOME.
    QTemporaryDir privateHome;
    if (!privateHome.isValid())
    {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }
    qputenv("HOME", QFile::encodeName(privateHome.path()));
    CLASS_SINGLE_APPLICATION application(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestSingleInstance.moc"
