#include "GUI/GUI_FileDialog.h"

#include "GUI/GUI_DialogPlacement.h"

#include <QDir>

#include <QFileDialog>

namespace
{
bool hasNext = false;
QString nextFileName;
QString lastFilter;

// Without a folder of its own a dialog starts in the user's home folder, not in the program's current one.
QString StartFolder(const QString& folder)
{
    return folder.isEmpty() ? QDir::homePath() : folder;
}
} // namespace

QString CLASS_FILE_DIALOG::GetExistingDirectory(QWidget* parent, const QString& caption,
                                                const QString& folder)
{
    QString fileName;
    if (TakeNext(fileName))
    {
        return fileName;
    }
    return QFileDialog::getExistingDirectory(DialogOwner(parent), caption, StartFolder(folder));
}

QString CLASS_FILE_DIALOG::GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                           const QString& filter)
{
    lastFilter = filter;
    QString fileName;
    if (TakeNext(fileName))
    {
        return fileName;
    }
    return QFileDialog::getOpenFileName(DialogOwner(parent), caption, StartFolder(folder), filter);
}

QString CLASS_FILE_DIALOG::GetSaveFileName(QWidget* parent, const QString& caption, const QString& path,
                                           const QString& filter)
{
    lastFilter = filter;
    QString fileName;
    if (TakeNext(fileName))
    {
        return fileName;
    }
    return QFileDialog::getSaveFileName(DialogOwner(parent), caption, path, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void CLASS_FILE_DIALOG::SetNextFileName(const QString& fileName)
{
    hasNext = true;
    nextFileName = fileName;
}

QString CLASS_FILE_DIALOG::LastFilter()
{
    return lastFilter;
}

bool CLASS_FILE_DIALOG::TakeNext(QString& fileName)
{
    if (!hasNext)
    {
        return false;
    }
    hasNext = false;
    fileName = nextFileName;
    return true;
}
