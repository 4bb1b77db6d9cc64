#include "QT_UTILS/UTILS_ClassTransferRate.h"

namespace
{
constexpr qint64 MS_PER_SECOND = 1000;
// Counts closer together than this add nothing to the measure: the samples stay few.
constexpr qint64 SAMPLE_SPACING_MS = 100;
} // namespace

CLASS_TRANSFER_RATE::CLASS_TRANSFER_RATE(qint64 windowMs, qint64 minimumMs)
    : windowMs(windowMs), minimumMs(minimumMs)
{
    clock.start();
}

void CLASS_TRANSFER_RATE::Restart()
{
    samples.clear();
    clock.restart();
}

void CLASS_TRANSFER_RATE::Add(qint64 bytes)
{
    Add(bytes, clock.elapsed());
}

void CLASS_TRANSFER_RATE::Add(qint64 bytes, qint64 atMs)
{
    if (!samples.isEmpty() && bytes < samples.constLast().second)
    {
        samples.clear();
    }
    if (!samples.isEmpty() && atMs - samples.constLast().first < SAMPLE_SPACING_MS)
    {
        return;
    }
    samples.append({atMs, bytes});
    // The oldest sample kept is the last one at least a window old: the window stays covered.
    while (samples.size() > 2 && atMs - samples.at(1).first >= windowMs)
    {
        samples.removeFirst();
    }
}

qint64 CLASS_TRANSFER_RATE::BytesPerSecond() const
{
    if (samples.size() < 2)
    {
        return -1;
    }
    const qint64 spanMs = samples.constLast().first - samples.constFirst().first;
    if (spanMs < minimumMs)
    {
        return -1;
    }
    return (samples.constLast().second - samples.constFirst().second) * MS_PER_SECOND / spanMs;
}
