#include "GUI/GUI_ClassDeviceConfiguration.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>

CLASS_DEVICE_CONFIGURATION::CLASS_DEVICE_CONFIGURATION(QWidget* parent, int)
    : QWidget(parent), grid(new QGridLayout), audioFrame(nullptr), audioCheckBox(new QCheckBox)
{
    audioCheckBox->setParent(this);
}

CLASS_DEVICE_CONFIGURATION::~CLASS_DEVICE_CONFIGURATION() = default;

bool CLASS_DEVICE_CONFIGURATION::IsAudioPlugged() const
{
    return audioCheckBox->checkState() == Qt::Checked;
}

void CLASS_DEVICE_CONFIGURATION::SetAudioPlugged(bool plugged)
{
    audioCheckBox->setChecked(plugged);
}

void CLASS_DEVICE_CONFIGURATION::SetAudioCheckEnabled(bool enabled)
{
    audioCheckBox->setEnabled(enabled);
}

void CLASS_DEVICE_CONFIGURATION::BuildFrame() {}
void CLASS_DEVICE_CONFIGURATION::BuildConnectorPanel() {}
void CLASS_DEVICE_CONFIGURATION::BuildTile(int, int, int, int) {}
QLayout* CLASS_DEVICE_CONFIGURATION::BuildTileLayout(int, int)
{
    return nullptr;
}
void CLASS_DEVICE_CONFIGURATION::BuildAudioTile(QWidget*) {}
QWidget* CLASS_DEVICE_CONFIGURATION::BuildAudioIconPair(QWidget*)
{
    return nullptr;
}
void CLASS_DEVICE_CONFIGURATION::SLOT_AudioStateChanged(int) {}
