#include "GUI/GUI_ClassDeviceConfiguration.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassSelectPlatform.h"
#include "LauncherTestEnvironment.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassZRComboBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

namespace
{
const QString TYPE_SELECTED_COLOUR = QStringLiteral("background-color: #2185D0");
const QString TYPE_UNSELECTED_COLOUR = QStringLiteral("background-color: #49535B");

// A panel as the session back end builds it: panel, type buttons, then the version list.
struct PANEL
{
    CLASS_GLOBAL_SETUP setup{nullptr};

    PANEL()
    {
        setup.BuildPanel();
        setup.BuildTypeButtons();
        QCoreApplication::processEvents();
    }

    QTextEdit* Description() { return setup.findChild<QTextEdit*>(QStringLiteral("descriptionEditor")); }
    QLineEdit* Label() { return setup.findChild<QLineEdit*>(QStringLiteral("labelEditor")); }
    QSpinBox* Port() { return setup.findChild<QSpinBox*>(QStringLiteral("portEditor")); }
    CLASS_SELECT_PLATFORM* Selector() { return setup.GetPlatformSelector(); }
    CLASS_ZR_COMBO_BOX* Versions() { return Selector()->GetVersionList(); }
    QPushButton* TypeButton(int index)
    {
        return Selector()->findChild<QPushButton*>(QStringLiteral("typeButton%1").arg(index));
    }
    QCheckBox* AudioCheck() { return setup.GetConfigurationView()->findChild<QCheckBox*>(); }
};

// 280 characters that differ from one position to the next, so a wrong cut shows.
QString Pattern(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
    {
        text += QChar(QLatin1Char(char('a' + i % 26)));
    }
    return text;
}

int CursorPosition(QTextEdit* editor)
{
    return editor->textCursor().position();
}

enum SETTER
{
    SET_LABEL,
    SET_PORT,
    SET_DESCRIPTION
};

void Set(CLASS_GLOBAL_SETUP& setup, int setter, const QVariant& value)
{
    switch (setter)
    {
    case SET_LABEL:
        setup.SetLabel(value.toString());
        break;
    case SET_PORT:
        setup.SetPortValue(value.toInt());
        break;
    default:
        setup.SetDescription(value.toString());
        break;
    }
}

// The change notices that one setter call makes the panel send, in the order they arrive:
// "label <text>", "port <value>", "update".
QStringList NoticesOfSetting(CLASS_GLOBAL_SETUP& setup, int setter, const QVariant& value)
{
    QStringList notices;
    QObject receiver;
    QObject::connect(&setup, &CLASS_GLOBAL_SETUP::SIGNAL_TextChangedDevicetype, &receiver,
                     [&notices](const QString& text) { notices << QStringLiteral("label ") + text; });
    QObject::connect(&setup, &CLASS_GLOBAL_SETUP::SIGNAL_ValueChangedPort, &receiver,
                     [&notices](SDWord port) { notices << QStringLiteral("port %1").arg(port); });
    QObject::connect(&setup, &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate, &receiver,
                     [&notices]() { notices << QStringLiteral("update"); });
    Set(setup, setter, value);
    if (!notices.isEmpty())
    {
        return {QStringLiteral("sent before the event loop ran")};
    }
    QCoreApplication::processEvents();
    return notices;
}
} // namespace

class TestSetupPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PrepareLauncherWidgets(); }

    void pastedDescriptionKeepsFirst280()
    {
        PANEL panel;
        const QString pasted = Pattern(300);
        panel.Description()->textCursor().insertText(pasted);
        QTRY_COMPARE(panel.setup.GetDescription().size(), 280);
        QCOMPARE(panel.setup.GetDescription(), pasted.left(280));
        QCOMPARE(CursorPosition(panel.Description()), 280);
    }

    void typingInTheMiddleOfAFullDescription()
    {
        PANEL panel;
        const QString full = Pattern(280);
        panel.setup.SetDescription(full);
        QCoreApplication::processEvents();
        QTextCursor cursor = panel.Description()->textCursor();
        cursor.setPosition(100);
        panel.Description()->setTextCursor(cursor);
        QTest::keyClick(panel.Description(), Qt::Key_X);
        QCoreApplication::processEvents();
        QCOMPARE(panel.setup.GetDescription(), full);
        QCOMPARE(CursorPosition(panel.Description()), 100);
    }

    void descriptionSetTooLongKeepsTheBeginning()
    {
        PANEL panel;
        const QString text = Pattern(300);
        panel.setup.SetDescription(text);
        QTRY_COMPARE(panel.setup.GetDescription().size(), 280);
        QCOMPARE(panel.setup.GetDescription(), text.left(280));
    }

    void descriptionStaysPlainText()
    {
        PANEL panel;
        const QString markup = QStringLiteral("<b>bold</b> &amp; <i>words</i>");
        panel.setup.SetDescription(markup);
        QCOMPARE(panel.setup.GetDescription(), markup);
    }

    void tabLeavesTheDescription()
    {
        PANEL panel;
        QVERIFY(panel.Description()->tabChangesFocus());
        panel.setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&panel.setup));
        panel.Description()->setFocus();
        QTRY_VERIFY(panel.Description()->hasFocus());
        QTest::keyClick(panel.Description(), Qt::Key_Tab);
        QVERIFY(!panel.Description()->hasFocus());
        QVERIFY(!panel.setup.GetDescription().contains(QLatin1Char('\t')));
    }

    void descriptionChangeRequestsUpdate()
    {
        PANEL panel;
        QSignalSpy update(&panel.setup, &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate);
        panel.setup.SetDescription(QStringLiteral("lab bench"));
        QCOMPARE(update.count(), 0); // forwarded from the event loop
        QTRY_COMPARE(update.count(), 1);
    }

    void labelKeeps17Characters_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");
        QTest::newRow("20 characters") << "ABCDEFGHIJKLMNOPQRST"
                                       << "ABCDEFGHIJKLMNOPQ";
        QTest::newRow("17 characters") << "ABCDEFGHIJKLMNOPQ"
                                       << "ABCDEFGHIJKLMNOPQ";
        QTest::newRow("short") << "Lab"
                               << "Lab";
    }

    void labelKeeps17Characters()
    {
        QFETCH(QString, label);
        QFETCH(QString, expected);
        PANEL panel;
        panel.setup.SetLabel(QStringLiteral("previous"));
        panel.setup.SetLabel(label);
        QCOMPARE(panel.setup.GetLabel(), expected);
    }

    void labelAndPortSignals()
    {
        PANEL panel;
        QSignalSpy label(&panel.setup, &CLASS_GLOBAL_SETUP::SIGNAL_TextChangedDevicetype);
        QSignalSpy port(&panel.setup, &CLASS_GLOBAL_SETUP::SIGNAL_ValueChangedPort);
        QSignalSpy update(&panel.setup, &CLASS_GLOBAL_SETUP::SIGNAL_RequestUpdate);
        QTest::keyClicks(panel.Label(), QStringLiteral("Ab"));
        panel.setup.SetPortValue(4000);
        QCoreApplication::processEvents();
        QCOMPARE(label.count(), 2);
        QCOMPARE(label.last().at(0).toString(), QStringLiteral("Ab"));
        QCOMPARE(port.count(), 1);
        QCOMPARE(port.last().at(0).toInt(), 4000);
        QCOMPARE(update.count(), 0);
    }

    // A panel whose widgets wait to be built announces what its setters change as a built panel does:
    // from the event loop, with the signals its editors would send.
    void settersAnnounceChangesBuiltOrWaiting_data()
    {
        QTest::addColumn<int>("setter");
        QTest::addColumn<QVariant>("before");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QStringList>("notices");
        // The label editor is cleared, then the text is inserted: two notices.
        QTest::newRow("label changed") << int(SET_LABEL) << QVariant("previous") << QVariant("Lab")
                                       << QStringList{"label ", "label Lab"};
        QTest::newRow("label set again")
            << int(SET_LABEL) << QVariant("Lab") << QVariant("Lab") << QStringList{"label ", "label Lab"};
        QTest::newRow("label cut to 17") << int(SET_LABEL) << QVariant() << QVariant("ABCDEFGHIJKLMNOPQRST")
                                         << QStringList{"label ABCDEFGHIJKLMNOPQ"};
        QTest::newRow("port changed")
            << int(SET_PORT) << QVariant() << QVariant(4000) << QStringList{"port 4000"};
        QTest::newRow("port set again") << int(SET_PORT) << QVariant(4000) << QVariant(4000) << QStringList{};
        QTest::newRow("port bounded to the same")
            << int(SET_PORT) << QVariant(65535) << QVariant(70000) << QStringList{};
        QTest::newRow("description changed")
            << int(SET_DESCRIPTION) << QVariant("old") << QVariant("new") << QStringList{"update"};
        QTest::newRow("description set again")
            << int(SET_DESCRIPTION) << QVariant("same") << QVariant("same") << QStringList{"update"};
    }

    void settersAnnounceChangesBuiltOrWaiting()
    {
        QFETCH(int, setter);
        QFETCH(QVariant, before);
        QFETCH(QVariant, value);
        QFETCH(QStringList, notices);
        PANEL built;
        CLASS_GLOBAL_SETUP waiting(nullptr);
        waiting.BuildWhenShown();
        if (before.isValid())
        {
            Set(built.setup, setter, before);
            Set(waiting, setter, before);
            QCoreApplication::processEvents();
        }
        QCOMPARE(NoticesOfSetting(built.setup, setter, value), notices);
        QCOMPARE(NoticesOfSetting(waiting, setter, value), notices);
        QVERIFY(!waiting.IsBuilt());
    }

    void portRange_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("below range") << 80 << 1024;
        QTest::newRow("lowest") << 1024 << 1024;
        QTest::newRow("highest") << 65535 << 65535;
        QTest::newRow("above range") << 70000 << 65535;
    }

    void portRange()
    {
        QFETCH(int, value);
        QFETCH(int, expected);
        PANEL panel;
        QCOMPARE(panel.setup.GetPortValue(), 3000);
        panel.setup.SetPortValue(value);
        QCOMPARE(panel.setup.GetPortValue(), expected);
    }

    void typeButtonsFollowTheModelTable()
    {
        PANEL panel;
        const QStringList models{"Dalvoscan 4K", "Dalvogrid 4K", "Brekka 4K", "Orvane 4K"};
        for (int i = 0; i < models.size(); ++i)
        {
            QVERIFY(panel.TypeButton(i));
            QCOMPARE(panel.TypeButton(i)->text(), models.at(i));
            QCOMPARE(panel.TypeButton(i)->accessibleName(), models.at(i));
            QCOMPARE(panel.TypeButton(i)->styleSheet().contains(TYPE_SELECTED_COLOUR), i == 3);
        }
        QVERIFY(!panel.TypeButton(4));
        panel.setup.BuildTypeButtons(); // a second call adds nothing
        QVERIFY(!panel.TypeButton(4));
    }

    void typeButtonClicks_data()
    {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("signalCount");
        QTest::newRow("already selected emits nothing") << 3 << 0;
        QTest::newRow("another model emits") << 0 << 1;
    }

    void typeButtonClicks()
    {
        QFETCH(int, clicked);
        QFETCH(int, signalCount);
        PANEL panel;
        CLASS_SELECT_PLATFORM* selector = panel.Selector();
        QSignalSpy selected(selector, &CLASS_SELECT_PLATFORM::SIGNAL_SelectedDeviceType);
        QSignalSpy typeUpdate(selector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestTypeUpdate);
        QSignalSpy update(selector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestUpdate);
        QTest::mouseClick(panel.TypeButton(clicked), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(selected.count(), signalCount);
        QCOMPARE(typeUpdate.count(), signalCount);
        QCOMPARE(update.count(), signalCount);
        QCOMPARE(selector->GetDeviceType(), clicked);
        QVERIFY(panel.TypeButton(clicked)->styleSheet().contains(TYPE_SELECTED_COLOUR));
        if (signalCount > 0)
        {
            QCOMPARE(selected.at(0).at(0).toInt(), clicked);
            QCOMPARE(typeUpdate.at(0).at(0).toInt(), clicked);
            QVERIFY(panel.TypeButton(3)->styleSheet().contains(TYPE_UNSELECTED_COLOUR));
        }
    }

    void setDeviceTypeAlwaysEmits()
    {
        PANEL panel;
        CLASS_SELECT_PLATFORM* selector = panel.Selector();
        QSignalSpy selected(selector, &CLASS_SELECT_PLATFORM::SIGNAL_SelectedDeviceType);
        QSignalSpy typeUpdate(selector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestTypeUpdate);
        QSignalSpy update(selector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestUpdate);
        QSignalSpy panelTypeUpdate(&panel.setup, &CLASS_GLOBAL_SETUP::SIGNAL_RequestTypeUpdate);
        selector->SetDeviceType(3);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(typeUpdate.count(), 1);
        QCOMPARE(update.count(), 1);
        QCOMPARE(panelTypeUpdate.count(), 0); // the panel forwards from the event loop
        QTRY_COMPARE(panelTypeUpdate.count(), 1);
        QCOMPARE(panelTypeUpdate.at(0).at(0).toInt(), 3);
    }

    void typeChangeReplacesTheConfigurationViewAtOnce()
    {
        PANEL panel;
        panel.AudioCheck()->setChecked(true);
        const QPointer<CLASS_DEVICE_CONFIGURATION> before = panel.setup.GetConfigurationView();
        panel.Selector()->SetDeviceType(1);
        QVERIFY(before.isNull());
        QVERIFY(panel.setup.GetConfigurationView());
        QVERIFY(!panel.setup.GetConfigurationView()->IsAudioPlugged());
        QVERIFY(!panel.AudioCheck()->accessibleName().isEmpty());
    }

    void restoreAndReadSelection()
    {
        PANEL panel;
        panel.setup.AddVersion(QStringLiteral("3_1_51"), 0, true);
        panel.setup.AddVersion(QStringLiteral("3_1_52"), 1, true);
        QCoreApplication::processEvents();
        panel.setup.RestoreSelection({1, 2, 1});
        QCOMPARE(panel.setup.GetSelection(), (QList<int>{1, 2, 1}));
        QCOMPARE(panel.Versions()->currentIndex(), 1);
        QVERIFY(panel.TypeButton(2)->styleSheet().contains(TYPE_SELECTED_COLOUR));
        panel.setup.RestoreSelection({0, 0, 0});
        QCOMPARE(panel.setup.GetSelection(), (QList<int>{0, 0, 0}));
        panel.setup.RestoreSelection({1}); // incomplete: ignored
        QCOMPARE(panel.setup.GetSelection(), (QList<int>{0, 0, 0}));
    }

    void versionTextsUseDots()
    {
        PANEL panel;
        panel.setup.AddVersion(QStringLiteral("3_1_51"), 0, true);
        QCOMPARE(panel.Versions()->itemText(0), QStringLiteral("3.1.51"));
        QCOMPARE(panel.Versions()->itemData(0).toString(), QStringLiteral("3.1.51"));
    }

    void notInstalledVersions()
    {
        PANEL panel;
        panel.setup.AddVersion(QStringLiteral("3.1.52"), 0, true);
        panel.setup.AddVersion(QStringLiteral("3.1.51"), 1, false);
        CLASS_ZR_COMBO_BOX* versions = panel.Versions();
        QCOMPARE(versions->itemText(1), QStringLiteral("3.1.51\t- Not installed"));
        QCOMPARE(versions->itemData(1).toString(), QStringLiteral("3.1.51"));
        QVERIFY(!versions->itemIcon(1).isNull());
        QStandardItemModel* model = qobject_cast<QStandardItemModel*>(versions->model());
        QVERIFY(model);
        QVERIFY(!(model->item(1)->flags() & Qt::ItemIsEnabled));
        QVERIFY(!(model->item(1)->flags() & Qt::ItemIsSelectable));
        QVERIFY(model->item(0)->flags() & Qt::ItemIsEnabled);
        QListView* popup = qobject_cast<QListView*>(versions->view());
        QVERIFY(popup);
        QVERIFY(popup->isRowHidden(1));
        QVERIFY(!popup->isRowHidden(0));

        panel.Selector()->SetVersionIndex(1);
        QVERIFY(panel.setup.IsVersionMissing());
        QVERIFY(versions->isEnabled()); // 3.1.52 is installed: the session can move to it
        QCOMPARE(versions->styleSheet(), QStringLiteral("QComboBox {border: 1px solid #F64747;}"));

        panel.Selector()->SetVersionIndex(0);
        QVERIFY(!panel.setup.IsVersionMissing());
        QVERIFY(versions->isEnabled());
        QCOMPARE(versions->styleSheet(), QStringLiteral("QComboBox {border: 1px solid #26000000;}"));
    }

    // A session whose version is not installed can move to an installed one (the entries not installed
    // are skipped), and keeps its label, description and port editable; a list with nothing installed
    // stays locked.
    void leavingAVersionNotInstalled_data()
    {
        QTest::addColumn<bool>("otherInstalled");
        QTest::newRow("an installed version to move to") << true;
        QTest::newRow("nothing installed") << false;
    }

    void leavingAVersionNotInstalled()
    {
        QFETCH(bool, otherInstalled);
        PANEL panel;
        panel.setup.AddVersion(QStringLiteral("3.2.1"), 0, otherInstalled);
        panel.setup.AddVersion(QStringLiteral("3.2.0"), 1, false);
        panel.setup.AddVersion(QStringLiteral("3.1.51"), 2, false);
        panel.setup.RestoreSelection({2, 3, 0});
        QCoreApplication::processEvents();
        CLASS_ZR_COMBO_BOX* versions = panel.Versions();
        QVERIFY(panel.setup.IsVersionMissing());
        QCOMPARE(versions->styleSheet(), QStringLiteral("QComboBox {border: 1px solid #F64747;}"));
        QCOMPARE(versions->isEnabled(), otherInstalled);
        QVERIFY(panel.Label()->isEnabled());
        QVERIFY(panel.Description()->isEnabled());
        QVERIFY(panel.Port()->isEnabled());

        QTest::keyClick(versions, Qt::Key_Up);
        QCoreApplication::processEvents();
        QCOMPARE(panel.setup.GetVersionIndex(), otherInstalled ? 0 : 2);
        QCOMPARE(panel.setup.IsVersionMissing(), !otherInstalled);
        QCOMPARE(versions->styleSheet(), otherInstalled
                                             ? QStringLiteral("QComboBox {border: 1px solid #26000000;}")
                                             : QStringLiteral("QComboBox {border: 1px solid #F64747;}"));
    }

    void refillingQueuesIndexChanges()
    {
        PANEL panel;
        CLASS_SELECT_PLATFORM* selector = panel.Selector();
        panel.setup.AddVersion(QStringLiteral("3.1.52"), 0, true);
        panel.setup.AddVersion(QStringLiteral("3.1.51"), 1, true);
        selector->SetVersionIndex(1);
        selector->SetDeviceType(1);
        QCoreApplication::processEvents();
        QCOMPARE(panel.setup.GetVersionIndex(), 1);

        QSignalSpy versionChanged(selector, &CLASS_SELECT_PLATFORM::SIGNAL_UpdateVersionChanged);
        QSignalSpy update(selector, &CLASS_SELECT_PLATFORM::SIGNAL_RequestUpdate);
        panel.setup.ClearVersions();
        panel.setup.AddVersion(QStringLiteral("3.1.52"), 0, true);
        panel.setup.AddVersion(QStringLiteral("3.1.51"), 1, true);
        // The index changes wait in the event loop; adding a version stores device type 3 at once.
        QCOMPARE(panel.setup.GetSelection(), (QList<int>{1, 3, 0}));
        QCOMPARE(versionChanged.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(versionChanged.count(), 2); // -1 from the clear, then 0 from the first item
        QCOMPARE(update.count(), 2);
        QCOMPARE(panel.setup.GetVersionIndex(), 0);
    }

    void setEditableLocksTypeAndAudioOnly()
    {
        PANEL panel;
        panel.setup.AddVersion(QStringLiteral("3.1.51"), 0, true);
        panel.setup.SetEditable(false);
        for (int i = 0; i < 4; ++i)
        {
            QVERIFY(!panel.TypeButton(i)->isEnabled());
        }
        QVERIFY(!panel.AudioCheck()->isEnabled());
        QVERIFY(panel.Versions()->isEnabled());
        panel.setup.SetEditable(true);
        QVERIFY(panel.TypeButton(0)->isEnabled());
        QVERIFY(panel.AudioCheck()->isEnabled());
    }

    // A panel whose widgets wait for its first showing keeps what it is given, and shows it when built
    // without announcing a change.
    void waitingPanelShowsItsValuesWhenFirstShown()
    {
        CLASS_GLOBAL_SETUP setup(nullptr);
        setup.BuildWhenShown();
        setup.BuildTypeButtons();
        setup.AddVersion(QStringLiteral("3_2_0"), 0, true);
        setup.AddVersion(QStringLiteral("3_1_51"), 1, false);
        setup.SetLabel(QStringLiteral("A label of twenty chars"));
        setup.SetPortValue(70000);
        setup.SetDescription(Pattern(300));
        setup.RestoreSelection({1, 2, 1});
        setup.SetEditable(false);
        QVERIFY(!setup.IsBuilt());
        QCOMPARE(setup.GetSelection(), (QList<int>{1, 2, 1}));
        QVERIFY(setup.IsVersionMissing());
        QCOMPARE(setup.GetLabel(), QStringLiteral("A label of twenty"));
        QCOMPARE(setup.GetPortValue(), 65535);
        QCOMPARE(setup.GetDescription(), Pattern(280));
        QCoreApplication::processEvents();

        QSignalSpy label(&setup, &CLASS_GLOBAL_SETUP::SIGNAL_TextChangedDevicetype);
        QSignalSpy port(&setup, &CLASS_GLOBAL_SETUP::SIGNAL_ValueChangedPort);
        setup.show();
        QVERIFY(setup.IsBuilt());
        QCOMPARE(setup.GetSelection(), (QList<int>{1, 2, 1}));
        QCOMPARE(setup.GetLabel(), QStringLiteral("A label of twenty"));
        QCOMPARE(setup.GetPortValue(), 65535);
        QCOMPARE(setup.GetDescription(), Pattern(280));
        CLASS_SELECT_PLATFORM* selector = setup.GetPlatformSelector();
        CLASS_ZR_COMBO_BOX* versions = selector->GetVersionList();
        QCOMPARE(versions->count(), 2);
        QCOMPARE(versions->currentIndex(), 1);
        QVERIFY(setup.IsVersionMissing());
        QVERIFY(qobject_cast<QListView*>(versions->view())->isRowHidden(1));
        QPushButton* type2 = selector->findChild<QPushButton*>(QStringLiteral("typeButton2"));
        QVERIFY(type2->styleSheet().contains(TYPE_SELECTED_COLOUR));
        QVERIFY(!type2->isEnabled());
        QCheckBox* audio = setup.GetConfigurationView()->findChild<QCheckBox*>();
        QVERIFY(audio->isChecked());
        QVERIFY(!audio->isEnabled());
        QCoreApplication::processEvents();
        QCOMPARE(label.count(), 0);
        QCOMPARE(port.count(), 0);
        QCOMPARE(selector->GetVersionIndex(), 1);

        // Built, it behaves as any panel.
        setup.SetPortValue(3100);
        QTRY_COMPARE(port.count(), 1);
    }

    void everyControlHasAnAccessibleName()
    {
        PANEL panel;
        const QList<QWidget*> widgets = panel.setup.findChildren<QWidget*>();
        for (QWidget* widget : widgets)
        {
            const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                                 qobject_cast<QTextEdit*>(widget) ||
                                 qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget);
            // The line edit inside the spin box speaks through the spin box.
            if (control && !qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            {
                QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
            }
        }
    }
};

QTEST_MAIN(TestSetupPanel)
#include "TestSetupPanel.moc"
