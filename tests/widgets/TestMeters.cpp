#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRBargraphSound.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRDial.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRGraduation.h"

#include "TraceCapture.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <climits>
#include <memory>

namespace
{
const QColor FRAME(20, 20, 20);
const QColor FRAME_LINE(90, 90, 90);
const QColor LEVEL(0, 200, 0);
const QColor DISABLED_FRAME(60, 60, 60);
const QColor DISABLED_LEVEL(150, 150, 150);
const QColor LINE(200, 0, 0);
const QColor DISABLED_LINE(0, 0, 200);

std::unique_ptr<CLASS_ZR_BARGRAPH_SOUND> MakeBarGraph(SDWord minimum = 0, SDWord maximum = 100)
{
    return std::make_unique<CLASS_ZR_BARGRAPH_SOUND>(minimum, maximum, FRAME, FRAME_LINE, LEVEL, LEVEL, LEVEL,
                                                     DISABLED_FRAME, FRAME_LINE, DISABLED_LEVEL,
                                                     DISABLED_LEVEL, DISABLED_LEVEL, QString(), Qt::white);
}

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

int CountInColumn(const QImage& image, int x, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
    {
        count += image.pixelColor(x, y) == color ? 1 : 0;
    }
    return count;
}

QIcon PlainIcon(const QColor& color)
{
    QPixmap pixmap(256, 256);
    pixmap.fill(color);
    return QIcon(pixmap);
}

std::unique_ptr<CLASS_ZR_DIAL> MakeDial(int sweepAngle)
{
    return std::make_unique<CLASS_ZR_DIAL>(PlainIcon(Qt::white), PlainIcon(Qt::red), PlainIcon(Qt::darkGray),
                                           PlainIcon(Qt::lightGray), PlainIcon(Qt::black),
                                           PlainIcon(Qt::gray), sweepAngle, 0.8F, 0.05F, 0.2F);
}
} // namespace

// The bar-graph's level, the graduation's marks and the dial's marker.
class TestMeters : public QObject
{
    Q_OBJECT

private:
    TraceCapture traces;

private slots:
    void initTestCase() { QVERIFY(traces.Start()); }

    void barGraphLevel_data()
    {
        QTest::addColumn<SDWord>("minimum");
        QTest::addColumn<SDWord>("maximum");
        QTest::addColumn<SDWord>("value");
        QTest::addColumn<int>("level");
        QTest::newRow("at the minimum") << 0 << 100 << 0 << 0;
        QTest::newRow("one above the minimum") << 0 << 100 << 1 << 2;
        QTest::newRow("half way") << 0 << 100 << 50 << 58;
        QTest::newRow("one below the maximum") << 0 << 100 << 99 << 114;
        QTest::newRow("at the maximum") << 0 << 100 << 100 << 116;
        QTest::newRow("negative range") << -60 << 0 << -30 << 58;
        QTest::newRow("full 32-bit range") << INT_MIN << INT_MAX << 0 << 58;
    }

    void barGraphLevel()
    {
        QFETCH(SDWord, minimum);
        QFETCH(SDWord, maximum);
        QFETCH(SDWord, value);
        QFETCH(int, level);
        auto barGraph = MakeBarGraph(minimum, maximum);
        barGraph->SetCurrentValue(value);
        QCOMPARE(barGraph->LevelHeight(), level);

        // Painted at its logical size, the level is a column of that many rows of the level colour.
        barGraph->resize(24, 118);
        const QImage image = Render(*barGraph);
        QCOMPARE(CountInColumn(image, 12, LEVEL), level);
        if (level > 0)
        {
            QCOMPARE(image.pixelColor(12, 116), LEVEL);
            QCOMPARE(image.pixelColor(12, 116 - level + 1), LEVEL);
        }
        if (level < 116)
        {
            QCOMPARE(image.pixelColor(12, 116 - level), FRAME);
        }
    }

    void barGraphValueRules_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<SDWord>("argument");
        QTest::addColumn<SDWord>("minimum");
        QTest::addColumn<SDWord>("maximum");
        QTest::addColumn<SDWord>("current");
        // Each row starts from the range 10 to 100 with the value 50.
        QTest::newRow("value above the maximum") << "value" << 150 << 10 << 100 << 100;
        QTest::newRow("value below the minimum") << "value" << -5 << 10 << 100 << 10;
        QTest::newRow("minimum within") << "min" << 20 << 20 << 100 << 50;
        QTest::newRow("minimum above the maximum") << "min" << 150 << 100 << 150 << 100;
        QTest::newRow("maximum within") << "max" << 60 << 10 << 60 << 50;
        QTest::newRow("maximum below the minimum") << "max" << 5 << 5 << 10 << 5;
        QTest::newRow("reversed range") << "range" << 0 << 0 << 10 << 0;
    }

    void barGraphValueRules()
    {
        QFETCH(QString, operation);
        QFETCH(SDWord, argument);
        QFETCH(SDWord, minimum);
        QFETCH(SDWord, maximum);
        QFETCH(SDWord, current);
        auto barGraph = MakeBarGraph(10, 100);
        barGraph->SetCurrentValue(50);
        if (operation == QLatin1String("value"))
        {
            barGraph->SetCurrentValue(argument);
        }
        else if (operation == QLatin1String("min"))
        {
            barGraph->SetMinValue(argument);
        }
        else if (operation == QLatin1String("max"))
        {
            barGraph->SetMaxValue(argument);
        }
        else
        {
            barGraph->SetRange(10, argument);
        }
        QCOMPARE(barGraph->MinValue(), minimum);
        QCOMPARE(barGraph->MaxValue(), maximum);
        QCOMPARE(barGraph->CurrentValue(), current);
    }

    void barGraphLevelStaysInTheColumn()
    {
        auto barGraph = MakeBarGraph(0, 100);
        barGraph->SetCurrentValue(90);
        barGraph->SetRange(0, 10);
        QCOMPARE(barGraph->LevelHeight(), 116);
        barGraph->SetRange(95, 200);
        QCOMPARE(barGraph->LevelHeight(), 0);
    }

    void barGraphDisabledLook()
    {
        auto barGraph = MakeBarGraph();
        barGraph->SetCurrentValue(50);
        barGraph->resize(24, 118);
        barGraph->setEnabled(false);
        QImage image = Render(*barGraph);
        QCOMPARE(image.pixelColor(12, 20), DISABLED_FRAME);
        QCOMPARE(CountInColumn(image, 12, DISABLED_LEVEL), 58);
        barGraph->setEnabled(true);
        image = Render(*barGraph);
        QCOMPARE(image.pixelColor(12, 20), FRAME);
        QCOMPARE(CountInColumn(image, 12, LEVEL), 58);
    }

    void barGraphTextChangesOnlyWhenDifferent()
    {
        auto barGraph = MakeBarGraph();
        barGraph->SetText(QStringLiteral("L"));
        barGraph->SetTextColor(Qt::yellow);
        QCOMPARE(barGraph->Text(), QStringLiteral("L"));
        QCOMPARE(barGraph->TextColor(), QColor(Qt::yellow));
        QCOMPARE(barGraph->sizeHint(), QSize(24, 118));
        QCOMPARE(barGraph->minimumSizeHint(), QSize(20, 80));
    }

    void graduationBounds_data()
    {
        QTest::addColumn<SDWord>("value");
        QTest::addColumn<bool>("added");
        QTest::newRow("at the minimum") << 0 << false;
        QTest::newRow("at the maximum") << 100 << false;
        QTest::newRow("below the minimum") << -1 << false;
        QTest::newRow("above the maximum") << 101 << false;
        QTest::newRow("just inside the minimum") << 1 << true;
        QTest::newRow("just inside the maximum") << 99 << true;
    }

    void graduationBounds()
    {
        QFETCH(SDWord, value);
        QFETCH(bool, added);
        CLASS_ZR_GRADUATION graduation(0, QStringLiteral("0"), 100, QStringLiteral("100"), LINE,
                                       DISABLED_LINE);
        QCOMPARE(graduation.AddGraduation(value, QStringLiteral("mark")), added);
        QCOMPARE(graduation.Graduations().size(), added ? 1 : 0);
    }

    void graduationRangeRules()
    {
        CLASS_ZR_GRADUATION graduation(0, QStringLiteral("zero"), 100, QStringLiteral("hundred"), LINE,
                                       DISABLED_LINE);
        graduation.SetMinValue(150, QStringLiteral("150"));
        QCOMPARE(graduation.Minimum(), 100);
        QCOMPARE(graduation.MinLabel(), QStringLiteral("hundred"));
        QCOMPARE(graduation.Maximum(), 150);
        QCOMPARE(graduation.MaxLabel(), QStringLiteral("150"));

        graduation.SetMaxValue(-10, QStringLiteral("-10"));
        QCOMPARE(graduation.Minimum(), -10);
        QCOMPARE(graduation.MinLabel(), QStringLiteral("-10"));
        QCOMPARE(graduation.Maximum(), 100);
        QCOMPARE(graduation.MaxLabel(), QStringLiteral("hundred"));

        graduation.SetRange(40, QStringLiteral("forty"), 20, QStringLiteral("twenty"));
        QCOMPARE(graduation.Minimum(), 20);
        QCOMPARE(graduation.MinLabel(), QStringLiteral("twenty"));
        QCOMPARE(graduation.Maximum(), 40);
        QCOMPARE(graduation.MaxLabel(), QStringLiteral("forty"));
    }

    void graduationSizeHint()
    {
        CLASS_ZR_GRADUATION graduation(0, QStringLiteral("0"), 100, QStringLiteral("100"), LINE,
                                       DISABLED_LINE);
        QVERIFY(graduation.AddGraduation(50, QStringLiteral("fifty dB")));
        QVERIFY(graduation.AddGraduation(25, QStringLiteral("25")));
        const QFontMetrics metrics = graduation.fontMetrics();
        QCOMPARE(graduation.sizeHint(), QSize(metrics.horizontalAdvance(QStringLiteral("fifty dB")) + 14,
                                              metrics.height() * 4 + 100));
        graduation.ClearGraduations();
        QCOMPARE(graduation.sizeHint().height(), metrics.height() * 2 + 100);
        QCOMPARE(graduation.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(graduation.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    }

    void graduationTickRows_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("enabled") << true;
        QTest::newRow("disabled") << false;
    }

    void graduationTickRows()
    {
        QFETCH(bool, enabled);
        CLASS_ZR_GRADUATION graduation(0, QStringLiteral("0"), 100, QStringLiteral("100"), LINE,
                                       DISABLED_LINE);
        QVERIFY(graduation.AddGraduation(50, QStringLiteral("50")));
        graduation.setEnabled(enabled);
        QCOMPARE(graduation.LineColor(), enabled ? LINE : DISABLED_LINE);
        graduation.resize(graduation.sizeHint().width(), 201);
        QCOMPARE(graduation.MarkRow(50, 201), 100);

        // Right of the axis only the ticks are drawn: at the top (row 1), at the mark (row 100) and at the
        // bottom (row 200). An antialiased one-pixel line on a whole row is shared by that row and the one
        // above it.
        const QImage image = Render(graduation);
        const int x = graduation.width() - 3;
        const QColor background = image.pixelColor(x, 50);
        QList<int> rows;
        for (int y = 0; y < image.height(); ++y)
        {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel != background)
            {
                rows << y;
                // Red lines when enabled, blue ones when disabled.
                QCOMPARE(pixel.red() > pixel.blue(), enabled);
            }
        }
        QCOMPARE(rows, QList<int>({0, 1, 99, 100, 199, 200}));
    }

    void dialAngles_data()
    {
        QTest::addColumn<int>("sweep");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<float>("angle");
        QTest::newRow("270 sweep at the minimum") << 270 << 0 << 100 << 0 << 135.0F;
        QTest::newRow("270 sweep at the maximum") << 270 << 0 << 100 << 100 << 405.0F;
        QTest::newRow("270 sweep half way") << 270 << 0 << 100 << 50 << 270.0F;
        QTest::newRow("300 sweep at the minimum") << 300 << 0 << 100 << 0 << 120.0F;
        QTest::newRow("300 sweep at the maximum") << 300 << 0 << 100 << 100 << 420.0F;
        // Ranges wider than the int type holds.
        QTest::newRow("range of 4e9, half way") << 270 << -2000000000 << 2000000000 << 0 << 270.0F;
        QTest::newRow("whole negative half, one below the maximum") << 270 << INT_MIN << 0 << -1 << 405.0F;
    }

    void dialAngles()
    {
        QFETCH(int, sweep);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(float, angle);
        auto dial = MakeDial(sweep);
        dial->setRange(minimum, maximum);
        dial->setValue(value);
        QCOMPARE(dial->DialAngle(), angle);
    }

    void dialEmptyRanges()
    {
        auto dial = MakeDial(270);
        dial->setRange(0, 0);
        QCOMPARE(dial->DialAngle(), 0.0F);
        dial->setRange(5, 5);
        QCOMPARE(dial->DialAngle(), 135.0F);
        dial->setRange(-100, -10);
        dial->setValue(-100);
        QCOMPARE(dial->DialAngle(), 135.0F);
    }

    void dialMarkerFollowsTheValue_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QPoint>("markerCentre");
        // Widget 100 x 100: knob 80 x 80, marker 16 x 16 whose centre lies 28 pixels from the centre.
        QTest::newRow("minimum: lower left") << 0 << QPoint(30, 70);
        QTest::newRow("half way: top") << 50 << QPoint(50, 22);
        QTest::newRow("maximum: lower right") << 100 << QPoint(70, 70);
    }

    void dialMarkerFollowsTheValue()
    {
        QFETCH(int, value);
        QFETCH(QPoint, markerCentre);
        auto dial = MakeDial(270);
        dial->setRange(0, 100);
        dial->setValue(value);
        dial->resize(100, 100);
        QImage image = Render(*dial);
        QCOMPARE(image.pixelColor(markerCentre), QColor(Qt::red));
        QCOMPARE(image.pixelColor(50, 78), QColor(Qt::white));
        QCOMPARE(image.pixelColor(3, 3), QColor(Qt::darkGray));

        dial->setEnabled(false);
        QVERIFY(dial->ShowsDisabled());
        image = Render(*dial);
        QCOMPARE(image.pixelColor(markerCentre), QColor(Qt::black));
        QCOMPARE(image.pixelColor(3, 3), QColor(Qt::gray));
    }

    void dialWithoutEnabledIconsIsLogged()
    {
        const QString trace = QStringLiteral("CLASS_ZR_DIAL() Line ");
        const int before = traces.ErrorCount(trace);
        CLASS_ZR_DIAL dial(QIcon(), PlainIcon(Qt::red), PlainIcon(Qt::gray), QIcon(), QIcon(), QIcon(), 270,
                           0.8F, 0.05F, 0.2F);
        QTRY_COMPARE(traces.ErrorCount(trace), before + 1);
        QVERIFY(traces.ErrorLog().contains(
            QStringLiteral("..\\mng_launcher\\MODULES\\QT_COMMON_WIDGET\\ZR_WIDGET\\COMMON_ClassZRDial "
                           "CLASS_ZR_DIAL() Line ")));
        QVERIFY(traces.ErrorLog().contains(QStringLiteral("Icon(s) enabled state is/are NULL(s)\n")));
        // Painting without icons draws nothing and does not fail.
        dial.resize(60, 60);
        Render(dial);
    }
};

QTEST_MAIN(TestMeters)
#include "TestMeters.moc"
