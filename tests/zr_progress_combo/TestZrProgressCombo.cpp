// The styled progress bar and the combo box that shows its item icon at the right end.
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRComboBox.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRProgressBar.h"

#include <QStyleOptionComboBox>
#include <QtTest>

namespace
{
const QColor FILL(0, 255, 127);
const QColor BACKDROP(255, 0, 255);

// Paints the widget alone (no window background) onto a plain backdrop.
QImage Render(QWidget* widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(BACKDROP);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The bounding box of the pixels of exactly this colour.
QRect BoxOf(const QImage& image, const QColor& colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            if (image.pixelColor(x, y) == colour)
            {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box;
}

// Gives the test the style option the box paints with.
class PROBE_COMBO_BOX : public CLASS_ZR_COMBO_BOX
{
public:
    QRect EditField()
    {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    }
};

QIcon SolidIcon(const QColor& colour)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(colour);
    return QIcon(pixmap);
}
} // namespace

class TestZrProgressCombo : public QObject
{
    Q_OBJECT

private slots:
    void sizeSteps_data();
    void sizeSteps();
    void shape_data();
    void shape();
    void shapeIsPainted_data();
    void shapeIsPainted();

    void emptyComboBoxPaintsNothing();
    void itemWithoutIconLooksPlain();
    void itemIconSitsAtTheRightEnd();
};

void TestZrProgressCombo::sizeSteps_data()
{
    QTest::addColumn<unsigned int>("sizeIndex");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("radius");

    QTest::newRow("0") << 0u << 6 << 3;
    QTest::newRow("1") << 1u << 12 << 4;
    QTest::newRow("2") << 2u << 24 << 12;
    QTest::newRow("3") << 3u << 36 << 18;
    QTest::newRow("4") << 4u << 48 << 18;
    QTest::newRow("5 behaves like 2") << 5u << 24 << 12;
    QTest::newRow("7 behaves like 2") << 7u << 24 << 12;
    QTest::newRow("huge behaves like 2") << 4000000000u << 24 << 12;
}

void TestZrProgressCombo::sizeSteps()
{
    QFETCH(unsigned int, sizeIndex);
    QFETCH(int, height);
    QFETCH(int, radius);

    QCOMPARE(CLASS_ZR_PROGRESS_BAR::StepHeight(sizeIndex), height);
    QCOMPARE(CLASS_ZR_PROGRESS_BAR::StepRadius(sizeIndex), radius);

    CLASS_ZR_PROGRESS_BAR bar(sizeIndex, FILL);
    bar.resize(200, 80);
    Render(&bar);
    QCOMPARE(bar.height(), height);
    QCOMPARE(bar.minimumHeight(), height);
    QCOMPARE(bar.maximumHeight(), height);
}

void TestZrProgressCombo::shape_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("percentage");
    QTest::addColumn<double>("shapeWidth");
    QTest::addColumn<QString>("text");

    QTest::newRow("0 %: 36 pixels") << 0 << 100 << 0 << 300 << 0.0 << 36.0 << "0%";
    QTest::newRow("1 %: still the minimum fill") << 0 << 100 << 1 << 300 << 1.0 << 36.0 << "1%";
    QTest::newRow("50 %") << 0 << 100 << 50 << 224 << 50.0 << 124.0 << "50%";
    QTest::newRow("100 %: the whole widget") << 0 << 100 << 100 << 300 << 100.0 << 300.0 << "100%";
    QTest::newRow("truncated toward zero") << 0 << 3 << 1 << 124 << 100.0 / 3 << 57.0 << "1%";
    QTest::newRow("offset range") << 50 << 150 << 100 << 224 << 50.0 << 124.0 << "100%";
    QTest::newRow("minimum equals maximum") << 5 << 5 << 5 << 300 << 0.0 << 36.0 << "5%";
    QTest::newRow("narrow widget") << 0 << 100 << 100 << 20 << 100.0 << 36.0 << "100%";
    // Ranges wider than the int type holds.
    QTest::newRow("range of 4e9, half way") << -2000000000 << 2000000000 << 0 << 224 << 50.0 << 124.0 << "0%";
    QTest::newRow("whole negative half, one below the maximum")
        << INT_MIN << 0 << -1 << 224 << 2147483647.0 / 2147483648.0 * 100.0 << 223.0 << "-1%";
}

void TestZrProgressCombo::shape()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(int, width);
    QFETCH(double, percentage);
    QFETCH(double, shapeWidth);
    QFETCH(QString, text);

    CLASS_ZR_PROGRESS_BAR bar(2, FILL);
    bar.setRange(minimum, maximum);
    bar.setValue(value);
    bar.resize(width, 24);
    QCOMPARE(bar.value(), value);
    QVERIFY(qAbs(bar.Percentage() - percentage) < 1e-9);
    QCOMPARE(bar.ShapeRect(), QRectF(0, 0, shapeWidth, 24));
    QCOMPARE(bar.PaintedText(), text);
}

void TestZrProgressCombo::shapeIsPainted_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("filledUpTo");

    QTest::newRow("0 %") << 0 << 36;
    QTest::newRow("50 %") << 50 << 124;
    QTest::newRow("100 %") << 100 << 224;
}

void TestZrProgressCombo::shapeIsPainted()
{
    QFETCH(int, value);
    QFETCH(int, filledUpTo);

    CLASS_ZR_PROGRESS_BAR bar(2, FILL);
    bar.setRange(0, 100);
    bar.setValue(value);
    bar.resize(224, 24);
    const QImage image = Render(&bar);
    // Along the middle line: fill colour inside the shape (where no text is), none beyond it.
    const int middle = image.height() / 2;
    QCOMPARE(image.pixelColor(filledUpTo - 4, middle), FILL);
    if (filledUpTo < image.width())
    {
        QVERIFY(image.pixelColor(filledUpTo + 2, middle) != FILL);
    }
    // Rounded ends: the top left corner is outside the shape.
    QVERIFY(image.pixelColor(0, 0) != FILL);
    // The text sits inside the right end of the shape. The outline is drawn with the same pen, so
    // the text is looked for away from the outline's edges and round ends.
    const QRect inner(8, 3, filledUpTo - 16, image.height() - 6);
    QRect textBox;
    for (int y = inner.top(); y <= inner.bottom(); ++y)
    {
        for (int x = inner.left(); x <= inner.right(); ++x)
        {
            if (image.pixelColor(x, y).green() < 128)
            {
                textBox = textBox.united(QRect(x, y, 1, 1));
            }
        }
    }
    QVERIFY(!textBox.isNull());
    QVERIFY2(textBox.right() <= filledUpTo - 12, qPrintable(QString::number(textBox.right())));
    QVERIFY(textBox.right() >= filledUpTo - 16);
}

void TestZrProgressCombo::emptyComboBoxPaintsNothing()
{
    CLASS_ZR_COMBO_BOX box;
    box.resize(200, 30);
    const QImage image = Render(&box);
    QCOMPARE(BoxOf(image, BACKDROP), image.rect());

    // A plain combo box draws its frame even when empty.
    QComboBox plain;
    plain.resize(200, 30);
    QVERIFY(Render(&plain) != image);
}

void TestZrProgressCombo::itemWithoutIconLooksPlain()
{
    CLASS_ZR_COMBO_BOX box;
    QComboBox plain;
    for (QComboBox* combo : {static_cast<QComboBox*>(&box), &plain})
    {
        combo->addItem(QStringLiteral("3.1.51"));
        combo->addItem(QStringLiteral("3.1.50"));
        combo->resize(220, 30);
    }
    QCOMPARE(Render(&box), Render(&plain));
}

void TestZrProgressCombo::itemIconSitsAtTheRightEnd()
{
    PROBE_COMBO_BOX box;
    box.addItem(SolidIcon(Qt::red), QStringLiteral("3.1.50\t- Not installed"));
    box.resize(260, 30);
    const QRect edit = box.EditField();
    const int side = edit.height() - 6;
    QVERIFY(side > 0);

    const QRect redBox = BoxOf(Render(&box), QColor(Qt::red));
    QCOMPARE(redBox, QRect(edit.right() - 28, edit.top() + 3, side, side));

    // A plain combo box would show the icon before the text, at the left.
    QComboBox plain;
    plain.addItem(SolidIcon(Qt::red), QStringLiteral("3.1.50\t- Not installed"));
    plain.resize(260, 30);
    QVERIFY(BoxOf(Render(&plain), QColor(Qt::red)).left() < edit.left() + 10);
}

QTEST_MAIN(TestZrProgressCombo)
#include "TestZrProgressCombo.moc"
