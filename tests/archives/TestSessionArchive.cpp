#include "ArchiveTestSupport.h"
#include "DEVICE/DEVICE_ClassSessionArchive.h"
#include "DEVICE/DEVICE_Helpers.h"
#include "TraceCapture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString SESSION = QStringLiteral("Tarvo2024_03_05_14_07_59");
constexpr CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE REPLACE = CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE::Replace;

// The comment that unzip prints after its "Archive:" line.
QString ArchiveComment(const QString& archive)
{
    QStringList lines = QString::fromUtf8(RunTool(QStringLiteral("unzip"), {QStringLiteral("-z"), archive}))
                            .split(QLatin1Char('\n'));
    lines.removeFirst();
    return lines.join(QLatin1Char('\n')).trimmed();
}

QStringList ArchiveEntries(const QString& archive)
{
    return QString::fromUtf8(RunTool(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive}))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Paths of a tree, without the contents.
QStringList Paths(const QString& root)
{
    return Tree(root).keys();
}
} // namespace

// Session archives with the real zip and unzip tools: the archive's layout and comment, the round trip,
// and every archive that an import refuses without touching the sessions root.
class TestSessionArchive : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir temp;
    QString Root() const { return temp.path() + QStringLiteral("/sessions/"); }
    QString Tools() const { return temp.path() + QStringLiteral("/tools"); }
    QString Target() const { return temp.path() + QStringLiteral("/target"); }
    QString Other() const { return temp.path() + QStringLiteral("/other/"); }
    CLASS_SESSION_ARCHIVE Archive(const QString& root) const { return CLASS_SESSION_ARCHIVE(root, Tools()); }

    // A saved session in the sessions root, exported into the target folder; the archive's path.
    QString ExportedSession(const QString& folderName = SESSION)
    {
        if (!MakeSessionFolder(Root() + folderName, QStringLiteral("Studio A"), 3000))
        {
            return QString();
        }
        const SESSION_ARCHIVE_RESULT result = Archive(Root()).Export(Root() + folderName, Target(), REPLACE);
        return result.ok ? result.archivePath : QString();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(temp.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty(), "the zip tool is needed");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty(),
                 "the unzip tool is needed");
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Tarvo Archive Test"));
    }

    void init()
    {
        for (const QString& folder : {Root(), Tools(), Target(), Other()})
        {
            QDir(folder).removeRecursively();
            QVERIFY(QDir().mkpath(folder));
        }
        QCoreApplication::setApplicationVersion(QString());
    }

    void exportHoldsTheFolderAndTheComment_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("version");
        QTest::newRow("launcher session folder") << SESSION << QStringLiteral("2.0.1");
        QTest::newRow("no application version") << SESSION << QString();
        QTest::newRow("blank and dots in the folder name")
            << QStringLiteral("Rack 4.old \"B\"") << QStringLiteral("1.0");
    }

    void exportHoldsTheFolderAndTheComment()
    {
        QFETCH(QString, folderName);
        QFETCH(QString, version);
        QCoreApplication::setApplicationVersion(version);
        const QString archive = ExportedSession(folderName);
        QCOMPARE(archive, Target() + QLatin1Char('/') + folderName + QStringLiteral(".zip"));

        const QString listing =
            QString::fromUtf8(RunTool(QStringLiteral("unzip"), {QStringLiteral("-l"), archive}));
        for (const QString& entry : {QStringLiteral("/settings.ini"), QStringLiteral("/ZR_APPS/index.html"),
                                     QStringLiteral("/ZR_APPS/js/app.js"), QStringLiteral("/tmp/")})
        {
            QVERIFY2(listing.contains(folderName + entry), qPrintable(listing));
        }
        const QStringList entries = ArchiveEntries(archive);
        QVERIFY(!entries.isEmpty());
        for (const QString& entry : entries)
        {
            QVERIFY2(entry.startsWith(folderName + QLatin1Char('/')), qPrintable(entry));
        }
        const QString expected = version.isEmpty() ? QStringLiteral("Tarvo Archive Test")
                                                   : QStringLiteral("Tarvo Archive Test\n") + version;
        QCOMPARE(ArchiveComment(archive), expected);
        // Nothing beside the archive: no staging folder, no comment file.
        QCOMPARE(QDir(Target()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{folderName + QStringLiteral(".zip")});
    }

    void exportReplacesAnOlderArchive()
    {
        QVERIFY(MakeSessionFolder(Root() + SESSION, QStringLiteral("Studio A"), 3000));
        QVERIFY(WriteFile(Root() + SESSION + QStringLiteral("/ZR_APPS/old.css"), "old"));
        QVERIFY(Archive(Root()).Export(Root() + SESSION, Target(), REPLACE).ok);
        QVERIFY(QFile::remove(Root() + SESSION + QStringLiteral("/ZR_APPS/old.css")));

        const SESSION_ARCHIVE_RESULT again = Archive(Root()).Export(Root() + SESSION, Target(), REPLACE);
        QVERIFY(again.ok);
        const QStringList entries = ArchiveEntries(again.archivePath);
        QVERIFY(entries.contains(SESSION + QStringLiteral("/settings.ini")));
        QVERIFY2(!entries.contains(SESSION + QStringLiteral("/ZR_APPS/old.css")), "stale entry kept");
    }

    void exportFailureLeavesNoArchive_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("targetFolder");
        QTest::addColumn<QByteArray>("zipScript");
        QTest::newRow("session folder missing") << QStringLiteral("TarvoGone") << QString() << QByteArray();
        QTest::newRow("target folder missing")
            << SESSION << QStringLiteral("/no/such/folder") << QByteArray();
        QTest::newRow("target inside the session")
            << SESSION << QStringLiteral("<session>/ZR_APPS") << QByteArray();
        QTest::newRow("zip fails") << SESSION << QString() << QByteArray("echo partial > \"$2.zip\"\nexit 2");
        QTest::newRow("zip stuck") << SESSION << QString()
                                   << QByteArray("echo partial > \"$2.zip\"\nexec sleep 30");
    }

    void exportFailureLeavesNoArchive()
    {
        QFETCH(QString, folderName);
        QFETCH(QString, targetFolder);
        QFETCH(QByteArray, zipScript);
        QVERIFY(MakeSessionFolder(Root() + SESSION, QStringLiteral("Studio A"), 3000));
        if (!zipScript.isEmpty())
        {
            QVERIFY(WriteScript(Tools() + QStringLiteral("/zip"), zipScript));
        }
        targetFolder.replace(QStringLiteral("<session>"), Root() + SESSION);
        const QString target = targetFolder.isEmpty() ? Target() : targetFolder;
        const QMap<QString, QByteArray> sessionBefore = Tree(Root());

        CLASS_SESSION_ARCHIVE archive = Archive(Root());
        archive.SetTimeLimits(5000, 500);
        TraceCapture traces;
        const SESSION_ARCHIVE_RESULT result = archive.Export(Root() + folderName, target, REPLACE);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.contains(folderName), qPrintable(result.message));
        QVERIFY(Paths(Target()).isEmpty());
        QCOMPARE(Tree(Root()), sessionBefore);
        QTRY_VERIFY(traces.ErrorCount() > 0);
    }

    void compressCommandLine_data()
    {
        QTest::addColumn<bool>("withComment");
        QTest::newRow("comment from standard input") << true;
        QTest::newRow("no comment") << false;
    }

    // The tool sees -r, the target without extension, the folder name and -z, runs in the working folder
    // and reads the comment file on its standard input; the launcher's own current folder stays.
    void compressCommandLine()
    {
        QFETCH(bool, withComment);
        const QString record = temp.path() + QStringLiteral("/record");
        for (const QString& suffix :
             {QStringLiteral(".args"), QStringLiteral(".pwd"), QStringLiteral(".stdin")})
        {
            QFile::remove(record + suffix);
        }
        // Standard input is read only with -z: without it, the tool is given none to read.
        const QByteArray recordPath = record.toUtf8();
        QVERIFY(WriteScript(Tools() + QStringLiteral("/zip"),
                            "for a in \"$@\"; do echo \"[$a]\"; done > '" + recordPath + ".args'\n" +
                                "pwd -P > '" + recordPath + ".pwd'\n" +
                                "case \" $* \" in *\" -z \"*) cat > '" + recordPath + ".stdin';; esac"));
        const QString comment = temp.path() + QStringLiteral("/comment.txt");
        QVERIFY(WriteFile(comment, "Name\n1.5.3"));
        const QString current = QDir::currentPath();

        QVERIFY(CompressSessionFolder(Root(), SESSION, Target() + QStringLiteral("/my target"),
                                      withComment ? comment : QString(), Tools() + QLatin1Char('/')));
        QStringList expected = {QStringLiteral("[-r]"),
                                QLatin1Char('[') + Target() + QStringLiteral("/my target]"),
                                QLatin1Char('[') + SESSION + QLatin1Char(']')};
        if (withComment)
        {
            expected << QStringLiteral("[-z]");
        }
        QCOMPARE(
            QString::fromUtf8(ReadFile(record + QStringLiteral(".args"))).split('\n', Qt::SkipEmptyParts),
            expected);
        QCOMPARE(QString::fromUtf8(ReadFile(record + QStringLiteral(".pwd"))).trimmed(),
                 QDir(Root()).canonicalPath());
        QCOMPARE(ReadFile(record + QStringLiteral(".stdin")),
                 withComment ? QByteArray("Name\n1.5.3") : QByteArray());
        QCOMPARE(QDir::currentPath(), current);
    }

    void importRoundTrip()
    {
        const QString archive = ExportedSession();
        QVERIFY(!archive.isEmpty());
        const SESSION_ARCHIVE_RESULT result = Archive(Other()).Import(archive);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.folderName, SESSION);
        QCOMPARE(Tree(Other() + SESSION), Tree(Root() + SESSION));
        // Only the session folder: the staging folder is gone.
        QCOMPARE(QDir(Other()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{SESSION});
    }

    void importUnpacksTheFolderWhateverTheArchiveName_data()
    {
        QTest::addColumn<QString>("archiveName");
        QTest::newRow("folder name") << SESSION + QStringLiteral(".zip");
        QTest::newRow("folder name and more extensions") << SESSION + QStringLiteral(".backup.zip");
        QTest::newRow("other name") << QStringLiteral("Backup of studio A.zip");
        QTest::newRow("name of another folder") << QStringLiteral("Tarvo2023_01_01_00_00_00.zip");
    }

    void importUnpacksTheFolderWhateverTheArchiveName()
    {
        QFETCH(QString, archiveName);
        const QString exported = ExportedSession();
        const QString archive = Target() + QLatin1Char('/') + archiveName;
        QVERIFY(exported == archive || QFile::rename(exported, archive));

        const SESSION_ARCHIVE_RESULT result = Archive(Other()).Import(archive);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.folderName, SESSION);
        QVERIFY(QFileInfo::exists(Other() + SESSION + QStringLiteral("/settings.ini")));
    }

    void importRefusesAndTouchesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("session folder exists")
            << QStringLiteral("exists") << QStringLiteral("The session folder ") + SESSION;
        QTest::newRow("not a zip") << QStringLiteral("text") << QStringLiteral("is not a zip archive");
        QTest::newRow("missing file") << QStringLiteral("missing") << QStringLiteral("is not a zip archive");
        QTest::newRow("truncated zip")
            << QStringLiteral("truncated") << QStringLiteral("is not a zip archive");
        QTest::newRow("damaged zip") << QStringLiteral("damaged") << QStringLiteral("is damaged");
        QTest::newRow("password protected")
            << QStringLiteral("encrypted") << QStringLiteral("is damaged or protected");
        QTest::newRow("entry climbing out")
            << QStringLiteral("dotdot") << QStringLiteral("does not hold one session folder");
        QTest::newRow("entry climbing out of the folder")
            << QStringLiteral("innerdotdot") << QStringLiteral("does not hold one session folder");
        QTest::newRow("absolute entry")
            << QStringLiteral("absolute") << QStringLiteral("does not hold one session folder");
        QTest::newRow("two top-level folders")
            << QStringLiteral("twofolders") << QStringLiteral("does not hold one session folder");
        QTest::newRow("file at the top")
            << QStringLiteral("topfile") << QStringLiteral("does not hold one session folder");
        QTest::newRow("no settings file")
            << QStringLiteral("nosettings") << QStringLiteral("holds no session settings");
        QTest::newRow("link entry") << QStringLiteral("link") << QStringLiteral("holds unsafe entries");
    }

    void importRefusesAndTouchesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expectedText);
        const QString archive = Target() + QStringLiteral("/") + SESSION + QStringLiteral(".zip");
        const QByteArray settings = "[General]\nNAME=Evil\n";
        const QString evil = temp.path() + QStringLiteral("/evil.txt");
        const QString absoluteEvil = temp.path() + QStringLiteral("/absolute-evil.txt");
        if (kind == QLatin1String("exists"))
        {
            QVERIFY(!ExportedSession().isEmpty());
            QVERIFY(MakeSessionFolder(Other() + SESSION, QStringLiteral("Kept"), 4000));
        }
        else if (kind == QLatin1String("text"))
        {
            QVERIFY(WriteFile(archive, "this is not an archive\n"));
        }
        else if (kind == QLatin1String("truncated"))
        {
            QVERIFY(!ExportedSession().isEmpty());
            QFile file(archive);
            QVERIFY(file.resize(file.size() / 2));
        }
        else if (kind == QLatin1String("damaged"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/"), {}},
                                       {SESSION + QStringLiteral("/settings.ini"), settings + "MARK"}}));
            QByteArray bytes = ReadFile(archive);
            bytes[bytes.indexOf("MARK")] = 'X';
            QVERIFY(WriteFile(archive, bytes));
        }
        else if (kind == QLatin1String("encrypted"))
        {
            QVERIFY(MakeSessionFolder(Root() + SESSION, QStringLiteral("Secret"), 3000));
            QProcess zip;
            zip.setWorkingDirectory(Root());
            zip.start(QStringLiteral("zip"), {QStringLiteral("-qr"), QStringLiteral("-P"),
                                              QStringLiteral("secret"), archive, SESSION});
            QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
        }
        else if (kind == QLatin1String("dotdot"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/settings.ini"), settings},
                                       {QStringLiteral("../evil.txt"), "evil"}}));
        }
        else if (kind == QLatin1String("innerdotdot"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/settings.ini"), settings},
                                       {SESSION + QStringLiteral("/../../evil.txt"), "evil"}}));
        }
        else if (kind == QLatin1String("absolute"))
        {
            QVERIFY(WriteZip(
                archive, {{SESSION + QStringLiteral("/settings.ini"), settings}, {absoluteEvil, "evil"}}));
        }
        else if (kind == QLatin1String("twofolders"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/settings.ini"), settings},
                                       {QStringLiteral("Tarvo2000_01_01_00_00_00/settings.ini"), settings}}));
        }
        else if (kind == QLatin1String("topfile"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/settings.ini"), settings},
                                       {QStringLiteral("readme.txt"), "hello"}}));
        }
        else if (kind == QLatin1String("nosettings"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/ZR_APPS/index.html"), "<html/>"}}));
        }
        else if (kind == QLatin1String("link"))
        {
            QVERIFY(WriteZip(archive, {{SESSION + QStringLiteral("/settings.ini"), settings},
                                       {SESSION + QStringLiteral("/ZR_APPS"), temp.path().toUtf8(), true}}));
        }
        const QMap<QString, QByteArray> before = Tree(Other());

        TraceCapture traces;
        const SESSION_ARCHIVE_RESULT result = Archive(Other()).Import(archive);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.contains(expectedText), qPrintable(result.message));
        QVERIFY2(result.message.contains(QFileInfo(archive).fileName()), qPrintable(result.message));
        QCOMPARE(Tree(Other()), before);
        QVERIFY(!QFileInfo::exists(evil));
        QVERIFY(!QFileInfo::exists(absoluteEvil));
        QVERIFY(!QFileInfo::exists(Target() + QStringLiteral("/evil.txt")));
        QTRY_VERIFY(traces.ErrorCount() > 0);
    }

    void stuckExtractorIsStopped_data()
    {
        QTest::addColumn<bool>("stuckWhileUnpacking");
        QTest::newRow("stuck while listing") << false;
        QTest::newRow("stuck while unpacking") << true;
    }

    // The extractor is stopped at the limit, with the child it started; nothing is left in the root.
    void stuckExtractorIsStopped()
    {
        QFETCH(bool, stuckWhileUnpacking);
        const QString archive = ExportedSession();
        QVERIFY(!archive.isEmpty());
        const QString pidFile = temp.path() + QStringLiteral("/sleeper.pid");
        QFile::remove(pidFile);
        const QByteArray realUnzip = QStandardPaths::findExecutable(QStringLiteral("unzip")).toUtf8();
        // The listing passes to the real tool when the unpacking is the stuck step, which leaves a
        // half-unpacked file behind.
        const QByteArray passThrough = stuckWhileUnpacking ? "case \"$1\" in -Z1) exec '" + realUnzip +
                                                                 "' \"$@\";; esac\necho x > partial\n"
                                                           : "";
        QVERIFY(WriteScript(Tools() + QStringLiteral("/unzip"),
                            passThrough + "sleep 30 &\necho $! > '" + pidFile.toUtf8() + "'\nwait"));
        CLASS_SESSION_ARCHIVE importer = Archive(Other());
        importer.SetTimeLimits(5000, 700);

        const SESSION_ARCHIVE_RESULT result = importer.Import(archive);
        QVERIFY(!result.ok);
        QCOMPARE(result.message, QStringLiteral("The archive %1.zip could not be unpacked.").arg(SESSION));
        QVERIFY(Paths(Other()).isEmpty());
        const qint64 sleeper = QString::fromUtf8(ReadFile(pidFile)).trimmed().toLongLong();
        QVERIFY(sleeper > 0);
        QTRY_VERIFY(ProcessGone(sleeper));
    }

    // The folder an archive holds becomes a session folder only when its name is a plain session name: the
    // window's import and --import go through this one back end.
    void importChecksTheFolderName_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("imported"); // the folder that arrives; empty: refused
        QTest::newRow("plain name") << QStringLiteral("Rack 4 (spare)") << QStringLiteral("Rack 4 (spare)");
        QTest::newRow("hidden") << QStringLiteral(".tarvo-import-x") << QString();
        QTest::newRow("an option to the tools") << QStringLiteral("-rf") << QString();
        QTest::newRow("catalogue copy") << QStringLiteral("tarvo4kpackages.ini") << QString();
        QTest::newRow("state file") << QStringLiteral("tarvoversionsconfig") << QString();
        QTest::newRow("lock file") << QStringLiteral("Tarvo4kSimulator.lock") << QString();
        QTest::newRow("old package folder") << QStringLiteral("packages") << QString();
        QTest::newRow("old package folder, capitals") << QStringLiteral("Packages") << QString();
        QTest::newRow("dot dot") << QStringLiteral("..") << QString();
        QTest::newRow("dot") << QStringLiteral(".") << QString();
        QTest::newRow("backslash") << QStringLiteral("a\\b") << QString();
        QTest::newRow("control character") << QStringLiteral("Tar\u0001vo") << QString();
    }

    void importChecksTheFolderName()
    {
        QFETCH(QString, folderName);
        QFETCH(QString, imported);
        const QString archive = Target() + QStringLiteral("/session.zip");
        QVERIFY(
            WriteZip(archive, {{folderName + QStringLiteral("/settings.ini"), "[General]\nNAME=Planted\n"},
                               {folderName + QStringLiteral("/bin/ZR_APP_SIMULATOR"), "#!/bin/sh\n"}}));
        const QMap<QString, QByteArray> before = Tree(Other());

        const SESSION_ARCHIVE_RESULT result = Archive(Other()).Import(archive);
        QVERIFY2(result.ok == !imported.isEmpty(), qPrintable(result.message));
        if (imported.isEmpty())
        {
            QVERIFY(result.refused);
            QCOMPARE(Tree(Other()), before);
            QVERIFY(!QFileInfo::exists(temp.path() + QStringLiteral("/bin/ZR_APP_SIMULATOR")));
            return;
        }
        QCOMPARE(result.folderName, imported);
        QCOMPARE(QDir(Other()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{imported});
    }

    void topLevelFolder_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("folder");
        QTest::newRow("folder with entries")
            << QStringList{"T/", "T/settings.ini", "T/a/b"} << QStringLiteral("T");
        QTest::newRow("no folder entry") << QStringList{"T/settings.ini", "T/a/"} << QStringLiteral("T");
        QTest::newRow("two folders") << QStringList{"T/settings.ini", "U/settings.ini"} << QString();
        QTest::newRow("file at the top") << QStringList{"T/settings.ini", "x"} << QString();
        QTest::newRow("climbing") << QStringList{"T/settings.ini", "T/../x"} << QString();
        QTest::newRow("climbing with backslashes")
            << QStringList{"T/settings.ini", "T\\..\\..\\x"} << QString();
        QTest::newRow("absolute") << QStringList{"/T/settings.ini"} << QString();
        QTest::newRow("drive letter") << QStringList{"C:/T/settings.ini"} << QString();
        QTest::newRow("dot folder") << QStringList{"./T/settings.ini"} << QString();
        QTest::newRow("empty") << QStringList{} << QString();
    }

    void topLevelFolder()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, folder);
        QString reason;
        QCOMPARE(CLASS_SESSION_ARCHIVE::TopLevelFolder(entries, &reason), folder);
        QCOMPARE(reason.isEmpty(), !folder.isEmpty());
    }
};

QTEST_MAIN(TestSessionArchive)
#include "TestSessionArchive.moc"
