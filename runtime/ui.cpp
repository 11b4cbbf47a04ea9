// Panels, controls, values, attributes, events, pop-ups and the event loop of the
// user-interface runtime (ui.h), on Qt Widgets.
//
// [SECTION] Registry and errors
// [SECTION] Runtime life
// [SECTION] Events
// [SECTION] Panels
// [SECTION] Control values
// [SECTION] Attributes
// [SECTION] Made controls, pictures, text boxes, rings
// [SECTION] File pop-up
// [SECTION] Event loop

#include "runtime/ui.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/events.h"
#include "runtime/port_events.h"
#include "runtime/util.h"
#include "runtime/widgets.h"

namespace kvr {

// ---- [SECTION] Registry and errors --------------------------------------------------------

static QApplication* g_app = nullptr;
static bool g_ownApp = false;
static std::map<int, std::unique_ptr<Panel>> g_panels;
static std::string g_error;
static const CallbackEntry* g_table = nullptr;
static int g_tableCount = 0;
static int g_quiet = 0;             // > 0 while the runtime itself changes widgets
static int g_callbackDepth = 0;     // > 0 while program callbacks run

bool Initialised() { return g_app != nullptr; }

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
        *err = Fail(UIE_NO_SUCH_CONTROL,
                    QString("panel %1 has no control %2").arg(panel).arg(control));
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

QuietScope::QuietScope() { g_quiet++; }
QuietScope::~QuietScope() { g_quiet--; }
bool Quiet() { return g_quiet > 0; }

// ---- [SECTION] Events ------------------------------------------------------------------------

// Delivers one event to a control's callback. The panel and control are looked up
// afresh: an earlier callback may have discarded the panel or dimmed the control.
static void Fire(int panel, int control, int event)
{
    if (g_quiet) return;
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
    b->setShortcut(QKeySequence());     // Qt's own would press now and release 100 ms later, repeating
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
    auto changeThenCommit = [ph, cn] { Fire(ph, cn, EVENT_VAL_CHANGED); Fire(ph, cn, EVENT_COMMIT); };
    switch (control.kind) {
    case CTRL_COMMAND_BUTTON: {
        auto* b = static_cast<QAbstractButton*>(w);
        QObject::connect(b, &QAbstractButton::pressed, [ph, cn] { Fire(ph, cn, EVENT_LEFT_CLICK); });
        QObject::connect(b, &QAbstractButton::clicked, [ph, cn] { Fire(ph, cn, EVENT_COMMIT); });
        break;
    }
    case CTRL_TOGGLE_BUTTON: case CTRL_RADIO_BUTTON: case CTRL_SWITCH:
        // clicked is emitted for operator input only (mouse, Space, Enter), never by setChecked.
        QObject::connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, changeThenCommit);
        break;
    case CTRL_NUMERIC: case CTRL_NUMERIC_INDICATOR: {
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
            if (!e->isModified()) return;   // Enter on an unchanged entry, or the focus just passing
            e->setModified(false);
            Fire(ph, cn, EVENT_COMMIT);
        });
        break;
    }
    case CTRL_RING: case CTRL_DROPDOWN_RING: {
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
    default:
        break;
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
        return false;               // accepted: the window hides
    }
private:
    int handle_;
};

void WirePanel(Panel& panel)
{
    panel.window->installEventFilter(new PanelFilter(panel.window, panel.handle));
}

// ---- [SECTION] File dialog stand-in ---------------------------------------------------------------

static FileDialogStandIn g_fileStandIn = nullptr;

void SetFileDialogStandIn(FileDialogStandIn fn) { g_fileStandIn = fn; }

// ---- [SECTION] Event loop state -----------------------------------------------------------------

const int WINDOW_WAIT_MS = 10;          // the longest wait of one ProcessSystemEvents
static QTimer* g_waitTimer = nullptr;   // ends that wait
static std::vector<QEventLoop*> g_runLoops;
static bool g_quitPending = false;
static int g_quitCode = 0;
static bool g_inDispatch = false;

int DispatchPorts()
{
    if (g_inDispatch) return 0;     // a receive callback that processes events must not re-enter itself
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

void SetCallbackTable(const CallbackEntry* table, int count)
{
    g_table = table;
    g_tableCount = table ? count : 0;
}

// QApplication aborts the process when it cannot reach a window system, so the
// obvious cases are checked first and reported as a 0 result instead.
static bool WindowSystemReachable()
{
    auto set = [](const char* name) { const char* v = std::getenv(name); return v && *v; };
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) {
        if (std::strncmp(platform, "xcb", 3) == 0) return set("DISPLAY");
        if (std::strncmp(platform, "wayland", 7) == 0) return set("WAYLAND_DISPLAY");
        return true;                // offscreen, minimal, vnc, eglfs, ...
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
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         g_app, [] {
                             if (DispatchPorts() > 0) QAbstractEventDispatcher::instance()->wakeUp();
                         });
        SetWindowEventPass(WindowEventPass);
    }
    return 1;
}

void CloseRuntime(void)
{
    if (!g_app) return;
    // Top-level panels first: deleting a window deletes its tool windows with it.
    std::vector<QWidget*> windows;
    for (auto& [h, p] : g_panels)
        if (p->parent == 0 || !FindPanel(p->parent)) windows.push_back(p->window);
    g_panels.clear();
    for (QWidget* w : windows) delete w;
    ComCloseAll();
    g_quitPending = false;
    g_quitCode = 0;
}

const char* GetRuntimeError(void) { return g_error.c_str(); }

// ---- [SECTION] Panels -------------------------------------------------------------------------------

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
    if (g_callbackDepth > 0) w->deleteLater();
    else delete w;
    return 0;
}

// ---- [SECTION] Control values ------------------------------------------------------------------------

static bool IsNumericKind(int kind)
{
    switch (kind) {
    case CTRL_NUMERIC: case CTRL_NUMERIC_INDICATOR: case CTRL_SLIDE: case CTRL_RING:
    case CTRL_DROPDOWN_RING: case CTRL_RADIO_BUTTON: case CTRL_SWITCH: case CTRL_TOGGLE_BUTTON:
        return true;
    default:
        return false;
    }
}

static bool IsTextKind(int kind) { return kind == CTRL_TEXT_MSG || kind == CTRL_TEXT_BOX; }
static bool TakesText(int kind) { return IsTextKind(kind) || kind == CTRL_STRING; }

static int Mismatch(int panel, int control, const char* what)
{
    return Fail(UIE_TYPE_MISMATCH,
                QString("control %1 of panel %2 does not take %3").arg(control).arg(panel).arg(what));
}

// The value a numeric kind shows; false if there is none (an empty ring).
bool kvr::ReadInt(const Control& c, int* v)
{
    QWidget* w = c.widget;
    switch (c.kind) {
    case CTRL_NUMERIC: case CTRL_NUMERIC_INDICATOR: *v = static_cast<QSpinBox*>(w)->value(); return true;
    case CTRL_SLIDE: *v = static_cast<KSlide*>(w)->value(); return true;
    case CTRL_RING: case CTRL_DROPDOWN_RING: {
        auto* cb = static_cast<QComboBox*>(w);
        if (cb->currentIndex() < 0) return false;
        *v = cb->currentData().toInt();
        return true;
    }
    case CTRL_RADIO_BUTTON: case CTRL_SWITCH: case CTRL_TOGGLE_BUTTON:
        *v = static_cast<QAbstractButton*>(w)->isChecked() ? 1 : 0;
        return true;
    default:
        return false;
    }
}

static QString ReadText(const Control& c)
{
    if (c.kind == CTRL_TEXT_MSG) return static_cast<QLabel*>(c.widget.data())->text();
    if (c.kind == CTRL_TEXT_BOX) return static_cast<QPlainTextEdit*>(c.widget.data())->toPlainText();
    if (c.kind == CTRL_STRING) return static_cast<QLineEdit*>(c.widget.data())->text();
    return QString();
}

static void CopyOut(const QString& s, char* text, int size)
{
    QByteArray b = s.toLatin1();
    int n = std::min<int>(b.size(), size - 1);
    std::memcpy(text, b.constData(), size_t(n));
    text[n] = '\0';
}

int GetCtrlVal(int panel, int control, uint16_t* value)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (c->valType != VALTYPE_U16 || !IsNumericKind(c->kind)) return Mismatch(panel, control, "an unsigned 16-bit value");
    int v;
    if (!ReadInt(*c, &v)) return Fail(UIE_BAD_VALUE, QString("control %1 has no value").arg(control));
    *value = uint16_t(std::clamp(v, 0, 65535));
    return 0;
}

int GetCtrlVal(int panel, int control, int* value)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    // A control without a value type (an indicator) delivers nothing; tests read
    // what it shows through ShownValue of inspect.h.
    if (c->valType != VALTYPE_INT || !IsNumericKind(c->kind)) return Mismatch(panel, control, "an int value");
    if (!ReadInt(*c, value)) return Fail(UIE_BAD_VALUE, QString("control %1 has no value").arg(control));
    return 0;
}

int GetCtrlVal(int panel, int control, char* text, int size)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (!TakesText(c->kind) || c->valType != VALTYPE_TEXT) return Mismatch(panel, control, "text");
    if (!text || size <= 0) return Fail(UIE_BAD_VALUE, "no room for the text");
    CopyOut(ReadText(*c), text, size);
    return 0;
}

int SetCtrlVal(int panel, int control, int value)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (!IsNumericKind(c->kind) || c->valType == VALTYPE_TEXT) return Mismatch(panel, control, "a number");
    QuietScope quiet;
    QWidget* w = c->widget;
    if (c->valType == VALTYPE_U16) value = std::clamp(value, 0, 65535);
    switch (c->kind) {
    case CTRL_NUMERIC: case CTRL_NUMERIC_INDICATOR: {
        auto* s = static_cast<KSpinBox*>(w);
        s->setValue(value);         // QSpinBox coerces into its range
        s->ClearPending();
        break;
    }
    case CTRL_SLIDE:
        static_cast<KSlide*>(w)->setValue(value);
        break;
    case CTRL_RING: case CTRL_DROPDOWN_RING: {
        auto* cb = static_cast<QComboBox*>(w);
        int index = cb->findData(value);
        if (index < 0)
            return Fail(UIE_BAD_VALUE, QString("ring %1 has no item with value %2").arg(control).arg(value));
        cb->setCurrentIndex(index);
        break;
    }
    default:
        static_cast<QAbstractButton*>(w)->setChecked(value != 0);
        break;
    }
    return 0;
}

int SetCtrlVal(int panel, int control, const char* text)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (!TakesText(c->kind) || (c->valType != VALTYPE_TEXT && c->valType != VALTYPE_NONE))
        return Mismatch(panel, control, "text");
    if (!text) return Fail(UIE_BAD_VALUE, "no text");
    QuietScope quiet;
    QString s = QString::fromLatin1(text);
    if (c->kind == CTRL_STRING) {
        auto* e = static_cast<QLineEdit*>(c->widget.data());
        e->setText(s);
        e->setModified(false);      // a later focus change is no commit of the operator's
    } else if (c->kind == CTRL_TEXT_MSG) {
        auto* l = static_cast<QLabel*>(c->widget.data());
        QString before = l->text();
        l->setText(s);
        if (c->autoSize) l->adjustSize();
        AnnounceText(l, before);
    } else {
        // A text box appends, as the operator's log of lines; ReplaceTextBoxLine edits in place.
        static_cast<QPlainTextEdit*>(c->widget.data())->appendPlainText(s);
    }
    return 0;
}

// ---- [SECTION] Attributes ----------------------------------------------------------------------------------

const char* const kTextSizeProperty = "kvormxTextSize";   // the size the program set, in pixels
const char* const kPanelFontName = "NIApp";

static QColor Rgb(int v) { return QColor(QRgb(0xFF000000u | (unsigned(v) & 0xFFFFFFu))); }
static int FromColor(const QColor& c) { return int(c.rgb() & 0xFFFFFFu); }

static int NotApplicable(int control, int attribute)
{
    return Fail(UIE_BAD_ATTRIBUTE,
                QString("attribute %1 does not apply to control %2").arg(attribute).arg(control));
}

static bool HasRange(int kind)
{
    return kind == CTRL_NUMERIC || kind == CTRL_NUMERIC_INDICATOR || kind == CTRL_SLIDE;
}

static void SetPaletteColor(QWidget* w, QPalette::ColorRole role, int color, bool fill)
{
    QPalette pal = w->palette();
    pal.setColor(role, Rgb(color));
    w->setPalette(pal);
    if (fill) w->setAutoFillBackground(true);
}

// Buttons and numeric displays take a text and a background colour too (a
// toggle's on state, a value outside its band); -1 gives back the style's own.
// Setting the colour a control already has does not repaint it: displays are
// set on every measurement reply.
static bool ColorsOfButtonOrNumber(Control* c, int attribute, int value)
{
    QWidget* w = c->widget;
    const bool button = c->kind == CTRL_COMMAND_BUTTON || c->kind == CTRL_TOGGLE_BUTTON;
    const bool number = c->kind == CTRL_NUMERIC || c->kind == CTRL_NUMERIC_INDICATOR;
    if (!button && !number) return false;
    QPalette::ColorRole role = attribute == ATTR_TEXT_COLOR ? (button ? QPalette::ButtonText : QPalette::Text)
                                                            : (button ? QPalette::Button : QPalette::Base);
    QColor color = value < 0 ? QApplication::palette(w).color(role) : Rgb(value);
    if (w->palette().color(role) == color) return true;
    QPalette pal = w->palette();
    pal.setColor(role, color);
    w->setPalette(pal);
    return true;
}

static bool ColorOfButtonOrNumber(const Control* c, int attribute, int* value)
{
    const bool button = c->kind == CTRL_COMMAND_BUTTON || c->kind == CTRL_TOGGLE_BUTTON;
    const bool number = c->kind == CTRL_NUMERIC || c->kind == CTRL_NUMERIC_INDICATOR;
    if (!button && !number) return false;
    QPalette::ColorRole role = attribute == ATTR_TEXT_COLOR ? (button ? QPalette::ButtonText : QPalette::Text)
                                                            : (button ? QPalette::Button : QPalette::Base);
    *value = FromColor(c->widget->palette().color(role));
    return true;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    QuietScope quiet;
    QWidget* w = c->widget;
    switch (attribute) {
    case ATTR_DIMMED: w->setEnabled(value == 0); return 0;
    case ATTR_VISIBLE: w->setVisible(value != 0); return 0;
    case ATTR_LEFT: w->move(value, w->y()); AnchorMoved(w); return 0;
    case ATTR_TOP: w->move(w->x(), value); AnchorMoved(w); return 0;
    case ATTR_FRAME_COLOR:
        if (c->kind != CTRL_DECORATION) return NotApplicable(control, attribute);
        SetPaletteColor(w, QPalette::Window, value, true);
        return 0;
    case ATTR_TEXT_COLOR: case ATTR_TEXT_BGCOLOR: case ATTR_TEXT_POINT_SIZE: {
        if (attribute != ATTR_TEXT_POINT_SIZE && ColorsOfButtonOrNumber(c, attribute, value)) return 0;
        if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
        QWidget* target = c->kind == CTRL_TEXT_BOX ? static_cast<QPlainTextEdit*>(w)->viewport() : w;
        if (attribute == ATTR_TEXT_COLOR) {
            SetPaletteColor(w, c->kind == CTRL_TEXT_BOX ? QPalette::Text : QPalette::WindowText, value, false);
        } else if (attribute == ATTR_TEXT_BGCOLOR) {
            SetPaletteColor(target, c->kind == CTRL_TEXT_BOX ? QPalette::Base : QPalette::Window, value, true);
        } else {
            if (value < 1 || value > 500) return Fail(UIE_BAD_VALUE, QString("point size %1").arg(value));
            // Panels are laid out in pixels, so a text size counts as pixels:
            // texts placed side by side then keep apart at any screen resolution.
            QFont f = w->font();
            f.setPixelSize(value);
            w->setFont(f);
            w->setProperty(kTextSizeProperty, value);
        }
        if (c->autoSize) w->adjustSize();
        return 0;
    }
    case ATTR_MAX_VALUE: case ATTR_MIN_VALUE: {
        if (!HasRange(c->kind)) return NotApplicable(control, attribute);
        int lo, hi;
        if (c->kind == CTRL_SLIDE) { lo = static_cast<KSlide*>(w)->minimum(); hi = static_cast<KSlide*>(w)->maximum(); }
        else { lo = static_cast<QSpinBox*>(w)->minimum(); hi = static_cast<QSpinBox*>(w)->maximum(); }
        (attribute == ATTR_MAX_VALUE ? hi : lo) = value;
        if (lo > hi) return Fail(UIE_BAD_VALUE, QString("range %1..%2 is empty").arg(lo).arg(hi));
        if (c->kind == CTRL_SLIDE) { auto* s = static_cast<KSlide*>(w); s->setMinimum(lo); s->setMaximum(hi); }
        else static_cast<QSpinBox*>(w)->setRange(lo, hi);   // the value is coerced, silently
        return 0;
    }
    case ATTR_NUM_TRACES: case ATTR_POINTS_PER_SCREEN: case ATTR_STRIP_SCROLL: {
        if (c->kind != CTRL_STRIP_CHART) return NotApplicable(control, attribute);
        auto* s = static_cast<KStripChart*>(w);
        int rc = 0;
        if (attribute == ATTR_NUM_TRACES) rc = s->SetTraces(value);
        else if (attribute == ATTR_POINTS_PER_SCREEN) rc = s->SetPointsPerScreen(value);
        else s->scroll = value;
        return rc < 0 ? Fail(rc, QString("value %1 refused for attribute %2").arg(value).arg(attribute)) : 0;
    }
    case ATTR_TEXT_FONT: case ATTR_CALLBACK_NAME: case ATTR_ACCESSIBLE_NAME:
        return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 takes text").arg(attribute));
    default:
        return NotApplicable(control, attribute);   // also the read-only descriptions
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (attribute != ATTR_TEXT_FONT) {
        if (attribute == ATTR_CALLBACK_NAME || attribute == ATTR_ACCESSIBLE_NAME) return NotApplicable(control, attribute);
        return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 does not take text").arg(attribute));
    }
    if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
    if (!text) return Fail(UIE_BAD_VALUE, "no font name");
    QuietScope quiet;
    // The panels' own font name stands for a compact sans face; the control
    // still reports the name it was given.
    static const bool substituted = [] {
        QFont::insertSubstitutions(kPanelFontName, {"DejaVu Sans Condensed", "Nimbus Sans Narrow", "Sans Serif"});
        return true;
    }();
    (void)substituted;
    QFont f = c->widget->font();
    f.setFamily(QString::fromLatin1(text));
    c->widget->setFont(f);
    if (c->autoSize) c->widget->adjustSize();
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    QWidget* w = c->widget;
    switch (attribute) {
    case ATTR_DIMMED: *value = w->isEnabled() ? 0 : 1; return 0;
    case ATTR_VISIBLE: *value = w->isHidden() ? 0 : 1; return 0;
    case ATTR_LEFT: *value = w->x(); return 0;
    case ATTR_TOP: *value = w->y(); return 0;
    case ATTR_FRAME_COLOR:
        if (c->kind != CTRL_DECORATION) return NotApplicable(control, attribute);
        *value = FromColor(w->palette().color(QPalette::Window));
        return 0;
    case ATTR_TEXT_COLOR:
        if (ColorOfButtonOrNumber(c, attribute, value)) return 0;
        if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
        *value = FromColor(w->palette().color(c->kind == CTRL_TEXT_BOX ? QPalette::Text : QPalette::WindowText));
        return 0;
    case ATTR_TEXT_BGCOLOR:
        if (ColorOfButtonOrNumber(c, attribute, value)) return 0;
        if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
        if (c->kind == CTRL_TEXT_BOX) *value = FromColor(static_cast<QPlainTextEdit*>(w)->viewport()->palette().color(QPalette::Base));
        else *value = FromColor(w->palette().color(QPalette::Window));
        return 0;
    case ATTR_TEXT_POINT_SIZE:
        if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
        *value = w->property(kTextSizeProperty).isValid() ? w->property(kTextSizeProperty).toInt()
                                                          : w->font().pointSize();
        return 0;
    case ATTR_MAX_VALUE: case ATTR_MIN_VALUE: {
        if (!HasRange(c->kind)) return NotApplicable(control, attribute);
        bool max = attribute == ATTR_MAX_VALUE;
        if (c->kind == CTRL_SLIDE) *value = max ? static_cast<KSlide*>(w)->maximum() : static_cast<KSlide*>(w)->minimum();
        else *value = max ? static_cast<QSpinBox*>(w)->maximum() : static_cast<QSpinBox*>(w)->minimum();
        return 0;
    }
    case ATTR_NUM_TRACES: case ATTR_POINTS_PER_SCREEN: case ATTR_STRIP_SCROLL: {
        if (c->kind != CTRL_STRIP_CHART) return NotApplicable(control, attribute);
        auto* s = static_cast<KStripChart*>(w);
        *value = attribute == ATTR_NUM_TRACES ? s->Traces()
               : attribute == ATTR_POINTS_PER_SCREEN ? s->PointsPerScreen() : s->scroll;
        return 0;
    }
    case ATTR_CTRL_STYLE: *value = c->kind; return 0;
    case ATTR_DATA_TYPE: *value = c->valType; return 0;
    case ATTR_TEXT_FONT: case ATTR_CALLBACK_NAME: case ATTR_ACCESSIBLE_NAME:
        return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 is text").arg(attribute));
    default:
        return NotApplicable(control, attribute);
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, char* text, int size)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (!text || size <= 0) return Fail(UIE_BAD_VALUE, "no room for the text");
    switch (attribute) {
    case ATTR_TEXT_FONT:
        if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
        CopyOut(c->widget->font().family(), text, size);
        return 0;
    case ATTR_CALLBACK_NAME: CopyOut(QString::fromLatin1(c->callbackName.c_str()), text, size); return 0;
    case ATTR_ACCESSIBLE_NAME: CopyOut(c->widget->accessibleName(), text, size); return 0;
    default:
        return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 is not text").arg(attribute));
    }
}

// ---- [SECTION] Made controls, pictures, text boxes, rings ---------------------------------------------------

int NewCtrl(int panel, int style, const char* label, int top, int left)
{
    Panel* p = FindPanel(panel);
    if (!p) return Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
    if (style != CTRL_TEXT_MSG) return Fail(UIE_BAD_VALUE, QString("NewCtrl makes text messages only, not style %1").arg(style));
    int number = 1;
    if (!p->controls.empty()) number = std::max(1, p->controls.rbegin()->first + 1);
    auto* l = new QLabel(p->canvas);
    l->setTextFormat(Qt::PlainText);
    l->setText(QString::fromLatin1(label ? label : ""));
    l->move(left, top);
    l->adjustSize();
    l->show();
    l->raise();
    Control c;
    c.number = number;
    c.kind = CTRL_TEXT_MSG;
    c.valType = VALTYPE_TEXT;
    c.widget = l;
    c.autoSize = true;
    DescribeForScreenReaders(c);
    p->controls[number] = c;
    return number;
}

int DisplayImageFile(int panel, int control, const char* file)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (c->kind != CTRL_PICTURE) return Mismatch(panel, control, "an image");
    QString path = ResolveFile(file ? file : "");
    if (path.isEmpty()) return Fail(UIE_FILE_NOT_FOUND, QString("image file %1 not found").arg(QFile::decodeName(file ? file : "")));
    QPixmap pix(path);
    if (pix.isNull()) return Fail(UIE_FILE_NOT_FOUND, QString("%1 is not a readable image").arg(path));
    static_cast<QLabel*>(c->widget.data())->setPixmap(pix);
    return 0;
}

static QPlainTextEdit* TextBox(int panel, int control, int* err)
{
    Control* c = FindControl(panel, control, err);
    if (!c) return nullptr;
    if (c->kind != CTRL_TEXT_BOX) {
        *err = Mismatch(panel, control, "text box lines");
        return nullptr;
    }
    return static_cast<QPlainTextEdit*>(c->widget.data());
}

int ReplaceTextBoxLine(int panel, int control, int line, const char* text)
{
    int err;
    QPlainTextEdit* box = TextBox(panel, control, &err);
    if (!box) return err;
    if (line < 0 || line > 100000 || !text) return Fail(UIE_BAD_VALUE, QString("line %1 refused").arg(line));
    QuietScope quiet;
    QTextDocument* doc = box->document();
    QTextCursor cur(doc);
    cur.movePosition(QTextCursor::End);
    for (int n = doc->blockCount(); n <= line; n++) cur.insertBlock();
    QTextBlock block = doc->findBlockByNumber(line);
    cur.setPosition(block.position());
    cur.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    cur.insertText(QString::fromLatin1(text));
    return 0;
}

int GetTextBoxLine(int panel, int control, int line, char* text, int size)
{
    int err;
    QPlainTextEdit* box = TextBox(panel, control, &err);
    if (!box) return err;
    if (!text || size <= 0) return Fail(UIE_BAD_VALUE, "no room for the text");
    if (line < 0 || line >= box->document()->blockCount())
        return Fail(UIE_BAD_VALUE, QString("text box %1 has no line %2").arg(control).arg(line));
    CopyOut(box->document()->findBlockByNumber(line).text(), text, size);
    return 0;
}

static QComboBox* Ring(int panel, int control, int* err)
{
    Control* c = FindControl(panel, control, err);
    if (!c) return nullptr;
    if (c->kind != CTRL_RING && c->kind != CTRL_DROPDOWN_RING) {
        *err = Mismatch(panel, control, "list items");
        return nullptr;
    }
    return static_cast<QComboBox*>(c->widget.data());
}

// The open list of a ring is as wide as its longest item (a port's stable
// name is long), however narrow the ring itself is on the panel; the closed
// ring shows the whole of its item as a tooltip.
static void FitRingList(QComboBox* ring)
{
    QAbstractItemView* view = ring->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) + 2 * view->frameWidth() +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    // A tooltip of the form's own stays.
    if (!ring->property("kvrTipFollows").isValid()) {
        bool follow = ring->toolTip().isEmpty();
        ring->setProperty("kvrTipFollows", follow);
        if (follow)
            QObject::connect(ring, &QComboBox::currentTextChanged, ring,
                             [ring](const QString& t) { ring->setToolTip(t); });
    }
    if (ring->property("kvrTipFollows").toBool()) ring->setToolTip(ring->currentText());
}

int ReplaceListItem(int panel, int control, int index, const char* label, int value)
{
    int err;
    QComboBox* ring = Ring(panel, control, &err);
    if (!ring) return err;
    if (index < 0 || index > ring->count() || !label)
        return Fail(UIE_BAD_VALUE, QString("ring %1 has no item %2").arg(control).arg(index));
    QuietScope quiet;
    if (index == ring->count()) {
        ring->addItem(QString::fromLatin1(label), value);
    } else {
        ring->setItemText(index, QString::fromLatin1(label));
        ring->setItemData(index, value);
    }
    FitRingList(ring);
    return 0;
}

int GetNumListItems(int panel, int control, int* count)
{
    int err;
    QComboBox* ring = Ring(panel, control, &err);
    if (!ring) return err;
    *count = ring->count();
    return 0;
}

int DeleteListItem(int panel, int control, int index, int count)
{
    int err;
    QComboBox* ring = Ring(panel, control, &err);
    if (!ring) return err;
    if (index < 0 || index > ring->count() || count < -1)
        return Fail(UIE_BAD_VALUE, QString("ring %1 has no item %2").arg(control).arg(index));
    int last = count < 0 ? ring->count() : std::min(ring->count(), index + count);
    QuietScope quiet;
    for (int i = last - 1; i >= index; i--) ring->removeItem(i);
    FitRingList(ring);
    return 0;
}

int GetLabelFromIndex(int panel, int control, int index, char* label, int size)
{
    int err;
    QComboBox* ring = Ring(panel, control, &err);
    if (!ring) return err;
    if (index < 0 || index >= ring->count() || !label || size < 1)
        return Fail(UIE_BAD_VALUE, QString("ring %1 has no item %2").arg(control).arg(index));
    CopyOut(ring->itemText(index), label, size);
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, int* value)
{
    int err;
    QComboBox* ring = Ring(panel, control, &err);
    if (!ring) return err;
    if (index < 0 || index >= ring->count() || !value)
        return Fail(UIE_BAD_VALUE, QString("ring %1 has no item %2").arg(control).arg(index));
    *value = ring->itemData(index).toInt();
    return 0;
}

// ---- [SECTION] File pop-up ------------------------------------------------------------------------------------

static const int PATH_MAX_BYTES = RT_PATH_LEN;   // the program's path buffers

int FileSelectPopup(const char* defaultDir, const char* defaultName, const char* typeList,
                    const char* title, int buttonLabel, int restrictDir, int restrictExt,
                    int allowCancel, int allowMakeDir, char* path)
{
    (void)restrictDir;              // a Qt file dialog cannot be held to one directory
    if (!g_app) return Fail(UIE_NOT_INITIALISED, "InitRuntime has not been called");
    if (!path) return Fail(UIE_BAD_VALUE, "no path buffer");

    int result = -1;
    QByteArray chosen;
    if (g_fileStandIn) {
        std::string answer;
        result = g_fileStandIn({defaultDir, defaultName, typeList, title, buttonLabel}, &answer);
        chosen = QByteArray::fromStdString(answer);
    }
    if (result < 0) {
        QFileDialog dlg(nullptr, QString::fromLatin1(title ? title : ""), QFile::decodeName(defaultDir ? defaultDir : ""));
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setOption(QFileDialog::ReadOnly, !allowMakeDir);
        QString types = QString::fromLatin1(typeList ? typeList : "").replace(';', ' ');
        QStringList filters;
        if (!types.trimmed().isEmpty()) filters << types.trimmed();
        if (!restrictExt || filters.isEmpty()) filters << "*";
        dlg.setNameFilters(filters);
        if (buttonLabel == 0) {
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
            dlg.setLabelText(QFileDialog::Accept, "Save");
        } else {
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(QFileDialog::ExistingFile);
            dlg.setLabelText(QFileDialog::Accept, buttonLabel == 1 ? "OK" : "Load");
        }
        if (!allowCancel) dlg.setLabelText(QFileDialog::Reject, "Close");
        if (defaultName && *defaultName) dlg.selectFile(QFile::decodeName(defaultName));
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
            result = 0;
        } else {
            QString file = dlg.selectedFiles().first();
            result = QFileInfo::exists(file) ? 1 : 2;
            chosen = QFile::encodeName(file);
        }
    }
    path[0] = '\0';
    if (result <= 0) return 0;
    if (chosen.size() >= PATH_MAX_BYTES)
        return Fail(UIE_BAD_VALUE, QString("path of %1 bytes does not fit the %2-byte buffer").arg(chosen.size()).arg(PATH_MAX_BYTES));
    std::memcpy(path, chosen.constData(), size_t(chosen.size()));
    path[chosen.size()] = '\0';
    return result;
}

// ---- [SECTION] Event loop ---------------------------------------------------------------------------------------

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
    if (g_runLoops.empty()) g_quitPending = true;
    else g_runLoops.back()->exit(code);
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
