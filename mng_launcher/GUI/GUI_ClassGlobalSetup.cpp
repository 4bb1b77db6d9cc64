#include "GUI/GUI_ClassGlobalSetup.h"

#include "DEVICE/DEVICE_Helpers.h"
#include "GUI/GUI_ClassDeviceConfiguration.h"
#include "GUI/GUI_ClassSelectPlatform.h"
#include "GUI/GUI_SetupEditors.h"
#include "GUI/GUI_TextCut.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRComboBox.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
constexpr int MAIN_SPACING = 3;
constexpr int DEVICE_BOX_STRETCH = 10;
constexpr int DEFAULT_DEVICE_TYPE = 3;
constexpr int SELECTION_SIZE = 3;
const QString DEFAULT_PORT = QStringLiteral("3000");

} // namespace

CLASS_GLOBAL_SETUP::CLASS_GLOBAL_SETUP(CLASS_TARVO_VERSION_INFO* versionInfo, QWidget* parent)
    : QWidget(parent), mainLayout(nullptr), labelEditor(nullptr), portEditor(nullptr),
      descriptionEditor(nullptr), configurationView(nullptr), platformSelector(nullptr),
      deviceBoxLayout(nullptr), versionInfo(versionInfo), buildWaits(false)
{
    pending.port = DEFAULT_PORT.toInt();
    pending.deviceType = DEFAULT_DEVICE_TYPE;
}

void CLASS_GLOBAL_SETUP::BuildPanel()
{
    if (mainLayout)
    {
        return;
    }
    mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(MAIN_SPACING);
    mainLayout->addWidget(BuildIdentificationBox());
    mainLayout->addWidget(BuildNetworkBox());
    mainLayout->addWidget(BuildDeviceBox(), DEVICE_BOX_STRETCH);
    if (buildWaits)
    {
        ApplyPendingValues();
        buildWaits = false;
    }
    // After the values: filling the editors is not a change of the user's.
    ConnectEditors();
}

void CLASS_GLOBAL_SETUP::BuildWhenShown()
{
    buildWaits = mainLayout == nullptr;
}

bool CLASS_GLOBAL_SETUP::IsBuilt() const
{
    return mainLayout != nullptr;
}

bool CLASS_GLOBAL_SETUP::Waiting() const
{
    return buildWaits && mainLayout == nullptr;
}

void CLASS_GLOBAL_SETUP::setVisible(bool visible)
{
    // Built before it shows, so that its first paint is already complete. (Not on polishing: a parent
    // polishes its hidden children too, when its size is first asked for.)
    if (visible && Waiting())
    {
        BuildPanel();
    }
    QWidget::setVisible(visible);
}

bool CLASS_GLOBAL_SETUP::event(QEvent* event)
{
    // Shown along with its parent without being shown itself: built now, its widgets follow at once
    // from the event loop.
    if (event->type() == QEvent::Show && Waiting())
    {
        BuildPanel();
    }
    return QWidget::event(event);
}

void CLASS_GLOBAL_SETUP::PostNotice(const std::function<void()>& notice)
{
    // Sent from the event loop, as the built panel forwards its editors' notices; not at all once the
    // panel is gone.
    QMetaObject::invokeMethod(this, notice, Qt::QueuedConnection);
}

void CLASS_GLOBAL_SETUP::ApplyPendingValues()
{
    labelEditor->setText(pending.label);
    descriptionEditor->setPlainText(pending.description);
    portEditor->setValue(pending.port);
    if (pending.typeButtons)
    {
        platformSelector->BuildTypeButtons();
    }
    {
        // The list is filled as it was when the values were set; no change notice is queued for that.
        const QSignalBlocker quiet(platformSelector->GetVersionList());
        platformSelector->AddVersions(pending.versions, DEFAULT_DEVICE_TYPE);
        platformSelector->SetVersionIndex(pending.versionIndex);
    }
    platformSelector->ShowDeviceType(pending.deviceType);
    configurationView->SetAudioPlugged(pending.audioPlugged);
    SetEditable(pending.editable);
    pending.versions.clear();
}

QWidget* CLASS_GLOBAL_SETUP::BuildIdentificationBox()
{
    QGroupBox* box = new QGroupBox(QStringLiteral("Identification"), this);
    QVBoxLayout* boxLayout = new QVBoxLayout(box);
    SetGroupMargins(boxLayout);

    labelEditor = MakeLabelEditor(box, LABEL_MAX_LENGTH);
    boxLayout->addLayout(MakeEditorRow(QStringLiteral("Label"), labelEditor, box));
    descriptionEditor = MakeDescriptionEditor(box);
    boxLayout->addLayout(MakeEditorRow(QStringLiteral("Description"), descriptionEditor, box));
    return box;
}

QWidget* CLASS_GLOBAL_SETUP::BuildNetworkBox()
{
    QGroupBox* box = new QGroupBox(QStringLiteral("Network"), this);
    QHBoxLayout* boxLayout = new QHBoxLayout(box);
    SetGroupMargins(boxLayout);

    portEditor = MakePortEditor(box, PORT_MIN, PORT_MAX, DEFAULT_PORT.toInt());
    boxLayout->addLayout(MakeEditorRow(QStringLiteral("Port"), portEditor, box));
    return box;
}

QWidget* CLASS_GLOBAL_SETUP::BuildDeviceBox()
{
    QGroupBox* box = new QGroupBox(QStringLiteral("Device"), this);
    deviceBoxLayout = new QVBoxLayout(box);
    SetGroupMargins(deviceBoxLayout);

    platformSelector = new CLASS_SELECT_PLATFORM(box);
    platformSelector->setObjectName(QStringLiteral("platformSelector"));
    deviceBoxLayout->addWidget(platformSelector, 0, Qt::AlignTop);
    // A panel built from waiting values builds the view of their device model at once.
    SLOT_ReplaceConfigurationView(buildWaits ? pending.deviceType : DEFAULT_DEVICE_TYPE);
    deviceBoxLayout->addStretch();
    return box;
}

void CLASS_GLOBAL_SETUP::ConnectEditors()
{
    connect(labelEditor, &QLineEdit::textChanged, this, &CLASS_GLOBAL_SETUP::SIGNAL_TextChangedDevicetype,
            Qt::QueuedConnection);
    connect(descriptionEditor, &QTextEdit::textChanged, this,
            &CLASS_GLOBAL_SETUP::SLOT_LimitDescriptionLength, Qt::QueuedConnection);
    connect(descriptionEditor, &QTextEdit::textChanged, this, &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate,
            Qt::QueuedConnection);
    connect(portEditor, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &CLASS_GLOBAL_SETUP::SIGNAL_ValueChangedPort, Qt::QueuedConnection);
    // Direct, so that the new configuration view exists as soon as SetDeviceType returns.
    connect(platformSelector, &CLASS_SELECT_PLATFORM::SIGNAL_SelectedDeviceType, this,
            &CLASS_GLOBAL_SETUP::SLOT_ReplaceConfigurationView, Qt::DirectConnection);
    connect(platformSelector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestTypeUpdate, this,
            &CLASS_GLOBAL_SETUP::SIGNAL_RequestTypeUpdate, Qt::QueuedConnection);
    connect(platformSelector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestUpdate, this,
            &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate, Qt::QueuedConnection);
}

void CLASS_GLOBAL_SETUP::SLOT_ReplaceConfigurationView(SDWord type)
{
    delete configurationView;
    // Built inside its box: moving a built view there would restyle every widget of it once more.
    configurationView = new CLASS_DEVICE_CONFIGURATION(deviceBoxLayout->parentWidget(), type);
    configurationView->setObjectName(QStringLiteral("configurationView"));
    for (QCheckBox* checkBox : configurationView->findChildren<QCheckBox*>())
    {
        if (checkBox->accessibleName().isEmpty())
        {
            checkBox->setAccessibleName(QStringLiteral("Audio card plugged"));
        }
    }
    deviceBoxLayout->insertWidget(1, configurationView);
    connect(configurationView, &CLASS_DEVICE_CONFIGURATION::SIGNAL_RequestUpdate, this,
            &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate, Qt::QueuedConnection);
}

void CLASS_GLOBAL_SETUP::SLOT_LimitDescriptionLength()
{
    const QString text = descriptionEditor->toPlainText();
    const int excess = text.length() - DESCRIPTION_MAX_LENGTH;
    if (excess <= 0)
    {
        return;
    }
    // The surplus is what was just typed or pasted: the characters that end at the cursor.
    const int cursorPosition = descriptionEditor->textCursor().position();
    int start = cursorPosition - excess;
    int newCursorPosition = start;
    if (start < 0)
    {
        // The cursor sits before the surplus (a text set at once): the beginning is kept.
        start = DESCRIPTION_MAX_LENGTH;
        newCursorPosition = cursorPosition;
    }
    // The cut takes a whole character: an emoji is not split into half a surrogate pair.
    const int end = start + excess;
    start = WholeCharacterPosition(text, start);
    newCursorPosition = std::min(newCursorPosition, start);
    descriptionEditor->setPlainText(QString(text).remove(start, end - start));
    QTextCursor cursor = descriptionEditor->textCursor();
    cursor.setPosition(newCursorPosition);
    descriptionEditor->setTextCursor(cursor);
}

QString CLASS_GLOBAL_SETUP::GetLabel() const
{
    return Waiting() ? pending.label : labelEditor->text();
}

void CLASS_GLOBAL_SETUP::SetLabel(const QString& label)
{
    if (Waiting())
    {
        // Announced as the editor announces its clearing, then the insertion.
        if (!pending.label.isEmpty())
        {
            PostNotice([this]() { emit SIGNAL_TextChangedDevicetype(QString()); });
        }
        pending.label = label.left(LABEL_MAX_LENGTH);
        if (!pending.label.isEmpty())
        {
            PostNotice([this, text = pending.label]() { emit SIGNAL_TextChangedDevicetype(text); });
        }
        return;
    }
    labelEditor->clear();
    labelEditor->insert(label);
}

QString CLASS_GLOBAL_SETUP::GetDescription() const
{
    return Waiting() ? pending.description : descriptionEditor->toPlainText();
}

void CLASS_GLOBAL_SETUP::SetDescription(const QString& description)
{
    if (Waiting())
    {
        // A text set at once keeps its beginning, as the editor's own limit does.
        pending.description = LeftWholeCharacters(description, DESCRIPTION_MAX_LENGTH);
        // The editor announces every text set, the same text too.
        PostNotice([this]() { emit SIGNAL_RequestUpdate(); });
        return;
    }
    // Plain text: a stored description that looks like markup comes back exactly as it was written.
    descriptionEditor->setPlainText(description);
}

int CLASS_GLOBAL_SETUP::GetPortValue() const
{
    return Waiting() ? pending.port : portEditor->value();
}

void CLASS_GLOBAL_SETUP::SetPortValue(int port)
{
    if (Waiting())
    {
        const int bounded = qBound(PORT_MIN, port, PORT_MAX);
        if (bounded != pending.port)
        {
            pending.port = bounded;
            PostNotice([this, bounded]() { emit SIGNAL_ValueChangedPort(bounded); });
        }
        return;
    }
    portEditor->setValue(port);
}

int CLASS_GLOBAL_SETUP::GetVersionIndex() const
{
    return Waiting() ? pending.versionIndex : platformSelector->GetVersionIndex();
}

bool CLASS_GLOBAL_SETUP::IsVersionMissing() const
{
    return Waiting() ? pending.versionMissing : platformSelector->IsVersionMissing();
}

void CLASS_GLOBAL_SETUP::ClearVersions()
{
    if (Waiting())
    {
        // As the list settles once its change notices have run: nothing current.
        pending.versions.clear();
        pending.versionIndex = -1;
        return;
    }
    platformSelector->ClearVersions();
}

void CLASS_GLOBAL_SETUP::AddVersion(const QString& version, int row, bool installed)
{
    AddVersions({{DottedVersion(version), row, installed}});
}

void CLASS_GLOBAL_SETUP::AddVersions(const QVector<VERSION_ENTRY>& versions)
{
    if (!Waiting())
    {
        platformSelector->AddVersions(versions, DEFAULT_DEVICE_TYPE);
        return;
    }
    if (versions.isEmpty())
    {
        return;
    }
    pending.versions += versions; // no copy while the panel holds none yet
    pending.deviceType = DEFAULT_DEVICE_TYPE;
    if (pending.versionIndex < 0)
    {
        pending.versionIndex = 0; // the first entry becomes the current one
    }
}

void CLASS_GLOBAL_SETUP::BuildTypeButtons()
{
    if (Waiting())
    {
        pending.typeButtons = true;
        return;
    }
    platformSelector->BuildTypeButtons();
}

void CLASS_GLOBAL_SETUP::CheckVersion()
{
    if (Waiting())
    {
        const int current = pending.versionIndex;
        pending.versionMissing =
            current >= 0 && current < pending.versions.size() && !pending.versions.at(current).installed;
        return;
    }
    platformSelector->CheckVersion();
}

void CLASS_GLOBAL_SETUP::SetEditable(bool editable)
{
    if (Waiting())
    {
        pending.editable = editable;
        return;
    }
    platformSelector->SetTypeButtonsEnabled(editable);
    configurationView->SetAudioCheckEnabled(editable);
}

QList<int> CLASS_GLOBAL_SETUP::GetSelection() const
{
    if (Waiting())
    {
        return {pending.versionIndex, pending.deviceType, pending.audioPlugged ? 1 : 0};
    }
    return {platformSelector->GetVersionIndex(), platformSelector->GetDeviceType(),
            configurationView->IsAudioPlugged() ? 1 : 0};
}

void CLASS_GLOBAL_SETUP::RestoreSelection(const QList<int>& selection)
{
    if (selection.size() < SELECTION_SIZE)
    {
        TRACE_ERROR(QStringLiteral("Incomplete session configuration: %1 values").arg(selection.size()));
        return;
    }
    if (Waiting())
    {
        pending.versionIndex = selection.at(0);
        CheckVersion();
        pending.deviceType = selection.at(1);
        pending.audioPlugged = selection.at(2) != 0;
        // A device model set this way is announced as the selector announces it.
        emit SIGNAL_RequestTypeUpdate(pending.deviceType);
        emit SIGNAL_RequestUpdate();
        return;
    }
    platformSelector->SetVersionIndex(selection.at(0));
    platformSelector->SetDeviceType(selection.at(1));
    configurationView->SetAudioPlugged(selection.at(2) != 0);
}

CLASS_SELECT_PLATFORM* CLASS_GLOBAL_SETUP::GetPlatformSelector() const
{
    return platformSelector;
}

CLASS_DEVICE_CONFIGURATION* CLASS_GLOBAL_SETUP::GetConfigurationView() const
{
    return configurationView;
}

QObject* CLASS_GLOBAL_SETUP::ViewObject()
{
    return this;
}

void CLASS_GLOBAL_SETUP::SetShown(bool shown)
{
    setVisible(shown);
}

void CLASS_GLOBAL_SETUP::SetPanelEnabled(bool enabled)
{
    setEnabled(enabled);
}

void CLASS_GLOBAL_SETUP::Dispose()
{
    hide();
    deleteLater();
}

void CLASS_GLOBAL_SETUP::ConnectEdits(QObject* receiver, const std::function<void()>& edited)
{
    connect(
        this, &CLASS_GLOBAL_SETUP::SIGNAL_TextChangedDevicetype, receiver,
        [edited](const QString&) { edited(); }, Qt::QueuedConnection);
    connect(
        this, &CLASS_GLOBAL_SETUP::SIGNAL_ValueChangedPort, receiver, [edited](SDWord) { edited(); },
        Qt::QueuedConnection);
    connect(this, &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate, receiver, edited, Qt::QueuedConnection);
}

void CLASS_GLOBAL_SETUP::ConnectTypeChanges(QObject* receiver, const std::function<void(int)>& typeChanged)
{
    connect(
        this, &CLASS_GLOBAL_SETUP::SIGNAL_RequestTypeUpdate, receiver,
        [typeChanged](SDWord newType) { typeChanged(newType); }, Qt::QueuedConnection);
}
