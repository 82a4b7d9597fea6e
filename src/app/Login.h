#pragma once
// The login: who becomes the current operator, from the command line at start-up or from
// the login dialog.

#include "BaseDialog.h"
#include "Operators.h"

#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;

// Logs an operator in and answers whether one is. With the command line allowed and exactly
// three `arguments` (login id, password, and a third word that is required but not read),
// they are tried first, silently; otherwise, or when they fail, the login dialog is shown.
// A cancelled dialog leaves the current operator as it was.
bool Login(bool commandLineAllowed, const QStringList &arguments = {});
// Shows the login dialog; true when it closed with OK (an operator is then logged in).
bool ShowLogin();

class TLoginFrm : public TADlgFrm
{
    Q_OBJECT
public:
    // Reads the login ids for the drop-down list; a failing read raises and no dialog exists.
    explicit TLoginFrm(QWidget *owner = nullptr);

    QLabel *ProductLabel; // the product name in the heading band
    QComboBox *edtLoginId1;
    QLineEdit *edtPassword1;

protected:
    // Closing with OK tests the typed login id and password; a failed test keeps the dialog
    // open with the password selected for typing again.
    bool CanClose(int modalResult) override;

private:
    TOperator m_operator;
};
