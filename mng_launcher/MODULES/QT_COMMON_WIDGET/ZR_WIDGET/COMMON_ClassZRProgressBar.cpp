#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRProgressBar.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionProgressBar>

namespace
{
struct SIZE_STEP
{
    int height;
    int radius;
};

// Height and corner radius per size index; any other index takes the step of index 2.
constexpr SIZE_STEP SIZE_STEPS[] = {{6, 3}, {12, 4}, {24, 12}, {36, 18}, {48, 18}};
constexpr unsigned int DEFAULT_STEP = 2;
// The shape reaches this far beyond the fill width; the text ends half of it inside the shape.
constexpr int SHAPE_EXTRA = 24;
constexpr int TEXT_EXTRA = 12;
constexpr int MINIMUM_FILL = 12;

const SIZE_STEP& Step(unsigned int sizeIndex)
{
    const unsigned int stepCount = sizeof(SIZE_STEPS) / sizeof(SIZE_STEPS[0]);
    return SIZE_STEPS[sizeIndex < stepCount ? sizeIndex : DEFAULT_STEP];
}
} // namespace

CLASS_ZR_PROGRESS_BAR::CLASS_ZR_PROGRESS_BAR(unsigned int sizeIndex, const QColor& fillColor, QWidget* parent)
    : QProgressBar(parent), sizeIndex(sizeIndex), fillColor(fillColor)
{
    // The paint sets the height again; setting it now gives the layout the right size before the first paint.
    setFixedHeight(StepHeight(sizeIndex));
}

int CLASS_ZR_PROGRESS_BAR::StepHeight(unsigned int sizeIndex)
{
    return Step(sizeIndex).height;
}

int CLASS_ZR_PROGRESS_BAR::StepRadius(unsigned int sizeIndex)
{
    return Step(sizeIndex).radius;
}

double CLASS_ZR_PROGRESS_BAR::Percentage() const
{
    if (maximum() == minimum())
    {
        return 0.0;
    }
    // Differences in 64 bits: a range wider than the int type holds would overflow.
    const qint64 offset = qint64(value()) - minimum();
    const qint64 span = qint64(maximum()) - minimum();
    return static_cast<double>(offset) / static_cast<double>(span) * 100.0;
}

int CLASS_ZR_PROGRESS_BAR::FillWidth() const
{
    const int fillWidth = static_cast<int>((width() - SHAPE_EXTRA) * Percentage() / 100.0);
    return qMax(fillWidth, MINIMUM_FILL);
}

QRectF CLASS_ZR_PROGRESS_BAR::ShapeRect() const
{
    return QRectF(0, 0, FillWidth() + SHAPE_EXTRA, height());
}

QString CLASS_ZR_PROGRESS_BAR::PaintedText() const
{
    return QString::number(value()) + QStringLiteral("%");
}

void CLASS_ZR_PROGRESS_BAR::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    style()->drawControl(QStyle::CE_ProgressBarGroove, &option, &painter, this);

    const int stepHeight = StepHeight(sizeIndex);
    if (height() != stepHeight || minimumHeight() != stepHeight || maximumHeight() != stepHeight)
    {
        setFixedHeight(stepHeight);
    }
    const qreal radius = StepRadius(sizeIndex);

    QPainterPath shape;
    shape.addRoundedRect(ShapeRect(), radius, radius, Qt::AbsoluteSize);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(QBrush(fillColor, Qt::SolidPattern));
    painter.drawPath(shape);

    const QRect textRect(0, 0, FillWidth() + TEXT_EXTRA, height());
    painter.drawText(textRect, Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, PaintedText());
}
