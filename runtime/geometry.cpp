// Where panels and their controls sit: the window around a panel, controls
// that follow the panel's edges as it is resized, and keeping windows on the
// screen's free area at any scale.
//
// [SECTION] Anchors        the form's `anchor` property, applied on every resize
// [SECTION] Panel windows  a scroll area around the form's panel widget
// [SECTION] On the screen  fitting a panel into the free area, placing a child beside its owner

#include <QEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

#include "runtime/widgets.h"

namespace kvr {

// ---- [SECTION] Anchors --------------------------------------------------------------------------

// On the widget: the edges it keeps (int) and its geometry in the form (QRect).
// On its parent: the parent's size in the form (QSize), and whether it applies
// its children's anchors on resize.
static const char* const kEdges = "kvormxAnchorEdges";
static const char* const kFormRect = "kvormxFormRect";
static const char* const kFormSize = "kvormxFormSize";

int ParseAnchor(const QString& text, bool* ok)
{
    *ok = true;
    int edges = 0;
    const QStringList words = text.toLower().split(QRegularExpression("[\\s,|+]+"), Qt::SkipEmptyParts);
    for (const QString& w : words) {
        if (w == "left")
            edges |= ANCHOR_LEFT;
        else if (w == "right")
            edges |= ANCHOR_RIGHT;
        else if (w == "top")
            edges |= ANCHOR_TOP;
        else if (w == "bottom")
            edges |= ANCHOR_BOTTOM;
        else if (w == "grow")
            edges |= ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM;
        else if (w == "grow-x")
            edges |= ANCHOR_LEFT | ANCHOR_RIGHT;
        else if (w == "grow-y")
            edges |= ANCHOR_TOP | ANCHOR_BOTTOM;
        else
            *ok = false;
    }
    // An edge pair not named keeps the form's default: the left and the top.
    if (!(edges & (ANCHOR_LEFT | ANCHOR_RIGHT))) edges |= ANCHOR_LEFT;
    if (!(edges & (ANCHOR_TOP | ANCHOR_BOTTOM))) edges |= ANCHOR_TOP;
    return edges;
}

// How far the parent is from its form size now.
static QSize Growth(const QWidget* parent)
{
    QSize form = parent->property(kFormSize).toSize();
    return {parent->width() - form.width(), parent->height() - form.height()};
}

static void ApplyAnchors(QWidget* parent)
{
    QSize grown = Growth(parent);
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !w->property(kEdges).isValid()) continue;
        int edges = w->property(kEdges).toInt();
        QRect r = w->property(kFormRect).toRect();
        if ((edges & ANCHOR_LEFT) && (edges & ANCHOR_RIGHT))
            r.setWidth(std::max(1, r.width() + grown.width()));
        else if (edges & ANCHOR_RIGHT)
            r.translate(grown.width(), 0);
        if ((edges & ANCHOR_TOP) && (edges & ANCHOR_BOTTOM))
            r.setHeight(std::max(1, r.height() + grown.height()));
        else if (edges & ANCHOR_BOTTOM)
            r.translate(0, grown.height());
        w->setGeometry(r);
    }
}

class AnchorFilter : public QObject {
 public:
    using QObject::QObject;

 protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Resize) ApplyAnchors(static_cast<QWidget*>(watched));
        return false;
    }
};

void AnchorWidget(QWidget* w, int edges)
{
    QWidget* parent = w->parentWidget();
    if (!parent) return;
    w->setProperty(kEdges, edges);
    w->setProperty(kFormRect, w->geometry());
    if (!parent->property(kFormSize).isValid()) {
        parent->setProperty(kFormSize, parent->size());
        parent->installEventFilter(new AnchorFilter(parent));
    }
}

void AnchorMoved(QWidget* w)
{
    if (!w->property(kEdges).isValid() || !w->parentWidget()) return;
    // The new place counts as the place in the form, less what the anchors add now.
    int edges = w->property(kEdges).toInt();
    QSize grown = Growth(w->parentWidget());
    QRect r = w->property(kFormRect).toRect();
    r.moveTo(w->x() - (edges & ANCHOR_LEFT ? 0 : grown.width()), w->y() - (edges & ANCHOR_TOP ? 0 : grown.height()));
    w->setProperty(kFormRect, r);
}

// ---- [SECTION] Panel windows --------------------------------------------------------------------

// A panel's window: the scroll area around its canvas, with room above the
// canvas for a menu bar once the program gives it menus.
class PanelWindow : public QScrollArea {
 public:
    using QScrollArea::QScrollArea;
    QMenuBar* bar = nullptr;
    int barHeight = 0;  // the room above the canvas now
    QMenuBar* Bar()
    {
        if (!bar) bar = new QMenuBar(this);
        return bar;
    }
    // The bar's room follows what it holds; the canvas keeps its own, so the
    // window grows by the bar.
    void Relayout()
    {
        if (!bar) return;
        bar->ensurePolished();  // the style's font and margins decide its height
        const int h = bar->sizeHint().height();
        if (h != barHeight) {
            const int grown = h - barHeight;
            barHeight = h;
            setViewportMargins(0, h, 0, 0);
            if (maximumHeight() < QWIDGETSIZE_MAX) setMaximumHeight(maximumHeight() + grown);
            resize(width(), height() + grown);
        }
        bar->setGeometry(0, 0, width(), barHeight);
        bar->show();
    }

 protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QScrollArea::resizeEvent(e);
        if (bar) bar->setGeometry(0, 0, width(), barHeight);
    }
    // A style applied late may change the bar's height: its room follows.
    void showEvent(QShowEvent* e) override
    {
        Relayout();
        QScrollArea::showEvent(e);
    }
};

// A window with a pinned strip holds its scroll area and the strip in a
// column; its menu bar goes on top of the column, and the window grows by
// the bar's height, whatever the bar comes to hold and whenever the style
// decides its height (the window is shown).
static void FitMenuRoom(QWidget* window, QMenuBar* bar)
{
    bar->ensurePolished();
    const int h = bar->sizeHint().height();
    const int had = window->property("kvrMenuRoom").toInt();
    if (h == had) return;
    window->setProperty("kvrMenuRoom", h);
    if (window->maximumHeight() < QWIDGETSIZE_MAX) window->setMaximumHeight(window->maximumHeight() + h - had);
    window->resize(window->width(), window->height() + h - had);
}

namespace {
class MenuRoomOnShow : public QObject {
 public:
    MenuRoomOnShow(QWidget* window, QMenuBar* bar) : QObject(window), window_(window), bar_(bar) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == window_ && e->type() == QEvent::Show && bar_) FitMenuRoom(window_, bar_);
        return false;
    }

 private:
    QWidget* window_;
    QPointer<QMenuBar> bar_;
};
}  // namespace

static QMenuBar* ColumnMenuBar(QWidget* window, bool make)
{
    auto* column = window ? qobject_cast<QVBoxLayout*>(window->layout()) : nullptr;
    if (!column) return nullptr;
    auto* bar = qobject_cast<QMenuBar*>(column->menuBar());
    if (!bar && make) {
        bar = new QMenuBar(window);
        column->setMenuBar(bar);
        window->installEventFilter(new MenuRoomOnShow(window, bar));
    }
    return bar;
}

QMenuBar* PanelMenuBar(Panel& p)
{
    if (auto* w = dynamic_cast<PanelWindow*>(p.window)) return w->Bar();
    return ColumnMenuBar(p.window, true);
}

void PanelMenuBarChanged(Panel& p)
{
    if (auto* w = dynamic_cast<PanelWindow*>(p.window))
        w->Relayout();
    else if (QMenuBar* bar = ColumnMenuBar(p.window, false))
        FitMenuRoom(p.window, bar);
}

QWidget* PinBottom(QWidget* canvas, const std::vector<QWidget*>& pinned)
{
    if (pinned.empty()) return nullptr;
    int top = canvas->height();
    for (QWidget* w : pinned) top = std::min(top, w->y());
    const int height = canvas->height() - top;
    auto* strip = new QWidget;
    strip->setObjectName(canvas->objectName() + "_strip");
    strip->resize(canvas->width(), height);
    // The strip is as narrow as its widgets allow: those that stretch with
    // the window may shrink, the others keep their place.
    int least = 0;
    for (QWidget* w : pinned) {
        const QRect r = w->geometry();
        w->setParent(strip);
        w->move(r.x(), r.y() - top);
        w->show();
        least = std::max(least, r.x() + std::min(r.width(), 120));
    }
    strip->setMinimumWidth(least + 10);
    strip->setFixedHeight(height);
    QSize min = canvas->minimumSize();
    canvas->resize(canvas->width(), top);
    if (!min.isEmpty()) canvas->setMinimumSize(min.width(), std::max(1, min.height() - height));
    return strip;
}

QWidget* FramePanel(QWidget* canvas, QWidget* owner, bool resizable, QWidget* strip, QScrollArea** scrollArea)
{
    const QSize form = canvas->size();
    if (resizable) {
        // The form may allow less than its own size (Designer's minimumSize).
        if (canvas->minimumSize().isEmpty()) canvas->setMinimumSize(form);
    } else {
        canvas->setFixedSize(form);
    }
    auto* area = new PanelWindow(strip ? nullptr : owner);
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->setWidget(canvas);
    *scrollArea = area;
    QWidget* window = area;
    if (strip) {
        window = new QWidget(owner);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(area, 1);
        layout->addWidget(strip, 0);
    }
    window->setWindowFlags(owner ? Qt::Tool : Qt::Window);
    window->setWindowTitle(canvas->windowTitle());
    const QSize whole(form.width(), form.height() + (strip ? strip->height() : 0));
    window->resize(whole);
    if (!resizable) window->setMaximumSize(whole);
    window->hide();
    return window;
}

// ---- [SECTION] On the screen --------------------------------------------------------------------

static QRect g_areaStandIn;

void SetScreenAreaStandIn(const QRect& area)
{
    g_areaStandIn = area;
}

static QRect FreeArea(const QWidget* w)
{
    if (g_areaStandIn.isValid()) return g_areaStandIn;
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

static QPoint Clamp(QPoint at, const QSize& size, const QRect& area)
{
    int x = std::max(area.left(), std::min(at.x(), area.right() + 1 - size.width()));
    int y = std::max(area.top(), std::min(at.y(), area.bottom() + 1 - size.height()));
    return {x, y};
}

QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& area)
{
    // Right of the owner, below it, left of it, above it: the first that
    // covers nothing of it; else below it, as far as the area goes, over the
    // bottom of the owner, since a main window keeps its graphs at the top.
    const QPoint tries[] = {
        {owner.right() + 1, owner.top()},
        {owner.left(), owner.bottom() + 1},
        {owner.left() - size.width(), owner.top()},
        {owner.left(), owner.top() - size.height()},
    };
    for (QPoint t : tries) {
        QPoint at = Clamp(t, size, area);
        if (!QRect(at, size).intersects(owner)) return at;
    }
    return Clamp(tries[1], size, area);
}

void FitOnScreen(Panel& p, bool shown)
{
    QWidget* w = p.window;
    Panel* owner = p.parent ? FindPanel(p.parent) : nullptr;
    QRect area = FreeArea(owner ? owner->window : w);
    // The window system's frame is known once the window is shown; before, it counts as none.
    QSize frame = w->frameGeometry().size() - w->size();
    QSize room = (area.size() - frame).expandedTo(QSize(1, 1));
    QSize least = p.canvas->minimumSize();
    if (p.strip) least = QSize(std::max(least.width(), p.strip->minimumWidth()), least.height() + p.strip->height());
    least = least.boundedTo(room);
    if (w->minimumSize() != least) w->setMinimumSize(least);
    if (w->width() > room.width() || w->height() > room.height()) w->resize(w->size().boundedTo(room));
    QSize outer = w->size() + frame;
    QRect now(w->frameGeometry().topLeft(), outer);
    if (!shown && !p.placed && owner && owner->window->isVisible())
        w->move(PlaceBeside(owner->window->frameGeometry(), outer, area));
    else if ((shown || p.placed) && !area.contains(now))
        w->move(Clamp(now.topLeft(), outer, area));
    // A top-level window shown for the first time goes where the window system
    // puts it; afterwards, where it was.
    if (shown) p.placed = true;
}

}  // namespace kvr
