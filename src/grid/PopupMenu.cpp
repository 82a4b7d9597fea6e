#include "PopupMenu.h"

#include "Prompter.h"

#include <QAction>

TpzPopupMenu::TpzPopupMenu(QWidget *parent) : QMenu(parent) {}

void TpzPopupMenu::InsertAt(QMenu *menu, QAction *action, int index)
{
    const QList<QAction *> items = menu->actions();
    if (index < 0 || index >= items.size())
        menu->addAction(action);
    else
        menu->insertAction(items[index], action);
}

QAction *TpzPopupMenu::AddAction(QAction *action, int index, QMenu *parent)
{
    InsertAt(parent ? parent : this, action, index);
    return action;
}

QAction *TpzPopupMenu::AddItem(const QString &caption, bool atTop, std::function<void()> onClick)
{
    auto *item = new QAction(caption, this);
    if (caption == QLatin1String("-"))
        item->setSeparator(true);
    if (onClick)
        connect(item, &QAction::triggered, this, [onClick = std::move(onClick)] { Guard(onClick); });
    InsertAt(this, item, atTop ? 0 : -1);
    return item;
}

QAction *TpzPopupMenu::AddSeparator(int index, QMenu *parent)
{
    auto *item = new QAction(QStringLiteral("-"), this);
    item->setSeparator(true);
    InsertAt(parent ? parent : this, item, index);
    return item;
}

void TpzPopupMenu::ClearItems()
{
    const QList<QAction *> items = actions();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        QAction *item = *it;
        removeAction(item);
        if (item->parent() == this)
            item->deleteLater();
    }
}

QAction *TpzPopupMenu::ItemByCaption(const QString &caption) const
{
    for (QAction *item : actions())
        if (item->text() == caption)
            return item;
    return nullptr;
}
