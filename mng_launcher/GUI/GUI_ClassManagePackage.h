#ifndef GUI_CLASSMANAGEPACKAGE_H
#define GUI_CLASSMANAGEPACKAGE_H

#include "DEVICE/DEVICE_ClassPackageView.h"
#include "ZR_Types.h"

#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

class CLASS_PACKAGE_MANAGER_BACKEND;
class CLASS_TARVO_VERSION_INFO;
class CLASS_ZR_PROGRESS_BAR;
class QCheckBox;
class QGridLayout;

// The "Package manager" window: one check box per catalogue entry, ticked for the installed packages.
// Apply asks the package back end to bring the installed packages in line with the ticks; while it works
// the back end drives the status line, the progress bar, the Cancel and Pause buttons through the operations
// below. Refresh asks it to download the catalogue again.
// The window holds no logic of its own and deletes itself when closed.
class CLASS_MANAGE_PACKAGE : public QWidget, public CLASS_PACKAGE_VIEW
{
    Q_OBJECT

public:
    static constexpr int LOGO_WIDTH = 180;
    static constexpr int LOGO_HEIGHT = 25;
    static constexpr int CANCEL_WIDTH = 77;
    static constexpr int CANCEL_HEIGHT = 24;

    explicit CLASS_MANAGE_PACKAGE(CLASS_TARVO_VERSION_INFO* versionInfo, QWidget* parent = nullptr);

    // Hands backend, which drives this window, the window's requests (Apply, Cancel, Pause or Resume,
    // Refresh, a close); once the window is destroyed, backend forgets it.
    void Attach(CLASS_PACKAGE_MANAGER_BACKEND* backend);

    // One box per version, in this order, none ticked (the boxes shown before are replaced).
    void SetPackages(const QStringList& versions) override;
    // Ticks or unticks package box index; an index outside the boxes is ignored.
    void SetPackageChecked(int index, bool checked) override;
    // Marks package box index "signed" (its archive is checked against the server's signed index) or
    // "unsigned"; an index outside the boxes is ignored.
    void SetPackageSigned(int index, bool isSigned) override;
    // Replaces packages with the texts of the ticked boxes, in box (catalogue) order.
    void GetCheckedPackages(QStringList& packages) const override;
    // Hides or shows together the progress bar, the status label, the Cancel button and, when it has a state
    // to show, the Pause button.
    void SetProgressHidden(bool hidden) override;
    void SetStatusText(const QString& text) override;
    // Shows value on the progress bar, through SIGNAL_ValueChanged.
    void SetProgressValue(SDWord value) override;
    // Enables or disables Apply, Refresh and Close together (disabled while the back end works).
    void SetButtonsEnabled(bool enabled) override;
    void SetPauseButton(PACKAGE_PAUSE_BUTTON state) override;
    // True shows the no-internet notice, naming the address that does not answer when one is given; false
    // hides it. Apply stays: removals need no server.
    void SetNoInternet(bool noInternet, const QString& address = QString()) override;
    // Tells the user that the catalogue needs a newer launcher, then closes the window.
    void ShowIncompatibleAndClose() override;
    // Question box titled "Tarvo 4k Simulator" with Yes and No, No by default; true for Yes.
    bool ConfirmRemoval(const QString& question) override;

    // Read access for the launcher window and for tests.
    int PackageCount() const { return packageBoxes.size(); }
    QCheckBox* PackageBox(int index) const;
    // "signed", "unsigned", or empty before the back end said; empty for an index outside the boxes.
    QString PackageTrustText(int index) const;
    CLASS_ZR_PROGRESS_BAR* ProgressBar() const { return progressBar; }
    QString StatusText() const;
    bool IsClosed() const { return closed; }

    // A window that has already been closed (it is being deleted) does not come back.
    void setVisible(bool visible) override;

signals:
    void SIGNAL_RequestUpdate();
    void SIGNAL_ValueChanged(SDWord value);
    void SIGNAL_RequestCancel();
    void SIGNAL_RequestPauseOrResume();
    void SIGNAL_RequestRefresh();
    // The window is being closed (it is still there).
    void SIGNAL_Closing();

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
    QPushButton refreshButton;
    QList<QCheckBox*> packageBoxes;
    QList<QLabel*> trustLabels;
    QGridLayout* packageGrid = nullptr;
    CLASS_TARVO_VERSION_INFO* versionInfo;
    CLASS_ZR_PROGRESS_BAR* progressBar;
    QLabel* statusLabel;
    QPushButton* cancelButton;
    QPushButton* pauseButton = nullptr;
    PACKAGE_PAUSE_BUTTON pauseState = PACKAGE_PAUSE_BUTTON::Hidden;
    QLabel* warningIcon;
    QLabel* warningText;
    bool closed = false;
};

#endif // GUI_CLASSMANAGEPACKAGE_H
