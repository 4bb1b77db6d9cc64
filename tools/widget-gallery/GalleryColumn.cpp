#include "GalleryColumn.h"

#include "GalleryArt.h"

#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassFilterLineEdit.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassLabel.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassMoveRectanglesWidget.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassWidgetToggle.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRBargraphSound.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRComboBox.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRDial.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRGraduation.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRProgressBar.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegExp>

using namespace GalleryArt;

namespace
{
const QStringList MODEL_NAMES = {QStringLiteral("Dalvoscan 4K"), QStringLiteral("Dalvogrid 4K"),
                                 QStringLiteral("Brekka 4K"),    QStringLiteral("Orvane 4K"),
                                 QStringLiteral("Dalvoscan HD"), QStringLiteral("Brekka mini")};
constexpr int RECTANGLE_COUNT = 3;

QWidget* Row(std::initializer_list<QWidget*> widgets)
{
    QWidget* row = new QWidget;
    QHBoxLayout* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    for (QWidget* widget : widgets)
    {
        layout->addWidget(widget);
    }
    layout->addStretch();
    return row;
}
} // namespace

GalleryColumn::GalleryColumn(const QString& title, bool enabled, QWidget* parent) : QGroupBox(title, parent)
{
    QFormLayout* form = new QFormLayout(this);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(14);

    form->addRow(tr("Toggle"), MakeToggles());
    form->addRow(tr("Filter line edit"), MakeFilter());

    form->addRow(tr("Auto-fitting label"), MakeCaptions());

    form->addRow(tr("Bar-graph, graduation, dial"), MakeMeters());

    progressBar = new CLASS_ZR_PROGRESS_BAR(2, QColor(0, 255, 127));
    progressBar->setRange(0, 100);
    progressBar->setFixedWidth(300);
    form->addRow(tr("Progress bar"), progressBar);

    form->addRow(tr("Combo box"), MakeComboBox());
    form->addRow(tr("Movable rectangles"), MakeRectangles());

    setEnabled(enabled);
}

QWidget* GalleryColumn::MakeToggles()
{
    CLASS_WIDGET_TOGGLE* off =
        new CLASS_WIDGET_TOGGLE(GREY_LIGHT, Qt::white, tr("ON"), tr("OFF"), INK, 3, 9.0F, 0.5F);
    off->setFixedSize(76, 28);
    CLASS_WIDGET_TOGGLE* on =
        new CLASS_WIDGET_TOGGLE(ACCENT, Qt::white, tr("ON"), tr("OFF"), ACCENT_DARK, 3, 9.0F, 0.5F);
    on->setFixedSize(76, 28);
    on->setChecked(true);
    CLASS_WIDGET_TOGGLE* wide =
        new CLASS_WIDGET_TOGGLE(INK, WARNING, tr("Audio"), tr("Mute"), INK, 2, 4.0F, 0.6F);
    wide->setFixedSize(120, 28);
    return Row({off, on, wide});
}

QWidget* GalleryColumn::MakeFilter()
{
    filter = new CLASS_FILTER_LINE_EDIT;
    filter->setPlaceholderText(tr("Filter models"));
    filter->setFixedWidth(180);
    filterResult = new QLabel;
    filterResult->setMinimumWidth(240);
    connect(filter, &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged, this, &GalleryColumn::ApplyFilter);
    filter->setText(tr("dalvo"));
    ApplyFilter();
    return Row({filter, filterResult});
}

void GalleryColumn::ApplyFilter()
{
    const QRegExp pattern(filter->text(), filter->caseSensitivity(), filter->patternSyntax());
    const QStringList matches = MODEL_NAMES.filter(pattern);
    filterResult->setText(tr("%1 of %2: %3")
                              .arg(matches.size())
                              .arg(MODEL_NAMES.size())
                              .arg(matches.isEmpty()
                                       ? tr("none")
                                       : matches.mid(0, 2).join(QStringLiteral(", ")) +
                                             (matches.size() > 2 ? QStringLiteral(", ...") : QString())));
}

QWidget* GalleryColumn::MakeCaptions()
{
    // The same text in a wide and a narrow label: the narrow one shrinks the font and then elides.
    const auto makeCaption = [](int width, const QColor& color)
    {
        CLASS_COMMON_LABEL* label = new CLASS_COMMON_LABEL(QString(), Qt::ElideRight, color);
        label->setFixedSize(width, 44);
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->SetAutoFontSize(true);
        label->SetFontSize(7, 24);
        return label;
    };
    wideCaption = makeCaption(300, ACCENT_DARK);
    narrowCaption = makeCaption(84, INK);
    return Row({wideCaption, narrowCaption});
}

QWidget* GalleryColumn::MakeMeters()
{
    CLASS_ZR_GRADUATION* graduation =
        new CLASS_ZR_GRADUATION(0, QStringLiteral("0"), 100, QStringLiteral("100"), INK, GREY_LIGHT);
    graduation->AddGraduation(25, QStringLiteral("25"));
    graduation->AddGraduation(50, QStringLiteral("50"));
    graduation->AddGraduation(75, QStringLiteral("75"));
    graduation->setFixedHeight(150);

    barGraph =
        new CLASS_ZR_BARGRAPH_SOUND(0, 100, INK, INK, ACCENT, WARNING, ALERT, QColor(0xEC, 0xEF, 0xF1),
                                    GREY_LIGHT, GREY_LIGHT, GREY, GREY, QStringLiteral("L"), Qt::white);
    barGraph->setFixedSize(30, 150);

    dial = new CLASS_ZR_DIAL(DialKnob(true), DialMarker(true), DialBackground(true), DialKnob(false),
                             DialMarker(false), DialBackground(false), 270, 0.62F, 0.08F, 0.14F);
    dial->setRange(0, 100);
    dial->setFixedSize(150, 150);
    connect(dial, &QDial::sliderMoved, this, &GalleryColumn::LevelChanged);
    return Row({graduation, barGraph, dial});
}

QWidget* GalleryColumn::MakeComboBox()
{
    CLASS_ZR_COMBO_BOX* withIcons = new CLASS_ZR_COMBO_BOX;
    withIcons->addItem(Swatch(ACCENT), tr("SDI"));
    withIcons->addItem(Swatch(WARNING), tr("HDMI"));
    withIcons->addItem(Swatch(ALERT), tr("DisplayPort"));
    withIcons->setFixedWidth(140);
    CLASS_ZR_COMBO_BOX* plain = new CLASS_ZR_COMBO_BOX;
    plain->addItems({tr("No audio card"), tr("Audio card")});
    plain->setFixedWidth(140);
    return Row({withIcons, plain});
}

CLASS_MOVE_RECTANGLES_WIDGET* GalleryColumn::MakeRectangles()
{
    rectangles = new CLASS_MOVE_RECTANGLES_WIDGET(INK, ALERT, QSize(300, 110), 1);
    rectangles->AddRectangle(QRectF(14, 14, 90, 50), true, true, ACCENT, tr("INPUT 1"));
    rectangles->AddRectangle(QRectF(80, 40, 90, 50), true, false, WARNING, tr("INPUT 2"));
    rectangles->AddRectangle(QRectF(190, 20, 90, 50), true, false, GREY_LIGHT, tr("OUTPUT"));
    rectangles->AddLine(QLineF(104, 39, 190, 45), true, false, ALERT);
    rectangles->AddText(QPoint(190, 96), true, tr("layout A"));
    return rectangles;
}

void GalleryColumn::SetLevel(int level)
{
    barGraph->SetCurrentValue(level);
    dial->setValue(level);
    progressBar->setValue(level);
    // The second input travels with the level.
    rectangles->ChangeRectanglePosition(1, QPointF(20 + level * 0.8, 40));
}

void GalleryColumn::SetCaption(const QString& text)
{
    wideCaption->SetFullText(text);
    narrowCaption->SetFullText(text);
}

void GalleryColumn::SelectNextRectangle()
{
    selectedRectangle = (selectedRectangle + 1) % RECTANGLE_COUNT;
    rectangles->SelectNewRectangle(selectedRectangle);
}
