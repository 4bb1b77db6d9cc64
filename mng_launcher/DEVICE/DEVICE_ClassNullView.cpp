#include "DEVICE/DEVICE_ClassNullView.h"

void CLASS_NULL_VIEW::ConnectRequests(CLASS_MAIN_BACKEND*) {}

int CLASS_NULL_VIEW::GetSelectedSessionIndex() const
{
    return -1;
}

CLASS_SESSION_CARD_VIEW* CLASS_NULL_VIEW::GetSelectedSessionWidget() const
{
    return nullptr;
}

CLASS_SESSION_CARD_VIEW* CLASS_NULL_VIEW::GetSessionWidget(int) const
{
    return nullptr;
}

void CLASS_NULL_VIEW::AddSessionEntry() {}

void CLASS_NULL_VIEW::RemoveSelectedSessionEntry() {}

void CLASS_NULL_VIEW::DuplicateSelectedSessionEntry() {}

void CLASS_NULL_VIEW::SetSelectedSessionDevice(const QString&) {}

CLASS_SETUP_VIEW* CLASS_NULL_VIEW::CreateSetupPanel(CLASS_TARVO_VERSION_INFO*)
{
    return nullptr;
}

void CLASS_NULL_VIEW::AddSetupPanel(CLASS_SETUP_VIEW*) {}

void CLASS_NULL_VIEW::SetWebPageUrl(const QString&) {}

QString CLASS_NULL_VIEW::GetWebPageUrl() const
{
    return QString();
}

void CLASS_NULL_VIEW::SetStartEnabled(bool) {}

void CLASS_NULL_VIEW::SetSaveEnabled(bool) {}

void CLASS_NULL_VIEW::SetDiscardEnabled(bool) {}

void CLASS_NULL_VIEW::SetOpenWebEnabled(bool) {}

void CLASS_NULL_VIEW::SetStartStopText(const QString&) {}

void CLASS_NULL_VIEW::Inform(const QString&) {}

void CLASS_NULL_VIEW::Warn(const QString&) {}

bool CLASS_NULL_VIEW::Confirm(const QString&)
{
    return false;
}

QString CLASS_NULL_VIEW::ChooseFolder(const QString&)
{
    return QString();
}

QString CLASS_NULL_VIEW::ChooseFile(const QString&, const QString&)
{
    return QString();
}

CLASS_NULL_VIEW* CLASS_NULL_VIEW::Instance()
{
    static CLASS_NULL_VIEW view;
    return &view;
}
