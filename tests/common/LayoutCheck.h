#pragma once
// A check that a shown window clips nothing: every visible caption, button, check box and
// edit box lies inside its parent and is at least as large as its text needs.

#include <QStringList>

class QWidget;

namespace LayoutCheck {

// The controls that are clipped, as "objectName or class: why"; empty when none is. The
// editors inside combo and spin boxes are left to their box, which is checked itself.
QStringList Clipped(const QWidget *window);

// Gives the window its font half as large again, as 150% scaling does to text.
void EnlargeFont(QWidget &window);

} // namespace LayoutCheck
