#ifndef GUI_CLASSGLOBALSETUP_H
#define GUI_CLASSGLOBALSETUP_H

#include "DEVICE/DEVICE_ClassSetupView.h"
#include "GUI/GUI_ClassSelectPlatform.h"
#include "ZR_Types.h"

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

#include <functional>

class CLASS_DEVICE_CONFIGURATION;
class CLASS_TARVO_VERSION_INFO;
class QLineEdit;
class QSpinBox;
class QTextEdit;
class QVBoxLayout;

// The setup panel of one session: label, description, web port, device model, simulator version and
// audio card. It reads and writes no file; the session back end fills it and reads it back.
class CLASS_GLOBAL_SETUP : public QWidget, public CLASS_SETUP_VIEW
{
    Q_OBJECT

public:
    static constexpr int LABEL_MAX_LENGTH = 17;
    static constexpr int DESCRIPTION_MAX_LENGTH = 280;
    static constexpr int PORT_MIN = 1024;
    static constexpr int PORT_MAX = 65535;

    CLASS_GLOBAL_SETUP(CLASS_TARVO_VERSION_INFO* versionInfo, QWidget* parent = nullptr);

    // Builds the widgets now (with the values set so far, when the build was waiting).
    void BuildPanel();
    // Defers the widgets until the panel is first shown: until then the operations below
    // keep and return plain values, so a session that is never selected costs no widgets. The label,
    // port and description setters still send the change notices the editors would send.
    void BuildWhenShown();
    bool IsBuilt() const;
    QString GetLabel() const override;
    // Clears the label editor and inserts the text, so that the 17-character limit applies.
    void SetLabel(const QString& label) override;
    QString GetDescription() const override;
    void SetDescription(const QString& description) override;
    int GetPortValue() const override;
    void SetPortValue(int port) override;
    int GetVersionIndex() const override;
    bool IsVersionMissing() const override;
    void ClearVersions() override;
    // The version's "_" become "."; it is added for device model 3.
    void AddVersion(const QString& version, int row, bool installed);
    // Appends versions already written with "." (as the list shows them), as AddVersion does. A panel
    // that waits to be built keeps the given list itself: panels filled from one table share it.
    void AddVersions(const QVector<VERSION_ENTRY>& versions) override;
    void BuildTypeButtons() override;
    void CheckVersion() override;
    // Locks or unlocks the device model buttons and the audio card check box.
    void SetEditable(bool editable) override;
    // [version index, device type, 1 if the audio card is plugged else 0]
    QList<int> GetSelection() const override;
    void RestoreSelection(const QList<int>& selection) override;

    // Null while the build waits.
    CLASS_SELECT_PLATFORM* GetPlatformSelector() const;
    CLASS_DEVICE_CONFIGURATION* GetConfigurationView() const;

    void setVisible(bool visible) override;

    QObject* ViewObject() override;
    void SetShown(bool shown) override;
    void SetPanelEnabled(bool enabled) override;
    // Hidden at once, deleted from the event loop.
    void Dispose() override;
    void ConnectEdits(QObject* receiver, const std::function<void()>& edited) override;
    void ConnectTypeChanges(QObject* receiver, const std::function<void(int)>& typeChanged) override;

signals:
    void SIGNAL_TextChangedDevicetype(QString newText);
    void SIGNAL_ValueChangedPort(SDWord newValue);
    void SIGNAL_RequestUpdate();
    void SIGNAL_RequestTypeUpdate(SDWord newType);

protected:
    bool event(QEvent* event) override;

private slots:
    void SLOT_LimitDescriptionLength();
    void SLOT_ReplaceConfigurationView(SDWord type);

private:
    // What the panel holds while its widgets wait to be built.
    struct PENDING_VALUES
    {
        QString label;
        QString description;
        int port;
        QVector<VERSION_ENTRY> versions;
        int versionIndex = 0;
        int deviceType;
        bool audioPlugged = false;
        bool editable = true;
        bool versionMissing = false;
        bool typeButtons = false;
    };

    bool Waiting() const;
    // While the widgets wait: sends a change notice as the editors' forwarded one would come.
    void PostNotice(const std::function<void()>& notice);
    void ApplyPendingValues();
    QWidget* BuildIdentificationBox();
    QWidget* BuildNetworkBox();
    QWidget* BuildDeviceBox();
    void ConnectEditors();

    QVBoxLayout* mainLayout;
    QLineEdit* labelEditor;
    QSpinBox* portEditor;
    QTextEdit* descriptionEditor;
    CLASS_DEVICE_CONFIGURATION* configurationView;
    CLASS_SELECT_PLATFORM* platformSelector;
    QVBoxLayout* deviceBoxLayout;
    // The package catalogue the back end hands over; kept for the panel's owner, not used here.
    CLASS_TARVO_VERSION_INFO* versionInfo;
    bool buildWaits;
    PENDING_VALUES pending;
};

#endif // GUI_CLASSGLOBALSETUP_H
