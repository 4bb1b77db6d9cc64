#ifndef DEVICE_CLASSPACKAGEPROGRESS_H
#define DEVICE_CLASSPACKAGEPROGRESS_H

#include "DEVICE/DEVICE_ClassPackageView.h"
#include "ZR_Types.h"

#include <QString>
#include <QTimer>

class CLASS_PACKAGE_MANAGER_BACKEND;

// What the installer's job shows while it runs, in the window (when there is one) and through the installer's
// SIGNAL_Progress: the status text with the progress value, the download's progress ("Downloading 3.2.0 (1 of
// 2) — 41 of 100 MB, 12 MB/s, 5 s left"), the Pause button, and the progress area, hidden a while after the
// job. Every text names the installer's current package.
class CLASS_PACKAGE_PROGRESS
{
public:
    CLASS_PACKAGE_PROGRESS(CLASS_PACKAGE_MANAGER_BACKEND& backend, int hideDelayMs);

    // "Removing <package>" or "Installing updater <package>" at value.
    void ShowRemoving(SDWord value);
    void ShowInstalling(SDWord value);
    // ShowInstalling from another thread: the text is made here, shown on the installer's thread, and only
    // while the installer exists.
    void ShowInstallingQueued(SDWord value);
    void SetStatus(const QString& text);
    void SetValue(SDWord value);

    // The job has count downloads; the next one begins.
    void CountDownloads(int count);
    void NextDownload() { ++downloadNumber; }
    // The running download's text, and its value when the size is known.
    void OnDownloadProgress(qint64 received, qint64 total, qint64 bytesPerSecond);
    void SetPauseButton(PACKAGE_PAUSE_BUTTON state);

    // The progress area goes after the delay, or stays for the work that begins.
    void HideLater() { hideTimer.start(); }
    void KeepShown() { hideTimer.stop(); }

private:
    void Show(const QString& text, SDWord value);

    CLASS_PACKAGE_MANAGER_BACKEND& backend;
    // The last status text shown, sent again with each progress value.
    QString statusText;
    // Which download of the job runs, of how many.
    int downloadNumber = 0;
    int downloadCount = 0;
    QTimer hideTimer;
};

#endif // DEVICE_CLASSPACKAGEPROGRESS_H
