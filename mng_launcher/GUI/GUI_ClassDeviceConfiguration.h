#ifndef GUI_CLASSDEVICECONFIGURATION_H
#define GUI_CLASSDEVICECONFIGURATION_H

#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <QVector>
#include <QWidget>

class CLASS_CONNECTOR_TILE;
class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLayout;

// Tooltip of the audio card check box while it can change: the box has no text of its own.
inline const QString AUDIO_CARD_TOOLTIP =
    QStringLiteral("Audio card plugged: tick to give the device its audio card (Line In, Line Out, HDBaseT)");

// Tooltip of the platform settings (model buttons, audio card) once a saved session has locked them.
inline const QString LOCKED_SETTING_TOOLTIP =
    QStringLiteral("The device model is fixed once the session is saved");

// The "Configuration" area of a session's device group: the connector panel of the simulated device
// drawn as a grid of tiles, and the audio card check box beside the audio tile.
class CLASS_DEVICE_CONFIGURATION : public QWidget
{
    Q_OBJECT

public:
    // The device type does not change the drawing: every model shows the same connector panel.
    CLASS_DEVICE_CONFIGURATION(QWidget* parent, int deviceType);
    ~CLASS_DEVICE_CONFIGURATION() override;

    bool IsAudioPlugged() const;
    void SetAudioPlugged(bool plugged);
    void SetAudioCheckEnabled(bool enabled);

    // The tiles in the order they were built.
    const QList<QWidget*>& Tiles() const { return tiles; }

    // The connector icons the drawing shows, each with the size it is drawn at (as SharpPixmap takes
    // them): a window can have them rendered ahead.
    static QVector<QPair<QString, QSize>> ConnectorIcons();

signals:
    void SIGNAL_RequestUpdate();

private:
    void BuildFrame();
    void BuildConnectorPanel();
    void BuildTile(int row, int column, int kind, int number);
    QLayout* BuildTileLayout(int kind, int number, CLASS_CONNECTOR_TILE* tile);
    void BuildAudioTile(QWidget* tile);
    QWidget* AudioIconPair();
    void SLOT_AudioStateChanged(int state);

    QGridLayout* grid;
    QList<QWidget*> tiles;
    CLASS_CONNECTOR_TILE* audioFrame;
    QCheckBox* audioCheckBox;
};

#endif // GUI_CLASSDEVICECONFIGURATION_H
