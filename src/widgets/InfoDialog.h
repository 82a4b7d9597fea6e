#pragma once
// TAInfoDlgFrm: the modal information window with "关闭" and "帮助" along its bottom,
// centred on the main window when first shown. Derived windows put their controls into Body().

#include "BaseWindow.h"

class QFrame;
class QPushButton;

class TAInfoDlgFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TAInfoDlgFrm(QWidget *owner = nullptr);

    QWidget *Body() const { return m_body; }

    QFrame *BgBevel1;
    QPushButton *CloseBtn1; // closes with QDialog::Rejected; Escape presses it
    QPushButton *HelpBtn1;  // ShowHelp with the window's own topic

private:
    QWidget *m_body;
};
