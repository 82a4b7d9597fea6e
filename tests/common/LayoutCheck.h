#pragma once
// A check that a shown window clips nothing: every visible caption, button, check box and
// edit box lies inside its parent and is at least as large as its text needs.

#include <QStringList>

class QWidget;

namespace LayoutCheck {

// The controls that are clipped, as "objectName or class: why"; empty when none is.
QStringList Clipped(const QWidget *window);

} // namespace LayoutCheck
