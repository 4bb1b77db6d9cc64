#ifndef GUI_FILEDIALOG_H
#define GUI_FILEDIALOG_H

#include <QString>

class QWidget;

// Every file dialog of the launcher goes through here, so that a test can give the answer in advance.
class CLASS_FILE_DIALOG
{
public:
    static QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& folder);
    static QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter);
    // A name for a new file, proposed as path. An existing file is not confirmed for overwriting here:
    // the caller refuses to write over it.
    static QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& path,
                                   const QString& filter);

    // Test hook: the next dialog returns this (an empty text means "cancelled") without showing.
    static void SetNextFileName(const QString& fileName);
    // The filter of the last open dialog asked for.
    static QString LastFilter();

private:
    static bool TakeNext(QString& fileName);
};

#endif // GUI_FILEDIALOG_H
