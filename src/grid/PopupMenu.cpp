#include "PopupMenu.h"

#include "Prompter.h"

#include <QAction>

namespace {
// The caption that asks for a separator.
bool IsSeparatorCaption(const QString &caption)
{
    return caption == QLatin1String("-");
}
} // namespace

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
    if (IsSeparatorCaption(caption))
        return AddSeparator(atTop ? 0 : -1);
    auto *item = new QAction(caption, this);
    if (onClick)
        connect(item, &QAction::triggered, this, [onClick = std::move(onClick)] { Guard(onClick); });
    InsertAt(this, item, atTop ? 0 : -1);
    return item;
}

QAction *TpzPopupMenu::AddSeparator(int index, QMenu *parent)
{
    // Without a caption: a separator with one is drawn as a titled section, caption and all.
    auto *item = new QAction(this);
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
    const bool separator = IsSeparatorCaption(caption);
    for (QAction *item : actions())
        if (separator ? item->isSeparator() : !item->isSeparator() && item->text() == caption)
            return item;
    return nullptr;
}
