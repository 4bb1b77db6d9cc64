#ifndef DEVICE_CLASSSETUPVIEW_H
#define DEVICE_CLASSSETUPVIEW_H

#include "DEVICE/DEVICE_VersionEntry.h"

#include <QList>
#include <QString>
#include <QVector>

#include <functional>

class QObject;

// What the session back end sees of one session's setup panel: label, description, web port, device
// model, simulator version and audio card, as plain values. The panel's change notices arrive from the
// event loop, after the change.
class CLASS_SETUP_VIEW
{
public:
    virtual ~CLASS_SETUP_VIEW() = default;

    // The object that lives as long as the panel (the back end's guard against a panel already gone).
    virtual QObject* ViewObject() = 0;

    virtual QString GetLabel() const = 0;
    // The 17-character limit applies to the label.
    virtual void SetLabel(const QString& label) = 0;
    virtual QString GetDescription() const = 0;
    virtual void SetDescription(const QString& description) = 0;
    virtual int GetPortValue() const = 0;
    virtual void SetPortValue(int port) = 0;
    virtual int GetVersionIndex() const = 0;
    virtual bool IsVersionMissing() const = 0;
    virtual void ClearVersions() = 0;
    // Appends versions written with "." (as the list shows them).
    virtual void AddVersions(const QVector<VERSION_ENTRY>& versions) = 0;
    virtual void BuildTypeButtons() = 0;
    virtual void CheckVersion() = 0;
    // Locks or unlocks the device model buttons and the audio card check box.
    virtual void SetEditable(bool editable) = 0;
    // [version index, device type, 1 if the audio card is plugged else 0]
    virtual QList<int> GetSelection() const = 0;
    virtual void RestoreSelection(const QList<int>& selection) = 0;

    // Shown while its session is selected; disabled while its simulator runs; gone with its session.
    virtual void SetShown(bool shown) = 0;
    virtual void SetPanelEnabled(bool enabled) = 0;
    virtual void Dispose() = 0;

    // edited runs after the label, description, port, version, device model or audio card changed;
    // typeChanged after the device model changed (with the new model). Both stop with receiver.
    virtual void ConnectEdits(QObject* receiver, const std::function<void()>& edited) = 0;
    virtual void ConnectTypeChanges(QObject* receiver, const std::function<void(int)>& typeChanged) = 0;
};

#endif // DEVICE_CLASSSETUPVIEW_H
