#ifndef GUI_CLASSSTARTWINDOW_H
#define GUI_CLASSSTARTWINDOW_H

#include <QWidget>

class QGridLayout;
class QPushButton;

// The bottom bar under the setup panels: Save, Discard, Start Session and Open Web ZKM.
class CLASS_START_WINDOW : public QWidget
{
    Q_OBJECT

public:
    explicit CLASS_START_WINDOW(QWidget* parent = nullptr);

    void SetSaveEnabled(bool enabled);
    void SetDiscardEnabled(bool enabled);
    void SetStartEnabled(bool enabled);
    void SetOpenWebEnabled(bool enabled);
    // "Start Session" or "Stop Session".
    void SetStartStopText(const QString& text);
    // The address that Open Web ZKM opens, told by its tooltip.
    void SetOpenWebToolTip(const QString& text);
    // Presses Save as a click would; nothing while it is disabled.
    void ClickSave();

signals:
    void SIGNAL_RequestToSaveSession();
    void SIGNAL_RequestToDiscardSession();
    // Import and export go through the File menu; these two are kept for the bar's interface only.
    void SIGNAL_RequestImportSession();
    void SIGNAL_RequestExportSession();
    void SIGNAL_RequestStartOrStopSession();
    void SIGNAL_OpenWebZkm();

private:
    QPushButton* AddButton(const QString& text, const QString& objectName, int column);

    QGridLayout* layout;
    QPushButton* saveButton;
    QPushButton* discardButton;
    QPushButton* startButton;
    QPushButton* openWebButton;
};

#endif // GUI_CLASSSTARTWINDOW_H
