#ifndef DEVICE_DEVICETABLES_H
#define DEVICE_DEVICETABLES_H

#include <QHash>
#include <QMap>
#include <QString>

// Constant tables of the simulated device family: model names, the DEVICE_TYPE codes stored in a
// session's settings file, and the card groups of that file. Built before main() and never changed.

// device index -> display name
inline const QMap<int, QString> DEVICE_MODEL_NAMES = {
    {0, QStringLiteral("Dalvoscan 4K")},
    {1, QStringLiteral("Dalvogrid 4K")},
    {2, QStringLiteral("Brekka 4K")},
    {3, QStringLiteral("Orvane 4K")},
};

// device index -> DEVICE_TYPE code (not the identity: index 1 is code 4, index 2 is code 2)
inline const QMap<int, int> DEVICE_TYPE_CODES = {
    {0, 1}, {1, 4}, {2, 2}, {3, 3}, {4, 5}, {5, 6},
};

// card index -> group name in settings.ini; the writer visits them in card index order
inline const QHash<int, QString> CARD_GROUP_NAMES = {
    {0, QStringLiteral("MOTHERBOARD")},
    {1, QStringLiteral("FAV")},
    {2, QStringLiteral("GENLOCK")},
    {3, QStringLiteral("MEZZA_SDI_IN")},
    {4, QStringLiteral("MEZZA_RJ45_IN")},
    {5, QStringLiteral("MEZZA_RJ45_OUT")},
    {6, QStringLiteral("MEZZA_AUDIO")},
    {7, QStringLiteral("OPT_VIDEO_OPTION_1")},
    {8, QStringLiteral("OPT_VIDEO_OPTION_2")},
};
inline constexpr int CARD_GROUP_COUNT = 9;

// The packages list used when no catalogue is known: index 0 -> "3.1.51".
inline const QMap<int, QString> DEFAULT_PACKAGES_LIST = {{0, QStringLiteral("3.1.51")}};

// Model name of a device index; empty for an index without entry.
inline QString DeviceModelName(int deviceIndex)
{
    return DEVICE_MODEL_NAMES.value(deviceIndex);
}

// DEVICE_TYPE code of a device index; 0 for an index without entry.
inline int DeviceTypeCode(int deviceIndex)
{
    return DEVICE_TYPE_CODES.value(deviceIndex, 0);
}

// Device index of a stored DEVICE_TYPE code: the first index (ascending) holding it, else 0.
inline int DeviceIndexOfCode(int code)
{
    for (auto it = DEVICE_TYPE_CODES.constBegin(); it != DEVICE_TYPE_CODES.constEnd(); ++it)
    {
        if (it.value() == code)
        {
            return it.key();
        }
    }
    return 0;
}

// Group name of a card index; empty for an index without entry.
inline QString CardGroupName(int cardIndex)
{
    return CARD_GROUP_NAMES.value(cardIndex);
}

#endif // DEVICE_DEVICETABLES_H
