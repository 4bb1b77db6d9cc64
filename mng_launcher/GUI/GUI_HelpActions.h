#ifndef GUI_HELPACTIONS_H
#define GUI_HELPACTIONS_H

class QWidget;
struct TARVO_VERSION_INFO_LOCATIONS;

// The Help menu's support entries.

// The folder of this run's log files in the desktop's file manager (a box tells it when none opens).
void OpenLogFolder(QWidget* parent);
// The command line's support bundle (--diagnostics), saved where the user chooses; a box tells the outcome.
void SaveDiagnostics(QWidget* parent, const TARVO_VERSION_INFO_LOCATIONS& locations);

#endif // GUI_HELPACTIONS_H
