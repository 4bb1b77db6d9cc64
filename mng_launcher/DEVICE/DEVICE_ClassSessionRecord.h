#ifndef DEVICE_CLASSSESSIONRECORD_H
#define DEVICE_CLASSSESSIONRECORD_H

#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "DEVICE/DEVICE_ClassSetupViewPointer.h"

#include <QList>
#include <QString>

class QProcess;

// What the session back end keeps of one session. Record i belongs to card i of the sessions list.
// The setup panel belongs to the main view (guarded: the view may go first at shutdown); the
// simulator process is owned by the run control.
class CLASS_SESSION_RECORD
{
public:
    CLASS_SETUP_VIEW_POINTER panel;
    QList<int> savedConfiguration; // [version key, device index, audio card flag] as last loaded/saved
    QString savedVersion;          // the version text of savedConfiguration's key, as loaded/saved
    QString savedName;
    QString savedDescription;
    int savedPort = 0;
    QString settingsFile; // the session's settings.ini; empty until loaded or saved
    QString folder;       // absolute session folder; empty for a session that was never saved
    QProcess* process = nullptr;
    bool idle = true;
    int zrjIntPort = ZRJ_INT_PORT_FIXED;
    int zrjExtPort = ZRJ_EXT_PORT_FIXED;
    int zrpIntPort = ZRP_INT_PORT_FIXED;
    int kb700sPort = KB700S_PORT_FIXED;
    bool modified = false;
    bool locked = false;
    // Times (ms on the run control's clock) of the restarts that the simulator asked for.
    QList<qint64> restartTimes;
};

#endif // DEVICE_CLASSSESSIONRECORD_H
