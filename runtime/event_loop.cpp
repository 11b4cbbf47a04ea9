// The event loop of the user-interface runtime (ui.h) on Qt Widgets: the
// runtime's life, operator actions delivered to the program's callbacks, and
// the event pass that RunUserInterface and ProcessSystemEvents run.
//
// [SECTION] Runtime state    the application, quiet changes, callbacks on the stack
// [SECTION] Events           operator actions to callbacks, the close box
// [SECTION] Event loop state
// [SECTION] Runtime life     InitRuntime, CloseRuntime
// [SECTION] Event loop       RunUserInterface, QuitUserInterface, the window's event pass

#include "runtime/ui.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QEventLoop>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "runtime/events.h"
#include "runtime/port_events.h"
#include "runtime/widgets.h"

namespace kvr {

// ---- [SECTION] Runtime state --------------------------------------------------------------------

static QApplication* g_app = nullptr;
static bool g_ownApp = false;
static int g_quiet = 0;          // > 0 while the runtime itself changes widgets
static int g_callbackDepth = 0;  // > 0 while program callbacks run

bool Initialised()
{
    return g_app != nullptr;
}

QuietScope::QuietScope()
{
    g_quiet++;
}
QuietScope::~QuietScope()
{
    g_quiet--;
}
bool Quiet()
{
    return g_quiet > 0;
}

bool InProgramCallback()
{
    return g_callbackDepth > 0;
}

// ---- [SECTION] Events ---------------------------------------------------------------------------

// Delivers one event to a control's callback. The panel and control are looked up
// afresh: an earlier callback may have discarded the panel or dimmed the control.
static void Fire(int panel, int control, int event)
{
    if (Quiet()) return;
    Panel* p = FindPanel(panel);
    if (!p) return;
    auto it = p->controls.find(control);
    if (it == p->controls.end()) return;
    Control& c = it->second;
    if (!c.callback || !c.widget || !c.widget->isEnabled()) return;
    CtrlCallbackPtr cb = c.callback;
    g_callbackDepth++;
    cb(panel, control, event, nullptr, 0, 0);
    g_callbackDepth--;
}

static void FirePanel(int panel, int event)
{
    Panel* p = FindPanel(panel);
    if (!p || !p->callback) return;
    PanelCallbackPtr cb = p->callback;
    g_callbackDepth++;
    cb(panel, event, nullptr, 0, 0);
    g_callbackDepth--;
}

// A button's key (its `shortcut` in the form) presses it as a click does: the
// focus moves to it, so an entry being typed in commits first, then the
// button's own events follow. Nothing happens while the button is dimmed or
// hidden, and a held key presses once. The key is named in the tooltip.
static void WireShortcut(QAbstractButton* b)
{
    QKeySequence keys = b->shortcut();
    if (keys.isEmpty()) return;
    b->setShortcut(QKeySequence());  // Qt's own would press now and release 100 ms later, repeating
    auto* shortcut = new QShortcut(keys, b);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, b, [b] {
        if (!b->isEnabled() || !b->isVisible()) return;
        if (b->focusPolicy() & Qt::ClickFocus) b->setFocus(Qt::ShortcutFocusReason);
        b->click();
    });
    QString key = keys.toString(QKeySequence::NativeText);
    QString tip = b->toolTip().isEmpty() ? QString(b->text()).remove('&') : b->toolTip();
    b->setToolTip(QString("%1 (%2)").arg(tip, key));
}

void WireControl(Panel& panel, Control& control)
{
    const int ph = panel.handle, cn = control.number;
    QWidget* w = control.widget;
    auto changeThenCommit = [ph, cn] {
        Fire(ph, cn, EVENT_VAL_CHANGED);
        Fire(ph, cn, EVENT_COMMIT);
    };
    switch (control.kind) {
        case CTRL_COMMAND_BUTTON: {
            auto* b = static_cast<QAbstractButton*>(w);
            QObject::connect(b, &QAbstractButton::pressed, [ph, cn] { Fire(ph, cn, EVENT_LEFT_CLICK); });
            QObject::connect(b, &QAbstractButton::clicked, [ph, cn] { Fire(ph, cn, EVENT_COMMIT); });
            break;
        }
        case CTRL_TOGGLE_BUTTON:
        case CTRL_RADIO_BUTTON:
        case CTRL_SWITCH:
            // clicked is emitted for operator input only (mouse, Space, Enter), never by setChecked.
            QObject::connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, changeThenCommit);
            break;
        case CTRL_NUMERIC:
        case CTRL_NUMERIC_INDICATOR: {
            auto* s = static_cast<KSpinBox*>(w);
            QObject::connect(s, &KSpinBox::changed, [ph, cn] { Fire(ph, cn, EVENT_VAL_CHANGED); });
            QObject::connect(s, &KSpinBox::committed, [ph, cn] { Fire(ph, cn, EVENT_COMMIT); });
            break;
        }
        case CTRL_SLIDE: {
            auto* s = static_cast<KSlide*>(w);
            QObject::connect(s, &KSlide::changed, [ph, cn] { Fire(ph, cn, EVENT_VAL_CHANGED); });
            QObject::connect(s, &KSlide::committed, [ph, cn] { Fire(ph, cn, EVENT_COMMIT); });
            break;
        }
        case CTRL_STRING: {
            auto* e = static_cast<QLineEdit*>(w);
            // textEdited comes from the operator only, never from setText.
            QObject::connect(e, &QLineEdit::textEdited, [ph, cn] { Fire(ph, cn, EVENT_VAL_CHANGED); });
            QObject::connect(e, &QLineEdit::editingFinished, [ph, cn, e] {
                if (!e->isModified()) return;  // Enter on an unchanged entry, or the focus just passing
                e->setModified(false);
                Fire(ph, cn, EVENT_COMMIT);
            });
            break;
        }
        case CTRL_RING:
        case CTRL_DROPDOWN_RING: {
            auto* cb = static_cast<QComboBox*>(w);
            QObject::connect(cb, &QComboBox::currentIndexChanged, [cb, changeThenCommit] {
                if (!Quiet()) cb->setProperty("kvormxChanged", true);
                changeThenCommit();
            });
            // Choosing the item already shown is a choice too (the port in use,
            // picked again to reconnect): it commits without a change. Qt emits
            // activated right after currentIndexChanged, which has committed a change.
            QObject::connect(cb, &QComboBox::activated, [ph, cn, cb] {
                if (!cb->property("kvormxChanged").toBool()) Fire(ph, cn, EVENT_COMMIT);
                cb->setProperty("kvormxChanged", false);
            });
            break;
        }
        default: break;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) WireShortcut(b);
}

// Close box: the panel callback gets EVENT_CLOSE and the window stays until the
// program discards it; a panel without a callback just hides.
class PanelFilter : public QObject {
 public:
    PanelFilter(QObject* parent, int handle) : QObject(parent), handle_(handle) {}

 protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::Close) return QObject::eventFilter(watched, e);
        Panel* p = FindPanel(handle_);
        if (p && p->callback) {
            e->ignore();
            FirePanel(handle_, EVENT_CLOSE);
            return true;
        }
        return false;  // accepted: the window hides
    }

 private:
    int handle_;
};

void WirePanel(Panel& panel)
{
    panel.window->installEventFilter(new PanelFilter(panel.window, panel.handle));
}

// ---- [SECTION] Event loop state -----------------------------------------------------------------

const int WINDOW_WAIT_MS = 10;         // the longest wait of one ProcessSystemEvents
static QTimer* g_waitTimer = nullptr;  // ends that wait
static std::vector<QEventLoop*> g_runLoops;
static bool g_quitPending = false;
static int g_quitCode = 0;
static bool g_inDispatch = false;

int DispatchPorts()
{
    if (g_inDispatch) return 0;  // a receive callback that processes events must not re-enter itself
    g_inDispatch = true;
    g_callbackDepth++;
    int ran = ComDispatchPending();
    g_callbackDepth--;
    g_inDispatch = false;
    return ran;
}

}  // namespace kvr

using namespace kvr;

// ---- [SECTION] Runtime life ---------------------------------------------------------------------

static int WindowEventPass(void);

// QApplication aborts the process when it cannot reach a window system, so the
// obvious cases are checked first and reported as a 0 result instead.
static bool WindowSystemReachable()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) {
        if (std::strncmp(platform, "xcb", 3) == 0) return set("DISPLAY");
        if (std::strncmp(platform, "wayland", 7) == 0) return set("WAYLAND_DISPLAY");
        return true;  // offscreen, minimal, vnc, eglfs, ...
    }
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int InitRuntime(int* argc, char** argv)
{
    if (!g_app) {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
            g_app = existing;
        } else if (QCoreApplication::instance()) {
            Fail(0, "a non-widget Qt application already exists");
            return 0;
        } else {
            if (!WindowSystemReachable()) {
                Fail(0, "no window system: neither DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM is set");
                return 0;
            }
            // The plain Unix event dispatcher wakes and sleeps for less than the
            // GLib one; the loops wake on every byte that arrives, so this is
            // a good part of what run mode costs. An explicit setting wins.
            if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
            static int s_argc = 1;
            static char s_name[] = "kvormx";
            static char* s_argv[] = {s_name, nullptr};
            int* ac = argc && argv ? argc : &s_argc;
            g_app = new QApplication(*ac, argc && argv ? argv : s_argv);
            g_ownApp = true;
        }
        // Panels end the program through their callbacks, never by the last window closing.
        g_app->setQuitOnLastWindowClosed(false);
        InstallAccessibility();
        g_waitTimer = new QTimer(g_app);
        g_waitTimer->setSingleShot(true);
        g_waitTimer->setTimerType(Qt::PreciseTimer);
        // Receive callbacks of open ports run whenever the loop is about to sleep:
        // the port's socket notifier has then read what arrived.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, g_app, [] {
            if (DispatchPorts() > 0) QAbstractEventDispatcher::instance()->wakeUp();
        });
        SetWindowEventPass(WindowEventPass);
        // A signal's callback runs in the next event processing; an idle
        // window sleeps in Qt's loop until something wakes it, so the
        // signal's handler writes a byte into this pipe.
        int wake[2];
        if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) == 0) {
            auto* notifier = new QSocketNotifier(wake[0], QSocketNotifier::Read, g_app);
            const int readEnd = wake[0];
            QObject::connect(notifier, &QSocketNotifier::activated, g_app, [readEnd] {
                char drain[64];
                while (read(readEnd, drain, sizeof drain) > 0) {}
                DispatchSignals();
            });
            SetSignalWakeFd(wake[1]);
        }
    }
    return 1;
}

void CloseRuntime(void)
{
    if (!g_app) return;
    DiscardAllPanels();
    ComCloseAll();
    g_quitPending = false;
    g_quitCode = 0;
}

// ---- [SECTION] Event loop -----------------------------------------------------------------------

int RunUserInterface(void)
{
    if (!g_app) return Fail(UIE_NOT_INITIALISED, "InitRuntime has not been called");
    if (g_quitPending) {
        g_quitPending = false;
        return g_quitCode;
    }
    QEventLoop loop;
    g_runLoops.push_back(&loop);
    // Returns once QuitUserInterface has called exit() and any nested
    // ProcessSystemEvents loops above this level have unwound.
    loop.exec(QEventLoop::AllEvents);
    g_runLoops.pop_back();
    g_quitPending = false;
    return g_quitCode;
}

int QuitUserInterface(int code)
{
    g_quitCode = code;
    if (g_runLoops.empty())
        g_quitPending = true;
    else
        g_runLoops.back()->exit(code);
    return 0;
}

// ProcessSystemEvents with a window system (events.cpp runs it).
static int WindowEventPass(void)
{
    if (!g_app) return 0;
        // One pass of the event dispatcher: what is pending is handled at once; when
        // nothing is, it sleeps until the next event source (a port's notifier, a
        // window event, a timer) or at most WINDOW_WAIT, so an idle polling loop
        // costs little while a reply still reaches its callback at once. A port
        // wakes the pass when the bytes its owner waits for are there (rs232.cpp),
        // so the limit only bounds how late a loop looks at its clock: a 1.5 s
        // time-out noticed 10 ms late. Waking every millisecond instead cost run
        // mode half its CPU. Callbacks already
        // due run before any sleep (the aboutToBlock hook of InitRuntime), those the
        // pass made due run right after it.
#ifdef KVORMX_VIRTUAL_CLOCK
    // Fuzz build: the pass waits on the virtual line, whose clock moves on as
    // far as this pass would have slept; nothing waits on the wall clock.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ComWaitReadable(0.001);
    DispatchPorts();
    DispatchSignals();
    return 0;
#endif
    g_waitTimer->start(WINDOW_WAIT_MS);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    g_waitTimer->stop();
    DispatchPorts();
    DispatchSignals();
    return 0;
}
