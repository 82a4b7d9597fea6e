#pragma once
// The batch-update dialog: one field chosen from a list and the value it is to take.

#include "BaseWindow.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TBatchUpdateFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TBatchUpdateFrm(QWidget *owner = nullptr);

    // The offered fields: display label shown, field name carried.
    void AddItem(const QString &label, const QString &fieldName);
    int ItemCount() const;
    QString ItemLabel(int index) const;
    QString ItemFieldName(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    QString Value() const;
    void SetValue(const QString &value);

    QComboBox *cbItems1;  // the field: selection only
    QLineEdit *edtValue1; // the value it takes
    QPushButton *btnOk1;
    QPushButton *btnCancel1;

protected:
    // OK is refused, without a message, while no field is chosen.
    bool CanClose(int modalResult) override;
};
