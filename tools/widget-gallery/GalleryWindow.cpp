#include "GalleryWindow.h"

#include "GalleryArt.h"
#include "GalleryColumn.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace
{
constexpr int START_LEVEL = 62;

QLabel* Heading(const QString& text, int pointSize, bool bold, const QColor& color)
{
    QLabel* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}
} // namespace

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(tr("Widget gallery"));
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 24);
    layout->setSpacing(14);
    layout->addWidget(Heading(tr("Common widget module"), 16, true, GalleryArt::INK));
    layout->addWidget(
        Heading(tr("Every custom widget, enabled and disabled. The controls drive both columns."), 10, false,
                GalleryArt::MUTED));

    QGroupBox* controls = new QGroupBox(tr("Controls"));
    QHBoxLayout* controlsLayout = new QHBoxLayout(controls);
    controlsLayout->setSpacing(12);
    QSlider* level = new QSlider(Qt::Horizontal);
    level->setObjectName(QStringLiteral("levelSlider"));
    level->setRange(0, 100);
    level->setMinimumWidth(260);
    QLabel* levelValue = new QLabel;
    levelValue->setMinimumWidth(28);
    QLineEdit* caption = new QLineEdit(tr("Tarvo 4k Simulator"));
    caption->setObjectName(QStringLiteral("captionEdit"));
    caption->setMinimumWidth(260);
    QPushButton* nextRectangle = new QPushButton(tr("Select next rectangle"));
    controlsLayout->addWidget(new QLabel(tr("Level")));
    controlsLayout->addWidget(level);
    controlsLayout->addWidget(levelValue);
    controlsLayout->addSpacing(16);
    controlsLayout->addWidget(new QLabel(tr("Label text")));
    controlsLayout->addWidget(caption);
    controlsLayout->addSpacing(16);
    controlsLayout->addWidget(nextRectangle);
    controlsLayout->addStretch();
    layout->addWidget(controls);

    QHBoxLayout* columns = new QHBoxLayout;
    columns->setSpacing(18);
    for (bool enabled : {true, false})
    {
        GalleryColumn* column = new GalleryColumn(enabled ? tr("Enabled") : tr("Disabled"), enabled);
        connect(level, &QSlider::valueChanged, column, &GalleryColumn::SetLevel);
        connect(caption, &QLineEdit::textChanged, column, &GalleryColumn::SetCaption);
        connect(nextRectangle, &QPushButton::clicked, column, &GalleryColumn::SelectNextRectangle);
        connect(column, &GalleryColumn::LevelChanged, level, &QSlider::setValue);
        column->SetCaption(caption->text());
        columns->addWidget(column);
    }
    layout->addLayout(columns);
    layout->addStretch();

    connect(level, &QSlider::valueChanged, levelValue,
            [levelValue](int value) { levelValue->setNum(value); });
    level->setValue(START_LEVEL);
}
