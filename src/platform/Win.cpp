#include "Win.h"

#include <QCloseEvent>

TWinFrm::TWinFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setModal(false);
    resize(638, 437);
    setAttribute(Qt::WA_DeleteOnClose);
}

void TWinFrm::closeEvent(QCloseEvent *event)
{
    TaFrm::closeEvent(event);
    // Whatever a derived window decided in its own close handling, a closed one is freed.
    setAttribute(Qt::WA_DeleteOnClose);
}
