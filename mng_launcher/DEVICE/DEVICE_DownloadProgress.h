#ifndef DEVICE_DOWNLOADPROGRESS_H
#define DEVICE_DOWNLOADPROGRESS_H

#include <QString>

// Where a package download stands, as its text tells it.
struct DOWNLOAD_PROGRESS
{
    QString version;
    int number = 1;             // which download of the job, from 1
    int count = 1;              // the downloads of the job
    qint64 received = 0;        // bytes of the archive on disk, a kept part included
    qint64 total = -1;          // the archive's size; -1 while not announced
    qint64 bytesPerSecond = -1; // -1 while not measured
};

// The one text of a running download, for the package manager's window and the command line alike:
// "Downloading 3.2.0 (1 of 2) — 41 of 100 MB, 12 MB/s, 5 s left". Without an announced size: "— 41 MB,
// 12 MB/s"; before the speed is measured, without speed and time; before the first byte, the first words
// alone. Sizes count 1024 bytes to the kB and 1024 kB to the MB.
QString DownloadProgressText(const DOWNLOAD_PROGRESS& progress);

// A byte count with its unit: "512 B", "3.5 kB", "41 MB", "1.2 GB".
QString ByteCountText(qint64 bytes);

// A duration as the remaining time of a transfer: "5 s", "2 min 5 s", "12 min", "1 h 4 min".
QString DurationText(qint64 seconds);

#endif // DEVICE_DOWNLOADPROGRESS_H
