#include "GUI/GUI_ClassMainWindow.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_Constants.h"
#include "GUI/GUI_ClassGlobalSession.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassSessionWidget.h"
#include "GUI/GUI_ClassStartWindow.h"
#include "GUI/GUI_FileDialog.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_OpenAddress.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
constexpr int VIEW_MARGIN = 10;
constexpr int SESSION_LIST_WIDTH = 240;
} // namespace

CLASS_MAIN_WINDOW::CLASS_MAIN_WINDOW(QWidget* parent)
    : QFrame(parent), layout(new QGridLayout(this)), createButton(nullptr), duplicateButton(nullptr),
      deleteButton(nullptr), sessionList(new CLASS_GLOBAL_SESSION(this)),
      startWindow(new CLASS_START_WINDOW(this))
{
    // The list and the bottom bar are made in the view: moved into it once built, every widget of theirs
    // would be styled a second time.
    createButton = MakeButton(QStringLiteral("&Create New Session"), QStringLiteral("createSessionButton"));
    // "&Delete" keeps the D that delete has everywhere; duplicate takes the next letter.
    duplicateButton =
        MakeButton(QStringLiteral("D&uplicate Session"), QStringLiteral("duplicateSessionButton"));
    deleteButton = MakeButton(QStringLiteral("&Delete Session"), QStringLiteral("deleteSessionButton"));
    sessionList->setObjectName(QStringLiteral("sessionList"));
    startWindow->setObjectName(QStringLiteral("startWindow"));
    BuildLayout();
    AddShortcuts();
    UpdateSessionButtons();

    connect(createButton, &QPushButton::clicked, this, &CLASS_MAIN_WINDOW::SIGNAL_CreateNewSession,
            Qt::QueuedConnection);
    connect(deleteButton, &QPushButton::clicked, this, &CLASS_MAIN_WINDOW::SLOT_DeleteRequested,
            Qt::QueuedConnection);
    connect(duplicateButton, &QPushButton::clicked, this, &CLASS_MAIN_WINDOW::SIGNAL_DuplicateSession,
            Qt::QueuedConnection);
    connect(sessionList, &CLASS_GLOBAL_SESSION::SIGNAL_SessionToHide, this,
            &CLASS_MAIN_WINDOW::SIGNAL_SessionToHide, Qt::QueuedConnection);
    connect(startWindow, &CLASS_START_WINDOW::SIGNAL_RequestToSaveSession, this,
            &CLASS_MAIN_WINDOW::SIGNAL_RequestToSaveSession, Qt::QueuedConnection);
    connect(startWindow, &CLASS_START_WINDOW::SIGNAL_RequestToDiscardSession, this,
            &CLASS_MAIN_WINDOW::SIGNAL_RequestToDiscardSession, Qt::QueuedConnection);
    connect(startWindow, &CLASS_START_WINDOW::SIGNAL_RequestStartOrStopSession, this,
            &CLASS_MAIN_WINDOW::SLOT_StartOrStopRequested, Qt::QueuedConnection);
    connect(startWindow, &CLASS_START_WINDOW::SIGNAL_OpenWebZkm, this, &CLASS_MAIN_WINDOW::SLOT_OpenWebZkm,
            Qt::QueuedConnection);
}

QPushButton* CLASS_MAIN_WINDOW::MakeButton(const QString& text, const QString& objectName)
{
    QPushButton* button = new QPushButton(text, this);
    button->setObjectName(objectName);
    QString accessibleName = text;
    button->setAccessibleName(accessibleName.remove(QLatin1Char('&')));
    return button;
}

void CLASS_MAIN_WINDOW::BuildLayout()
{
    layout->setContentsMargins(VIEW_MARGIN, VIEW_MARGIN, VIEW_MARGIN, VIEW_MARGIN);
    layout->addWidget(new QLabel(QStringLiteral("SESSIONS"), this), 0, 0, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("SETUP"), this), 0, 2, 1, 1);

    sessionList->setFixedWidth(SESSION_LIST_WIDTH);
    layout->addWidget(sessionList, 1, 0, 1, 1);

    QVBoxLayout* sessionButtons = new QVBoxLayout;
    sessionButtons->setContentsMargins(0, 0, 0, 0);
    sessionButtons->addWidget(createButton);
    sessionButtons->addWidget(duplicateButton);
    sessionButtons->addWidget(deleteButton);
    layout->addLayout(sessionButtons, 2, 0, 1, 1);

    QHBoxLayout* bottomBar = new QHBoxLayout;
    bottomBar->addWidget(new QWidget(this));
    bottomBar->addWidget(startWindow);
    layout->addLayout(bottomBar, 2, 2, 1, 1);
}

void CLASS_MAIN_WINDOW::AddShortcuts()
{
    // Each key presses its button, so a disabled button ignores it and Delete asks its question. Delete
    // acts on the list only: in a text field it deletes a character.
    new QShortcut(QKeySequence::New, this, createButton, &QAbstractButton::click);
    new QShortcut(QKeySequence::Save, this, startWindow, &CLASS_START_WINDOW::ClickSave);
    new QShortcut(QKeySequence::Delete, sessionList, deleteButton, &QAbstractButton::click,
                  Qt::WidgetWithChildrenShortcut);
}

int CLASS_MAIN_WINDOW::GetSelectedSessionIndex() const
{
    return sessionList->GetSelectedIndex();
}

CLASS_SESSION_WIDGET* CLASS_MAIN_WINDOW::GetSelectedSessionWidget() const
{
    return sessionList->GetSelectedSession();
}

CLASS_SESSION_WIDGET* CLASS_MAIN_WINDOW::GetSessionWidget(int index) const
{
    return sessionList->GetSession(index);
}

void CLASS_MAIN_WINDOW::AddSessionEntry()
{
    sessionList->AddSession();
    UpdateSessionButtons();
}

void CLASS_MAIN_WINDOW::RemoveSelectedSessionEntry()
{
    const QWidget* focused = QApplication::focusWidget();
    const bool listHadFocus = focused != nullptr && sessionList->isAncestorOf(focused);
    sessionList->RemoveSelectedSession();
    UpdateSessionButtons();
    // The last card gone with the focus: the keyboard goes on from the button that makes a new one.
    if (listHadFocus && sessionList->GetSessionCount() == 0)
    {
        createButton->setFocus(Qt::OtherFocusReason);
    }
}

void CLASS_MAIN_WINDOW::DuplicateSelectedSessionEntry()
{
    sessionList->DuplicateSelectedSession();
    UpdateSessionButtons();
}

void CLASS_MAIN_WINDOW::UpdateSessionButtons()
{
    const bool selected = sessionList->GetSelectedSession() != nullptr;
    duplicateButton->setEnabled(selected);
    deleteButton->setEnabled(selected);
}

void CLASS_MAIN_WINDOW::SetSelectedSessionDevice(const QString& name)
{
    CLASS_SESSION_WIDGET* session = sessionList->GetSelectedSession();
    if (session)
    {
        session->SetDevice(name);
    }
}

CLASS_SETUP_VIEW* CLASS_MAIN_WINDOW::CreateSetupPanel(CLASS_TARVO_VERSION_INFO* versionInfo)
{
    auto* panel = new CLASS_GLOBAL_SETUP(versionInfo, nullptr);
    // Widgets only for a session that is shown: ten loaded sessions cost one panel at start-up.
    panel->BuildWhenShown();
    return panel;
}

void CLASS_MAIN_WINDOW::AddSetupPanel(CLASS_SETUP_VIEW* panel)
{
    layout->addWidget(qobject_cast<QWidget*>(panel->ViewObject()), 1, 2, 1, 1);
}

void CLASS_MAIN_WINDOW::SetWebPageUrl(const QString& url)
{
    webPageUrl = url;
    startWindow->SetOpenWebToolTip(url.isEmpty() ? QString()
                                                 : QStringLiteral("Opens %1 in the browser").arg(url));
}

QString CLASS_MAIN_WINDOW::GetWebPageUrl() const
{
    return webPageUrl;
}

void CLASS_MAIN_WINDOW::SetStartEnabled(bool enabled)
{
    startWindow->SetStartEnabled(enabled);
}

void CLASS_MAIN_WINDOW::SetSaveEnabled(bool enabled)
{
    startWindow->SetSaveEnabled(enabled);
}

void CLASS_MAIN_WINDOW::SetDiscardEnabled(bool enabled)
{
    startWindow->SetDiscardEnabled(enabled);
}

void CLASS_MAIN_WINDOW::SetOpenWebEnabled(bool enabled)
{
    startWindow->SetOpenWebEnabled(enabled);
}

void CLASS_MAIN_WINDOW::SetStartStopText(const QString& text)
{
    startWindow->SetStartStopText(text);
}

CLASS_GLOBAL_SESSION* CLASS_MAIN_WINDOW::GetSessionList() const
{
    return sessionList;
}

CLASS_START_WINDOW* CLASS_MAIN_WINDOW::GetStartWindow() const
{
    return startWindow;
}

void CLASS_MAIN_WINDOW::SLOT_StartOrStopRequested()
{
    emit SIGNAL_RequestStartOrStopSession(sessionList->GetSelectedIndex());
}

void CLASS_MAIN_WINDOW::SLOT_DeleteRequested()
{
    // Deleting removes the session's folder: the user confirms it first, and No is the default answer.
    const CLASS_SESSION_WIDGET* session = sessionList->GetSelectedSession();
    if (session != nullptr &&
        CLASS_MESSAGE_BOX::Question(
            this, MESSAGE_BOX_TITLE,
            QStringLiteral("Delete the session \"%1\"?\n\nIts folder, settings and files "
                           "are removed; this cannot be undone.")
                .arg(session->GetName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
    {
        return;
    }
    emit SIGNAL_DeleteSession();
}

void CLASS_MAIN_WINDOW::SLOT_OpenWebZkm()
{
    // When no browser shows the page (no xdg-open, no browser, one that fails), the user still gets the
    // address to copy.
    OpenAddress(this, QUrl(webPageUrl), BROWSER_NOT_OPENED_TEXT);
}

void CLASS_MAIN_WINDOW::ConnectRequests(CLASS_MAIN_BACKEND* backend)
{
    connect(this, &CLASS_MAIN_WINDOW::SIGNAL_CreateNewSession, backend, &CLASS_MAIN_BACKEND::CreateNewSession,
            Qt::QueuedConnection);
    connect(this, &CLASS_MAIN_WINDOW::SIGNAL_DeleteSession, backend, &CLASS_MAIN_BACKEND::DeleteSession,
            Qt::QueuedConnection);
    connect(this, &CLASS_MAIN_WINDOW::SIGNAL_DuplicateSession, backend, &CLASS_MAIN_BACKEND::DuplicateSession,
            Qt::QueuedConnection);
    connect(this, &CLASS_MAIN_WINDOW::SIGNAL_SessionToHide, backend, &CLASS_MAIN_BACKEND::ShowSession,
            Qt::QueuedConnection);
    connect(
        this, &CLASS_MAIN_WINDOW::SIGNAL_RequestToSaveSession, backend,
        [backend]() { backend->SLOT_SaveRequest(); }, Qt::QueuedConnection);
    connect(this, &CLASS_MAIN_WINDOW::SIGNAL_RequestToDiscardSession, backend,
            &CLASS_MAIN_BACKEND::DiscardRequest, Qt::QueuedConnection);
    connect(this, &CLASS_MAIN_WINDOW::SIGNAL_RequestStartOrStopSession, backend,
            &CLASS_MAIN_BACKEND::StartOrStopSession, Qt::QueuedConnection);
}

void CLASS_MAIN_WINDOW::Inform(const QString& text)
{
    CLASS_MESSAGE_BOX::Information(nullptr, MESSAGE_BOX_TITLE, text);
}

void CLASS_MAIN_WINDOW::Warn(const QString& text)
{
    CLASS_MESSAGE_BOX::Warning(nullptr, MESSAGE_BOX_TITLE, text);
}

bool CLASS_MAIN_WINDOW::Confirm(const QString& question)
{
    return CLASS_MESSAGE_BOX::Question(nullptr, MESSAGE_BOX_TITLE, question,
                                       QMessageBox::Yes | QMessageBox::No,
                                       QMessageBox::No) == QMessageBox::Yes;
}

QString CLASS_MAIN_WINDOW::ChooseFolder(const QString& caption)
{
    return CLASS_FILE_DIALOG::GetExistingDirectory(nullptr, caption, QString());
}

QString CLASS_MAIN_WINDOW::ChooseFile(const QString& caption, const QString& filter)
{
    return CLASS_FILE_DIALOG::GetOpenFileName(nullptr, caption, QString(), filter);
}
