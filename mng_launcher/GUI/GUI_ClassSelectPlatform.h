#ifndef GUI_CLASSSELECTPLATFORM_H
#define GUI_CLASSSELECTPLATFORM_H

#include "DEVICE/DEVICE_VersionEntry.h"
#include "ZR_Types.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

class CLASS_ZR_COMBO_BOX;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

// The platform selector of a setup panel: one button per device model and the simulator version list.
class CLASS_SELECT_PLATFORM : public QWidget
{
    Q_OBJECT

public:
    explicit CLASS_SELECT_PLATFORM(QWidget* parent = nullptr);

    int GetVersionIndex() const;
    int GetDeviceType() const;
    bool IsVersionMissing() const;

    using VERSION_ENTRY = ::VERSION_ENTRY;

    // Appends a version; one that is not installed is marked, greyed and hidden in the pop-up.
    void AddVersion(const QString& text, int row, int machineType, bool installed);
    // Appends versions as AddVersion does, in one insertion (a catalogue may hold thousands).
    void AddVersions(const QVector<VERSION_ENTRY>& versions, int machineType);
    void ClearVersions();
    // Marks the list (red border) while its current entry is a version that is not installed; the list
    // is disabled then only when it holds no installed version to move to.
    void CheckVersion();
    void SetVersionIndex(int index);
    // Selects a device model as a button click would, and always emits.
    void SetDeviceType(int type);
    // Stores the device model and marks its button, announcing nothing (a panel built from kept values).
    void ShowDeviceType(int type);
    void BuildTypeButtons();
    void SetTypeButtonsEnabled(bool enabled);

    CLASS_ZR_COMBO_BOX* GetVersionList() const;

signals:
    void SIGNAL_SelectedDeviceType(SDWord selectedDevice);
    void SIGNAL_RequestUpdate();
    void SIGNAL_UpdateVersionChanged();
    void SIGNAL_RequestTypeUpdate(SDWord machineType);

private slots:
    void SLOT_VersionIndexChanged(int index);

private:
    struct TYPE_BUTTON
    {
        int index;
        QString name;
        QPushButton* button;
    };

    bool HoldsInstalledVersion() const;
    void TypeButtonClicked(QPushButton* button);
    void ApplyDeviceType();
    void StyleTypeButtons();
    void AddTypeButton(const QString& name);

    QVBoxLayout* layout;
    int versionIndex;
    int deviceType;
    int typeButtonCount;
    QHBoxLayout* versionRow;
    QHBoxLayout* typeRow;
    CLASS_ZR_COMBO_BOX* versionList;
    QList<TYPE_BUTTON> typeButtons;
    bool versionMissing;
    // Loaded once per list: a catalogue may mark thousands of versions "Not installed".
    QIcon warningIcon;
};

#endif // GUI_CLASSSELECTPLATFORM_H
