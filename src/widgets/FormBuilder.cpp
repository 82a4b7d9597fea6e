#include "FormBuilder.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

namespace Form {

QLabel *Caption(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QPushButton *Button(const QString &caption, const QString &name)
{
    auto *button = new QPushButton(caption);
    if (!name.isEmpty())
        button->setObjectName(name);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QFrame *Bevel(const QString &name)
{
    auto *bevel = new QFrame;
    if (!name.isEmpty())
        bevel->setObjectName(name);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

QHBoxLayout *ButtonRow(std::initializer_list<QWidget *> left, std::initializer_list<QWidget *> right)
{
    auto *row = new QHBoxLayout;
    for (QWidget *widget : left)
        row->addWidget(widget);
    row->addStretch(1);
    for (QWidget *widget : right)
        row->addWidget(widget);
    return row;
}

void SetInitialSize(QWidget *window, int width, int height)
{
    if (QLayout *layout = window->layout())
        layout->setSizeConstraint(QLayout::SetMinimumSize);
    const QSize needed = window->sizeHint().expandedTo(window->minimumSizeHint());
    window->resize(needed.expandedTo(QSize(width, height)));
}

} // namespace Form
