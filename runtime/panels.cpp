// Panels of the user-interface runtime (ui.h): the registry of loaded panels and
// their controls, the last error, the callback table the loader binds callbacks
// with, and showing, hiding and discarding panel windows.
//
// [SECTION] Registry and errors
// [SECTION] Panels

#include "runtime/ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/util.h"
#include "runtime/widgets.h"

namespace kvr {

// ---- [SECTION] Registry and errors --------------------------------------------------------------

static std::map<int, std::unique_ptr<Panel>> g_panels;
static std::string g_error;
static const CallbackEntry* g_table = nullptr;
static int g_tableCount = 0;

int Fail(int code, const QString& message)
{
    g_error = message.toLatin1().toStdString();
    return code;
}

Panel* FindPanel(int handle)
{
    auto it = g_panels.find(handle);
    return it == g_panels.end() ? nullptr : it->second.get();
}

Control* FindControl(int panel, int control, int* err)
{
    Panel* p = FindPanel(panel);
    if (!p) {
        *err = Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
        return nullptr;
    }
    auto it = p->controls.find(control);
    if (it == p->controls.end() || !it->second.widget) {
        *err = Fail(UIE_NO_SUCH_CONTROL, QString("panel %1 has no control %2").arg(panel).arg(control));
        return nullptr;
    }
    *err = 0;
    return &it->second;
}

int RegisterPanel(std::unique_ptr<Panel> panel)
{
    int handle = 1;
    while (g_panels.count(handle)) handle++;
    panel->handle = handle;
    g_panels[handle] = std::move(panel);
    return handle;
}

const CallbackEntry* LookupCallback(const char* name)
{
    for (int i = 0; i < g_tableCount; i++)
        if (g_table[i].name && std::strcmp(g_table[i].name, name) == 0) return &g_table[i];
    return nullptr;
}

QString ResolveFile(const char* file)
{
    QString name = QFile::decodeName(file);
    if (name.isEmpty()) return QString();
    if (name.contains('/')) return QFileInfo::exists(name) ? name : QString();
    char dir[RT_PATH_LEN] = "";
    if (GetProjectDir(dir) == 0) {
        QString inProject = QDir(QFile::decodeName(dir)).filePath(name);
        if (QFileInfo::exists(inProject)) return inProject;
    }
    // An installed copy keeps its data in share/kvormx; that wins over
    // whatever the working directory holds.
    if (GetDataDir(dir) == 0) {
        QString inData = QDir(QFile::decodeName(dir)).filePath(name);
        if (QFileInfo::exists(inData)) return inData;
    }
    return QFileInfo::exists(name) ? QDir::current().filePath(name) : QString();
}

void DiscardAllPanels()
{
    // Top-level panels first: deleting a window deletes its tool windows with it.
    std::vector<QWidget*> windows;
    for (auto& [h, p] : g_panels)
        if (p->parent == 0 || !FindPanel(p->parent)) windows.push_back(p->window);
    g_panels.clear();
    for (QWidget* w : windows) delete w;
}

}  // namespace kvr

using namespace kvr;

void SetCallbackTable(const CallbackEntry* table, int count)
{
    g_table = table;
    g_tableCount = table ? count : 0;
}

const char* GetRuntimeError(void)
{
    return g_error.c_str();
}

// ---- [SECTION] Panels ---------------------------------------------------------------------------

int DisplayPanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
    bool appears = p->window->isHidden();
    if (appears) FitOnScreen(*p, false);
    p->window->show();
    if (appears) FitOnScreen(*p, true);
    // The offscreen and minimal platforms (tests) have no stacking to change and say so on stderr.
    if (QGuiApplication::platformName() != "offscreen" && QGuiApplication::platformName() != "minimal")
        p->window->raise();
    return 0;
}

int HidePanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
    p->window->hide();
    return 0;
}

int DiscardPanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
    // Child panels are child windows and go with it.
    std::vector<int> gone{panel};
    for (size_t i = 0; i < gone.size(); i++)
        for (auto& [h, q] : g_panels)
            if (q->parent == gone[i]) gone.push_back(h);
    QWidget* w = p->window;
    for (int h : gone) g_panels.erase(h);
    w->hide();
    // A callback of this very panel may be on the stack (its close box, a button):
    // then the widgets must outlive it.
    if (InProgramCallback())
        w->deleteLater();
    else
        delete w;
    return 0;
}
