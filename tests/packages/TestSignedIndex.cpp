#include "DEVICE/DEVICE_ClassMinisign.h"
#include "DEVICE/DEVICE_ClassSignedIndex.h"
#include "DEVICE/DEVICE_ClassTrustStore.h"
#include "TestFiles.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString SERVER = QStringLiteral("http://127.0.0.1:1/~ftp-xml/tarvo4ksimulator/");

// A fixture made by tests/data/signing/make-fixtures.sh with the real minisign.
QByteArray Fixture(const QString& name)
{
    const QString path = QFINDTESTDATA(QStringLiteral("../data/signing/") + name);
    return path.isEmpty() ? QByteArray() : ReadFile(path);
}
} // namespace

// The verifier of signed package indexes against minisign-made fixtures: what it accepts and why it
// refuses, with the last accepted index of the trusted key remembered in a trust folder of the test's own.
class TestSignedIndex : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void verifier_data()
    {
        QTest::addColumn<QString>("previous"); // an index accepted before, with its .minisig
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("refusal"); // a part of the reason; empty: accepted
        QTest::newRow("good") << ""
                              << "index-5.json"
                              << "index-5.json.minisig"
                              << "";
        QTest::newRow("the same index again") << "index-5.json"
                                              << "index-5.json"
                                              << "index-5.json.minisig"
                                              << "";
        QTest::newRow("a newer serial") << "index-4.json"
                                        << "index-5.json"
                                        << "index-5.json.minisig"
                                        << "";
        QTest::newRow("bad signature: content changed") << ""
                                                        << "index-5-tampered.json"
                                                        << "index-5.json.minisig"
                                                        << "bad signature of tarvo4kindex.json";
        QTest::newRow("bad signature: trusted comment edited") << ""
                                                               << "index-5.json"
                                                               << "index-5.json.edited-comment.minisig"
                                                               << "bad signature of tarvo4kindex.json";
        QTest::newRow("unknown key") << ""
                                     << "index-5.json"
                                     << "index-5.json.untrusted.minisig"
                                     << "signed with an unknown key";
        QTest::newRow("wrong file in the trusted comment")
            << ""
            << "index-5.json"
            << "index-5.json.other-file.minisig"
            << "the signature is for another file (tarvo4kpackages.ini)";
        QTest::newRow("rollback") << "index-5.json"
                                  << "index-4.json"
                                  << "index-4.json.minisig"
                                  << "index serial 4 is older than serial 5 accepted before";
        QTest::newRow("same serial, other content")
            << "index-5.json"
            << "index-5-other.json"
            << "index-5-other.json.minisig"
            << "index serial 5 was accepted before with other content";
        QTest::newRow("expired") << ""
                                 << "index-6-expired.json"
                                 << "index-6-expired.json.minisig"
                                 << "the index expired on 2001-01-01T00:00:00Z";
        QTest::newRow("serial inside differs from the signed one")
            << ""
            << "index-7.json"
            << "index-7.json.minisig"
            << "the index says serial 7, its signature serial 8";
        QTest::newRow("no minisign signature") << ""
                                               << "index-5.json"
                                               << "index-5.json"
                                               << "the signature is not in minisign's format";
    }
    void verifier()
    {
        QFETCH(QString, previous);
        QFETCH(QString, index);
        QFETCH(QString, signature);
        QFETCH(QString, refusal);
        QTemporaryDir trustFolder;
        CLASS_TRUST_STORE store(trustFolder.path(),
                                {QString::fromUtf8(Fixture(QStringLiteral("test-key-trusted.pub")))});
        QCOMPARE(store.Keys().size(), 1);
        CLASS_SIGNED_INDEX verifier(store);
        if (!previous.isEmpty())
        {
            const QByteArray content = Fixture(previous);
            const QByteArray signed_ = Fixture(previous + QStringLiteral(".minisig"));
            const INDEX_VERDICT accepted = verifier.Verify(content, signed_, true);
            QCOMPARE(accepted.reason, QString());
            QVERIFY(store.Accept(SERVER, accepted.keyId, accepted.index.Serial(), content, signed_, nullptr));
        }
        const INDEX_VERDICT verdict = verifier.Verify(Fixture(index), Fixture(signature), true);
        if (refusal.isEmpty())
        {
            QCOMPARE(verdict.reason, QString());
            QVERIFY(verdict.trust == INDEX_VERDICT::TRUST::Signed);
            QCOMPARE(CLASS_MINISIGN::KeyIdText(verdict.keyId),
                     CLASS_MINISIGN::KeyIdText(store.Keys().first().key.keyId));
            QCOMPARE(verdict.index.Entries().size(), 2);
            QCOMPARE(verdict.index.FindFile(QStringLiteral("Linux/TARVO_3_2_0.zip"))->size, qint64(1234));
        }
        else
        {
            QVERIFY(verdict.trust == INDEX_VERDICT::TRUST::Refused);
            QVERIFY2(verdict.reason.startsWith(refusal), qPrintable(verdict.reason));
        }
        // A refusal changes nothing: the index accepted before is still the one kept.
        QByteArray kept;
        QByteArray keptSignature;
        QCOMPARE(store.StoredIndex(SERVER, kept, keptSignature), !previous.isEmpty());
        QCOMPARE(kept, previous.isEmpty() ? QByteArray() : Fixture(previous));
    }
};

QTEST_GUILESS_MAIN(TestSignedIndex)
#include "TestSignedIndex.moc"
