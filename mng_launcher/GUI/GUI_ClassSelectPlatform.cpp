#include "GUI/GUI_ClassSelectPlatform.h"

#include "DEVICE/DEVICE_DeviceTables.h"
#include "GUI/GUI_ClassDeviceConfiguration.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRComboBox.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace
{
constexpr int CAPTION_WIDTH = 100;
constexpr int TYPE_ROW_SPACING = 5;
constexpr int TYPE_BUTTON_STRETCH = 5;
constexpr int DEFAULT_DEVICE_TYPE = 3;
// Characters of the longest entry expected: "99.99.99" followed by "\t- Not installed".
constexpr int VERSION_TEXT_LENGTH = 26;

const QString NOT_INSTALLED = QStringLiteral("Not installed");
const QString NOT_INSTALLED_SUFFIX = QStringLiteral("\t- Not installed");
const QString WARNING_ICON = QStringLiteral(":/css_icons/warning.svg");

const QString STYLE_TYPE_SELECTED =
    QStringLiteral("QPushButton {background-color: #2185D0; color: #E6FFFFFF; font-size: 12px; font: bold;} "
                   "QPushButton:hover {background-color: #2493e6; color: #FFFFFF; font: bold;} "
                   "QPushButton:disabled {background-color: #114268; color: #B3FFFFFF;}");
const QString STYLE_TYPE_UNSELECTED =
    QStringLiteral("QPushButton {color: #FFFFFF; background-color: #49535B; font-size: 12px; font: bold;} "
                   "QPushButton:hover {background-color: #53606A; font: bold;} "
                   "QPushButton:disabled {background-color: #323F48; color: #4DFFFFFF;}");

const QString STYLE_VERSION_MISSING = QStringLiteral("QComboBox {border: 1px solid #F64747;}");
const QString STYLE_VERSION_PRESENT = QStringLiteral("QComboBox {border: 1px solid #26000000;}");
} // namespace

CLASS_SELECT_PLATFORM::CLASS_SELECT_PLATFORM(QWidget* parent)
    : QWidget(parent), layout(new QVBoxLayout(this)), versionIndex(0), deviceType(DEFAULT_DEVICE_TYPE),
      typeButtonCount(0), versionRow(new QHBoxLayout), typeRow(new QHBoxLayout),
      versionList(new CLASS_ZR_COMBO_BOX(this)), versionMissing(false), warningIcon(WARNING_ICON)
{
    layout->setContentsMargins(0, 0, 0, 0);

    QLabel* typeCaption = new QLabel(QStringLiteral("Type"), this);
    typeCaption->setFixedWidth(CAPTION_WIDTH);
    typeRow->setSpacing(0);
    typeRow->addWidget(typeCaption);
    typeRow->addSpacing(TYPE_ROW_SPACING);

    QLabel* versionCaption = new QLabel(QStringLiteral("Version"), this);
    versionCaption->setFixedWidth(CAPTION_WIDTH);
    versionCaption->setBuddy(versionList);
    versionList->setObjectName(QStringLiteral("versionList"));
    // Its look until a version is checked. Set before the size policy below, which makes the list's
    // pop-up: set afterwards (by the first check), it restyled the pop-up's widgets once more.
    versionList->setStyleSheet(STYLE_VERSION_PRESENT);
    // Sized for a version text and its mark rather than by measuring every entry, which would cost as
    // much as the catalogue is long.
    versionList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    versionList->setMinimumContentsLength(VERSION_TEXT_LENGTH);
    versionList->setAccessibleName(QStringLiteral("Simulator version"));
    versionRow->addWidget(versionCaption);
    versionRow->addWidget(versionList);
    versionRow->addWidget(new QWidget(this));

    layout->addLayout(typeRow);
    layout->addLayout(versionRow);

    connect(versionList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CLASS_SELECT_PLATFORM::SLOT_VersionIndexChanged, Qt::QueuedConnection);
}

int CLASS_SELECT_PLATFORM::GetVersionIndex() const
{
    return versionIndex;
}

int CLASS_SELECT_PLATFORM::GetDeviceType() const
{
    return deviceType;
}

bool CLASS_SELECT_PLATFORM::IsVersionMissing() const
{
    return versionMissing;
}

CLASS_ZR_COMBO_BOX* CLASS_SELECT_PLATFORM::GetVersionList() const
{
    return versionList;
}

void CLASS_SELECT_PLATFORM::AddVersion(const QString& text, int row, int machineType, bool installed)
{
    AddVersions({{text, row, installed}}, machineType);
}

void CLASS_SELECT_PLATFORM::AddVersions(const QVector<VERSION_ENTRY>& versions, int machineType)
{
    deviceType = machineType;
    QStandardItemModel* model = qobject_cast<QStandardItemModel*>(versionList->model());
    if (model == nullptr)
    {
        return;
    }
    QList<QStandardItem*> items;
    items.reserve(versions.size());
    for (const VERSION_ENTRY& version : versions)
    {
        QStandardItem* item =
            new QStandardItem(version.installed ? version.text : version.text + NOT_INSTALLED_SUFFIX);
        item->setData(version.text, Qt::UserRole);
        if (!version.installed)
        {
            item->setIcon(warningIcon);
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        }
        items.append(item);
    }
    // One insertion: the list and its pop-up take the whole batch in a single change notice.
    model->invisibleRootItem()->appendRows(items);

    // Versions that are not installed cannot be picked from the pop-up.
    QListView* popup = qobject_cast<QListView*>(versionList->view());
    if (popup == nullptr)
    {
        return;
    }
    for (const VERSION_ENTRY& version : versions)
    {
        popup->setRowHidden(version.row, !version.installed);
    }
}

void CLASS_SELECT_PLATFORM::ClearVersions()
{
    versionList->clear();
}

void CLASS_SELECT_PLATFORM::CheckVersion()
{
    versionMissing = versionList->currentText().contains(NOT_INSTALLED, Qt::CaseSensitive);
    const QString& style = versionMissing ? STYLE_VERSION_MISSING : STYLE_VERSION_PRESENT;
    // Setting the same style sheet again would restyle the list with all its entries.
    if (versionList->styleSheet() != style)
    {
        versionList->setStyleSheet(style);
    }
    // A session whose version was removed may still move to an installed one: only a list that offers
    // nothing to pick is locked. The entries not installed stay impossible to pick.
    versionList->setEnabled(!versionMissing || HoldsInstalledVersion());
    versionList->setAccessibleDescription(
        versionMissing ? QStringLiteral("The selected version is not installed") : QString());
}

bool CLASS_SELECT_PLATFORM::HoldsInstalledVersion() const
{
    const QStandardItemModel* model = qobject_cast<QStandardItemModel*>(versionList->model());
    if (model == nullptr)
    {
        return false;
    }
    for (int row = 0; row < model->rowCount(); ++row)
    {
        if (model->item(row)->isEnabled())
        {
            return true;
        }
    }
    return false;
}

void CLASS_SELECT_PLATFORM::SetVersionIndex(int index)
{
    versionIndex = index;
    versionList->setCurrentIndex(index);
    CheckVersion();
}

void CLASS_SELECT_PLATFORM::SetDeviceType(int type)
{
    deviceType = type;
    ApplyDeviceType();
}

void CLASS_SELECT_PLATFORM::ShowDeviceType(int type)
{
    deviceType = type;
    StyleTypeButtons();
}

void CLASS_SELECT_PLATFORM::BuildTypeButtons()
{
    // The buttons are built once; a second call would add a second row of models with wrong indices.
    if (!typeButtons.isEmpty())
    {
        return;
    }
    for (int key = 0; key < DEVICE_MODEL_NAMES.size(); ++key)
    {
        AddTypeButton(DeviceModelName(key));
        if (key == DEFAULT_DEVICE_TYPE)
        {
            StyleTypeButtons();
        }
    }
}

void CLASS_SELECT_PLATFORM::AddTypeButton(const QString& name)
{
    QPushButton* button = new QPushButton(name, this);
    button->setObjectName(QStringLiteral("typeButton%1").arg(typeButtonCount));
    button->setAccessibleName(name);
    button->setStyleSheet(STYLE_TYPE_UNSELECTED);
    typeButtons.append({typeButtonCount, name, button});
    typeRow->addWidget(button, TYPE_BUTTON_STRETCH);
    connect(
        button, &QPushButton::clicked, this, [this, button]() { TypeButtonClicked(button); },
        Qt::QueuedConnection);
    ++typeButtonCount;
}

void CLASS_SELECT_PLATFORM::SetTypeButtonsEnabled(bool enabled)
{
    for (const TYPE_BUTTON& entry : typeButtons)
    {
        entry.button->setEnabled(enabled);
        entry.button->setToolTip(enabled ? QString() : LOCKED_SETTING_TOOLTIP);
    }
}

void CLASS_SELECT_PLATFORM::TypeButtonClicked(QPushButton* button)
{
    const QString clickedName = button->text();
    for (const TYPE_BUTTON& entry : typeButtons)
    {
        if (entry.name == clickedName)
        {
            if (entry.index == deviceType)
            {
                return;
            }
            deviceType = entry.index;
            break;
        }
    }
    ApplyDeviceType();
}

void CLASS_SELECT_PLATFORM::ApplyDeviceType()
{
    emit SIGNAL_SelectedDeviceType(deviceType);
    StyleTypeButtons();
    emit SIGNAL_RequestTypeUpdate(deviceType);
    emit SIGNAL_RequestUpdate();
}

void CLASS_SELECT_PLATFORM::StyleTypeButtons()
{
    for (const TYPE_BUTTON& entry : typeButtons)
    {
        const bool selected = entry.index == deviceType;
        entry.button->setStyleSheet(selected ? STYLE_TYPE_SELECTED : STYLE_TYPE_UNSELECTED);
        if (selected)
        {
            entry.button->setFlat(false);
        }
        entry.button->setAccessibleDescription(selected ? QStringLiteral("Selected device type") : QString());
    }
}

void CLASS_SELECT_PLATFORM::SLOT_VersionIndexChanged(int index)
{
    versionIndex = index;
    // The mark follows the entry now current: picking an installed version clears it.
    CheckVersion();
    emit SIGNAL_UpdateVersionChanged();
    emit SIGNAL_RequestUpdate();
}
