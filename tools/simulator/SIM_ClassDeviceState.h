#ifndef SIM_CLASSDEVICESTATE_H
#define SIM_CLASSDEVICESTATE_H

#include <QElapsedTimer>
#include <QJsonObject>
#include <QStringList>
#include <QVector>

#include <mutex>

// The simulated device's live state that its web page changes: which input feeds each output, the
// test pattern generator and, with an audio card, audio embedding. Safe to use from the server's threads.
class CLASS_SIMULATOR_DEVICE
{
public:
    static constexpr int INPUT_COUNT = 4;
    static constexpr int OUTPUT_COUNT = 4;

    explicit CLASS_SIMULATOR_DEVICE(bool audioCard);

    // Routes input 1..INPUT_COUNT to output 1..OUTPUT_COUNT. False for a number out of range.
    bool Route(int output, int input);
    // One of TestPatterns(); "Off" gives the outputs back to the routing. False for an unknown name.
    bool SetTestPattern(const QString& pattern);
    // False when the device has no audio card.
    bool SetAudioEmbedded(bool embedded);

    static QStringList TestPatterns();
    bool HasAudioCard() const { return audioCard; }

    // routing, test pattern, audio, uptime
    QJsonObject ToJson() const;

private:
    mutable std::mutex mutex;
    const bool audioCard;
    QVector<int> routing; // output index -> input number
    QString testPattern;
    bool audioEmbedded;
    QElapsedTimer uptime;
};

#endif // SIM_CLASSDEVICESTATE_H
