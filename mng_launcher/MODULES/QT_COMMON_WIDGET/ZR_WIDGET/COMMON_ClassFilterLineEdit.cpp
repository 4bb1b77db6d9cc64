#include "QT_COMMON_WIDGET/ZR_WIDGET/COMMON_ClassFilterLineEdit.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>

// The module's own resources live in its static library, so they are registered before first use.
// (Q_INIT_RESOURCE must be used outside any namespace.)
static void InitWidgetResources()
{
    static const bool registered = []()
    {
        Q_INIT_RESOURCE(COMMON_Widgets);
        return true;
    }();
    Q_UNUSED(registered);
}

CLASS_FILTER_LINE_EDIT::CLASS_FILTER_LINE_EDIT(QWidget* parent)
    : QLineEdit(parent), patternSyntaxGroup(nullptr)
{
    InitWidgetResources();
    patternSyntaxGroup.setExclusive(true);

    QMenu* menu = new QMenu(this);
    caseSensitivityAction = menu->addAction(tr("Case Sensitive"));
    caseSensitivityAction->setCheckable(true);
    menu->addSeparator();
    AddSyntaxAction(menu, tr("Fixed String"), QRegExp::FixedString);
    AddSyntaxAction(menu, tr("Regular Expression"), QRegExp::RegExp2)->setChecked(true);
    AddSyntaxAction(menu, tr("Wildcard"), QRegExp::Wildcard);

    connect(this, &QLineEdit::textChanged, this, &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged,
            Qt::QueuedConnection);
    connect(caseSensitivityAction, &QAction::toggled, this, &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged);
    connect(&patternSyntaxGroup, &QActionGroup::triggered, this,
            &CLASS_FILTER_LINE_EDIT::SIGNAL_FilterChanged);

    QToolButton* optionsButton = new QToolButton;
    optionsButton->setIcon(QIcon(QStringLiteral(":/ICON/loop.png")));
    optionsButton->setCursor(Qt::ArrowCursor);
    optionsButton->setFocusPolicy(Qt::NoFocus);
    optionsButton->setStyleSheet(QStringLiteral("* { border: none; }"));
    optionsButton->setMenu(menu);
    optionsButton->setPopupMode(QToolButton::InstantPopup);

    QWidgetAction* optionsAction = new QWidgetAction(this);
    optionsAction->setDefaultWidget(optionsButton);
    addAction(optionsAction, QLineEdit::LeadingPosition);
}

CLASS_FILTER_LINE_EDIT::~CLASS_FILTER_LINE_EDIT()
{
    // The menu owns the actions but is deleted after the group; an action that outlived the group
    // would tell the deleted group about its own deletion.
    const QList<QAction*> syntaxActions = patternSyntaxGroup.actions();
    for (QAction* action : syntaxActions)
    {
        patternSyntaxGroup.removeAction(action);
    }
}

QAction* CLASS_FILTER_LINE_EDIT::AddSyntaxAction(QMenu* menu, const QString& text,
                                                 QRegExp::PatternSyntax syntax)
{
    QAction* action = menu->addAction(text);
    action->setData(int(syntax));
    action->setCheckable(true);
    patternSyntaxGroup.addAction(action);
    return action;
}

Qt::CaseSensitivity CLASS_FILTER_LINE_EDIT::caseSensitivity() const
{
    return caseSensitivityAction->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

void CLASS_FILTER_LINE_EDIT::setCaseSensitivity(Qt::CaseSensitivity sensitivity)
{
    caseSensitivityAction->setChecked(sensitivity == Qt::CaseSensitive);
}

QRegExp::PatternSyntax CLASS_FILTER_LINE_EDIT::patternSyntax() const
{
    // With every entry unchecked (setPatternSyntax with a value no entry carries) the data reads as 0.
    const QAction* checked = patternSyntaxGroup.checkedAction();
    return QRegExp::PatternSyntax(checked != nullptr ? checked->data().toInt() : 0);
}

void CLASS_FILTER_LINE_EDIT::setPatternSyntax(QRegExp::PatternSyntax syntax)
{
    const QList<QAction*> syntaxActions = patternSyntaxGroup.actions();
    for (QAction* action : syntaxActions)
    {
        action->setChecked(action->data().toInt() == int(syntax));
    }
}
