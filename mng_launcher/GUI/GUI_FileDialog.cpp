#include "GUI/GUI_FileDialog.h"

#include <QFileDialog>

namespace
{
bool hasNext = false;
QString nextFileName;
QString lastFilter;
} // namespace

QString CLASS_FILE_DIALOG::GetExistingDirectory(QWidget* parent, const QString& caption, const QString& folder)
{
    QString fileName;
    if (TakeNext(fileName))
    {
        return fileName;
    }
    return QFileDialog::getExistingDirectory(parent, caption, folder);
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
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
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
