#ifndef DEVICE_CLASSPACKAGEVIEW_H
#define DEVICE_CLASSPACKAGEVIEW_H

#include "ZR_Types.h"

#include <QString>
#include <QStringList>

// The button beside Cancel: hidden, "Pause" while a download runs, "Resume" after a pause.
enum class PACKAGE_PAUSE_BUTTON
{
    Hidden,
    Pause,
    Resume
};

// What the package installer drives while it works: the package manager window, or nothing at all for a job
// without a window. The installer decides; the view only shows and answers.
class CLASS_PACKAGE_VIEW
{
public:
    virtual ~CLASS_PACKAGE_VIEW() = default;

    // One box per version, in this order, none ticked (the boxes shown before are replaced).
    virtual void SetPackages(const QStringList& versions) = 0;
    // Ticks or unticks package box index; an index outside the boxes is ignored.
    virtual void SetPackageChecked(int index, bool checked) = 0;
    // Marks package box index "signed" or "unsigned"; an index outside the boxes is ignored.
    virtual void SetPackageSigned(int index, bool isSigned) = 0;
    // Replaces packages with the texts of the ticked boxes, in box (catalogue) order.
    virtual void GetCheckedPackages(QStringList& packages) const = 0;
    // Hides or shows the progress area.
    virtual void SetProgressHidden(bool hidden) = 0;
    virtual void SetStatusText(const QString& text) = 0;
    // The progress value, 0 to 100 in normal use.
    virtual void SetProgressValue(SDWord value) = 0;
    // Enables or disables the buttons that start work or close the view (disabled while the installer works).
    virtual void SetButtonsEnabled(bool enabled) = 0;
    virtual void SetPauseButton(PACKAGE_PAUSE_BUTTON state) = 0;
    // True tells that the server does not answer, naming its address when one is given; false takes it back.
    virtual void SetNoInternet(bool noInternet, const QString& address) = 0;
    // Tells the user that the catalogue needs a newer launcher, then closes the view.
    virtual void ShowIncompatibleAndClose() = 0;
    // Asks the user whether to remove packages all the same (question says why not); true for yes.
    virtual bool ConfirmRemoval(const QString& question) = 0;
};

#endif // DEVICE_CLASSPACKAGEVIEW_H
