#include "GUI/GUI_ClassManagePackage.h"

#include "DEVICE/DEVICE_ClassPackageManager.h"
#include "DEVICE/DEVICE_ClassTarvoVersionInfo.h"
#include "DEVICE/DEVICE_Constants.h"
#include "GUI/GUI_DialogKeys.h"
#include "GUI/GUI_MessageBox.h"
#include "GUI/GUI_SharpPixmap.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRProgressBar.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPixmap>

namespace
{
const QString WINDOW_TITLE = QStringLiteral("Package manager");
const QString LOGO_RESOURCE = QStringLiteral(":/LOGO/logo-Tarvo-4k-Simulator.svg");
const QString WARNING_ICON_RESOURCE = QStringLiteral(":/css_icons/error.svg");
const QString INSTRUCTION_TEXT =
    QStringLiteral("Choose the package(s) that you want to install and press apply.");
const QString NO_INTERNET_TEXT = QStringLiteral("Internet connection is not available.");
const QString NO_ANSWER_TEXT = QStringLiteral("Internet connection is not available: %1 does not answer.");
const QString NO_INTERNET_STYLE =
    QStringLiteral("QLabel {color: #F64747; font-size: 14px; font-style: normal; "
                   "font-weight: 600; line-height: 18px;}");
const QString INCOMPATIBLE_TEXT =
    QStringLiteral("Please update your simulator, a package isn't compatible with this version.");
const QColor PROGRESS_FILL_COLOR(QStringLiteral("#00FF7F")); // ZR_GREEN
constexpr unsigned int PROGRESS_SIZE_INDEX = 2;
} // namespace

CLASS_MANAGE_PACKAGE::CLASS_MANAGE_PACKAGE(CLASS_TARVO_VERSION_INFO* versionInfo, QWidget* parent)
    : QWidget(parent), mainLayout(this), applyButton(QStringLiteral("Apply")),
      closeButton(QStringLiteral("Close")), refreshButton(QStringLiteral("Refresh")),
      versionInfo(versionInfo), progressBar(nullptr), statusLabel(nullptr), cancelButton(nullptr),
      warningIcon(nullptr), warningText(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags((windowFlags() & ~Qt::WindowMaximizeButtonHint) | Qt::CustomizeWindowHint);
    setWindowTitle(WINDOW_TITLE);
    applyButton.setObjectName(QStringLiteral("applybutton"));
    closeButton.setObjectName(QStringLiteral("closebutton"));
    refreshButton.setObjectName(QStringLiteral("refreshbutton"));

    AddLogo();
    QLabel* instruction = new QLabel(INSTRUCTION_TEXT, this);
    instruction->setObjectName(QStringLiteral("instruction"));
    mainLayout.addWidget(instruction);
    AddWarningRow();
    AddPackageBoxes();
    AddProgressArea();
    mainLayout.addStretch(1);
    AddButtonRow();
    ConnectSignals();
    SetProgressHidden(true);
}

void CLASS_MANAGE_PACKAGE::AddLogo()
{
    logo.setObjectName(QStringLiteral("logo"));
    logo.setPixmap(SharpPixmap(LOGO_RESOURCE, QSize(LOGO_WIDTH, LOGO_HEIGHT)));
    mainLayout.addWidget(&logo);
}

void CLASS_MANAGE_PACKAGE::AddWarningRow()
{
    QHBoxLayout* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    warningIcon = new QLabel(this);
    warningIcon->setObjectName(QStringLiteral("warningicon"));
    warningIcon->setPixmap(SharpPixmap(WARNING_ICON_RESOURCE));
    warningText = new QLabel(NO_INTERNET_TEXT, this);
    warningText->setObjectName(QStringLiteral("warningtext"));
    // The notice may name the server's address, which comes from outside.
    warningText->setTextFormat(Qt::PlainText);
    warningText->setStyleSheet(NO_INTERNET_STYLE);
    row->addWidget(warningIcon, 0, Qt::AlignLeft);
    row->addWidget(warningText, 0, Qt::AlignLeft);
    row->addStretch();
    mainLayout.addLayout(row);
    SetNoInternet(false);
}

void CLASS_MANAGE_PACKAGE::AddPackageBoxes()
{
    packageGrid = new QGridLayout;
    mainLayout.addLayout(packageGrid);
    if (versionInfo != nullptr)
    {
        SetPackages(versionInfo->GetPackagesList().values());
    }
}

void CLASS_MANAGE_PACKAGE::SetPackages(const QStringList& versions)
{
    qDeleteAll(packageBoxes);
    packageBoxes.clear();
    qDeleteAll(trustLabels);
    trustLabels.clear();
    for (int row = 0; row < versions.size(); ++row)
    {
        QCheckBox* box = new QCheckBox(versions.at(row), this);
        box->setObjectName(QStringLiteral("package_%1").arg(row));
        packageGrid->addWidget(box, row, 0);
        packageBoxes.append(box);
        QLabel* trust = new QLabel(this);
        trust->setObjectName(QStringLiteral("trust_%1").arg(row));
        packageGrid->addWidget(trust, row, 1);
        trustLabels.append(trust);
        // The result of the last job, a failure included, stays until the user changes a tick.
        connect(box, &QCheckBox::clicked, this,
                [this]()
                {
                    if (closeButton.isEnabled())
                    {
                        SetProgressHidden(true);
                    }
                });
    }
}

void CLASS_MANAGE_PACKAGE::AddProgressArea()
{
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statuslabel"));
    // The status names catalogue versions, which come from the server.
    statusLabel->setTextFormat(Qt::PlainText);
    mainLayout.addWidget(statusLabel, 0, Qt::AlignCenter);

    progressBar = new CLASS_ZR_PROGRESS_BAR(PROGRESS_SIZE_INDEX, PROGRESS_FILL_COLOR, this);
    progressBar->setObjectName(QStringLiteral("progressbar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    mainLayout.addWidget(progressBar);

    QHBoxLayout* row = new QHBoxLayout;
    row->addStretch();
    pauseButton = new QPushButton(QStringLiteral("Pause"), this);
    pauseButton->setObjectName(QStringLiteral("pausebutton"));
    pauseButton->setFixedSize(CANCEL_WIDTH, CANCEL_HEIGHT);
    row->addWidget(pauseButton);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelbutton"));
    cancelButton->setFixedSize(CANCEL_WIDTH, CANCEL_HEIGHT);
    row->addWidget(cancelButton);
    row->addStretch();
    mainLayout.addLayout(row);
}

void CLASS_MANAGE_PACKAGE::AddButtonRow()
{
    QHBoxLayout* row = new QHBoxLayout;
    row->addWidget(&closeButton);
    row->addWidget(&refreshButton);
    row->addWidget(&applyButton);
    applyButton.setDefault(true);
    mainLayout.addLayout(row);
}

void CLASS_MANAGE_PACKAGE::ConnectSignals()
{
    connect(this, &CLASS_MANAGE_PACKAGE::SIGNAL_ValueChanged, progressBar, &QProgressBar::setValue,
            Qt::QueuedConnection);
    connect(cancelButton, &QPushButton::clicked, this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestCancel,
            Qt::QueuedConnection);
    connect(&applyButton, &QPushButton::clicked, this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate,
            Qt::QueuedConnection);
    connect(&closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(pauseButton, &QPushButton::clicked, this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestPauseOrResume,
            Qt::QueuedConnection);
    connect(&refreshButton, &QPushButton::clicked, this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestRefresh,
            Qt::QueuedConnection);
}

void CLASS_MANAGE_PACKAGE::Attach(CLASS_PACKAGE_MANAGER_BACKEND* backend)
{
    connect(this, &QObject::destroyed, backend, &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ForgetView);
    // A close while a job runs is told at once: the job stops before the window may go.
    connect(this, &CLASS_MANAGE_PACKAGE::SIGNAL_Closing, backend,
            &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_ViewClosing, Qt::DirectConnection);
    connect(this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestCancel, backend,
            &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_CancelUpdate, Qt::DirectConnection);
    connect(this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestUpdate, backend,
            &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_UpdatePackages, Qt::QueuedConnection);
    connect(this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestPauseOrResume, backend,
            &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_PauseOrResume, Qt::QueuedConnection);
    connect(this, &CLASS_MANAGE_PACKAGE::SIGNAL_RequestRefresh, backend,
            &CLASS_PACKAGE_MANAGER_BACKEND::SLOT_RefreshCatalogue, Qt::QueuedConnection);
}

void CLASS_MANAGE_PACKAGE::SetPackageChecked(int index, bool checked)
{
    if (index >= 0 && index < packageBoxes.size())
    {
        packageBoxes.at(index)->setChecked(checked);
    }
}

void CLASS_MANAGE_PACKAGE::SetPackageSigned(int index, bool isSigned)
{
    if (index >= 0 && index < trustLabels.size())
    {
        trustLabels.at(index)->setText(isSigned ? QStringLiteral("signed") : QStringLiteral("unsigned"));
    }
}

void CLASS_MANAGE_PACKAGE::GetCheckedPackages(QStringList& packages) const
{
    packages.clear();
    for (const QCheckBox* box : packageBoxes)
    {
        if (box->isChecked())
        {
            packages.append(box->text());
        }
    }
}

void CLASS_MANAGE_PACKAGE::SetProgressHidden(bool hidden)
{
    progressBar->setHidden(hidden);
    statusLabel->setHidden(hidden);
    cancelButton->setHidden(hidden);
    pauseButton->setHidden(hidden || pauseState == PACKAGE_PAUSE_BUTTON::Hidden);
}

void CLASS_MANAGE_PACKAGE::SetStatusText(const QString& text)
{
    statusLabel->setText(text);
}

void CLASS_MANAGE_PACKAGE::SetProgressValue(SDWord value)
{
    emit SIGNAL_ValueChanged(value);
}

void CLASS_MANAGE_PACKAGE::SetButtonsEnabled(bool enabled)
{
    applyButton.setEnabled(enabled);
    refreshButton.setEnabled(enabled);
    closeButton.setEnabled(enabled);
}

void CLASS_MANAGE_PACKAGE::SetPauseButton(PACKAGE_PAUSE_BUTTON state)
{
    pauseState = state;
    pauseButton->setText(state == PACKAGE_PAUSE_BUTTON::Resume ? QStringLiteral("Resume")
                                                               : QStringLiteral("Pause"));
    pauseButton->setHidden(statusLabel->isHidden() || state == PACKAGE_PAUSE_BUTTON::Hidden);
}

void CLASS_MANAGE_PACKAGE::SetNoInternet(bool noInternet, const QString& address)
{
    warningText->setText(noInternet && !address.isEmpty() ? NO_ANSWER_TEXT.arg(address) : NO_INTERNET_TEXT);
    warningIcon->setVisible(noInternet);
    warningText->setVisible(noInternet);
}

void CLASS_MANAGE_PACKAGE::ShowIncompatibleAndClose()
{
    CLASS_MESSAGE_BOX::Information(this, MESSAGE_BOX_TITLE, INCOMPATIBLE_TEXT);
    close();
}

bool CLASS_MANAGE_PACKAGE::ConfirmRemoval(const QString& question)
{
    return CLASS_MESSAGE_BOX::Question(this, MESSAGE_BOX_TITLE, question, QMessageBox::Yes | QMessageBox::No,
                                       QMessageBox::No) == QMessageBox::Yes;
}

QCheckBox* CLASS_MANAGE_PACKAGE::PackageBox(int index) const
{
    return (index >= 0 && index < packageBoxes.size()) ? packageBoxes.at(index) : nullptr;
}

QString CLASS_MANAGE_PACKAGE::PackageTrustText(int index) const
{
    return (index >= 0 && index < trustLabels.size()) ? trustLabels.at(index)->text() : QString();
}

QString CLASS_MANAGE_PACKAGE::StatusText() const
{
    return statusLabel->text();
}

void CLASS_MANAGE_PACKAGE::setVisible(bool visible)
{
    if (visible && closed)
    {
        return;
    }
    QWidget::setVisible(visible);
}

void CLASS_MANAGE_PACKAGE::keyPressEvent(QKeyEvent* event)
{
    if (!HandleDialogKey(event, this, &applyButton, &closeButton))
    {
        QWidget::keyPressEvent(event);
    }
}

void CLASS_MANAGE_PACKAGE::closeEvent(QCloseEvent* event)
{
    emit SIGNAL_Closing();
    closed = true;
    QWidget::closeEvent(event);
}
