#ifndef DEVICE_CLASSNULLVIEW_H
#define DEVICE_CLASSNULLVIEW_H

#include "DEVICE/DEVICE_ClassMainView.h"

// The main view of a run without a window (a command from the command line): no card, no panel, nothing
// selected; a box is not shown and a question is answered with its default, No; no file is chosen.
class CLASS_NULL_VIEW : public CLASS_MAIN_VIEW
{
public:
    void ConnectRequests(CLASS_MAIN_BACKEND* backend) override;
    int GetSelectedSessionIndex() const override;
    CLASS_SESSION_CARD_VIEW* GetSelectedSessionWidget() const override;
    CLASS_SESSION_CARD_VIEW* GetSessionWidget(int index) const override;
    void AddSessionEntry() override;
    void RemoveSelectedSessionEntry() override;
    void DuplicateSelectedSessionEntry() override;
    void SetSelectedSessionDevice(const QString& name) override;
    CLASS_SETUP_VIEW* CreateSetupPanel(CLASS_TARVO_VERSION_INFO* versionInfo) override;
    void AddSetupPanel(CLASS_SETUP_VIEW* panel) override;
    void SetWebPageUrl(const QString& url) override;
    QString GetWebPageUrl() const override;
    void SetStartEnabled(bool enabled) override;
    void SetSaveEnabled(bool enabled) override;
    void SetDiscardEnabled(bool enabled) override;
    void SetOpenWebEnabled(bool enabled) override;
    void SetStartStopText(const QString& text) override;
    void Inform(const QString& text) override;
    void Warn(const QString& text) override;
    bool Confirm(const QString& question) override;
    QString ChooseFolder(const QString& caption) override;
    QString ChooseFile(const QString& caption, const QString& filter) override;

    // The view of every run without a window.
    static CLASS_NULL_VIEW* Instance();
};

#endif // DEVICE_CLASSNULLVIEW_H
