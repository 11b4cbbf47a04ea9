// Menus of a panel window (ui.h): a menu bar, its menus and their items, each
// item a program callback.
#include "runtime/ui.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <map>

#include "runtime/widgets.h"

using namespace kvr;

static std::map<int, QPointer<QAction>> g_items;  // id -> the item's action
static int g_nextItem = 1;

int NewMenuItem(int panel, const char* menu, const char* item, const char* keys, MenuCallbackPtr callback)
{
    Panel* p = FindPanel(panel);
    if (!p) return Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
    if (!menu || !menu[0] || !item || !item[0] || !callback) return Fail(UIE_BAD_VALUE, "a menu item needs a text");
    QMenuBar* bar = p->parent == 0 ? PanelMenuBar(*p) : nullptr;
    if (!bar) return Fail(UIE_BAD_VALUE, QString("panel %1 has no menu bar").arg(panel));
    const QString title = QString::fromLatin1(menu);
    QMenu* m = nullptr;
    for (QAction* a : bar->actions())
        if (a->menu() && a->menu()->objectName() == "menu" + title) m = a->menu();
    if (!m) {
        m = bar->addMenu(Shown(title));
        m->setObjectName("menu" + title);
    }
    const int id = g_nextItem++;
    QAction* a = m->addAction(Shown(QString::fromLatin1(item)));
    a->setObjectName(QString("menuItem%1").arg(id));
    if (keys && keys[0]) a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    QObject::connect(a, &QAction::triggered, a, [panel, id, callback] { FireMenuItem(panel, id, callback); });
    g_items[id] = a;
    PanelMenuBarChanged(*p);
    return id;
}

int SetMenuItemDimmed(int panel, int item, int dimmed)
{
    auto it = g_items.find(item);
    if (!FindPanel(panel) || it == g_items.end() || !it->second)
        return Fail(UIE_BAD_VALUE, QString("no menu item %1").arg(item));
    it->second->setEnabled(!dimmed);
    return 0;
}
