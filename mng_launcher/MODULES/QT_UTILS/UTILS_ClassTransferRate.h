#ifndef UTILS_CLASSTRANSFERRATE_H
#define UTILS_CLASSTRANSFERRATE_H

#include <QElapsedTimer>
#include <QPair>
#include <QVector>

// The speed of a transfer over its last few seconds, measured from the byte counts it reports as it goes.
class CLASS_TRANSFER_RATE
{
public:
    // Speeds are taken over the last windowMs; none is given before minimumMs have been measured.
    explicit CLASS_TRANSFER_RATE(qint64 windowMs = 5000, qint64 minimumMs = 500);

    // Forgets every count: the next one starts a new measurement.
    void Restart();
    // The transfer has moved bytes in all so far (now, or at atMs on the measurement's own clock). A count
    // below the one before starts a new measurement.
    void Add(qint64 bytes);
    void Add(qint64 bytes, qint64 atMs);
    // Bytes per second over the window; -1 while not measured.
    qint64 BytesPerSecond() const;

private:
    qint64 windowMs;
    qint64 minimumMs;
    QElapsedTimer clock;
    // (milliseconds, bytes in all), oldest first.
    QVector<QPair<qint64, qint64>> samples;
};

#endif // UTILS_CLASSTRANSFERRATE_H
