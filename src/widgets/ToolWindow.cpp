#include "ToolWindow.h"

#include <QCloseEvent>

TWinFrm::TWinFrm(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint), WindowBehaviour(this)
{
    resize(638, 437);
    setAttribute(Qt::WA_DeleteOnClose);
}

void TWinFrm::closeEvent(QCloseEvent *event)
{
    if (!CloseAllowed(QDialog::Rejected)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    // Whatever a derived window decided in its own close handling, a closed one is freed.
    setAttribute(Qt::WA_DeleteOnClose);
}
