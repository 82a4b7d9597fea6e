#include "LayoutCheck.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace LayoutCheck {

QStringList Clipped(const QWidget *window)
{
    QStringList clipped;
    const auto controls = window->findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        if (!control->isVisibleTo(window) || control->isWindow())
            continue;
        const QWidget *box = control->parentWidget();
        if (qobject_cast<const QComboBox *>(box) || qobject_cast<const QAbstractSpinBox *>(box))
            continue;
        const bool textual =
            qobject_cast<const QLabel *>(control) || qobject_cast<const QAbstractButton *>(control) ||
            qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control);
        if (!textual)
            continue;
        const QString name = control->objectName().isEmpty()
                                 ? QString::fromLatin1(control->metaObject()->className())
                                 : control->objectName();
        const QWidget *parent = control->parentWidget();
        if (parent && !parent->rect().contains(control->geometry()))
            clipped << name + QStringLiteral(": outside its parent");
        // Labels and buttons must show their whole text; edit boxes at least their minimum.
        const QSize needed =
            (qobject_cast<const QLabel *>(control) || qobject_cast<const QAbstractButton *>(control))
                ? control->minimumSizeHint()
                : control->minimumSizeHint().boundedTo(QSize(40, 1000));
        if (control->width() < needed.width() || control->height() < needed.height())
            clipped << name + QStringLiteral(": %1x%2 smaller than %3x%4")
                                  .arg(control->width())
                                  .arg(control->height())
                                  .arg(needed.width())
                                  .arg(needed.height());
    }
    return clipped;
}

void EnlargeFont(QWidget &window)
{
    QFont font = window.font();
    if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() * 3 / 2);
    else
        font.setPointSizeF(font.pointSizeF() * 3 / 2);
    window.setFont(font);
}

} // namespace LayoutCheck
