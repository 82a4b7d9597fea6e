#pragma once
// TADlgFrm: the modal dialog with the band of "确定(&O)", "取消" and "帮助" along its bottom.
// Derived dialogs put their controls into Body() (on a layout of their own); the band stays
// under it at the right whatever the size. They check their input in CanClose, not in the
// button handlers, so a refused OK keeps the dialog open.

#include "BaseWindow.h"

class QFrame;
class QPushButton;

class TADlgFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TADlgFrm(QWidget *owner = nullptr);

    // The area above the band, for the derived dialog's controls.
    QWidget *Body() const { return m_body; }

    QFrame *BgBevel1;
    QPushButton *OkBtn1;     // closes with QDialog::Accepted
    QPushButton *CancelBtn1; // closes with QDialog::Rejected; Escape presses it
    QPushButton *HelpBtn1;   // ShowHelp with the window's own topic

private:
    QWidget *m_body;
};
