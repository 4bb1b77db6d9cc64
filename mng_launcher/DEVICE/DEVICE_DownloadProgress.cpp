#include "DEVICE/DEVICE_DownloadProgress.h"

namespace
{
constexpr qint64 KILO = 1024;
constexpr qint64 MINUTE = 60;
constexpr qint64 HOUR = 60 * MINUTE;
// Below this many seconds the rest of a minute still counts.
constexpr qint64 SECONDS_SHOWN_UNTIL = 10 * MINUTE;

struct UNIT
{
    qint64 bytes;
    const char* name;
};
constexpr UNIT UNITS[] = {{1, "B"}, {KILO, "kB"}, {KILO * KILO, "MB"}, {KILO * KILO * KILO, "GB"}};

// The largest unit that bytes fills at least once.
UNIT UnitOf(qint64 bytes)
{
    UNIT chosen = UNITS[0];
    for (const UNIT& unit : UNITS)
    {
        if (bytes >= unit.bytes)
        {
            chosen = unit;
        }
    }
    return chosen;
}

// bytes counted in unit, rounded down: one decimal below ten ("3.5"), none from ten on or when it is 0.
QString Amount(qint64 bytes, const UNIT& unit)
{
    const qint64 tenths = bytes / unit.bytes * 10 + bytes % unit.bytes * 10 / unit.bytes;
    if (unit.bytes > 1 && tenths < 100 && tenths % 10 != 0)
    {
        return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
    }
    return QString::number(tenths / 10);
}
} // namespace

QString ByteCountText(qint64 bytes)
{
    const UNIT unit = UnitOf(bytes);
    return Amount(bytes, unit) + QLatin1Char(' ') + QLatin1String(unit.name);
}

QString DurationText(qint64 seconds)
{
    if (seconds < MINUTE)
    {
        return QStringLiteral("%1 s").arg(seconds);
    }
    if (seconds < SECONDS_SHOWN_UNTIL)
    {
        return seconds % MINUTE == 0
                   ? QStringLiteral("%1 min").arg(seconds / MINUTE)
                   : QStringLiteral("%1 min %2 s").arg(seconds / MINUTE).arg(seconds % MINUTE);
    }
    if (seconds < HOUR)
    {
        return QStringLiteral("%1 min").arg((seconds + MINUTE - 1) / MINUTE);
    }
    return QStringLiteral("%1 h %2 min").arg(seconds / HOUR).arg(seconds % HOUR / MINUTE);
}

QString DownloadProgressText(const DOWNLOAD_PROGRESS& progress)
{
    QString text = QStringLiteral("Downloading ") + progress.version;
    if (progress.count > 0)
    {
        text += QStringLiteral(" (%1 of %2)").arg(progress.number).arg(progress.count);
    }
    if (progress.received <= 0 && progress.total < 0)
    {
        return text;
    }
    text += QStringLiteral(" \u2014 ");
    text += progress.total >= 0 ? Amount(progress.received, UnitOf(progress.total)) + QStringLiteral(" of ") +
                                      ByteCountText(progress.total)
                                : ByteCountText(progress.received);
    if (progress.bytesPerSecond > 0)
    {
        text += QStringLiteral(", ") + ByteCountText(progress.bytesPerSecond) + QStringLiteral("/s");
        const qint64 remaining = progress.total - progress.received;
        if (progress.total >= 0 && remaining > 0)
        {
            const qint64 seconds = (remaining + progress.bytesPerSecond - 1) / progress.bytesPerSecond;
            text += QStringLiteral(", ") + DurationText(seconds) + QStringLiteral(" left");
        }
    }
    return text;
}
