#ifndef TESTS_FAULTSAVEDATA_H
#define TESTS_FAULTSAVEDATA_H

#include "DEVICE/DEVICE_ClassSessionSettings.h"

#include <QString>

// What save number "generation" writes, shared by the save loop and the test that kills it: every value
// of the file follows from the generation, so a file whose values disagree with each other is torn.
inline constexpr int GENERATION_DESCRIPTION_LINES = 3000;

inline QString GenerationName(qint64 generation)
{
    return QStringLiteral("Session %1").arg(generation);
}

inline SESSION_SETTINGS_DATA GenerationData(qint64 generation)
{
    SESSION_SETTINGS_DATA data;
    data.name = GenerationName(generation);
    data.port = 1024 + static_cast<int>(generation % 60000);
    data.versionText = QStringLiteral("3.1.51");
    data.deviceIndex = static_cast<int>(generation % 4);
    data.audioCard = static_cast<int>(generation % 2);
    // Long enough that writing the file takes a moment: a kill lands inside a write often.
    QString description;
    for (int line = 0; line < GENERATION_DESCRIPTION_LINES; ++line)
    {
        description += QStringLiteral("generation %1 line %2\n").arg(generation).arg(line);
    }
    data.description = description;
    return data;
}

// The setup panel limits the description: the back end loop writes a short one.
inline QString BackEndDescription(qint64 generation)
{
    return QStringLiteral("Saved as generation %1").arg(generation);
}

#endif // TESTS_FAULTSAVEDATA_H
