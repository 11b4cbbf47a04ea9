// Read-only views for tests, the operator verbs and the file-dialog answers of
// inspect.h: the test-support library (kvormx_inspect), linked by tests,
// benchmarks and fuzz targets and never by the program.
//
// The verbs deliver real QMouseEvent/QKeyEvent input through QApplication, so a
// callback sees exactly what a person's action would give it; events then get
// processed so the callbacks have run when a verb returns. The render count and
// the file answers go through the runtime's two hooks (widgets.h), which this
// library sets as the process starts.

#include "support/inspect.h"

#include <QtTest/qtestspontaneevent.h>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QXmlStreamReader>

#include <deque>
#include <map>

#include "runtime/widgets.h"

using namespace kvr;

// ---- Hooks --------------------------------------------------------------------------------------

namespace {

std::map<const QObject*, int> g_renders;  // per chart widget, while it lives

void CountRender(QWidget* chart)
{
    auto it = g_renders.find(chart);
    if (it == g_renders.end()) {
        it = g_renders.emplace(chart, 0).first;
        QObject::connect(chart, &QObject::destroyed, [](QObject* gone) { g_renders.erase(gone); });
    }
    it->second++;
}

struct FileAnswer {
    int result;
    std::string path;
    double after = 0;
};
std::deque<FileAnswer> g_fileAnswers;
std::vector<FileSelectCall> g_fileCalls;

int AnswerFileDialog(const FileRequest& r, std::string* path)
{
    auto str = [](const char* s) { return std::string(s ? s : ""); };
    g_fileCalls.push_back({str(r.defaultDir), str(r.defaultName), str(r.typeList), str(r.title), r.buttonLabel});
    if (g_fileAnswers.empty()) return -1;  // no answer queued: the real dialog
    FileAnswer a = g_fileAnswers.front();
    g_fileAnswers.pop_front();
    if (a.after > 0) {
        // A person taking their time in the modal dialog: events go on meanwhile.
        QEventLoop wait;
        QTimer::singleShot(int(a.after * 1000), &wait, &QEventLoop::quit);
        wait.exec();
    }
    *path = a.path;
    return a.result;
}

std::string g_documentOpened;

int OpenDocumentStandIn(const char* path)
{
    g_documentOpened = path;
    return 0;
}

// Set before main, so every render, every file pop-up and every document of a test process is seen.
[[maybe_unused]] const bool g_hooked = [] {
    SetRenderObserver(CountRender);
    SetFileDialogStandIn(AnswerFileDialog);
    SetDocumentStandIn(OpenDocumentStandIn);
    return true;
}();

}  // namespace

void QueueFileSelectAnswer(int result, const char* path)
{
    g_fileAnswers.push_back({result, path ? path : ""});
}
void QueueFileSelectAnswerAfter(double seconds, int result, const char* path)
{
    g_fileAnswers.push_back({result, path ? path : "", seconds});
}
void ClearFileSelectAnswers(void)
{
    g_fileAnswers.clear();
    g_fileCalls.clear();
}
const std::vector<FileSelectCall>& FileSelectCalls(void)
{
    return g_fileCalls;
}

// ---- Views --------------------------------------------------------------------------------------

static QWidget* Widget(int panel, int control)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    return c ? c->widget.data() : nullptr;
}

std::vector<PlotInfo> GraphPlots(int panel, int control)
{
    std::vector<PlotInfo> out;
    auto* g = qobject_cast<KGraph*>(Widget(panel, control));
    if (!g) return out;
    for (const KGraph::Plot& p : g->Plots()) {
        int kind = p.kind == KGraph::RECTANGLE   ? PLOT_RECTANGLE
                   : p.kind == KGraph::BAND      ? PLOT_BAND
                   : p.style == VAL_VERTICAL_BAR ? PLOT_BARS
                                                 : PLOT_XY;
        out.push_back({p.handle, kind, p.x, p.y, p.color, p.fillColor, p.lineStyle, p.name.toStdString()});
    }
    return out;
}

std::vector<std::string> GraphLegend(int panel, int control)
{
    std::vector<std::string> out;
    auto* g = qobject_cast<KPlotBase*>(Widget(panel, control));
    if (!g) return out;
    for (const QString& name : g->LegendNames()) out.push_back(name.toStdString());
    return out;
}

int StripTraceLineStyle(int panel, int control, int trace)
{
    auto* s = qobject_cast<KStripChart*>(Widget(panel, control));
    return s ? s->TraceLineStyle(trace) : UIE_NO_SUCH_CONTROL;
}

std::vector<std::string> AxisTickLabels(int panel, int control, int axis)
{
    std::vector<std::string> out;
    auto* g = qobject_cast<KPlotBase*>(Widget(panel, control));
    if (!g) return out;
    QCPAxis* a = axis == 0 ? g->xAxis : g->yAxis;
    QVector<double> ticks, subTicks;
    QVector<QString> labels;
    a->ticker()->generate(a->range(), g->locale(), a->numberFormat().at(0), a->numberPrecision(), ticks, &subTicks,
                          &labels);
    for (int i = 0; i < ticks.size() && i < labels.size(); i++)
        if (a->range().contains(ticks[i])) out.push_back(labels[i].toStdString());
    return out;
}

std::string ShownText(int panel, int control)
{
    QWidget* w = Widget(panel, control);
    if (auto* spin = qobject_cast<QSpinBox*>(w)) return spin->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    return "";
}

std::vector<double> StripChartTrace(int panel, int control, int trace)
{
    auto* s = qobject_cast<KStripChart*>(Widget(panel, control));
    return s ? s->TracePoints(trace) : std::vector<double>();
}

int StripTraceColor(int panel, int control, int trace)
{
    auto* s = qobject_cast<KStripChart*>(Widget(panel, control));
    return s ? s->TraceColor(trace) : UIE_NO_SUCH_CONTROL;
}

bool PanelVisible(int panel)
{
    Panel* p = FindPanel(panel);
    return p && p->window->isVisible();
}

bool PanelIsToolWindow(int panel)
{
    Panel* p = FindPanel(panel);
    return p && p->window->windowType() == Qt::Tool;
}

int StalePixels(int panel, int control)
{
    QWidget* w = Widget(panel, control);
    if (!w || !w->isVisible() || !w->window()->windowHandle()) return -1;
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    const QImage shown = w->window()
                             ->windowHandle()
                             ->screen()
                             ->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage whole = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != whole.size()) return -1;
    int stale = 0;
    for (int y = 0; y < whole.height(); y++)
        for (int x = 0; x < whole.width(); x++) stale += shown.pixel(x, y) != whole.pixel(x, y);
    return stale;
}

int GraphRepaintCount(int panel, int control)
{
    auto* g = qobject_cast<KPlotBase*>(Widget(panel, control));
    if (!g) return UIE_NO_SUCH_CONTROL;
    auto it = g_renders.find(g);
    return it == g_renders.end() ? 0 : it->second;
}

int ShownValue(int panel, int control)
{
    int err, v = 0;
    Control* c = FindControl(panel, control, &err);
    return c && ReadInt(*c, &v) ? v : 0;
}

std::string GraphAxisLabel(int panel, int control, int axis)
{
    auto* g = qobject_cast<KPlotBase*>(Widget(panel, control));
    if (!g) return "";
    return (axis == 0 ? g->xAxis : g->yAxis)->label().toStdString();
}

void ClipboardImageSize(int* width, int* height)
{
    QImage image = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->image() : QImage();
    *width = image.width();
    *height = image.height();
}

bool XmlFileHasRoot(const char* path, const char* root)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader r(&f);
    QString first;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && first.isEmpty()) first = r.name().toString();
    }
    return !r.hasError() && first == QLatin1String(root);
}

static Box ToBox(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

Box PanelFrame(int panel)
{
    Panel* p = FindPanel(panel);
    return p ? ToBox(p->window->frameGeometry()) : Box();
}

Box PanelMinimum(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return Box();
    QSize frame = p->window->frameGeometry().size() - p->window->size();
    return {0, 0, p->window->minimumWidth() + frame.width(), p->window->minimumHeight() + frame.height()};
}

Box ControlBox(int panel, int control)
{
    Panel* p = FindPanel(panel);
    QWidget* w = Widget(panel, control);
    if (!p || !w) return Box();
    // A pinned control is below the canvas, where its strip is.
    if (p->strip && p->strip->isAncestorOf(w))
        return ToBox(QRect(w->mapTo(p->strip, QPoint(0, 0)) + QPoint(0, p->canvas->height()), w->size()));
    return ToBox(QRect(w->mapTo(p->canvas, QPoint(0, 0)), w->size()));
}

Box ControlOnScreen(int panel, int control)
{
    Panel* p = FindPanel(panel);
    QWidget* w = Widget(panel, control);
    QScrollArea* area = p ? p->area : nullptr;
    if (!area || !w) return Box();
    QWidget* view = p->strip && p->strip->isAncestorOf(w) ? p->strip : area->viewport();
    QRect inView = QRect(w->mapTo(view, QPoint(0, 0)), w->size()).intersected(view->rect());
    if (inView.isEmpty()) return Box();
    return ToBox(inView.translated(view->mapToGlobal(QPoint(0, 0))));
}

Box PlaceBeside(const Box& owner, int w, int h, const Box& area)
{
    QPoint at =
        kvr::PlaceBeside(QRect(owner.x, owner.y, owner.w, owner.h), QSize(w, h), QRect(area.x, area.y, area.w, area.h));
    return {at.x(), at.y(), w, h};
}

void AssumeScreenArea(int x, int y, int width, int height)
{
    SetScreenAreaStandIn(width > 0 ? QRect(x, y, width, height) : QRect());
}

static std::string RoleWords(QAccessible::Role role)
{
    switch (role) {
        case QAccessible::RadioButton: return "radio button";
        case QAccessible::CheckBox: return "check box";
        case QAccessible::StaticText: return "label";
        case QAccessible::Slider: return "slider";
        case QAccessible::Button: return "button";
        case QAccessible::SpinBox: return "spin box";
        case QAccessible::ComboBox: return "combo box";
        case QAccessible::Graphic: return "graphic";
        default: return "role " + std::to_string(int(role));
    }
}

AccessibleView Accessible(int panel, int control)
{
    AccessibleView v;
    QWidget* w = Widget(panel, control);
    if (!w) return v;
    if (w->focusProxy()) w = w->focusProxy();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    if (!a) return v;
    auto str = [](const QString& s) { return s.toStdString(); };
    v.role = RoleWords(a->role());
    v.name = str(a->text(QAccessible::Name));
    v.description = str(a->text(QAccessible::Description));
    v.value = str(a->text(QAccessible::Value));
    if (QAccessibleTextInterface* t = a->textInterface()) v.text = str(t->text(0, t->characterCount()));
    v.checkable = a->state().checkable;
    v.checked = a->state().checked;
    return v;
}

void ScreenReaderPress(int panel, int control)
{
    QWidget* w = Widget(panel, control);
    QAccessibleInterface* a = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    QAccessibleActionInterface* act = a ? a->actionInterface() : nullptr;
    if (act && act->actionNames().contains(QAccessibleActionInterface::pressAction()))
        act->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void AfterDelay(double seconds, void (*fn)(void*), void* data)
{
    QTimer::singleShot(int(seconds * 1000 + 0.5), Qt::PreciseTimer, qApp, [fn, data] { fn(data); });
}

// ---- Operator actions ---------------------------------------------------------------------------

static void Settle()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    DispatchPorts();
}

static void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QPointF local(at);
    QMouseEvent e(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

static void Key(QWidget* w, QEvent::Type type, int key, const QString& text = QString(),
                Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent e(type, key, mods, text);
    QApplication::sendEvent(w, &e);
}

static void KeyStroke(QWidget* w, int key, const QString& text = QString(), Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    Key(w, QEvent::KeyPress, key, text, mods);
    Key(w, QEvent::KeyRelease, key, text, mods);
}

// Where a person would click: the indicator of a check box or radio button (its
// centre may lie beyond a short label), the middle of anything else.
static QPoint ClickPoint(QWidget* w)
{
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(w);
        auto element = qobject_cast<QCheckBox*>(w) ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator;
        QRect r = w->style()->subElementRect(element, &opt, w);
        if (r.isValid()) return r.center();
    }
    return w->rect().center();
}

void OperatorClick(int panel, int control)
{
    QWidget* w = Widget(panel, control);
    if (!w) return;
    QPoint at = ClickPoint(w);
    Mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
    Settle();
}

void OperatorType(int panel, int control, const char* text)
{
    QWidget* w = Widget(panel, control);
    if (!w || !text) return;
    KeyStroke(w, Qt::Key_A, "a", Qt::ControlModifier);  // select all
    for (const char* p = text; *p; p++) {
        QString ch = QString::fromLatin1(p, 1);
        int key = ch.at(0).isDigit() ? Qt::Key_0 + (*p - '0') : ch.at(0).toUpper().unicode();
        if (*p == '-') key = Qt::Key_Minus;
        KeyStroke(w, key, ch);
    }
    Settle();
}

void OperatorEnter(int panel, int control)
{
    QWidget* w = Widget(panel, control);
    if (!w) return;
    KeyStroke(w, Qt::Key_Return, "\r");
    Settle();
}

void OperatorSelectRing(int panel, int control, int index)
{
    auto* ring = qobject_cast<QComboBox*>(Widget(panel, control));
    if (!ring || !ring->isEnabled() || index < 0 || index >= ring->count()) return;
    // As with the mouse: open the list, pick the item, the list closes.
    ring->showPopup();
    QAbstractItemView* view = ring->view();
    view->setCurrentIndex(ring->model()->index(index, ring->modelColumn(), ring->rootModelIndex()));
    KeyStroke(view, Qt::Key_Return, "\r");
    if (view->isVisible()) ring->hidePopup();
    Settle();
}

void OperatorDragSlide(int panel, int control, int value)
{
    auto* slide = qobject_cast<KSlide*>(Widget(panel, control));
    if (!slide) return;
    QSlider* s = slide->slider();
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = s->sliderPosition();
    opt.sliderValue = s->value();
    opt.subControls = QStyle::SC_All;
    QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s);
    QRect groove = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, s);
    QPoint from = handle.center();
    int span = std::max(1, groove.width() - handle.width());
    int target =
        QStyle::sliderPositionFromValue(s->minimum(), s->maximum(), value, span) + groove.x() + handle.width() / 2;
    Mouse(s, QEvent::MouseButtonPress, from, Qt::LeftButton);
    if (s->isSliderDown()) {
        // Move in a few steps, as a hand would; the last step lands on the exact value,
        // which the pixel grid of a long range cannot always hit.
        for (int i = 1; i <= 4; i++) {
            QPoint at(from.x() + (target - from.x()) * i / 4, from.y());
            QMouseEvent e(QEvent::MouseMove, QPointF(at), s->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
            QApplication::sendEvent(s, &e);
        }
        if (s->sliderPosition() != value) s->setSliderPosition(value);
    }
    Mouse(s, QEvent::MouseButtonRelease, s->rect().center(), Qt::NoButton);
    Settle();
}

void OperatorKeys(int panel, const char* keys)
{
    Panel* p = FindPanel(panel);
    if (!p || !keys) return;
    p->window->activateWindow();
    Settle();
    if (!p->window->isActiveWindow()) QApplication::setActiveWindow(p->window);
    QWidget* to = p->window->focusWidget() ? p->window->focusWidget() : p->window;
    QTest::keySequence(to, QKeySequence(QString::fromLatin1(keys)));
    Settle();
}

int FocusedControl(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return 0;
    QWidget* f = p->window->focusWidget();
    for (auto& [number, c] : p->controls)
        if (c.widget && f && (c.widget == f || c.widget->isAncestorOf(f))) return number;
    return 0;
}

std::string ToolTip(int panel, int control)
{
    QWidget* w = Widget(panel, control);
    return w ? w->toolTip().toStdString() : std::string();
}

void OperatorResizePanel(int panel, int width, int height)
{
    Panel* p = FindPanel(panel);
    if (!p) return;
    p->window->resize(width, height);  // the window keeps to its minimum and maximum, as with a frame
    Settle();
}

void OperatorScrollTo(int panel, int control)
{
    Panel* p = FindPanel(panel);
    QWidget* w = Widget(panel, control);
    if (QScrollArea* area = p ? p->area : nullptr; area && w && area->widget()->isAncestorOf(w))
        area->ensureWidgetVisible(w, 0, 0);
    Settle();
}

void OperatorWheel(int panel, int control, int notches)
{
    QWidget* w = Widget(panel, control);
    if (!w) return;
    QPointF at = QPointF(w->rect().center());
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    // As from the window system: Qt passes only such wheel events on to the
    // parents when a widget leaves them (sendEvent would make it a program's event).
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(w, &e);
    Settle();
}

void OperatorDrag(int panel, int control, int dx)
{
    QWidget* w = Widget(panel, control);
    if (!w) return;
    QPointF from = QPointF(w->rect().center()), to = from + QPointF(dx, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, w->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, w->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, w->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    for (QMouseEvent* e : {&press, &move, &release}) {
        QSpontaneKeyEvent::setSpontaneous(e);
        qApp->notify(w, e);
    }
    Settle();
}

void OperatorClosePanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return;
    // The window system's close request, as the close box sends it: Qt then hides a
    // window whose close event was accepted and keeps one whose close was ignored.
    if (QWindow* handle = p->window->windowHandle())
        handle->close();
    else
        p->window->close();
    Settle();
}

int PanelMenuBarHeight(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p || !p->window) return 0;
    for (QMenuBar* bar : p->window->findChildren<QMenuBar*>())
        if (bar->isVisible()) return bar->height();
    return 0;
}

bool OperatorChooseMenuItem(int panel, const char* menu, const char* item)
{
    Panel* p = FindPanel(panel);
    if (!p || !p->window) return false;
    for (QMenuBar* bar : p->window->findChildren<QMenuBar*>()) {
        for (QAction* m : bar->actions()) {
            if (!m->menu() || m->menu()->title() != QString::fromLatin1(menu)) continue;
            for (QAction* a : m->menu()->actions()) {
                if (a->text() != QString::fromLatin1(item)) continue;
                if (!a->isEnabled()) return false;
                a->trigger();
                Settle();
                return true;
            }
        }
    }
    return false;
}

bool OperatorChooseExport(int panel, int control, const char* item)
{
    auto* g = qobject_cast<KPlotBase*>(Widget(panel, control));
    if (!g) return false;
    // The menu a right click opens, with the item chosen as the mouse would.
    QMenu menu(g);
    g->FillExportMenu(&menu);
    QAction* a = menu.findChild<QAction*>(QString::fromLatin1(item));
    if (!a) return false;
    a->trigger();
    Settle();
    return true;
}

std::string TextPopupShown(void)
{
    QMessageBox* box = OpenTextPopup();
    return box && box->isVisible() ? (box->windowTitle() + "\n" + box->text()).toStdString() : std::string();
}

std::string DocumentOpened(void)
{
    return g_documentOpened;
}

std::string MeasureCursorLabel(int panel, int control, int cursor)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    auto* plot = c ? qobject_cast<KPlotBase*>(c->widget.data()) : nullptr;
    if (!plot || cursor < 1 || cursor > 2 || !plot->Measure().label[cursor - 1]) return "";
    return plot->Measure().label[cursor - 1]->text().toStdString();
}
