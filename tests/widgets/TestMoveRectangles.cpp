#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassMoveRectanglesWidget.h"

#include "TraceCapture.h"

#include <QImage>
#include <QtTest>

#include <functional>

namespace
{
const QColor NORMAL(0, 0, 0);
const QColor SELECTED(255, 160, 0);
const QColor FIRST_FILL(200, 40, 40);
const QColor SECOND_FILL(40, 40, 200);
const QString UNIT = QStringLiteral(
    "..\\mng_launcher\\MODULES\\QT_COMMON_WIDGET\\ZR_WIDGET\\COMMON_ClassMoveRectanglesWidget ");

using Operation = std::function<void(CLASS_MOVE_RECTANGLES_WIDGET&)>;

QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    widget.render(&image);
    return image;
}
} // namespace

Q_DECLARE_METATYPE(Operation)

// The movable rectangles canvas: index checks, selection and the drawing order.
class TestMoveRectangles : public QObject
{
    Q_OBJECT

private:
    TraceCapture traces;

    // Two overlapping rectangles (the first selected), a line and a text.
    static void Populate(CLASS_MOVE_RECTANGLES_WIDGET& canvas)
    {
        canvas.AddRectangle(QRectF(10, 10, 60, 40), true, true, FIRST_FILL, QString());
        canvas.AddRectangle(QRectF(40, 20, 60, 40), true, false, SECOND_FILL, QString());
        canvas.AddLine(QLineF(10, 80, 150, 80), true, false, Qt::green);
        canvas.AddText(QPoint(120, 20), true, QStringLiteral("T"));
    }

private slots:
    void initTestCase() { QVERIFY(traces.Start()); }

    void indexErrors_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("trace");
        QTest::newRow("select a rectangle past the end")
            << Operation([](CLASS_MOVE_RECTANGLES_WIDGET& c) { c.SelectNewRectangle(2); })
            << QStringLiteral("SelectNewRectangle() Line %1 Unable to find a rectangle at index: 2");
        QTest::newRow("resize a rectangle at -1")
            << Operation([](CLASS_MOVE_RECTANGLES_WIDGET& c) { c.ChangeRectangleSize(-1, QSizeF(5, 5)); })
            << QStringLiteral("ChangeRectangleSize() Line %1 Unable to find a rectangle at index: -1");
        QTest::newRow("change all of a missing rectangle")
            << Operation(
                   [](CLASS_MOVE_RECTANGLES_WIDGET& c) {
                       c.ChangeAllParameters(7, QPointF(), QSizeF(1, 1), false, true, Qt::white,
                                             QStringLiteral("x"));
                   })
            << QStringLiteral("ChangeAllParameters() Line %1 Unable to find a rectangle at index: 7");
        QTest::newRow("recolour a missing line")
            << Operation([](CLASS_MOVE_RECTANGLES_WIDGET& c) { c.ChangeLineColor(1, Qt::red); })
            << QStringLiteral("ChangeLineColor() Line %1 Unable to find a line at index: 1");
        QTest::newRow("select a missing line")
            << Operation([](CLASS_MOVE_RECTANGLES_WIDGET& c) { c.SelectNewLine(1); })
            << QStringLiteral("SelectNewLine() Line %1 Unable to find a line at index: 1");
        QTest::newRow("retext a missing text")
            << Operation([](CLASS_MOVE_RECTANGLES_WIDGET& c) { c.ChangeTextString(3, QStringLiteral("y")); })
            << QStringLiteral("ChangeTextString() Line %1 Unable to find a text at index: 3");
        QTest::newRow("select a missing text")
            << Operation([](CLASS_MOVE_RECTANGLES_WIDGET& c) { c.SelectNewText(-4); })
            << QStringLiteral("SelectNewText() Line %1 Unable to find a text at index: -4");
    }

    void indexErrors()
    {
        QFETCH(Operation, operation);
        QFETCH(QString, trace);
        CLASS_MOVE_RECTANGLES_WIDGET canvas(NORMAL, SELECTED, QSize(160, 90), 0);
        Populate(canvas);
        const QImage before = Render(canvas);
        operation(canvas);

        // Logged from the operation itself, with the source line between the name and the text.
        const QString nameAndLine =
            UNIT + trace.section(QStringLiteral(" Line "), 0, 0) + QStringLiteral(" Line ");
        const QString text = trace.section(QStringLiteral("%1 "), 1);
        QTRY_VERIFY(traces.ErrorLog().contains(nameAndLine));
        const QString log = traces.ErrorLog();
        const int at = log.indexOf(nameAndLine);
        const int lineEnd = log.indexOf(QLatin1Char('\n'), at);
        QVERIFY(log.mid(at, lineEnd - at).endsWith(QLatin1Char(' ') + text));

        // Nothing changed.
        QCOMPARE(canvas.SelectedRectangleIndex(), 0);
        QCOMPARE(canvas.SelectedLineIndex(), -1);
        QCOMPARE(canvas.SelectedTextIndex(), -1);
        QCOMPARE(canvas.RectangleGeometry(0), QRectF(10, 10, 60, 40));
        QCOMPARE(Render(canvas), before);
    }

    void addingWithSelectMovesTheSelection()
    {
        CLASS_MOVE_RECTANGLES_WIDGET canvas(NORMAL, SELECTED, QSize(160, 90), 0);
        Populate(canvas);
        QCOMPARE(canvas.SelectedRectangleIndex(), 0);
        canvas.AddRectangle(QRectF(0, 0, 5, 5), true, true, Qt::white, QStringLiteral("new"));
        QCOMPARE(canvas.SelectedRectangleIndex(), 2);
        canvas.AddRectangle(QRectF(0, 0, 5, 5), true, false, Qt::white, QString());
        QCOMPARE(canvas.SelectedRectangleIndex(), 2);
        canvas.AddLine(QLineF(0, 0, 5, 5), true, true, Qt::white);
        QCOMPARE(canvas.SelectedLineIndex(), 1);
        canvas.SelectNewText(0);
        QCOMPARE(canvas.SelectedTextIndex(), 0);
    }

    void changesApply()
    {
        CLASS_MOVE_RECTANGLES_WIDGET canvas(NORMAL, SELECTED, QSize(160, 90), 0);
        Populate(canvas);
        canvas.ChangeRectanglePosition(1, QPointF(5, 6));
        canvas.ChangeRectangleSize(1, QSizeF(20, 30));
        QCOMPARE(canvas.RectangleGeometry(1), QRectF(5, 6, 20, 30));
        canvas.ChangeAllParameters(1, QPointF(1, 2), QSizeF(3, 4), true, true, Qt::white,
                                   QStringLiteral("B"));
        QCOMPARE(canvas.RectangleGeometry(1), QRectF(1, 2, 3, 4));
        QCOMPARE(canvas.RectangleLabel(1), QStringLiteral("B"));
        QCOMPARE(canvas.SelectedRectangleIndex(), 1);
        QCOMPARE(canvas.size(), QSize(160, 90));
        QCOMPARE(canvas.minimumSizeHint(), QSize(160, 90));
    }

    void selectedRectangleLiesOnTop()
    {
        CLASS_MOVE_RECTANGLES_WIDGET canvas(NORMAL, SELECTED, QSize(160, 90), 0);
        Populate(canvas);
        // The overlap (40..70, 20..50) shows the selected first rectangle although it comes first in the
        // list.
        QImage image = Render(canvas);
        QCOMPARE(image.pixelColor(55, 35), FIRST_FILL);
        // Outlines: the selected one in the selected colour, the other in the normal colour.
        QCOMPARE(image.pixelColor(11, 30), SELECTED);
        QCOMPARE(image.pixelColor(99, 40), NORMAL);
        QCOMPARE(image.pixelColor(85, 40), SECOND_FILL);

        canvas.SelectNewRectangle(1);
        image = Render(canvas);
        QCOMPARE(image.pixelColor(55, 35), SECOND_FILL);
        QCOMPARE(image.pixelColor(11, 30), NORMAL);
        QCOMPARE(image.pixelColor(99, 40), SELECTED);
    }

    void invisibleSelectedRectangleIsNotDrawn()
    {
        CLASS_MOVE_RECTANGLES_WIDGET canvas(NORMAL, SELECTED, QSize(160, 90), 0);
        Populate(canvas);
        const QColor background = Render(canvas).pixelColor(5, 5);
        canvas.ChangeRectangleVisibility(0, false);
        const QImage image = Render(canvas);
        QCOMPARE(image.pixelColor(20, 20), background);
        QCOMPARE(image.pixelColor(11, 30), background);
        QCOMPARE(image.pixelColor(55, 35), SECOND_FILL);
    }

    void lineColourNeverShows()
    {
        CLASS_MOVE_RECTANGLES_WIDGET canvas(NORMAL, SELECTED, QSize(160, 90), 0);
        Populate(canvas);
        canvas.ChangeLineColor(0, Qt::magenta);
        QCOMPARE(Render(canvas).pixelColor(60, 80), NORMAL);
        canvas.SelectNewLine(0);
        QCOMPARE(Render(canvas).pixelColor(60, 80), SELECTED);
        canvas.ChangeLineVisibility(0, false);
        QVERIFY(Render(canvas).pixelColor(60, 80) != SELECTED);
    }

    void borderUsesTheNormalColour()
    {
        CLASS_MOVE_RECTANGLES_WIDGET withBorder(SELECTED, NORMAL, QSize(160, 90), 1);
        QCOMPARE(Render(withBorder).pixelColor(0, 45), SELECTED);
        QCOMPARE(Render(withBorder).pixelColor(80, 0), SELECTED);
        CLASS_MOVE_RECTANGLES_WIDGET withoutBorder(SELECTED, NORMAL, QSize(160, 90), 0);
        QVERIFY(Render(withoutBorder).pixelColor(0, 45) != SELECTED);
    }
};

QTEST_MAIN(TestMoveRectangles)
#include "TestMoveRectangles.moc"
