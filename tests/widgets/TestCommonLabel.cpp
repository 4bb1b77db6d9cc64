#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassLabel.h"

#include "TraceCapture.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{
const QString UNIT =
    QStringLiteral("..\\mng_launcher\\MODULES\\QT_COMMON_WIDGET\\ZR_WIDGET\\COMMON_ClassLabel ");
const QString LONG_TEXT =
    QStringLiteral("A rather long caption that cannot fit in a narrow label at any size");

int TextWidth(const QFont& font, int pointSize, const QString& text)
{
    QFont sized(font);
    sized.setPointSize(pointSize);
    return QFontMetrics(sized).horizontalAdvance(text);
}
} // namespace

// The auto-fitting label: font fitting, eliding, the colour tag, its traces and its signals.
class TestCommonLabel : public QObject
{
    Q_OBJECT

private:
    TraceCapture traces;

private slots:
    void initTestCase() { QVERIFY(traces.Start()); }

    void shortTextTakesTheMaximum()
    {
        CLASS_COMMON_LABEL label(QStringLiteral("Hi"));
        label.resize(400, 60);
        label.SetAutoFontSize(true);
        label.SetFontSize(6, 20);
        QCOMPARE(label.font().pointSize(), 20);
        QCOMPARE(label.text(), QStringLiteral("Hi"));
    }

    void longTextTakesTheMinimumAndIsElided()
    {
        CLASS_COMMON_LABEL label(LONG_TEXT);
        label.resize(80, 30);
        // Fitting with the first minimum (1 point) shrinks the font below the minimum set next; the next
        // fit still ends at that minimum.
        label.SetAutoFontSize(true);
        QVERIFY(label.font().pointSize() < 6);
        label.SetFontSize(6, 20);
        QCOMPARE(label.font().pointSize(), 6);
        QVERIFY(label.text() != LONG_TEXT);
        QVERIFY(label.text().endsWith(QChar(0x2026)));
        QVERIFY(QFontMetrics(label.font()).horizontalAdvance(label.text()) <= 80);
    }

    void fitsTheLargestSizeThatIsNarrower()
    {
        const QString text = QStringLiteral("Level meter");
        CLASS_COMMON_LABEL label(text);
        // A width at which the text fits at 13 points but not at 14.
        const int available = TextWidth(label.font(), 14, text);
        QVERIFY(TextWidth(label.font(), 13, text) < available);
        label.resize(available, 40);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        label.SetAutoFontSize(true);
        label.SetFontSize(4, 40);
        QCOMPARE(label.font().pointSize(), 13);
        QCOMPARE(label.text(), text);

        // Narrowing the label shrinks the font again.
        label.resize(TextWidth(label.font(), 9, text), 40);
        QCOMPARE(label.font().pointSize(), 8);
    }

    void fontSizeTraces_data()
    {
        QTest::addColumn<int>("wantedMin");
        QTest::addColumn<int>("wantedMax");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<int>("minFontSize");
        QTest::addColumn<int>("maxFontSize");
        QTest::newRow("minimum below 1")
            << 0 << 12 << QStringLiteral("Min font size wanted < 1 :0") << 1 << 12;
        QTest::newRow("maximum below 1")
            << 3 << -2 << QStringLiteral("Max font size wanted < 1 :-2") << 3 << 1;
        QTest::newRow("maximum below minimum")
            << 14 << 10
            << QStringLiteral("Max font size wanted less than min size : max size = 10min size = 14") << 14
            << 14;
    }

    void fontSizeTraces()
    {
        QFETCH(int, wantedMin);
        QFETCH(int, wantedMax);
        QFETCH(QString, trace);
        QFETCH(int, minFontSize);
        QFETCH(int, maxFontSize);
        CLASS_COMMON_LABEL label(QStringLiteral("x"));
        label.resize(300, 60);
        label.SetAutoFontSize(true);
        const int before = traces.ErrorCount(trace);
        label.SetFontSize(wantedMin, wantedMax);
        QCOMPARE(label.GetMinFontSize(), minFontSize);
        QCOMPARE(label.GetMaxFontSize(), maxFontSize);
        // A short text in a wide label is fitted at the corrected maximum.
        QCOMPARE(label.font().pointSize(), maxFontSize);
        QTRY_COMPARE(traces.ErrorCount(trace), before + 1);
        QVERIFY(traces.ErrorLog().contains(UNIT + QStringLiteral("SetFontSize() Line ")));
    }

    void fixedSizeTakesTheWantedMaximum()
    {
        CLASS_COMMON_LABEL label(QStringLiteral("Fixed"));
        label.SetFontSize(5, 17);
        QCOMPARE(label.font().pointSize(), 17);
        // A maximum below 1 is no point size: the corrected maximum is used.
        label.SetFontSize(5, 0);
        QCOMPARE(label.font().pointSize(), 1);
    }

    void colourTag_data()
    {
        QTest::addColumn<QString>("fullText");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text") << QStringLiteral("abc")
                              << QStringLiteral("<font color = '#ff0000'>abc</font>");
        QTest::newRow("empty text, no bare tag") << QString() << QString();
    }

    void colourTag()
    {
        QFETCH(QString, fullText);
        QFETCH(QString, shown);
        CLASS_COMMON_LABEL label(fullText, Qt::ElideRight, QColor(Qt::red));
        label.resize(200, 30);
        QCOMPARE(label.text(), shown);
        QCOMPARE(label.GetFullText(), fullText);
    }

    void colourEnabledWaitsForTheNextRefresh()
    {
        CLASS_COMMON_LABEL label(QStringLiteral("abc"));
        label.resize(200, 30);
        label.SetFontColor(QColor(0, 128, 255));
        QCOMPARE(label.text(), QStringLiteral("<font color = '#0080ff'>abc</font>"));
        label.SetFontColorEnabled(false);
        QCOMPARE(label.text(), QStringLiteral("<font color = '#0080ff'>abc</font>"));
        label.SetFullText(QStringLiteral("abc"));
        QCOMPARE(label.text(), QStringLiteral("abc"));
        label.SetFontColorEnabled(true);
        QCOMPARE(label.text(), QStringLiteral("abc"));
    }

    void elideModeMovesTheEllipsis()
    {
        CLASS_COMMON_LABEL label(LONG_TEXT);
        label.resize(120, 30);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QVERIFY(label.text().endsWith(QChar(0x2026)));
        label.SetElideMode(Qt::ElideLeft);
        QVERIFY(label.text().startsWith(QChar(0x2026)));
        QVERIFY(label.text().endsWith(QStringLiteral("size")));
    }

    void sizeHintCoversTheFullText()
    {
        CLASS_COMMON_LABEL label(LONG_TEXT);
        label.resize(60, 30);
        const QFontMetrics metrics(label.font());
        QVERIFY(label.sizeHint().width() >= metrics.horizontalAdvance(LONG_TEXT));
        label.setFrameStyle(QFrame::Box | QFrame::Plain);
        QVERIFY(label.sizeHint().width() >=
                metrics.horizontalAdvance(LONG_TEXT) + metrics.horizontalAdvance(QLatin1Char('x')));
    }

    void reportsResizeAndMove()
    {
        QWidget window;
        window.resize(400, 200);
        CLASS_COMMON_LABEL label(QStringLiteral("moving"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy resized(&label, &CLASS_COMMON_LABEL::SIGNAL_Resize);
        QSignalSpy moved(&label, &CLASS_COMMON_LABEL::SIGNAL_Move);
        label.resize(150, 40);
        label.move(20, 30);
        QCOMPARE(resized.count(), 1);
        QCOMPARE(resized.at(0).at(0).toSize(), QSize(150, 40));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toPoint(), QPoint(20, 30));
    }
};

QTEST_MAIN(TestCommonLabel)
#include "TestCommonLabel.moc"
