#pragma once

#include <QMenu>

#include <functional>

// The popup menu the grids and screens build their commands into. Item handlers run
// through the guard, so a refused right or an error ends only that command.
class TpzPopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit TpzPopupMenu(QWidget *parent = nullptr);

    // Puts the action itself in the menu (so caption, icon, enabled state and handler are
    // the action's) at `index` among the items of `parent` (the menu itself when null);
    // -1 or an index past the end appends.
    QAction *AddAction(QAction *action, int index = -1, QMenu *parent = nullptr);
    // A new item owned by the menu; the caption "-" makes a separator. Separators carry no
    // caption of their own.
    QAction *AddItem(const QString &caption, bool atTop, std::function<void()> onClick);
    QAction *AddSeparator(int index = -1, QMenu *parent = nullptr);
    // Removes every top-level item, the last first; items the menu created are freed.
    void ClearItems();
    // The top-level item with the caption ("-": the first separator), or null.
    QAction *ItemByCaption(const QString &caption) const;

private:
    static void InsertAt(QMenu *menu, QAction *action, int index);
};
