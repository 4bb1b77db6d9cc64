#ifndef COMMON_CLASSZRCOMBOBOX_H
#define COMMON_CLASSZRCOMBOBOX_H

#include <QComboBox>

// A combo box that shows the current item's icon at the right end of its field, next to the arrow,
// instead of before the text. Items without an icon look as in a plain combo box.
class CLASS_ZR_COMBO_BOX : public QComboBox
{
    Q_OBJECT

public:
    explicit CLASS_ZR_COMBO_BOX(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

#endif // COMMON_CLASSZRCOMBOBOX_H
