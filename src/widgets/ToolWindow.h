#pragma once
// TWinFrm: a non-modal window that stays above the other windows and destroys itself when
// it has closed. It is no dialog: Escape does not close it. Create it with new, show it,
// and keep no plain pointer to it: a QPointer turns null once it is gone.

#include "BaseWindow.h"

#include <QWidget>

class TWinFrm : public QWidget, public WindowBehaviour
{
    Q_OBJECT
public:
    explicit TWinFrm(QWidget *owner = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;
};
