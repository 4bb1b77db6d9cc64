#include "GUI/GUI_ClassDeviceConfiguration.h"

#include "GUI/GUI_ClassConnectorTile.h"
#include "GUI/GUI_ClassPaintedItem.h"
#include "GUI/GUI_SharpPixmap.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

namespace
{
constexpr int TILE_GAP = 4;
enum CONNECTOR_KIND
{
    KIND_SDI_AND_HDMI_INPUT = 0,
    KIND_HDMI_INPUT_WITH_LOOP = 1,
    KIND_HDMI_INPUT = 2,
    KIND_SDI_INPUT = 3,
    KIND_DISPLAYPORT_INPUT = 4,
    KIND_OUTPUT = 5,
    KIND_GENLOCK = 6,
    KIND_LOOP = 7,
    KIND_AUDIO = 8,
};

struct TILE_PLACE
{
    int row;
    int column;
    int kind;
    int number;
};

// The connector panel, in build order. Columns 4, 5 and 10 to 13 of row 0 stay empty.
constexpr TILE_PLACE CONNECTOR_PANEL[] = {
    {0, 0, KIND_SDI_AND_HDMI_INPUT, 1},
    {0, 1, KIND_SDI_AND_HDMI_INPUT, 2},
    {0, 2, KIND_SDI_INPUT, 3},
    {0, 3, KIND_SDI_INPUT, 4},
    {1, 2, KIND_HDMI_INPUT_WITH_LOOP, 5},
    {1, 4, KIND_HDMI_INPUT, 6},
    {1, 5, KIND_HDMI_INPUT, 7},
    {1, 6, KIND_HDMI_INPUT_WITH_LOOP, 8},
    {1, 8, KIND_DISPLAYPORT_INPUT, 9},
    {1, 9, KIND_DISPLAYPORT_INPUT, 10},
    {1, 10, KIND_OUTPUT, 1},
    {1, 12, KIND_OUTPUT, 2},
    {1, 14, KIND_OUTPUT, -1},
    {0, 6, KIND_AUDIO, 0},
    {0, 14, KIND_GENLOCK, 0},
    {0, 15, KIND_LOOP, 0},
};

// The output numbered -1 is the multiviewer.
constexpr int MULTIVIEWER_NUMBER = -1;

const char* const ICON_SDI = ":/ICONS/plug-sdi-18.svg";
const char* const ICON_HDMI = ":/ICONS/plug-hdmi-18.svg";
const char* const ICON_DISPLAYPORT = ":/ICONS/plug-displayport-18.svg";
const char* const ICON_HDBT = ":/ICONS/plug-hdbt-18.svg";
const char* const ICON_AUDIO = ":/ICONS/audio-line-18.svg";
constexpr int ICON_SIDE = 20;

const QString TILE_LOOK =
    QStringLiteral("background-color: #B0B3B5; border: 1px solid #838B91; border-radius: 4px;");
// In the application's font family (Open Sans), as the session cards' texts are.
const QString CAPTION_LOOK = QStringLiteral("color: #E6000000; font-size: 12px;");
const QString AUDIO_TILE_STYLE = QStringLiteral(".QWidget {%1}").arg(TILE_LOOK);
// The audio tile's frame draws its captions greyed while the audio card is unplugged; its pairs of audio
// connectors have a tile's look.
const QString AUDIO_FRAME_STYLE =
    QStringLiteral("CLASS_CONNECTOR_TILE {%1} CLASS_CONNECTOR_TILE:disabled {color: #808080;}")
        .arg(CAPTION_LOOK);
const QString AUDIO_PAIR_STYLE = QStringLiteral("CLASS_CONNECTOR_TILE {%1}").arg(TILE_LOOK);
// The other tiles draw their captions themselves: their colour and font are the tile's.
const QString TILE_STYLE = QStringLiteral("CLASS_CONNECTOR_TILE {%1 %2}").arg(TILE_LOOK, CAPTION_LOOK);

constexpr int FRAME_HEIGHT = 170;
constexpr int TITLE_WIDTH = 100;
constexpr int FRAME_STRETCH = 30;
constexpr int INPUT_TOP_SPACING = 27;

CLASS_PAINTED_ITEM* Icon(const char* resource, CLASS_CONNECTOR_TILE* tile)
{
    return tile->NewIcon(SharpPixmap(QString::fromLatin1(resource), QSize(ICON_SIDE, ICON_SIDE)));
}

QString InputCaption(int number)
{
    return QStringLiteral("IN #%1").arg(number);
}

QString OutputCaption(int number)
{
    return number == MULTIVIEWER_NUMBER ? QStringLiteral("MVW") : QStringLiteral("OUT #%1").arg(number);
}

void AddCentred(QVBoxLayout* column, QLayoutItem* item, int stretch)
{
    item->setAlignment(Qt::AlignHCenter);
    column->addItem(item);
    column->setStretch(column->count() - 1, stretch);
}

void AddCentred(QVBoxLayout* column, QWidget* widget, int stretch)
{
    column->addWidget(widget, stretch, Qt::AlignHCenter);
}

// A vertical column of painted items, each centred horizontally, with their stretches (0 where none is
// given).
QVBoxLayout* Column(const QList<QLayoutItem*>& parts, const QList<int>& stretches = {})
{
    QVBoxLayout* column = new QVBoxLayout;
    for (int i = 0; i < parts.size(); ++i)
    {
        AddCentred(column, parts.at(i), i < stretches.size() ? stretches.at(i) : 0);
    }
    return column;
}

QHBoxLayout* Row(const QList<QLayout*>& columns, const QList<int>& stretches = {})
{
    QHBoxLayout* row = new QHBoxLayout;
    for (int i = 0; i < columns.size(); ++i)
    {
        row->addLayout(columns.at(i), i < stretches.size() ? stretches.at(i) : 0);
    }
    return row;
}

QSize Span(int kind)
{
    switch (kind)
    {
    case KIND_SDI_AND_HDMI_INPUT:
        return QSize(1, 2); // one column, two rows
    case KIND_HDMI_INPUT_WITH_LOOP:
    case KIND_OUTPUT:
        return QSize(2, 1);
    case KIND_AUDIO:
        return QSize(4, 1);
    default:
        return QSize(1, 1);
    }
}

// What a screen reader says for a tile.
QString TileAccessibleName(int kind, int number)
{
    switch (kind)
    {
    case KIND_SDI_AND_HDMI_INPUT:
        return InputCaption(number) + QStringLiteral(" (SDI and HDMI)");
    case KIND_HDMI_INPUT_WITH_LOOP:
        return InputCaption(number) + QStringLiteral(" and ") + InputCaption(number) +
               QStringLiteral(" LOOP (HDMI)");
    case KIND_HDMI_INPUT:
        return InputCaption(number) + QStringLiteral(" (HDMI)");
    case KIND_SDI_INPUT:
        return InputCaption(number) + QStringLiteral(" (SDI)");
    case KIND_DISPLAYPORT_INPUT:
        return InputCaption(number) + QStringLiteral(" (DisplayPort)");
    case KIND_OUTPUT:
        return OutputCaption(number) + QStringLiteral(" (HDMI and SDI)");
    case KIND_GENLOCK:
        return QStringLiteral("GENLOCK (SDI)");
    case KIND_LOOP:
        return QStringLiteral("LOOP (SDI)");
    case KIND_AUDIO:
        return QStringLiteral("Audio card: Line In, Line Out, HDBaseT 1 and 2");
    default:
        return QString();
    }
}
} // namespace

CLASS_DEVICE_CONFIGURATION::CLASS_DEVICE_CONFIGURATION(QWidget* parent, int)
    : QWidget(parent), grid(new QGridLayout), audioFrame(nullptr), audioCheckBox(new QCheckBox)
{
    audioCheckBox->setObjectName(QStringLiteral("audioCheckBox"));
    audioCheckBox->setAccessibleName(QStringLiteral("Audio card plugged"));
    audioCheckBox->setToolTip(AUDIO_CARD_TOOLTIP);
    BuildFrame();
    BuildConnectorPanel();
}

CLASS_DEVICE_CONFIGURATION::~CLASS_DEVICE_CONFIGURATION()
{
    // The check box has no parent until the audio tile takes it.
    if (audioCheckBox->parent() == nullptr)
    {
        delete audioCheckBox;
    }
}

QVector<QPair<QString, QSize>> CLASS_DEVICE_CONFIGURATION::ConnectorIcons()
{
    QVector<QPair<QString, QSize>> icons;
    for (const char* icon : {ICON_SDI, ICON_HDMI, ICON_DISPLAYPORT, ICON_HDBT, ICON_AUDIO})
    {
        icons.append({QString::fromLatin1(icon), QSize(ICON_SIDE, ICON_SIDE)});
    }
    return icons;
}

bool CLASS_DEVICE_CONFIGURATION::IsAudioPlugged() const
{
    return audioCheckBox->checkState() == Qt::Checked;
}

void CLASS_DEVICE_CONFIGURATION::SetAudioPlugged(bool plugged)
{
    audioCheckBox->setChecked(plugged);
}

void CLASS_DEVICE_CONFIGURATION::SetAudioCheckEnabled(bool enabled)
{
    audioCheckBox->setEnabled(enabled);
    audioCheckBox->setToolTip(enabled ? AUDIO_CARD_TOOLTIP : LOCKED_SETTING_TOOLTIP);
}

void CLASS_DEVICE_CONFIGURATION::BuildFrame()
{
    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    layout->setContentsMargins(0, 0, 0, 0);

    QLabel* title = new QLabel(QStringLiteral("Configuration"), this);
    title->setAlignment(Qt::AlignTop);
    title->setFixedWidth(TITLE_WIDTH);
    layout->addWidget(title);

    // A plain frame: the application style sheet gives it its dark background and border.
    QFrame* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("connectorPanel"));
    frame->setAccessibleName(QStringLiteral("Connector panel"));
    grid->setAlignment(Qt::AlignTop);
    // Sixteen columns: a narrow gap between tiles keeps the launcher's main view within its minimum width.
    grid->setHorizontalSpacing(TILE_GAP);
    frame->setLayout(grid);
    frame->setFixedHeight(FRAME_HEIGHT);
    layout->addWidget(frame, FRAME_STRETCH);
}

void CLASS_DEVICE_CONFIGURATION::BuildConnectorPanel()
{
    for (const TILE_PLACE& place : CONNECTOR_PANEL)
    {
        BuildTile(place.row, place.column, place.kind, place.number);
    }
}

void CLASS_DEVICE_CONFIGURATION::BuildTile(int row, int column, int kind, int number)
{
    if (kind < KIND_SDI_AND_HDMI_INPUT || kind > KIND_AUDIO)
    {
        return;
    }
    // In the panel, styled before its contents exist, so that each widget is styled once.
    QWidget* tile = nullptr;
    if (kind == KIND_AUDIO)
    {
        tile = new QWidget(grid->parentWidget());
        tile->setStyleSheet(AUDIO_TILE_STYLE);
        BuildAudioTile(tile);
    }
    else
    {
        CLASS_CONNECTOR_TILE* drawn = new CLASS_CONNECTOR_TILE(grid->parentWidget());
        drawn->setStyleSheet(TILE_STYLE);
        drawn->setLayout(BuildTileLayout(kind, number, drawn));
        tile = drawn;
    }
    tiles.append(tile);
    tile->setObjectName(QStringLiteral("tile%1").arg(tiles.size()));
    tile->setAccessibleName(TileAccessibleName(kind, number));
    const QSize span = Span(kind);
    grid->addWidget(tile, row, column, span.height(), span.width());
}

QLayout* CLASS_DEVICE_CONFIGURATION::BuildTileLayout(int kind, int number, CLASS_CONNECTOR_TILE* tile)
{
    const auto caption = [tile](const QString& text) { return tile->NewCaption(text); };
    switch (kind)
    {
    case KIND_SDI_AND_HDMI_INPUT:
    {
        QVBoxLayout* column = new QVBoxLayout;
        column->addSpacing(INPUT_TOP_SPACING);
        AddCentred(column, Icon(ICON_SDI, tile), 5);
        AddCentred(column, Icon(ICON_HDMI, tile), 5);
        AddCentred(column, caption(InputCaption(number)), 1);
        return column;
    }
    case KIND_HDMI_INPUT_WITH_LOOP:
        return Row(
            {Column({Icon(ICON_HDMI, tile), caption(InputCaption(number))}),
             Column({Icon(ICON_HDMI, tile), caption(InputCaption(number) + QStringLiteral(" LOOP"))})});
    case KIND_HDMI_INPUT:
        return Column({Icon(ICON_HDMI, tile), caption(InputCaption(number))});
    case KIND_DISPLAYPORT_INPUT:
        return Column({Icon(ICON_DISPLAYPORT, tile), caption(InputCaption(number))});
    case KIND_SDI_INPUT:
        return Column({caption(InputCaption(number)), Icon(ICON_SDI, tile)});
    case KIND_OUTPUT:
        return Row({Column({Icon(ICON_HDMI, tile), caption(OutputCaption(number))}),
                    Column({Icon(ICON_SDI, tile)})});
    case KIND_GENLOCK:
        return Column({caption(QStringLiteral("GENLOCK")), Icon(ICON_SDI, tile)});
    case KIND_LOOP:
        return Column({caption(QStringLiteral("LOOP")), Icon(ICON_SDI, tile)});
    default:
        return nullptr;
    }
}

void CLASS_DEVICE_CONFIGURATION::BuildAudioTile(QWidget* tile)
{
    // Drawn as the other tiles are, greyed while the card is unplugged (the frame is disabled then).
    audioFrame = new CLASS_CONNECTOR_TILE(tile);
    audioFrame->setObjectName(QStringLiteral("audioFrame"));
    audioFrame->setStyleSheet(AUDIO_FRAME_STYLE);

    QHBoxLayout* tileLayout = new QHBoxLayout(tile);
    tileLayout->setContentsMargins(0, 0, 0, 0);
    tileLayout->addWidget(audioFrame, 10, Qt::AlignVCenter);
    tileLayout->addWidget(audioCheckBox, 0);

    // A caption above its connectors (a pair of them, or one icon).
    const auto column = [this](const QString& caption, auto* connectors)
    {
        QVBoxLayout* layout = new QVBoxLayout;
        AddCentred(layout, audioFrame->NewCaption(caption), 1);
        AddCentred(layout, connectors, 5);
        return layout;
    };
    const QList<QLayout*> columns = {
        column(QStringLiteral("Line In"), AudioIconPair()),
        column(QStringLiteral("Line Out"), AudioIconPair()),
        column(QStringLiteral("1"), Icon(ICON_HDBT, audioFrame)),
        column(QStringLiteral("2"), Icon(ICON_HDBT, audioFrame)),
    };
    audioFrame->setLayout(Row(columns, {1, 1, 5, 5}));

    connect(audioCheckBox, &QCheckBox::stateChanged, this, &CLASS_DEVICE_CONFIGURATION::SIGNAL_RequestUpdate,
            Qt::QueuedConnection);
    connect(audioCheckBox, &QCheckBox::stateChanged, this,
            &CLASS_DEVICE_CONFIGURATION::SLOT_AudioStateChanged, Qt::QueuedConnection);
    audioFrame->setEnabled(audioCheckBox->checkState() == Qt::Checked);
}

QWidget* CLASS_DEVICE_CONFIGURATION::AudioIconPair()
{
    CLASS_CONNECTOR_TILE* pair = new CLASS_CONNECTOR_TILE(audioFrame);
    pair->setStyleSheet(AUDIO_PAIR_STYLE);
    QHBoxLayout* layout = new QHBoxLayout(pair);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addItem(Icon(ICON_AUDIO, pair));
    layout->addItem(Icon(ICON_AUDIO, pair));
    return pair;
}

void CLASS_DEVICE_CONFIGURATION::SLOT_AudioStateChanged(int state)
{
    audioFrame->setEnabled(state == Qt::Checked);
}
