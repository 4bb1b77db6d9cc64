#ifndef DEVICE_CLASSSESSIONLISTOPERATIONS_H
#define DEVICE_CLASSSESSIONLISTOPERATIONS_H

#include "ZR_Types.h"

#include <QObject>
#include <QString>

class CLASS_SESSION_EDITOR;
class CLASS_SESSION_PANELS;
class CLASS_SESSION_RUNNER;
class CLASS_SESSION_VERSION_LISTS;

// The list operations of the session back end, on the main view's requests: create a session (at most
// MAX_SESSIONS created or duplicated), duplicate the selected saved session (the copy saves itself), show
// or hide a session's panel, delete the selected idle session with its folder.
class CLASS_SESSION_LIST_OPERATIONS : public QObject
{
    Q_OBJECT

public:
    static constexpr int MAX_SESSIONS = 10;
    static constexpr int DUPLICATE_SAVE_DELAY_MS = 100;

    CLASS_SESSION_LIST_OPERATIONS(CLASS_SESSION_PANELS& panels,
                                  const CLASS_SESSION_VERSION_LISTS& versionLists,
                                  CLASS_SESSION_EDITOR& editor, CLASS_SESSION_RUNNER* runner,
                                  const QString& applicationFolder, QObject* parent = nullptr);

    void CreateNewSession();
    void DuplicateSession();
    void ShowSession(SDWord sessionIndex, Bool toHide);
    void DeleteSession();

private:
    bool LimitReached();

    CLASS_SESSION_PANELS& panels;
    const CLASS_SESSION_VERSION_LISTS& versionLists;
    CLASS_SESSION_EDITOR& editor;
    CLASS_SESSION_RUNNER* runner;
    QString applicationFolder;
};

#endif // DEVICE_CLASSSESSIONLISTOPERATIONS_H
