#include "SIM_ClassDeviceState.h"

#include <QJsonArray>

CLASS_SIMULATOR_DEVICE::CLASS_SIMULATOR_DEVICE(bool hasAudioCard)
    : audioCard(hasAudioCard), testPattern(QStringLiteral("Off")), audioEmbedded(hasAudioCard)
{
    // Straight through at power-up: output n shows input n.
    for (int output = 1; output <= OUTPUT_COUNT; ++output)
    {
        routing.append(output);
    }
    uptime.start();
}

QStringList CLASS_SIMULATOR_DEVICE::TestPatterns()
{
    return {QStringLiteral("Off"), QStringLiteral("Colour bars"), QStringLiteral("Luma ramp"),
            QStringLiteral("Checkerboard"), QStringLiteral("Black")};
}

bool CLASS_SIMULATOR_DEVICE::Route(int output, int input)
{
    if (output < 1 || output > OUTPUT_COUNT || input < 1 || input > INPUT_COUNT)
    {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    routing[output - 1] = input;
    return true;
}

bool CLASS_SIMULATOR_DEVICE::SetTestPattern(const QString& pattern)
{
    if (!TestPatterns().contains(pattern))
    {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    testPattern = pattern;
    return true;
}

bool CLASS_SIMULATOR_DEVICE::SetAudioEmbedded(bool embedded)
{
    if (!audioCard)
    {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    audioEmbedded = embedded;
    return true;
}

QJsonObject CLASS_SIMULATOR_DEVICE::ToJson() const
{
    std::lock_guard<std::mutex> lock(mutex);
    QJsonArray outputs;
    for (int output = 1; output <= OUTPUT_COUNT; ++output)
    {
        outputs.append(QJsonObject{{QStringLiteral("output"), output},
                                   {QStringLiteral("input"), routing.at(output - 1)}});
    }
    return QJsonObject{
        {QStringLiteral("inputs"), INPUT_COUNT},
        {QStringLiteral("routing"), outputs},
        {QStringLiteral("testPattern"), testPattern},
        {QStringLiteral("testPatterns"), QJsonArray::fromStringList(TestPatterns())},
        {QStringLiteral("audioEmbedded"), audioCard && audioEmbedded},
        {QStringLiteral("uptimeSeconds"), static_cast<double>(uptime.elapsed() / 1000)},
    };
}
