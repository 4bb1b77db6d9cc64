#include "QT_UPDATER/UPDATER_ClassUpdaterFromLocal.h"
#include "TraceCapture.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The local-folder updater against release folders made in temporary folders.
class TestUpdaterFromLocal : public QObject
{
    Q_OBJECT

private:
    // Writes a binary whose content is its name, with the given age in minutes.
    static void Binary(const QTemporaryDir& folder, const QString& name, int ageMinutes)
    {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * ageMinutes),
                                 QFileDevice::FileModificationTime));
    }
    static std::unique_ptr<CLASS_UPDATER_FROM_LOCAL> Updater(const QTemporaryDir& folder)
    {
        return std::make_unique<CLASS_UPDATER_FROM_LOCAL>(
            QStringLiteral("1.5.3"), folder.path(), QStringLiteral("app_"), QStringLiteral(".exe"),
            QStringLiteral("[0-9]+(_[0-9]+)*"), QStringLiteral("_"));
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void newerBinaryFound()
    {
        QTemporaryDir release;
        Binary(release, QStringLiteral("app_1_5_3.exe"), 10);
        Binary(release, QStringLiteral("app_1_6_0.exe"), 5);
        Binary(release, QStringLiteral("other_9_9_9.exe"), 1);
        Binary(release, QStringLiteral("app_9_9_9.txt"), 1);
        auto updater = Updater(release);
        QSignalSpy checked(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        QVERIFY(updater->CheckIfNewVersionIsAvailable());
        QCOMPARE(checked.count(), 1);
        QCOMPARE(checked.first(), (QList<QVariant>{true, true}));
        QCOMPARE(updater->GetMostRecentVersion(), QVersionNumber(1, 6, 0));
        QCOMPARE(updater->GetMostRecentPath(), release.filePath(QStringLiteral("app_1_6_0.exe")));
        QCOMPARE(updater->GetVersions().size(), 2);
        const VersionInfo info = updater->GetMostRecentVersionInfo();
        QCOMPARE(info.versionName, QStringLiteral("app_1_6_0.exe"));
        QCOMPARE(info.url, release.filePath(QStringLiteral("app_1_6_0.exe")));
        QVERIFY(info.productName.isEmpty());
        QCOMPARE(info.productId, 0);
        QCOMPARE(info.dev, -1);

        // Rescanning the unchanged folder finds nothing newer.
        QVERIFY(updater->CheckIfNewVersionIsAvailable());
        QCOMPARE(checked.last(), (QList<QVariant>{true, false}));
    }

    void fileNameWithoutVersionSkipped()
    {
        QTemporaryDir release;
        Binary(release, QStringLiteral("app_latest.exe"), 1);
        Binary(release, QStringLiteral("app_1_6_0.exe"), 5);
        TraceCapture traces;
        auto updater = Updater(release);
        QSignalSpy checked(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        QVERIFY(updater->CheckIfNewVersionIsAvailable());
        QCOMPARE(checked.first(), (QList<QVariant>{true, true}));
        QCOMPARE(updater->GetVersions().size(), 1);
        QCOMPARE(
            traces
                .Errors(QStringLiteral("CheckIfNewVersionIsAvailable"),
                        QStringLiteral("No version found in file name \"app_latest.exe\" for updater new "
                                       "version verification!"))
                .size(),
            1);
    }

    void sameVersionTwice()
    {
        QTemporaryDir release;
        Binary(release, QStringLiteral("app_1_6_0.exe"), 10);
        Binary(release, QStringLiteral("app_1_6_0_rebuilt.exe"), 1);
        auto updater = Updater(release);
        QVERIFY(updater->CheckIfNewVersionIsAvailable());
        QCOMPARE(updater->GetMostRecentPath(), release.filePath(QStringLiteral("app_1_6_0_rebuilt.exe")));
        QCOMPARE(updater->GetVersions().value(QVersionNumber(1, 6, 0)).versionName,
                 QStringLiteral("app_1_6_0.exe"));
    }

    void emptyFolder()
    {
        QTemporaryDir release;
        Binary(release, QStringLiteral("readme.txt"), 1);
        TraceCapture traces;
        auto updater = Updater(release);
        QSignalSpy checked(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        QVERIFY(!updater->CheckIfNewVersionIsAvailable());
        QCOMPARE(checked.count(), 0);
        QCOMPARE(traces
                     .Errors(QStringLiteral("CheckIfNewVersionIsAvailable"),
                             QStringLiteral("No binaries available in release bin path \"") +
                                 QDir(release.path()).absolutePath() +
                                 QStringLiteral("\" for updater new version verification!"))
                     .size(),
                 1);
    }

    void copyMostRecentBinary()
    {
        QTemporaryDir release;
        QTemporaryDir destination;
        Binary(release, QStringLiteral("app_1_6_0.exe"), 5);
        auto updater = Updater(release);
        QSignalSpy checked(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        QSignalSpy copied(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_BinaryDownloadFinished);
        QVERIFY(updater->CopyMostRecentBinary(destination.path(), QStringLiteral("app.exe")));
        QCOMPARE(checked.count(), 1);
        QCOMPARE(copied.count(), 1);
        QCOMPARE(copied.first(), QList<QVariant>{true});
        QCOMPARE(Read(destination.filePath(QStringLiteral("app.exe"))), QByteArray("app_1_6_0.exe"));

        // Copying never overwrites.
        TraceCapture traces;
        QVERIFY(!updater->CopyMostRecentBinary(destination.path(), QStringLiteral("app.exe")));
        QCOMPARE(copied.count(), 1);
        QCOMPARE(traces
                     .Errors(QStringLiteral("CopyMostRecentBinary"),
                             QStringLiteral("Failed to copy file : ") +
                                 release.filePath(QStringLiteral("app_1_6_0.exe")) + QStringLiteral(" to ") +
                                 destination.path() + QStringLiteral("/app.exe"))
                     .size(),
                 1);

        QVERIFY(!updater->CopyMostRecentBinary(QString(), QStringLiteral("b.exe")));
        QCOMPARE(
            traces.Errors(QStringLiteral("CopyMostRecentBinary"), QStringLiteral("Invalid path.")).size(), 1);
        QVERIFY(!updater->CopyMostRecentBinary(destination.filePath(QStringLiteral("none")),
                                               QStringLiteral("b.exe")));
        QCOMPARE(traces
                     .Errors(QStringLiteral("CopyMostRecentBinary"),
                             QStringLiteral("Path given is not a directory (or doesn't even exist)"))
                     .size(),
                 1);
    }

    void nothingNewerToCopy()
    {
        QTemporaryDir release;
        QTemporaryDir destination;
        Binary(release, QStringLiteral("app_1_5_3.exe"), 5);
        TraceCapture traces;
        auto updater = Updater(release);
        QVERIFY(!updater->CopyMostRecentBinary(destination.path(), QStringLiteral("app.exe")));
        QCOMPARE(traces.ErrorCount(), 0);
        QCOMPARE(QDir(destination.path()).entryList(QDir::Files), QStringList());
    }

    void copyChosenBinary()
    {
        QTemporaryDir release;
        QTemporaryDir destination;
        Binary(release, QStringLiteral("app_1_4_0.exe"), 5);
        Binary(release, QStringLiteral("app_1_6_0.exe"), 4);
        auto updater = Updater(release);
        QSignalSpy copied(updater.get(), &CLASS_ABSTRACT_UPDATER::SIGNAL_BinaryDownloadFinished);
        QVERIFY(updater->CopyBinary(QVersionNumber(1, 4, 0), destination.path(), QStringLiteral("old.exe")));
        QCOMPARE(Read(destination.filePath(QStringLiteral("old.exe"))), QByteArray("app_1_4_0.exe"));
        QVERIFY(!updater->CopyBinary(QVersionNumber(2, 0, 0), destination.path(), QStringLiteral("x.exe")));
        QCOMPARE(copied.count(), 0);
    }

    void versionReadFromFileName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("version");
        QTest::newRow("an empty separator keeps the match") << "tool-1.6.2-linux"
                                                            << "tool-"
                                                            << "-linux"
                                                            << "[0-9.]+" << QString() << "1.6.2";
        // Of the matches at the leftmost position the longest counts, whichever alternative gives it.
        QTest::newRow("the longer alternative listed second") << "app_1_5_4.exe"
                                                              << "app_"
                                                              << ".exe"
                                                              << "[0-9]+_[0-9]+|[0-9]+_[0-9]+_[0-9]+"
                                                              << "_"
                                                              << "1.5.4";
        QTest::newRow("a single number listed first") << "app_1_5_4.exe"
                                                      << "app_"
                                                      << ".exe"
                                                      << "[0-9]+|[0-9]+(_[0-9]+)+"
                                                      << "_"
                                                      << "1.5.4";
    }

    void versionReadFromFileName()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QString, pattern);
        QFETCH(QString, separator);
        QFETCH(QString, version);
        QTemporaryDir release;
        Binary(release, fileName, 5);
        CLASS_UPDATER_FROM_LOCAL updater(QStringLiteral("1.5.3"), release.path(), prefix, suffix, pattern,
                                         separator);
        QSignalSpy checked(&updater, &CLASS_ABSTRACT_UPDATER::SIGNAL_VersionCheckingFinished);
        QVERIFY(updater.CheckIfNewVersionIsAvailable());
        QCOMPARE(updater.GetMostRecentVersion(), QVersionNumber::fromString(version));
        QCOMPARE(checked.first(), (QList<QVariant>{true, true}));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterFromLocal)
#include "TestUpdaterFromLocal.moc"
