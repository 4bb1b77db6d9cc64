#ifndef E2EWORLD_H
#define E2EWORLD_H

#include "SystemProbes.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;

// The world of one walk through the launcher: a temporary folder holding the application folder (where
// packages are installed), the sessions root and an export folder, and the real local update server
// (tarvo-update-server) serving the content built with the project, on a port of its own choosing.
class E2E_WORLD
{
public:
    E2E_WORLD();
    ~E2E_WORLD();

    // Creates the folders and starts the update server; false with a reason when either failed.
    bool Start(QString& error);

    QString Home() const;
    QString AppFolder() const;
    QString SessionsRoot() const; // ends with "/"
    QString ExportFolder() const;
    // "http://127.0.0.1:<port>" + path on the update server.
    QString ServerUrl(const QString& path = QString()) const;

    // Makes every launcher window built afterwards use this world's folders and server.
    void PointLauncherHere() const;

private:
    std::unique_ptr<QTemporaryDir> folder;
    QProcess server;
    int port = 0;
};

// One HTTP exchange with 127.0.0.1; status 0 when no answer came within the limit.
struct E2E_REPLY
{
    int status = 0;
    QByteArray body;
};
E2E_REPLY HttpGet(const QString& url, int timeoutMs = 3000);
E2E_REPLY HttpPost(const QString& url, int timeoutMs = 3000);

// True when nothing listens on the port (checked by listening on it, without an event loop).
bool PortFree(quint16 port);
// The entries of a zip archive, as the unzip tool lists them.
QStringList ArchiveEntries(const QString& archive);

// User actions on widgets, as mouse clicks and key presses.
void ClickCheckBox(QCheckBox* box);
// Selects all of an editor's text (line edit or spin box) and types the new text over it.
void ReplaceText(QWidget* editor, const QString& text);
// Moves a combo box to the entry with the text using the arrow keys; false when it cannot be reached.
bool PickWithKeys(QComboBox* combo, const QString& text);

// The visible widget of type T under root whose object name, accessible name or text is key, or null.
template <typename T> T* VisibleChild(const QWidget* root, const QString& key)
{
    for (T* child : root->findChildren<T*>())
    {
        if (child->isVisible() && (child->objectName() == key || child->accessibleName() == key ||
                                   child->property("text").toString() == key))
        {
            return child;
        }
    }
    return nullptr;
}

#endif // E2EWORLD_H
