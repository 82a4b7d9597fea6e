#pragma once
// TADlgFrm: the modal dialog with the band of "确定(&O)", "取消" and "帮助" along its bottom.
// Derived dialogs resize it, move the band's controls and add their own; they check their
// input in CanClose, not in the button handlers, so a refused OK keeps the dialog open.

#include "a.h"

class QFrame;
class QPushButton;

class TADlgFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TADlgFrm(QWidget *owner = nullptr);

    QFrame *BgBevel1;
    QPushButton *OkBtn1;     // closes with QDialog::Accepted
    QPushButton *CancelBtn1; // closes with QDialog::Rejected; Escape presses it
    QPushButton *HelpBtn1;   // ShowHelp with the window's own topic

protected:
    // The band's buttons never become the default button: Enter in an edit box does not
    // close a dialog unless the dialog says so.
    static QPushButton *BandButton(QWidget *parent, const QString &caption, const QRect &geometry);
    static QFrame *Bevel(QWidget *parent, const QRect &geometry);
};
