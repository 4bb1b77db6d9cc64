// The connector view of a session's device: tiles, captions, icons and the audio card check box.
#include "GUI/GUI_ClassConnectorTile.h"
#include "GUI/GUI_ClassDeviceConfiguration.h"
#include "GUI/GUI_ClassPaintedItem.h"
#include "GUI/GUI_Theme.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace
{
QCheckBox* AudioCheckBox(CLASS_DEVICE_CONFIGURATION& view)
{
    return view.findChild<QCheckBox*>(QStringLiteral("audioCheckBox"));
}

CLASS_CONNECTOR_TILE* AudioFrame(CLASS_DEVICE_CONFIGURATION& view)
{
    return view.findChild<CLASS_CONNECTOR_TILE*>(QStringLiteral("audioFrame"));
}

// What draws a tile's captions and icons: the tile itself, or the widgets inside it (the audio tile's
// frame and its pairs of connectors).
QList<CLASS_CONNECTOR_TILE*> Drawings(QWidget* tile)
{
    if (auto* drawn = qobject_cast<CLASS_CONNECTOR_TILE*>(tile))
    {
        return {drawn};
    }
    return tile->findChildren<CLASS_CONNECTOR_TILE*>();
}

// The captions of a tile, in the order they were created.
QStringList Captions(QWidget* tile)
{
    QStringList captions;
    for (const CLASS_CONNECTOR_TILE* drawing : Drawings(tile))
    {
        captions << drawing->Captions();
    }
    return captions;
}

QVector<QPixmap> Icons(QWidget* tile)
{
    QVector<QPixmap> icons;
    for (const CLASS_CONNECTOR_TILE* drawing : Drawings(tile))
    {
        icons << drawing->Icons();
    }
    return icons;
}

// The layout of a drawn tile rebuilt with a label for each caption and icon, as a tile of labels is
// laid out: the look a drawn tile must match.
QLayout* LayoutOfLabels(QLayout* drawn, QWidget* tile)
{
    QBoxLayout* source = qobject_cast<QBoxLayout*>(drawn);
    QBoxLayout* copy = new QBoxLayout(source->direction());
    for (int i = 0; i < source->count(); ++i)
    {
        QLayoutItem* item = source->itemAt(i);
        if (item->layout() != nullptr)
        {
            copy->addLayout(LayoutOfLabels(item->layout(), tile), source->stretch(i));
        }
        else if (item->spacerItem() != nullptr)
        {
            copy->addSpacing(item->sizeHint().height());
        }
        else
        {
            const CLASS_PAINTED_ITEM* painted = static_cast<CLASS_PAINTED_ITEM*>(item);
            QLabel* label = new QLabel(tile);
            if (painted->Pixmap().isNull())
            {
                label->setText(painted->Text());
                // The captions' look: the application's font family at 12 px, black at 90 %.
                label->setStyleSheet(QStringLiteral("QLabel {color: #E6000000; font-size: 12px;}"));
            }
            else
            {
                label->setPixmap(painted->Pixmap());
            }
            copy->addWidget(label, source->stretch(i), item->alignment());
        }
    }
    return copy;
}

// A caption of a drawn tile rendered alone on a transparent image: its text's pixels only.
QImage CaptionImage(CLASS_CONNECTOR_TILE* tile, const QString& caption)
{
    const QRect place = tile->CaptionPlace(caption);
    QImage image(place.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    tile->render(&image, QPoint(), QRegion(place), QWidget::DrawChildren);
    return image;
}

// The colour of the fully opaque pixels of a rendered text, or an invalid colour.
QColor OpaqueTextColour(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            if (qAlpha(image.pixel(x, y)) == 255)
            {
                return QColor(image.pixel(x, y));
            }
        }
    }
    return QColor();
}

int DarkestAlpha(const QImage& image)
{
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            most = qMax(most, qAlpha(image.pixel(x, y)));
        }
    }
    return most;
}
} // namespace

class TestGuiDeviceConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void freshView();
    void tiles_data();
    void tiles();
    void tilesDrawAsLabelsWould_data();
    void tilesDrawAsLabelsWould();
    void multiviewerTileReadsMvw();
    void everyTileHasAnAccessibleName();

    void checkingTheBoxEnablesTheAudioFrame();
    void setAudioPlugged_data();
    void setAudioPlugged();
    void disabledCheckBoxIgnoresClicks();
    void audioCaptionsGreyWhileUnplugged();
    void deviceTypeDoesNotChangeTheDrawing();
};

void TestGuiDeviceConfiguration::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    InitLauncherResources();
    RegisterApplicationFonts();
}

void TestGuiDeviceConfiguration::freshView()
{
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    QCOMPARE(view.Tiles().size(), 16);
    QVERIFY(AudioCheckBox(view) != nullptr);
    QVERIFY(AudioCheckBox(view)->text().isEmpty());
    QCOMPARE(AudioCheckBox(view)->checkState(), Qt::Unchecked);
    QVERIFY(!view.IsAudioPlugged());
    QVERIFY(AudioFrame(view) != nullptr);
    QVERIFY(!AudioFrame(view)->isEnabled());

    QLabel* title = nullptr;
    for (QLabel* label : view.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
    {
        title = label;
    }
    QVERIFY(title != nullptr);
    QCOMPARE(title->text(), QStringLiteral("Configuration"));
    QCOMPARE(title->width(), 100);

    QFrame* panel = view.findChild<QFrame*>(QStringLiteral("connectorPanel"));
    QVERIFY(panel != nullptr);
    QCOMPARE(panel->height(), 170);
    QVERIFY(qobject_cast<QGridLayout*>(panel->layout()) != nullptr);
}

void TestGuiDeviceConfiguration::tiles_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("rowSpan");
    QTest::addColumn<int>("columnSpan");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("icons");

    QTest::newRow("IN #1 SDI and HDMI") << 0 << 0 << 0 << 2 << 1 << QStringList{"IN #1"} << 2;
    QTest::newRow("IN #2 SDI and HDMI") << 1 << 0 << 1 << 2 << 1 << QStringList{"IN #2"} << 2;
    QTest::newRow("IN #3 SDI") << 2 << 0 << 2 << 1 << 1 << QStringList{"IN #3"} << 1;
    QTest::newRow("IN #4 SDI") << 3 << 0 << 3 << 1 << 1 << QStringList{"IN #4"} << 1;
    QTest::newRow("IN #5 with loop") << 4 << 1 << 2 << 1 << 2 << QStringList{"IN #5", "IN #5 LOOP"} << 2;
    QTest::newRow("IN #6 HDMI") << 5 << 1 << 4 << 1 << 1 << QStringList{"IN #6"} << 1;
    QTest::newRow("IN #7 HDMI") << 6 << 1 << 5 << 1 << 1 << QStringList{"IN #7"} << 1;
    QTest::newRow("IN #8 with loop") << 7 << 1 << 6 << 1 << 2 << QStringList{"IN #8", "IN #8 LOOP"} << 2;
    QTest::newRow("IN #9 DisplayPort") << 8 << 1 << 8 << 1 << 1 << QStringList{"IN #9"} << 1;
    QTest::newRow("IN #10 DisplayPort") << 9 << 1 << 9 << 1 << 1 << QStringList{"IN #10"} << 1;
    QTest::newRow("OUT #1") << 10 << 1 << 10 << 1 << 2 << QStringList{"OUT #1"} << 2;
    QTest::newRow("OUT #2") << 11 << 1 << 12 << 1 << 2 << QStringList{"OUT #2"} << 2;
    QTest::newRow("multiviewer") << 12 << 1 << 14 << 1 << 2 << QStringList{"MVW"} << 2;
    QTest::newRow("audio") << 13 << 0 << 6 << 1 << 4 << QStringList{"Line In", "Line Out", "1", "2"} << 6;
    QTest::newRow("genlock") << 14 << 0 << 14 << 1 << 1 << QStringList{"GENLOCK"} << 1;
    QTest::newRow("loop") << 15 << 0 << 15 << 1 << 1 << QStringList{"LOOP"} << 1;
}

void TestGuiDeviceConfiguration::tiles()
{
    QFETCH(int, order);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, rowSpan);
    QFETCH(int, columnSpan);
    QFETCH(QStringList, captions);
    QFETCH(int, icons);

    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    QWidget* tile = view.Tiles().at(order);
    QGridLayout* grid =
        qobject_cast<QGridLayout*>(view.findChild<QFrame*>(QStringLiteral("connectorPanel"))->layout());
    const int index = grid->indexOf(tile);
    QVERIFY(index >= 0);
    int gotRow = -1, gotColumn = -1, gotRowSpan = -1, gotColumnSpan = -1;
    grid->getItemPosition(index, &gotRow, &gotColumn, &gotRowSpan, &gotColumnSpan);
    QCOMPARE(gotRow, row);
    QCOMPARE(gotColumn, column);
    QCOMPARE(gotRowSpan, rowSpan);
    QCOMPARE(gotColumnSpan, columnSpan);

    QCOMPARE(Captions(tile), captions);
    // Every icon resource loaded, scaled to fit 20 x 20.
    QCOMPARE(Icons(tile).size(), icons);
    for (const QPixmap& icon : Icons(tile))
    {
        QCOMPARE(icon.size(), QSize(20, 20));
    }
    QVERIFY(tile->styleSheet().contains(QStringLiteral("#B0B3B5")));
}

void TestGuiDeviceConfiguration::tilesDrawAsLabelsWould_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<bool>("enabled");
    // Every drawn tile (the audio tile, 13, is made of labels), enabled and greyed.
    for (int order = 0; order < 16; ++order)
    {
        if (order != 13)
        {
            QTest::addRow("tile %d", order) << order << true;
            QTest::addRow("tile %d disabled", order) << order << false;
        }
    }
}

void TestGuiDeviceConfiguration::tilesDrawAsLabelsWould()
{
    QFETCH(int, order);
    QFETCH(bool, enabled);
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    view.resize(1250, 180);
    view.setEnabled(enabled);
    QWidget* drawn = view.Tiles().at(order);
    QVERIFY(qobject_cast<CLASS_CONNECTOR_TILE*>(drawn) != nullptr);
    // Laid out in the view, the tile has the size it is shown at.
    view.grab();

    // A child too: a window would fill the corners outside the tile's rounded border.
    QWidget window;
    QWidget* labels = new QWidget(&window);
    labels->setStyleSheet(QStringLiteral(
        ".QWidget {background-color: #B0B3B5; border: 1px solid #838B91; border-radius: 4px;}"));
    labels->setLayout(LayoutOfLabels(drawn->layout(), labels));
    window.setEnabled(enabled);
    labels->resize(drawn->size());
    QCOMPARE(drawn->grab().toImage(), labels->grab().toImage());
}

void TestGuiDeviceConfiguration::multiviewerTileReadsMvw()
{
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    for (QWidget* tile : view.Tiles())
    {
        for (const QString& caption : Captions(tile))
        {
            QVERIFY2(!caption.contains(QStringLiteral("-1")), qPrintable(caption));
        }
    }
    QCOMPARE(Captions(view.Tiles().at(12)), QStringList{QStringLiteral("MVW")});
}

void TestGuiDeviceConfiguration::everyTileHasAnAccessibleName()
{
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    QSet<QString> names;
    for (const QWidget* tile : view.Tiles())
    {
        QVERIFY(!tile->accessibleName().isEmpty());
        names.insert(tile->accessibleName());
    }
    QCOMPARE(names.size(), view.Tiles().size());
    QVERIFY(!AudioCheckBox(view)->accessibleName().isEmpty());
    QCOMPARE(view.Tiles().at(12)->accessibleName().left(3), QStringLiteral("MVW"));
}

void TestGuiDeviceConfiguration::checkingTheBoxEnablesTheAudioFrame()
{
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    view.resize(1200, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy updates(&view, &CLASS_DEVICE_CONFIGURATION::SIGNAL_RequestUpdate);

    QCheckBox* box = AudioCheckBox(view);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    QVERIFY(view.IsAudioPlugged());
    // Both reactions come from the event loop, after the click has returned.
    QCOMPARE(updates.count(), 0);
    QVERIFY(!AudioFrame(view)->isEnabled());
    QTRY_VERIFY(AudioFrame(view)->isEnabled());
    QTRY_COMPARE(updates.count(), 1);
    QTest::qWait(20);
    QCOMPARE(updates.count(), 1);

    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    QVERIFY(!view.IsAudioPlugged());
    QTRY_VERIFY(!AudioFrame(view)->isEnabled());
    QTRY_COMPARE(updates.count(), 2);
}

void TestGuiDeviceConfiguration::setAudioPlugged_data()
{
    QTest::addColumn<bool>("first");
    QTest::addColumn<bool>("second");
    QTest::addColumn<int>("updates");
    QTest::addColumn<bool>("frameEnabled");

    QTest::newRow("unplugged again: nothing") << false << false << 0 << false;
    QTest::newRow("plugged") << true << true << 1 << true;
    QTest::newRow("plugged then unplugged") << true << false << 2 << false;
}

void TestGuiDeviceConfiguration::setAudioPlugged()
{
    QFETCH(bool, first);
    QFETCH(bool, second);
    QFETCH(int, updates);
    QFETCH(bool, frameEnabled);

    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    QSignalSpy spy(&view, &CLASS_DEVICE_CONFIGURATION::SIGNAL_RequestUpdate);
    view.SetAudioPlugged(first);
    view.SetAudioPlugged(second);
    QCOMPARE(view.IsAudioPlugged(), second);
    QTRY_COMPARE(spy.count(), updates);
    QTRY_COMPARE(AudioFrame(view)->isEnabled(), frameEnabled);
    QTest::qWait(20);
    QCOMPARE(spy.count(), updates);
}

void TestGuiDeviceConfiguration::disabledCheckBoxIgnoresClicks()
{
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    view.resize(1200, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy spy(&view, &CLASS_DEVICE_CONFIGURATION::SIGNAL_RequestUpdate);

    // The box has no text: its tooltip says what it is while it can change.
    QCheckBox* box = AudioCheckBox(view);
    QVERIFY(box->toolTip().startsWith(box->accessibleName()));
    view.SetAudioCheckEnabled(false);
    QVERIFY(!box->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    QTest::qWait(20);
    QVERIFY(!view.IsAudioPlugged());
    QCOMPARE(spy.count(), 0);

    // The back end still restores a saved choice while the box is locked.
    view.SetAudioPlugged(true);
    QVERIFY(view.IsAudioPlugged());
    view.SetAudioCheckEnabled(true);
    QVERIFY(box->isEnabled());
    QVERIFY(box->toolTip().startsWith(box->accessibleName()));
}

void TestGuiDeviceConfiguration::audioCaptionsGreyWhileUnplugged()
{
    CLASS_DEVICE_CONFIGURATION view(nullptr, 0);
    view.resize(1200, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QString lineIn = QStringLiteral("Line In");
    QVERIFY(!AudioFrame(view)->CaptionPlace(lineIn).isEmpty());
    QCOMPARE(OpaqueTextColour(CaptionImage(AudioFrame(view), lineIn)), QColor(0x80, 0x80, 0x80));

    view.SetAudioPlugged(true);
    QTRY_VERIFY(AudioFrame(view)->isEnabled());
    // Enabled captions are black at 90 %: no pixel is fully opaque.
    QVERIFY(!OpaqueTextColour(CaptionImage(AudioFrame(view), lineIn)).isValid());
    QVERIFY(DarkestAlpha(CaptionImage(AudioFrame(view), lineIn)) > 0x80);
}

void TestGuiDeviceConfiguration::deviceTypeDoesNotChangeTheDrawing()
{
    CLASS_DEVICE_CONFIGURATION first(nullptr, 0);
    CLASS_DEVICE_CONFIGURATION second(nullptr, 3);
    first.resize(1250, 180);
    second.resize(1250, 180);
    QCOMPARE(first.Tiles().size(), second.Tiles().size());
    for (int i = 0; i < first.Tiles().size(); ++i)
    {
        QCOMPARE(Captions(first.Tiles().at(i)), Captions(second.Tiles().at(i)));
    }
    QCOMPARE(first.grab().toImage(), second.grab().toImage());
}

QTEST_MAIN(TestGuiDeviceConfiguration)
#include "TestGuiDeviceConfiguration.moc"
