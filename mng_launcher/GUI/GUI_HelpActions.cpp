#include "GUI/GUI_HelpActions.h"

#include "DEVICE/DEVICE_ClassDiagnostics.h"
#include "DEVICE/DEVICE_Constants.h"
#include "GUI/GUI_FileDialog.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_OpenAddress.h"

#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QUrl>

void OpenLogFolder(QWidget* parent)
{
    const QString folder = CLASS_DIAGNOSTICS::LogFolder();
    if (folder.isEmpty())
    {
        CLASS_MESSAGE_BOX::Information(parent, MESSAGE_BOX_TITLE,
                                       QStringLiteral("This run writes no log files."));
        return;
    }
    OpenAddress(parent, QUrl::fromLocalFile(folder), FOLDER_NOT_OPENED_TEXT);
}

void SaveDiagnostics(QWidget* parent, const TARVO_VERSION_INFO_LOCATIONS& locations)
{
    const QString proposed = QDir::home().filePath(
        QStringLiteral("Tarvo4kSimulator-diagnostics-%1.zip")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    QString path = CLASS_FILE_DIALOG::GetSaveFileName(parent, QStringLiteral("Save Diagnostics"), proposed,
                                                      QStringLiteral("Zip archives (*.zip)"));
    if (path.isEmpty())
    {
        return;
    }
    if (!path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive))
    {
        path += QStringLiteral(".zip");
    }
    // Gathering and compressing take a moment; the window waits for them.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const RUN_RESULT result = CLASS_DIAGNOSTICS(locations).Write(path);
    QGuiApplication::restoreOverrideCursor();
    if (!result.IsDone())
    {
        CLASS_MESSAGE_BOX::Warning(parent, MESSAGE_BOX_TITLE,
                                   QStringLiteral("The diagnostics were not saved: %1").arg(result.reason));
        return;
    }
    CLASS_MESSAGE_BOX::Information(parent, MESSAGE_BOX_TITLE,
                                   QStringLiteral("The diagnostics are saved in %1.").arg(result.output));
}
