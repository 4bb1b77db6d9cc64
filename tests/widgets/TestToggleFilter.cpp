#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassFilterLineEdit.h"
#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassWidgetToggle.h"

#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace
{
const QColor BACKGROUND(30, 30, 200);
const QColor KNOB(240, 240, 240);

QAction* MenuAction(QMenu* menu, const QString& text)
{
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions)
    {
        if (action->text() == text)
        {
            return action;
        }
    }
    return nullptr;
}
} // namespace

// The toggle's knob and the filter line edit's menu.
class TestToggleFilter : public QObject
{
    Q_OBJECT

private slots:
    void toggleKnobPosition_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QRect>("knob");
        QTest::newRow("unchecked: left") << false << QRect(2, 2, 30, 16);
        QTest::newRow("checked: right") << true << QRect(28, 2, 30, 16);
    }

    void toggleKnobPosition()
    {
        QFETCH(bool, checked);
        QFETCH(QRect, knob);
        // The label colour outlines the knob; with the knob's own colour the knob reads as one patch.
        CLASS_WIDGET_TOGGLE toggle(BACKGROUND, KNOB, QString(), QString(), KNOB, 2, 4.0F, 0.5F);
        toggle.resize(60, 20);
        toggle.setChecked(checked);
        QCOMPARE(toggle.KnobRect(), knob);

        QImage image(toggle.size(), QImage::Format_RGB32);
        toggle.render(&image);
        const int middle = knob.center().y();
        QCOMPARE(image.pixelColor(knob.center()), KNOB);
        QCOMPARE(image.pixelColor(knob.left() + 4, middle), KNOB);
        QCOMPARE(image.pixelColor(knob.right() - 4, middle), KNOB);
        // The other half of the track keeps the background colour.
        const int otherHalf = checked ? 14 : 44;
        QCOMPARE(image.pixelColor(otherHalf, middle), BACKGROUND);
    }

    void toggleClickFlipsState()
    {
        CLASS_WIDGET_TOGGLE toggle(BACKGROUND, KNOB, QStringLiteral("ON"), QStringLiteral("OFF"), Qt::black,
                                   2, 4.0F, 0.5F);
        QCOMPARE(toggle.minimumSizeHint(), QSize(60, 20));
        QVERIFY(toggle.isCheckable());
        toggle.resize(60, 20);
        toggle.show();
        QVERIFY(QTest::qWaitForWindowExposed(&toggle));
        QSignalSpy toggled(&toggle, &QAbstractButton::toggled);
        QTest::mouseClick(&toggle, Qt::LeftButton);
        QVERIFY(toggle.isChecked());
        QCOMPARE(toggle.KnobRect().x(), 28);
        QTest::mouseClick(&toggle, Qt::LeftButton);
        QVERIFY(!toggle.isChecked());
        QCOMPARE(toggled.count(), 2);
    }

    void filterMenuEntries()
    {
        CLASS_FILTER_LINE_EDIT edit;
        QToolButton* button = edit.findChild<QToolButton*>();
        QVERIFY(button != nullptr);
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QMenu* menu = button->menu();
        QVERIFY(menu != nullptr);

        QStringList texts;
        QList<bool> checked;
        const QList<QAction*> actions = menu->actions();
        for (const QAction* action : actions)
        {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            checked << action->isChecked();
        }
        QCOMPARE(texts, QStringList({QStringLiteral("Case Sensitive"), QStringLiteral("-"),
                                     QStringLiteral("Fixed String"), QStringLiteral("Regular Expression"),
                                     QStringLiteral("Wildcard")}));
        QCOMPARE(checked, QList<bool>({false, false, false, true, false}));
        QCOMPARE(edit.caseSensitivity(), Qt::CaseInsensitive);
        QCOMPARE(edit.patternSyntax(), QRegExp::RegExp2);
    }

    void filterButtonSitsAtTheLeadingEnd()
    {
        CLASS_FILTER_LINE_EDIT edit;
        edit.resize(300, 30);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QToolButton* button = edit.findChild<QToolButton*>();
        QVERIFY(button != nullptr && button->isVisible());
        QVERIFY(button->geometry().right() < edit.width() / 2);
    }

    void wildcardFromMenuEmitsOnce()
    {
        CLASS_FILTER_LINE_EDIT edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QMenu* menu = edit.findChild<QToolButton*>()->menu();
        QAction* wildcard = MenuAction(menu, QStringLiteral("Wildcard"));
        QAction* regularExpression = MenuAction(menu, QStringLiteral("Regular Expression"));
        QVERIFY(wildcard != nullptr && regularExpression != nullptr);

        QSignalSpy changed(&edit, &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged);
        menu->popup(edit.mapToGlobal(QPoint(0, edit.height())));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(wildcard).center());
        QCoreApplication::processEvents();

        QVERIFY(wildcard->isChecked());
        QVERIFY(!regularExpression->isChecked());
        QCOMPARE(edit.patternSyntax(), QRegExp::Wildcard);
        QCOMPARE(changed.count(), 1);
    }

    void textChangesArriveQueued()
    {
        CLASS_FILTER_LINE_EDIT edit;
        QSignalSpy changed(&edit, &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged);
        QTest::keyClicks(&edit, QStringLiteral("abc"));
        QCOMPARE(changed.count(), 0);
        QTRY_COMPARE(changed.count(), 3);
    }

    void accessorsSetTheMenu_data()
    {
        QTest::addColumn<int>("syntax");
        QTest::addColumn<QString>("checkedEntry");
        QTest::newRow("fixed string") << int(QRegExp::FixedString) << QStringLiteral("Fixed String");
        QTest::newRow("wildcard") << int(QRegExp::Wildcard) << QStringLiteral("Wildcard");
        QTest::newRow("regular expression 2")
            << int(QRegExp::RegExp2) << QStringLiteral("Regular Expression");
        QTest::newRow("no entry carries it") << int(QRegExp::W3CXmlSchema11) << QString();
    }

    void accessorsSetTheMenu()
    {
        QFETCH(int, syntax);
        QFETCH(QString, checkedEntry);
        CLASS_FILTER_LINE_EDIT edit;
        edit.setPatternSyntax(QRegExp::PatternSyntax(syntax));
        QStringList checked;
        const QList<QAction*> actions = edit.findChild<QToolButton*>()->menu()->actions();
        for (const QAction* action : actions)
        {
            if (action->isChecked())
            {
                checked << action->text();
            }
        }
        QCOMPARE(checked, checkedEntry.isEmpty() ? QStringList() : QStringList{checkedEntry});
        if (!checkedEntry.isEmpty())
        {
            QCOMPARE(int(edit.patternSyntax()), syntax);
        }

        QSignalSpy changed(&edit, &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged);
        edit.setCaseSensitivity(Qt::CaseSensitive);
        QCOMPARE(edit.caseSensitivity(), Qt::CaseSensitive);
        edit.setCaseSensitivity(Qt::CaseInsensitive);
        QCOMPARE(edit.caseSensitivity(), Qt::CaseInsensitive);
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_MAIN(TestToggleFilter)
#include "TestToggleFilter.moc"
