// The log file writer on its own: file worker objects are created directly in temporary folders and
// their slots called on the test thread. One process-wide worker (in its own folder) receives the error
// trace that DeleteToSize logs when it cannot get under its limit.
#include "SmallFileSystem.h"
#include "TracesTestSupport.h"

#include "QT_TRACES/TRACES_ClassWorkerDeport.h"
#include "QT_TRACES/TRACES_ClassWorkerFile.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <unistd.h>

using namespace TracesTest;

namespace
{
const QString APP_NAME = QStringLiteral("FileApp");

QList<unsigned int> periodicHookCounts;
void RecordPeriodicHook(unsigned int count)
{
    periodicHookCounts << count;
}

unsigned int LastIndexIs41(const QFileInfoList&)
{
    return 41;
}

// Run numbers present in a folder, from the first "_" part of its "*.log*" file names.
QList<int> RunsIn(const QString& folder)
{
    QList<int> runs;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.log*")}, QDir::Files, QDir::Name))
    {
        const int run = name.section(QLatin1Char('_'), 0, 0).toInt();
        if (!runs.contains(run))
        {
            runs << run;
        }
    }
    return runs;
}

QStringList LogFilesIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.log*")}, QDir::Files, QDir::Name);
}

QString OldName(int run, const char* kind, const QString& suffix = QString())
{
    return QStringLiteral("%1_%2_2023-10-02_14-05-09.log")
               .arg(run, 8, 10, QLatin1Char('0'))
               .arg(QLatin1String(kind)) +
           suffix;
}

// Clears the immutable flag of the entries it was given when the test ends, pass or fail.
struct ImmutableEntries
{
    QStringList paths;
    ~ImmutableEntries()
    {
        for (const QString& path : paths)
        {
            SetImmutable(path, false);
        }
    }
    bool Add(const QString& path)
    {
        if (!SetImmutable(path, true))
        {
            return false;
        }
        paths << path;
        return true;
    }
};
} // namespace

class TestTracesFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void runNumberFollowsTheFolder_data();
    void runNumberFollowsTheFolder();
    void lastIndexFunctionReplacesTheSearch();
    void infoFileAtStartErrorFileAtFirstLine();
    void shortcutsMoveToTheNewRun();
    void openFailuresLeaveWorkerUninitialised_data();
    void openFailuresLeaveWorkerUninitialised();
    void lineIsWrittenWholeOrNotAtAll_data();
    void lineIsWrittenWholeOrNotAtAll();
    void linesAreAppendedAsUtf8();
    void lineCounterRunsThePeriodicHook_data();
    void lineCounterRunsThePeriodicHook();
    void rotationNamesContinuationFiles();
    void deportWorkerWritesLikeTheFileWorker();

    void maxFileIndex_data();
    void maxFileIndex();
    void maxRotationSuffix_data();
    void maxRotationSuffix();
    void folderSizeCountsFilesOnce();

    void deleteToSizeRemovesOlderHalfOfRuns_data();
    void deleteToSizeRemovesOlderHalfOfRuns();
    void deleteToSizeFallsBackToContinuations();
    void deleteToSizeReportsWhenNothingCanGo();
    void deleteToSizeStopsWhenACycleRemovesNothing();

private:
    std::unique_ptr<CLASS_WORKER_FILE> NewWorker(TraceLastIndexFunction lastIndex = nullptr);
    QString GlobalErrorPath() const
    {
        return qobject_cast<CLASS_WORKER_FILE*>(TracesWorker())->ErrorFilePath();
    }

    QTemporaryDir globalBase;
    std::unique_ptr<QTemporaryDir> temp;
    QString folder;
};

void TestTracesFile::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QThread::currentThread()->setObjectName(QStringLiteral("THREAD_MAIN"));
    QVERIFY(globalBase.isValid());
    CreateTracesWorker(QStringLiteral("Global"), QDir(globalBase.path()), nullptr, nullptr, nullptr, 0);
    EnableTraces();
    QVERIFY(TracesWorker() != nullptr && TracesWorker()->enabled);
}

void TestTracesFile::init()
{
    temp = std::make_unique<QTemporaryDir>();
    QVERIFY(temp->isValid());
    folder = temp->path() + QLatin1Char('/') + APP_NAME;
    QVERIFY(QDir().mkpath(folder));
}

void TestTracesFile::cleanup()
{
    temp.reset();
}

std::unique_ptr<CLASS_WORKER_FILE> TestTracesFile::NewWorker(TraceLastIndexFunction lastIndex)
{
    return std::make_unique<CLASS_WORKER_FILE>(folder, APP_NAME, nullptr, nullptr, 0, lastIndex);
}

void TestTracesFile::runNumberFollowsTheFolder_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("runNumber");

    QTest::newRow("empty folder") << QStringList() << QStringList() << "00000001";
    QTest::newRow("run 12 and a stray notes.log.txt")
        << QStringList{OldName(12, "INFO"), QStringLiteral("notes.log.txt")} << QStringList() << "00000013";
    QTest::newRow("largest of runs, kinds and continuations")
        << QStringList{OldName(3, "ERROR"), OldName(7, "INFO", QStringLiteral(".002")), OldName(5, "INFO")}
        << QStringList() << "00000008";
    QTest::newRow("9 digits are not cut")
        << QStringList{QStringLiteral("123456789_INFO_x.log")} << QStringList() << "123456790";
    QTest::newRow("grows to 10 digits")
        << QStringList{QStringLiteral("999999999_ERROR_x.log")} << QStringList() << "1000000000";
    QTest::newRow("empty parts are skipped")
        << QStringList{QStringLiteral("__00000030__INFO.log")} << QStringList() << "00000031";
    QTest::newRow("only *.log* files count")
        << QStringList{QStringLiteral("00000040_INFO_x.txt"), QStringLiteral("00000041.log")}
        << QStringList{QStringLiteral("00000050_INFO_x.log")} << "00000001";
}

void TestTracesFile::runNumberFollowsTheFolder()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, runNumber);
    for (const QString& name : files)
    {
        QVERIFY(WriteFile(folder + QLatin1Char('/') + name, "old\n"));
    }
    for (const QString& name : folders)
    {
        QVERIFY(QDir(folder).mkdir(name));
    }

    const QDateTime before = QDateTime::currentDateTime();
    auto worker = NewWorker();
    const QDateTime after = QDateTime::currentDateTime();
    QVERIFY(worker->initialised);

    const QRegularExpression name(
        QStringLiteral("^(\\d+)_(INFO|ERROR)_(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})\\.log$"));
    for (const QString& path : {worker->InfoFilePath(), worker->ErrorFilePath()})
    {
        QCOMPARE(QFileInfo(path).absolutePath(), folder);
        const QRegularExpressionMatch match = name.match(QFileInfo(path).fileName());
        QVERIFY2(match.hasMatch(), qPrintable(path));
        QCOMPARE(match.captured(1), runNumber);
        const QDateTime stamp =
            QDateTime::fromString(match.captured(3), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        QVERIFY(stamp.addSecs(1) > before && stamp <= after);
    }
    QVERIFY(worker->InfoFilePath().contains(QStringLiteral("_INFO_")));
    QVERIFY(worker->ErrorFilePath().contains(QStringLiteral("_ERROR_")));
}

void TestTracesFile::lastIndexFunctionReplacesTheSearch()
{
    QVERIFY(WriteFile(folder + QLatin1Char('/') + OldName(90, "INFO"), "old\n"));
    auto worker = NewWorker(&LastIndexIs41);
    QVERIFY(QFileInfo(worker->InfoFilePath()).fileName().startsWith(QStringLiteral("00000042_INFO_")));
}

void TestTracesFile::infoFileAtStartErrorFileAtFirstLine()
{
    auto worker = NewWorker();
    const QString errorLink = folder + QStringLiteral("/CURRENT_ERROR.lnk");
    const QString infoLink = folder + QStringLiteral("/CURRENT_INFO.lnk");
    QVERIFY(QFileInfo::exists(worker->InfoFilePath()));
    QCOMPARE(QFileInfo(worker->InfoFilePath()).size(), 0);
    QVERIFY(!QFileInfo::exists(worker->ErrorFilePath()));
    // The shortcut to the error file exists before its target does.
    QVERIFY(QFileInfo(errorLink).isSymLink());
    QCOMPARE(QFileInfo(errorLink).symLinkTarget(), worker->ErrorFilePath());
    QCOMPARE(QFileInfo(infoLink).symLinkTarget(), worker->InfoFilePath());

    worker->SLOT_WriteTraceError(QStringLiteral("first error\n"));
    QCOMPARE(ReadAll(errorLink), QByteArray("first error\n"));
    QCOMPARE(ReadAll(worker->InfoFilePath()), QByteArray());
}

void TestTracesFile::shortcutsMoveToTheNewRun()
{
    auto first = NewWorker();
    first->SLOT_WriteTraceError(QStringLiteral("run 1\n"));
    auto second = NewWorker();
    QVERIFY(second->InfoFilePath() != first->InfoFilePath());
    QCOMPARE(QFileInfo(folder + QStringLiteral("/CURRENT_INFO.lnk")).symLinkTarget(), second->InfoFilePath());
    QCOMPARE(QFileInfo(folder + QStringLiteral("/CURRENT_ERROR.lnk")).symLinkTarget(),
             second->ErrorFilePath());
    QCOMPARE(ReadAll(first->ErrorFilePath()), QByteArray("run 1\n"));
}

void TestTracesFile::openFailuresLeaveWorkerUninitialised_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("message");

    const QString refused = QStringLiteral("^Can't write logs, %1 is a link or belongs to another user\n$");
    QTest::newRow("log folder cannot be created") << "file"
                                                  << "^Can't create directory %1 for trace\n$";
    QTest::newRow("info file cannot be opened")
        << "immutable"
        << "^Can't open file %1/00000001_INFO_[-_0-9]+\\.log for trace\n$";
    QTest::newRow("log folder is a link") << "link" << refused;
    QTest::newRow("log folder belongs to another user") << "other user" << refused;
}

void TestTracesFile::openFailuresLeaveWorkerUninitialised()
{
    QFETCH(QString, blocker);
    QFETCH(QString, message);
    ImmutableEntries immutable;
    const QString elsewhere = temp->path() + QStringLiteral("/elsewhere");
    if (blocker == QStringLiteral("file"))
    {
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(WriteFile(folder, "a file where the log folder belongs"));
    }
    else if (blocker == QStringLiteral("immutable") && !immutable.Add(folder))
    {
        QSKIP("this file system cannot mark a folder immutable");
    }
    else if (blocker == QStringLiteral("link"))
    {
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(elsewhere));
        QVERIFY(QFile::link(elsewhere, folder));
    }
    else if (blocker == QStringLiteral("other user") &&
             ::chown(QFile::encodeName(folder).constData(), 65534, 65534) != 0)
    {
        QSKIP("the log folder cannot be given to another user (needs root)");
    }

    StandardErrorCapture standardError;
    auto worker = NewWorker();
    const QString written = standardError.Text();
    QVERIFY2(QRegularExpression(message.arg(QRegularExpression::escape(folder))).match(written).hasMatch(),
             qPrintable(written));
    QVERIFY(!worker->initialised);
    QVERIFY(worker->banner.isEmpty());
    // Nothing was written where the link leads.
    QVERIFY(!QFileInfo::exists(elsewhere) ||
            QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestTracesFile::lineIsWrittenWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<bool>("tracingStaysOn");

    QTest::newRow("error file immutable") << "immutable" << true;
    QTest::newRow("error file replaced by a link") << "link" << false;
    QTest::newRow("error file of another user") << "other user" << false;
    QTest::newRow("disk full in the middle of the line") << "full disk" << true;
}

void TestTracesFile::lineIsWrittenWholeOrNotAtAll()
{
    QFETCH(QString, blocker);
    QFETCH(bool, tracingStaysOn);
    std::unique_ptr<SMALL_FILE_SYSTEM> small;
    if (blocker == QStringLiteral("full disk"))
    {
        small = std::make_unique<SMALL_FILE_SYSTEM>(64);
        if (!small->IsMounted())
        {
            QSKIP(qPrintable(small->Problem()));
        }
        folder = small->Path() + QLatin1Char('/') + APP_NAME;
    }
    auto worker = NewWorker();
    worker->enabled = true;
    worker->SLOT_WriteTraceError(QStringLiteral("first\n"));
    const QString victim = temp->path() + QStringLiteral("/victim");
    QVERIFY(WriteFile(victim, "victim\n"));
    const QByteArray longLine = QByteArray(20000, 'x') + '\n';
    {
        ImmutableEntries immutable;
        StandardErrorCapture standardError;
        if (blocker == QStringLiteral("immutable") && !immutable.Add(worker->ErrorFilePath()))
        {
            QSKIP("this file system cannot mark a file immutable");
        }
        if (blocker == QStringLiteral("link"))
        {
            QVERIFY(QFile::remove(worker->ErrorFilePath()) && QFile::link(victim, worker->ErrorFilePath()));
        }
        if (blocker == QStringLiteral("other user") &&
            ::chown(QFile::encodeName(worker->ErrorFilePath()).constData(), 65534, 65534) != 0)
        {
            QSKIP("the error file cannot be given to another user (needs root)");
        }
        // The rest of the small file system is filled: the line's first bytes still fit in the error file's
        // last page, the others do not.
        QVERIFY(small == nullptr || small->FillUp());
        worker->SLOT_WriteTraceError(QString::fromLatin1(longLine));
        const QString written = standardError.Text();
        QCOMPARE(written.isEmpty(), tracingStaysOn);
        QCOMPARE(worker->enabled, tracingStaysOn);
        QVERIFY(small == nullptr || small->FreeUp());
    }
    QCOMPARE(ReadAll(victim), QByteArray("victim\n"));
    worker->SLOT_WriteTraceError(QStringLiteral("next\n"));
    if (tracingStaysOn)
    {
        QCOMPARE(ReadAll(worker->ErrorFilePath()), QByteArray("first\nnext\n"));
    }
    else
    {
        QCOMPARE(ReadAll(victim), QByteArray("victim\n"));
    }
}

void TestTracesFile::linesAreAppendedAsUtf8()
{
    auto worker = NewWorker();
    worker->SLOT_WriteTraceInfo(QStringLiteral("première ligne\n"));
    worker->SLOT_WriteTraceInfo(QStringLiteral("two\nlines\n"));
    worker->SLOT_WriteTraceError(QStringLiteral("日本\n"));
    QCOMPARE(ReadAll(worker->InfoFilePath()), QStringLiteral("première ligne\ntwo\nlines\n").toUtf8());
    QCOMPARE(ReadAll(worker->ErrorFilePath()), QStringLiteral("日本\n").toUtf8());
}

void TestTracesFile::lineCounterRunsThePeriodicHook_data()
{
    QTest::addColumn<unsigned int>("period");
    QTest::addColumn<bool>("withHook");
    QTest::addColumn<unsigned int>("count");
    QTest::addColumn<QList<unsigned int>>("hookCalls");

    QTest::newRow("every third line, errors and infos together")
        << 3u << true << 7u << QList<unsigned int>{3, 6};
    QTest::newRow("period 0 turns counting off") << 0u << true << 0u << QList<unsigned int>{};
    QTest::newRow("launcher settings: 10300, no hook") << 10300u << false << 7u << QList<unsigned int>{};
}

void TestTracesFile::lineCounterRunsThePeriodicHook()
{
    QFETCH(unsigned int, period);
    QFETCH(bool, withHook);
    QFETCH(unsigned int, count);
    QFETCH(QList<unsigned int>, hookCalls);

    periodicHookCounts.clear();
    CLASS_WORKER_FILE worker(folder, APP_NAME, nullptr, withHook ? &RecordPeriodicHook : nullptr, period,
                             nullptr);
    for (int i = 0; i < 7; ++i)
    {
        i % 2 == 0 ? worker.SLOT_WriteTraceError(QStringLiteral("e\n"))
                   : worker.SLOT_WriteTraceInfo(QStringLiteral("i\n"));
    }
    QCOMPARE(worker.messageCount, count);
    QCOMPARE(periodicHookCounts, hookCalls);
}

void TestTracesFile::rotationNamesContinuationFiles()
{
    auto worker = NewWorker();
    worker->enabled = true;
    worker->errorBannerWritten = true;
    worker->infoBannerWritten = true;
    const QString errorPath = worker->ErrorFilePath();
    const QString infoPath = worker->InfoFilePath();

    worker->Rotate();
    QVERIFY(worker->enabled);
    QVERIFY(!worker->errorBannerWritten);
    QVERIFY(!worker->infoBannerWritten);
    worker->SLOT_WriteTraceError(QStringLiteral("e1\n"));
    worker->SLOT_WriteTraceInfo(QStringLiteral("i1\n"));
    QCOMPARE(ReadAll(errorPath + QStringLiteral(".001")), QByteArray("e1\n"));
    QCOMPARE(ReadAll(infoPath + QStringLiteral(".001")), QByteArray("i1\n"));

    worker->Rotate();
    worker->SLOT_WriteTraceInfo(QStringLiteral("i2\n"));
    QCOMPARE(ReadAll(infoPath + QStringLiteral(".002")), QByteArray("i2\n"));
    QVERIFY(!QFileInfo::exists(errorPath + QStringLiteral(".002")));
    QCOMPARE(QFileInfo(folder + QStringLiteral("/CURRENT_ERROR.lnk")).symLinkTarget(),
             errorPath + QStringLiteral(".002"));
    QCOMPARE(QFileInfo(folder + QStringLiteral("/CURRENT_INFO.lnk")).symLinkTarget(),
             infoPath + QStringLiteral(".002"));
    QCOMPARE(worker->ErrorFilePath(), errorPath);
    QCOMPARE(CLASS_WORKER_FILE::MaxRotationSuffix(QDir(folder).entryInfoList(QDir::Files)), 2u);
    // Continuations share the run number, so the next run is still the second.
    QCOMPARE(CLASS_WORKER_FILE::MaxFileIndex(QDir(folder).entryInfoList(QDir::Files)), 1u);
}

void TestTracesFile::deportWorkerWritesLikeTheFileWorker()
{
    CLASS_WORKER_DEPORT worker(folder, APP_NAME, nullptr, nullptr, 0, nullptr);
    QCOMPARE(worker.WorkerKind(), 1);
    QVERIFY(worker.initialised);
    worker.SLOT_WriteTraceInfo(QStringLiteral("deported\n"));
    QCOMPARE(ReadAll(worker.InfoFilePath()), QByteArray("deported\n"));
}

void TestTracesFile::maxFileIndex_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<unsigned int>("maximum");

    QTest::newRow("none") << QStringList() << 0u;
    QTest::newRow("both kinds") << QStringList{OldName(4, "ERROR"), OldName(9, "INFO")} << 9u;
    QTest::newRow("continuation counts its run")
        << QStringList{OldName(11, "INFO", QStringLiteral(".007"))} << 11u;
    QTest::newRow("stray names") << QStringList{QStringLiteral("notes.log.txt"), QStringLiteral("x_12.log"),
                                                QStringLiteral("12.log")}
                                 << 0u;
    QTest::newRow("nine digits") << QStringList{QStringLiteral("123456789_INFO_x.log")} << 123456789u;
}

void TestTracesFile::maxFileIndex()
{
    QFETCH(QStringList, names);
    QFETCH(unsigned int, maximum);
    QFileInfoList entries;
    for (const QString& name : names)
    {
        entries << QFileInfo(QDir(folder), name);
    }
    QCOMPARE(CLASS_WORKER_FILE::MaxFileIndex(entries), maximum);
}

void TestTracesFile::maxRotationSuffix_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<unsigned int>("maximum");

    QTest::newRow("none") << QStringList() << 0u;
    QTest::newRow("files without continuation") << QStringList{OldName(4, "ERROR"), OldName(9, "INFO")} << 0u;
    QTest::newRow("largest continuation") << QStringList{OldName(3, "INFO", QStringLiteral(".002")),
                                                         OldName(1, "ERROR", QStringLiteral(".015")),
                                                         OldName(3, "ERROR", QStringLiteral(".009"))}
                                          << 15u;
    QTest::newRow("third part not a number")
        << QStringList{QStringLiteral("notes.log.txt"), QStringLiteral("a.log.x.7")} << 0u;
}

void TestTracesFile::maxRotationSuffix()
{
    QFETCH(QStringList, names);
    QFETCH(unsigned int, maximum);
    QFileInfoList entries;
    for (const QString& name : names)
    {
        entries << QFileInfo(QDir(folder), name);
    }
    QCOMPARE(CLASS_WORKER_FILE::MaxRotationSuffix(entries), maximum);
}

void TestTracesFile::folderSizeCountsFilesOnce()
{
    QVERIFY(WriteFile(folder + QStringLiteral("/a.log"), QByteArray(100, 'a')));
    QVERIFY(QDir(folder).mkpath(QStringLiteral("sub/deeper")));
    QVERIFY(QDir(folder).mkpath(QStringLiteral("empty")));
    QVERIFY(WriteFile(folder + QStringLiteral("/sub/b.txt"), QByteArray(20, 'b')));
    QVERIFY(WriteFile(folder + QStringLiteral("/sub/deeper/c"), QByteArray(3, 'c')));
    QVERIFY(WriteFile(folder + QStringLiteral("/.hidden"), QByteArray(1000, 'h')));
    // The current-file shortcuts are symbolic links here; their targets are counted once.
    QVERIFY(QFile::link(folder + QStringLiteral("/a.log"), folder + QStringLiteral("/CURRENT_INFO.lnk")));
    QCOMPARE(CLASS_WORKER_FILE::FolderSize(folder), quint32(123));
}

void TestTracesFile::deleteToSizeRemovesOlderHalfOfRuns_data()
{
    QTest::addColumn<unsigned int>("limit");
    QTest::addColumn<QList<int>>("runsLeft");

    // Runs 1 to 8 hold 200 bytes each and run 3 another 100 in a continuation; run 9 is the worker's
    // own with 100 bytes: 1800 bytes in all.
    QTest::newRow("already below the limit") << 1801u << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("first cycle: runs 1 to 5 (half = 4)") << 701u << QList<int>{6, 7, 8, 9};
    QTest::newRow("second cycle: runs 6 and 7 (half = 1)") << 400u << QList<int>{8, 9};
}

void TestTracesFile::deleteToSizeRemovesOlderHalfOfRuns()
{
    QFETCH(unsigned int, limit);
    QFETCH(QList<int>, runsLeft);
    for (int run = 1; run <= 8; ++run)
    {
        QVERIFY(WriteFile(folder + QLatin1Char('/') + OldName(run, "INFO"), QByteArray(100, 'i')));
        QVERIFY(WriteFile(folder + QLatin1Char('/') + OldName(run, "ERROR"), QByteArray(100, 'e')));
    }
    QVERIFY(WriteFile(folder + QLatin1Char('/') + OldName(3, "INFO", QStringLiteral(".001")),
                      QByteArray(100, 'c')));
    QVERIFY(WriteFile(folder + QStringLiteral("/notes.txt"), QByteArray()));
    auto worker = NewWorker();
    worker->SLOT_WriteTraceInfo(QString(99, QLatin1Char('w')) + QLatin1Char('\n'));
    QCOMPARE(CLASS_WORKER_FILE::FolderSize(folder), quint32(1800));

    QVERIFY(worker->DeleteToSize(limit));
    QCOMPARE(RunsIn(folder), runsLeft);
    QVERIFY(QFileInfo::exists(worker->InfoFilePath()));
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/notes.txt")));
    QVERIFY(QFileInfo(folder + QStringLiteral("/CURRENT_INFO.lnk")).isSymLink());
}

void TestTracesFile::deleteToSizeFallsBackToContinuations()
{
    auto worker = NewWorker();
    worker->SLOT_WriteTraceInfo(QString(99, QLatin1Char('i')) + QLatin1Char('\n'));
    worker->SLOT_WriteTraceError(QString(99, QLatin1Char('e')) + QLatin1Char('\n'));
    for (int rotation = 1; rotation <= 4; ++rotation)
    {
        worker->Rotate();
        worker->SLOT_WriteTraceInfo(QString(99, QLatin1Char('i')) + QLatin1Char('\n'));
        worker->SLOT_WriteTraceError(QString(99, QLatin1Char('e')) + QLatin1Char('\n'));
    }
    QCOMPARE(CLASS_WORKER_FILE::FolderSize(folder), quint32(1000));

    // Only one run: the continuations .001 and .002 (half = 1) go, the run's first files stay.
    QVERIFY(worker->DeleteToSize(601));
    const QString info = QFileInfo(worker->InfoFilePath()).fileName();
    const QString error = QFileInfo(worker->ErrorFilePath()).fileName();
    QStringList expected{info,  info + QStringLiteral(".003"),  info + QStringLiteral(".004"),
                         error, error + QStringLiteral(".003"), error + QStringLiteral(".004")};
    expected.sort();
    QCOMPARE(LogFilesIn(folder), expected);
}

void TestTracesFile::deleteToSizeReportsWhenNothingCanGo()
{
    auto worker = NewWorker();
    worker->SLOT_WriteTraceInfo(QString(99, QLatin1Char('i')) + QLatin1Char('\n'));
    const QStringList before = LogFilesIn(folder);

    QVERIFY(!worker->DeleteToSize(50));
    QCOMPARE(LogFilesIn(folder), before);
    const QString expected =
        QStringLiteral("\\[MAIN\\]\\[M\\]\\.\\.\\\\mng_launcher\\\\MODULES\\\\QT_TRACES\\\\"
                       "TRACES_ClassWorkerFile DeleteToSize\\(\\) Line \\d+ Error in files logs "
                       "suppressions$");
    QTRY_VERIFY2(!Lines(GlobalErrorPath()).filter(QRegularExpression(expected)).isEmpty(),
                 qPrintable(QString::fromUtf8(ReadAll(GlobalErrorPath()))));
}

void TestTracesFile::deleteToSizeStopsWhenACycleRemovesNothing()
{
    for (int run = 1; run <= 3; ++run)
    {
        QVERIFY(WriteFile(folder + QLatin1Char('/') + OldName(run, "INFO"), QByteArray(100, 'i')));
    }
    auto worker = NewWorker(&LastIndexIs41);
    const QString report = QStringLiteral("Error in files logs suppressions");
    const int reportsBefore = Lines(GlobalErrorPath()).filter(report).size();
    {
        // Runs 1 to 3 are the older half of runs 1 to 42 and cannot be removed (the tests run as root,
        // so only the immutable flag keeps a file in place): the first cycle removes nothing.
        ImmutableEntries immutable;
        for (int run = 1; run <= 3; ++run)
        {
            if (!immutable.Add(folder + QLatin1Char('/') + OldName(run, "INFO")))
            {
                QSKIP("this file system cannot mark a file immutable");
            }
        }
        QVERIFY(!worker->DeleteToSize(10));
        QCOMPARE(RunsIn(folder), (QList<int>{1, 2, 3, 42}));
    }
    QTRY_COMPARE(Lines(GlobalErrorPath()).filter(report).size(), reportsBefore + 1);
}

QTEST_GUILESS_MAIN(TestTracesFile)
#include "TestTracesFile.moc"
