#ifndef COMMON_CLASSFILTERLINEEDIT_H
#define COMMON_CLASSFILTERLINEEDIT_H

#include <QActionGroup>
#include <QLineEdit>
#include <QRegExp>

class QAction;

// A line edit for filter texts, with a magnifier button inside the field on its left. The button opens
// a menu that chooses case sensitivity and the kind of pattern (fixed string, regular expression or
// wildcard). Any change of text, case sensitivity or pattern kind emits SIGNAL_FilterChanged; the
// receiver then reads the text and the two accessors.
class CLASS_FILTER_LINE_EDIT : public QLineEdit
{
    Q_OBJECT

public:
    explicit CLASS_FILTER_LINE_EDIT(QWidget* parent = nullptr);
    ~CLASS_FILTER_LINE_EDIT() override;

    Qt::CaseSensitivity caseSensitivity() const;
    void setCaseSensitivity(Qt::CaseSensitivity sensitivity);

    QRegExp::PatternSyntax patternSyntax() const;
    void setPatternSyntax(QRegExp::PatternSyntax syntax);

signals:
    void SIGNAL_FilterChanged();

private:
    QAction* AddSyntaxAction(QMenu* menu, const QString& text, QRegExp::PatternSyntax syntax);

    QAction* caseSensitivityAction;
    QActionGroup patternSyntaxGroup;
};

#endif // COMMON_CLASSFILTERLINEEDIT_H
