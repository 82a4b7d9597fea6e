#pragma once
// The keyword filter: pick a text field, type a keyword, and the data set shows only the
// records whose field contains it.

#include "BaseWindow.h"

#include <QPointer>

class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
#include "DataSet.h"

class TFltrDlgFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TFltrDlgFrm(QWidget *owner = nullptr);

    // Lists the data set's visible short-text data fields, in field order.
    void SetDataSet(TDataSet *dataSet);
    TDataSet *DataSet() const { return m_dataSet; }

    QStackedWidget *Pages;
    // First page: the field to filter on.
    QListWidget *FieldList; // display labels; each item carries its field name
    QPushButton *btnNext1;
    QPushButton *btnCancel1;
    // Second page: the keyword.
    QLineEdit *edtKeyword1;
    QPushButton *btnOk1;
    QPushButton *btnCancel2;

    void NextClick();
    // Sets the filter text from the keyword (empty keyword: empty text), switches filtering
    // on and closes with OK. A text the data set refuses raises its error; the dialog stays.
    void OkClick();

private:
    QPointer<TDataSet> m_dataSet;
};
