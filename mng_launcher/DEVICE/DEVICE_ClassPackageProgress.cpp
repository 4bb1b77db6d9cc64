#include "DEVICE/DEVICE_ClassPackageProgress.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_DownloadProgress.h"

#include <QMetaObject>

namespace
{
const QString REMOVING = QStringLiteral("Removing ");
const QString INSTALLING = QStringLiteral("Installing updater ");
} // namespace

CLASS_PACKAGE_PROGRESS::CLASS_PACKAGE_PROGRESS(CLASS_PACKAGE_MANAGER_BACKEND& backend, int hideDelayMs)
    : backend(backend)
{
    hideTimer.setSingleShot(true);
    hideTimer.setInterval(hideDelayMs);
    QObject::connect(&hideTimer, &QTimer::timeout, &hideTimer,
                     [this]()
                     {
                         if (this->backend.view != nullptr)
                         {
                             this->backend.view->SetProgressHidden(true);
                         }
                     });
}

void CLASS_PACKAGE_PROGRESS::ShowRemoving(SDWord value)
{
    Show(REMOVING + backend.currentPackage, value);
}

void CLASS_PACKAGE_PROGRESS::ShowInstalling(SDWord value)
{
    Show(INSTALLING + backend.currentPackage, value);
}

void CLASS_PACKAGE_PROGRESS::ShowInstallingQueued(SDWord value)
{
    // The window's widgets belong to the GUI thread: the call is carried there and runs only while the
    // installer exists.
    const QString text = INSTALLING + backend.currentPackage;
    QMetaObject::invokeMethod(
        &backend, [this, text, value]() { Show(text, value); }, Qt::QueuedConnection);
}

void CLASS_PACKAGE_PROGRESS::Show(const QString& text, SDWord value)
{
    SetStatus(text);
    SetValue(value);
}

void CLASS_PACKAGE_PROGRESS::SetStatus(const QString& text)
{
    statusText = text;
    backend.ReportProgress(text, -1);
    if (backend.view != nullptr)
    {
        backend.view->SetStatusText(text);
    }
}

void CLASS_PACKAGE_PROGRESS::SetValue(SDWord value)
{
    backend.ReportProgress(statusText, value);
    if (backend.view != nullptr)
    {
        backend.view->SetProgressValue(value);
    }
}

void CLASS_PACKAGE_PROGRESS::CountDownloads(int count)
{
    downloadNumber = 0;
    downloadCount = count;
}

void CLASS_PACKAGE_PROGRESS::OnDownloadProgress(qint64 received, qint64 total, qint64 bytesPerSecond)
{
    SetStatus(DownloadProgressText(
        {backend.currentPackage, downloadNumber, downloadCount, received, total, bytesPerSecond}));
    // 0: nothing to measure against; -1: the size was not announced. Either leaves the bar as it is.
    if (total > 0)
    {
        SetValue(static_cast<SDWord>(received * CLASS_PACKAGE_MANAGER_BACKEND::MAX_PROGRESS / total));
    }
}

void CLASS_PACKAGE_PROGRESS::SetPauseButton(PACKAGE_PAUSE_BUTTON state)
{
    if (backend.view != nullptr)
    {
        backend.view->SetPauseButton(state);
    }
}
