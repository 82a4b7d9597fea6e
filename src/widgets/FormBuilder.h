#pragma once
// The small pieces every form is built from, so that forms read as their layout: named
// controls, captions that point at their control, buttons that never take Enter for
// themselves, the sunken line above a dialog's buttons, and rows of buttons.

#include <QString>

#include <initializer_list>

class QBoxLayout;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace Form {

// Gives the control its object name (the name tests and the help find it by).
template <class Control> Control *Named(Control *control, const QString &name)
{
    control->setObjectName(name);
    return control;
}

// A caption for `buddy` ("&" in the text gives the buddy the focus with Alt).
QLabel *Caption(const QString &text, QWidget *buddy = nullptr);
// A push button that never becomes the default button: Enter in an edit box does not press
// it unless the form says so.
QPushButton *Button(const QString &caption, const QString &name = {});
// A horizontal sunken line across the form.
QFrame *Bevel(const QString &name = {});
// A row of buttons: `left` from the left edge, `right` against the right edge.
QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> left, std::initializer_list<QWidget *> right);
// Lets the window grow from `size` (the size the form was designed at) but not shrink below
// what its layout needs, so larger fonts and scaling never clip a control.
void SetInitialSize(QWidget *window, int width, int height);

} // namespace Form
