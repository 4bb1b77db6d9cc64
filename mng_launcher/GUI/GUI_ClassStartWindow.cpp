#include "GUI/GUI_ClassStartWindow.h"

#include <QGridLayout>
#include <QPushButton>

CLASS_START_WINDOW::CLASS_START_WINDOW(QWidget* parent)
    : QWidget(parent), layout(new QGridLayout(this)), saveButton(nullptr), discardButton(nullptr),
      startButton(nullptr), openWebButton(nullptr)
{
    saveButton = AddButton(QStringLiteral("Save"), QStringLiteral("saveButton"), 0);
    discardButton = AddButton(QStringLiteral("Discard"), QStringLiteral("discardButton"), 1);
    startButton = AddButton(QStringLiteral("Start Session"), QStringLiteral("startButton"), 2);
    openWebButton = AddButton(QStringLiteral("Open Web ZKM"), QStringLiteral("openWebButton"), 3);

    connect(saveButton, &QPushButton::clicked, this, &CLASS_START_WINDOW::SIGNAL_RequestToSaveSession,
            Qt::QueuedConnection);
    connect(discardButton, &QPushButton::clicked, this, &CLASS_START_WINDOW::SIGNAL_RequestToDiscardSession,
            Qt::QueuedConnection);
    connect(startButton, &QPushButton::clicked, this, &CLASS_START_WINDOW::SIGNAL_RequestStartOrStopSession,
            Qt::QueuedConnection);
    connect(openWebButton, &QPushButton::clicked, this, &CLASS_START_WINDOW::SIGNAL_OpenWebZkm,
            Qt::QueuedConnection);
}

QPushButton* CLASS_START_WINDOW::AddButton(const QString& text, const QString& objectName, int column)
{
    QPushButton* button = new QPushButton(text, this);
    button->setObjectName(objectName);
    button->setAccessibleName(text);
    button->setEnabled(false);
    layout->addWidget(button, 1, column, 1, 1);
    return button;
}

void CLASS_START_WINDOW::SetSaveEnabled(bool enabled)
{
    saveButton->setEnabled(enabled);
}

void CLASS_START_WINDOW::SetDiscardEnabled(bool enabled)
{
    discardButton->setEnabled(enabled);
}

void CLASS_START_WINDOW::SetStartEnabled(bool enabled)
{
    startButton->setEnabled(enabled);
}

void CLASS_START_WINDOW::SetOpenWebEnabled(bool enabled)
{
    openWebButton->setEnabled(enabled);
}

void CLASS_START_WINDOW::SetStartStopText(const QString& text)
{
    startButton->setText(text);
    startButton->setAccessibleName(text);
}

void CLASS_START_WINDOW::SetOpenWebToolTip(const QString& text)
{
    openWebButton->setToolTip(text);
}

void CLASS_START_WINDOW::ClickSave()
{
    saveButton->click();
}
