#include "GUI/GUI_OpenAddress.h"

#include "DEVICE/DEVICE_Constants.h"
#include "GUI/GUI_MessageBox.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDesktopServices>
#include <QUrl>

bool OpenAddress(QWidget* parent, const QUrl& address, const QString& failureText)
{
    if (QDesktopServices::openUrl(address))
    {
        return true;
    }
    const QString shown = address.isLocalFile() ? address.toLocalFile() : address.toString();
    TRACE_ERROR(QStringLiteral("Cannot open ") + address.toString(QUrl::RemoveUserInfo));
    CLASS_MESSAGE_BOX::Address(parent, MESSAGE_BOX_TITLE, failureText, shown);
    return false;
}
