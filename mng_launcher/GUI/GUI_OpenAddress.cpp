#include "GUI/GUI_OpenAddress.h"

#include "DEVICE/DEVICE_Constants.h"
#include "GUI/GUI_MessageBox.h"
#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace
{
void TellAddress(QWidget* parent, const QUrl& address, const QString& failureText, const QString& reason)
{
    TRACE_ERROR(QStringLiteral("Cannot open ") + address.toString(QUrl::RemoveUserInfo) +
                QStringLiteral(": ") + reason);
    const QString shown = address.isLocalFile() ? address.toLocalFile() : address.toString();
    CLASS_MESSAGE_BOX::Address(parent, MESSAGE_BOX_TITLE, failureText, shown);
}
} // namespace

void OpenAddress(QWidget* parent, const QUrl& address, const QString& failureText)
{
    // The box may come after the widget that asked has gone (a box closed in the meantime).
    const QPointer<QWidget> owner(parent);
    const auto whenDone = [owner, address, failureText](bool opened, const QString& reason)
    {
        if (!opened)
        {
            TellAddress(owner.data(), address, failureText, reason);
        }
    };
    // An address without a scheme is no address for the desktop (and could pass for an option).
    if (!address.isValid() || address.isRelative())
    {
        whenDone(false, QStringLiteral("not an absolute address"));
        return;
    }
    if (!PLATFORM::OpenWithDesktopOpener(QString::fromLatin1(address.toEncoded()), whenDone))
    {
        whenDone(QDesktopServices::openUrl(address), QStringLiteral("the desktop has no handler for it"));
    }
}
