#ifndef GUI_CLASSMANAGEPACKAGE_H
#define GUI_CLASSMANAGEPACKAGE_H

#include "ZR_Types.h"

#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

class CLASS_TARVO_VERSION_INFO;
class CLASS_ZR_PROGRESS_BAR;
class QCheckBox;

// The "Package manager" window: one check box per catalogue entry, ticked for the installed packages.
// Apply asks the package back end to bring the installed packages in line with the ticks; while it works
// the back end drives the status line, the progress bar and the Cancel button through the operations below.
// The window holds no logic of its own and deletes itself when closed.
class CLASS_MANAGE_PACKAGE : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LOGO_WIDTH = 180;
    static constexpr int LOGO_HEIGHT = 25;
    static constexpr int CANCEL_WIDTH = 77;
    static constexpr int CANCEL_HEIGHT = 24;

    explicit CLASS_MANAGE_PACKAGE(CLASS_TARVO_VERSION_INFO* versionInfo, QWidget* parent = nullptr);

    // Ticks or unticks package box index; an index outside the boxes is ignored.
    void SetPackageChecked(int index, bool checked);
    // Replaces packages with the texts of the ticked boxes, in box (catalogue) order.
    void GetCheckedPackages(QStringList& packages) const;
    // Hides or shows together the progress bar, the status label and the Cancel button.
    void SetProgressHidden(bool hidden);
    void SetStatusText(const QString& text);
    // Enables or disables Apply and Close together (disabled while the back end works).
    void SetButtonsEnabled(bool enabled);
    // True shows the no-internet notice and disables Apply; false hides it and enables Apply.
    void SetNoInternet(bool noInternet);
    // Tells the user that the catalogue needs a newer launcher, then closes the window.
    void ShowIncompatibleAndClose();

    // Read access for the launcher window and for tests.
    int PackageCount() const { return packageBoxes.size(); }
    QCheckBox* PackageBox(int index) const;
    CLASS_ZR_PROGRESS_BAR* ProgressBar() const { return progressBar; }
    QString StatusText() const;
    bool IsClosed() const { return closed; }

    // A window that has already been closed (it is being deleted) does not come back.
    void setVisible(bool visible) override;

signals:
    void SIGNAL_RequestUpdate();
    void SIGNAL_ValueChanged(SDWord value);
    void SIGNAL_RequestCancel();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter presses the focused button or Apply, Escape presses Close (neither while a job runs).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddLogo();
    void AddWarningRow();
    void AddPackageBoxes();
    void AddProgressArea();
    void AddButtonRow();
    void ConnectSignals();

    QVBoxLayout mainLayout;
    QLabel logo;
    QPushButton applyButton;
    QPushButton closeButton;
    QList<QCheckBox*> packageBoxes;
    CLASS_TARVO_VERSION_INFO* versionInfo;
    CLASS_ZR_PROGRESS_BAR* progressBar;
    QLabel* statusLabel;
    QPushButton* cancelButton;
    QLabel* warningIcon;
    QLabel* warningText;
    bool closed = false;
};

#endif // GUI_CLASSMANAGEPACKAGE_H
