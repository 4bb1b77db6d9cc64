// The single-instance lock of the application object. The other copies of the launcher are copies of
// this test program started in a child mode (first argument), all sharing the private TMPDIR that
// QSharedMemory derives its key file from, so no real launcher on the machine is disturbed.
#include "DEVICE/DEVICE_ClassSingleApplication.h"

#include <QProcess>
#include <QSharedMemory>
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
const char* const CREATE_WITHOUT_RECOVERY = "--create-without-recovery";

// The child modes: exit status 0 when the lock was taken, 1 when refused.
int RunChildMode(int argc, char** argv)
{
    const char* mode = argv[1];
    if (std::strcmp(mode, CREATE_WITHOUT_RECOVERY) == 0)
    {
        QSharedMemory raw(QString::fromLatin1(CLASS_SINGLE_APPLICATION::SINGLE_INSTANCE_KEY));
        return raw.create(1, QSharedMemory::ReadWrite) ? 0 : 1;
    }
    CLASS_SINGLE_APPLICATION application(argc, argv);
    if (!application.TryLock())
    {
        return 1;
    }
    if (std::strcmp(mode, LOCK_AND_CRASH) == 0)
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
    void secondCopyIsRefusedWhileFirstRuns();
    void copyAfterANormalEndStarts();
    void staleLockOfACrashedCopyIsRecovered();

private:
    // Runs a copy of this program in the given mode; returns its exit status, -1 after a crash.
    int RunCopy(const char* mode, const QString& tempPath = QString());

    QTemporaryDir otherTemp;
};

int TestSingleInstance::RunCopy(const char* mode, const QString& tempPath)
{
    QProcess copy;
    if (!tempPath.isEmpty())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tempPath);
        copy.setProcessEnvironment(environment);
    }
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
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(otherTemp.isValid());
}

void TestSingleInstance::firstCopyTakesTheLock()
{
    QVERIFY(static_cast<CLASS_SINGLE_APPLICATION*>(qApp)->TryLock());
}

void TestSingleInstance::secondCopyIsRefusedWhileFirstRuns()
{
    QCOMPARE(RunCopy(TRY_LOCK), 1);
    // A refused copy leaves the first copy's lock in place.
    QCOMPARE(RunCopy(TRY_LOCK), 1);
    QCOMPARE(RunCopy(CREATE_WITHOUT_RECOVERY), 1);
}

void TestSingleInstance::copyAfterANormalEndStarts()
{
    // Another temporary folder is another lock: copies there end normally and release it.
    QCOMPARE(RunCopy(TRY_LOCK, otherTemp.path()), 0);
    QCOMPARE(RunCopy(TRY_LOCK, otherTemp.path()), 0);
}

void TestSingleInstance::staleLockOfACrashedCopyIsRecovered()
{
    QCOMPARE(RunCopy(LOCK_AND_CRASH, otherTemp.path()), -1);
    // The crashed copy's segment survives it ...
    QCOMPARE(RunCopy(CREATE_WITHOUT_RECOVERY, otherTemp.path()), 1);
    // ... and the next copy of the launcher still starts.
    QCOMPARE(RunCopy(TRY_LOCK, otherTemp.path()), 0);
    QCOMPARE(RunCopy(TRY_LOCK, otherTemp.path()), 0);
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--help") != 0)
    {
        return RunChildMode(argc, argv);
    }
    // Every copy of the launcher in this test derives its lock from this private temporary folder.
    QTemporaryDir privateTemp;
    if (!privateTemp.isValid())
    {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }
    qputenv("TMPDIR", QFile::encodeName(privateTemp.path()));
    CLASS_SINGLE_APPLICATION application(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestSingleInstance.moc"
