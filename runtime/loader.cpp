// Loading a panel from the form (Qt Designer XML) and the form widget classes
// the loader creates: KPushButton, KSpinBox, KSlide.
//
// The control contract (ctrl, kind, value, callback, firstValue, resource) is read
// from the XML itself rather than from the widgets' dynamic properties: a custom
// widget with a `value` Q_PROPERTY (KSlide, QSpinBox) would otherwise swallow the
// form's `value` type string.
//
// [SECTION] Form widgets
// [SECTION] Reading the form
// [SECTION] LoadPanel

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollArea>
#include <QUiLoader>
#include <QXmlStreamReader>

#include <set>

#include "runtime/widgets.h"

namespace kvr {

// ---- [SECTION] Form widgets ---------------------------------------------------------------------

KPushButton::KPushButton(QWidget* parent) : QPushButton(parent) {}

static bool IsEnter(QKeyEvent* e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

void KPushButton::keyPressEvent(QKeyEvent* e)
{
    if (IsEnter(e) && e->modifiers() == Qt::NoModifier) {
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", e->isAutoRepeat());
        QPushButton::keyPressEvent(&space);
        return;
    }
    QPushButton::keyPressEvent(e);
}

void KPushButton::keyReleaseEvent(QKeyEvent* e)
{
    if (IsEnter(e) && e->modifiers() == Qt::NoModifier) {
        QKeyEvent space(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", e->isAutoRepeat());
        QPushButton::keyReleaseEvent(&space);
        return;
    }
    QPushButton::keyReleaseEvent(e);
}

KSpinBox::KSpinBox(QWidget* parent) : QSpinBox(parent)
{
    setKeyboardTracking(true);  // a value per keystroke, as the program expects event 2 while typing
    // Enter re-interprets the text and emits valueChanged again with the same value;
    // only a new value is a change.
    connect(this, &QSpinBox::valueChanged, this, [this](int v) {
        if (v == last_) return;
        last_ = v;
        if (isReadOnly() || Quiet()) return;
        if (!stepping_) pending_ = true;
        emit changed();
    });
}

static bool SamePicture(const QStyleOptionGroupBox& a, const QStyleOptionGroupBox& b)
{
    return a.rect == b.rect && a.text == b.text && a.state == b.state && a.direction == b.direction &&
           a.palette == b.palette && a.features == b.features && a.subControls == b.subControls &&
           a.activeSubControls == b.activeSubControls && a.textAlignment == b.textAlignment &&
           a.textColor == b.textColor && a.lineWidth == b.lineWidth && a.midLineWidth == b.midLineWidth;
}

void KGroupBox::paintEvent(QPaintEvent*)
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || picture_.devicePixelRatio() != ratio || font_ != font() || !SamePicture(option, drawn_)) {
        picture_ = QPixmap(size() * ratio);
        picture_.setDevicePixelRatio(ratio);
        picture_.fill(Qt::transparent);
        QPainter p(&picture_);
        p.setFont(font());
        p.setPen(palette().color(foregroundRole()));
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &p, this);
        drawn_ = option;
        font_ = font();
    }
    QPainter(this).drawPixmap(0, 0, picture_);
}

void KSpinBox::SetDisplayScale(double factor, double offset, int decimals)
{
    if (factor == factor_ && offset == offset_ && decimals == decimals_) return;
    factor_ = factor;
    offset_ = offset;
    decimals_ = decimals;
    setSuffix(suffix());  // shows the value again, the new way
}

QString KSpinBox::textFromValue(int value) const
{
    if (factor_ == 1.0 && offset_ == 0.0 && decimals_ == 0) return QSpinBox::textFromValue(value);
    // A dot, as in every file the program writes: the same number reads the
    // same on the panel and in the recording.
    return QString::number(value * factor_ + offset_, 'f', decimals_);
}

void KSpinBox::keyPressEvent(QKeyEvent* e)
{
    if (IsEnter(e) && !isReadOnly()) {
        QSpinBox::keyPressEvent(e);  // interprets the text, may raise `changed`
        pending_ = false;
        emit committed();
        return;
    }
    QSpinBox::keyPressEvent(e);
}

void KSpinBox::focusOutEvent(QFocusEvent* e)
{
    QSpinBox::focusOutEvent(e);
    if (pending_) {
        pending_ = false;
        emit committed();
    }
}

void KSpinBox::stepBy(int steps)
{
    int before = value();
    stepping_ = true;
    QSpinBox::stepBy(steps);
    stepping_ = false;
    if (value() != before) {
        pending_ = false;
        emit committed();
    }
}

KSlide::KSlide(QWidget* parent) : QWidget(parent)
{
    slider_ = new QSlider(Qt::Horizontal, this);
    label_ = new QLabel(this);
    label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_->setNum(slider_->value());
    setFocusProxy(slider_);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        label_->setNum(v);
        emit changed();
        // A step by key or a click on the groove is complete at once; a drag commits on release.
        if (!slider_->isSliderDown()) emit committed();
    });
    connect(slider_, &QSlider::sliderReleased, this, &KSlide::committed);
    Relayout();
}

void KSlide::setMinimum(int v)
{
    slider_->setMinimum(v);
    Relayout();
}
void KSlide::setMaximum(int v)
{
    slider_->setMaximum(v);
    Relayout();
}
void KSlide::setValue(int v)
{
    slider_->setValue(v);
}
void KSlide::resizeEvent(QResizeEvent*)
{
    Relayout();
}

void KSlide::Relayout()
{
    QFontMetrics fm(label_->font());
    int digits = std::max(QString::number(slider_->maximum()).size(), QString::number(slider_->minimum()).size());
    int lw = fm.horizontalAdvance(QString(digits, '0')) + 8;
    lw = std::min(lw, width() / 2);
    slider_->setGeometry(0, 0, width() - lw, height());
    label_->setGeometry(width() - lw, 0, lw, height());
}

// ---- [SECTION] Reading the form -----------------------------------------------------------------

// One <widget> element of the form with its contract properties.
struct FormWidget {
    QString cls, name;
    std::map<QString, QString> props;  // stdset="0" properties, as text
    int parent = -1;                   // index of the enclosing widget
};

static bool ReadForm(const QByteArray& xml, std::vector<FormWidget>* out, QString* why)
{
    QXmlStreamReader r(xml);
    std::vector<QString> elements;  // element stack
    std::vector<int> widgets;       // FormWidget index per open <widget>
    QString propName;               // open <property stdset="0"> of a widget
    int propOwner = -1;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            QString el = r.name().toString();
            QString parentEl = elements.empty() ? QString() : elements.back();
            if (el == "widget") {
                FormWidget w;
                w.cls = r.attributes().value("class").toString();
                w.name = r.attributes().value("name").toString();
                w.parent = widgets.empty() ? -1 : widgets.back();
                out->push_back(w);
                widgets.push_back(int(out->size()) - 1);
            } else if (el == "property" && parentEl == "widget" &&
                       r.attributes().value("stdset") == QLatin1String("0")) {
                propName = r.attributes().value("name").toString();
                propOwner = widgets.back();
            } else if (!propName.isEmpty() && (el == "number" || el == "string" || el == "bool" || el == "double")) {
                (*out)[propOwner].props[propName] = r.readElementText();
                continue;  // readElementText consumed the end element
            }
            elements.push_back(el);
        } else if (r.isEndElement()) {
            QString el = r.name().toString();
            if (el == "widget") widgets.pop_back();
            if (el == "property") propName.clear();
            if (!elements.empty()) elements.pop_back();
        }
    }
    if (r.hasError()) {
        *why = QString("malformed XML at line %1, column %2: %3")
                   .arg(r.lineNumber())
                   .arg(r.columnNumber())
                   .arg(r.errorString());
        return false;
    }
    return true;
}

static int KindCode(const QString& k)
{
    static const std::map<QString, int> kinds = {
        {"button", CTRL_COMMAND_BUTTON},
        {"toggle", CTRL_TOGGLE_BUTTON},
        {"numeric", CTRL_NUMERIC},
        {"indicator", CTRL_NUMERIC_INDICATOR},
        {"slide", CTRL_SLIDE},
        {"ring", CTRL_RING},
        {"dropdown", CTRL_DROPDOWN_RING},
        {"radio", CTRL_RADIO_BUTTON},
        {"switch", CTRL_SWITCH},
        {"textmsg", CTRL_TEXT_MSG},
        {"textbox", CTRL_TEXT_BOX},
        {"graph", CTRL_GRAPH},
        {"stripchart", CTRL_STRIP_CHART},
        {"picture", CTRL_PICTURE},
        {"decoration", CTRL_DECORATION},
        {"string", CTRL_STRING},
    };
    auto it = kinds.find(k);
    return it == kinds.end() ? 0 : it->second;
}

static int ValueCode(const QString& v, bool* ok)
{
    *ok = true;
    if (v.isEmpty()) return VALTYPE_NONE;
    if (v == "u16") return VALTYPE_U16;
    if (v == "int") return VALTYPE_INT;
    if (v == "text") return VALTYPE_TEXT;
    *ok = false;
    return VALTYPE_NONE;
}

// Whether the widget Qt made is of the class the kind needs.
static bool WidgetFits(int kind, QWidget* w)
{
    auto* b = qobject_cast<QPushButton*>(w);
    switch (kind) {
        case CTRL_COMMAND_BUTTON:
        case CTRL_TOGGLE_BUTTON: return qobject_cast<KPushButton*>(w) && b;
        case CTRL_NUMERIC:
        case CTRL_NUMERIC_INDICATOR: return qobject_cast<KSpinBox*>(w);
        case CTRL_SLIDE: return qobject_cast<KSlide*>(w);
        case CTRL_RING:
        case CTRL_DROPDOWN_RING: return qobject_cast<QComboBox*>(w);
        case CTRL_RADIO_BUTTON: return qobject_cast<QRadioButton*>(w);
        case CTRL_SWITCH: return qobject_cast<QCheckBox*>(w);
        case CTRL_TEXT_MSG:
        case CTRL_PICTURE: return qobject_cast<QLabel*>(w);
        case CTRL_TEXT_BOX: return qobject_cast<QPlainTextEdit*>(w);
        case CTRL_STRING: return qobject_cast<QLineEdit*>(w);
        case CTRL_GRAPH: return qobject_cast<KGraph*>(w);
        case CTRL_STRIP_CHART: return qobject_cast<KStripChart*>(w);
        case CTRL_DECORATION: return qobject_cast<QFrame*>(w);
        default: return false;
    }
}

class FormLoader : public QUiLoader {
 public:
    QWidget* createWidget(const QString& cls, QWidget* parent, const QString& name) override
    {
        QWidget* w = nullptr;
        if (cls == "KGraph")
            w = new KGraph(parent);
        else if (cls == "KStripChart")
            w = new KStripChart(parent);
        else if (cls == "KSlide")
            w = new KSlide(parent);
        else if (cls == "QSpinBox")
            w = new KSpinBox(parent);
        else if (cls == "QGroupBox")
            w = new KGroupBox(parent);
        else if (cls == "QPushButton")
            w = new KPushButton(parent);
        else
            return QUiLoader::createWidget(cls, parent, name);
        w->setObjectName(name);
        return w;
    }
};

// Makes the widget behave as its kind promises, whatever the form set.
static void Prepare(Control& c)
{
    QWidget* w = c.widget;
    switch (c.kind) {
        case CTRL_COMMAND_BUTTON: static_cast<QPushButton*>(w)->setCheckable(false); break;
        case CTRL_TOGGLE_BUTTON: static_cast<QPushButton*>(w)->setCheckable(true); break;
        case CTRL_NUMERIC_INDICATOR:
            static_cast<QSpinBox*>(w)->setReadOnly(true);
            // Displays change with every reply: filled with the panel's colour
            // they are opaque, and their repaint leaves what lies under them
            // (a group box's frame, the panel) alone.
            w->setBackgroundRole(QPalette::Window);
            w->setAutoFillBackground(true);
            break;
        case CTRL_RADIO_BUTTON: static_cast<QRadioButton*>(w)->setAutoExclusive(false); break;
        case CTRL_SWITCH: static_cast<QCheckBox*>(w)->setTristate(false); break;
        case CTRL_TEXT_MSG: static_cast<QLabel*>(w)->setTextFormat(Qt::PlainText); break;
        case CTRL_TEXT_BOX: static_cast<QPlainTextEdit*>(w)->setReadOnly(true); break;
        case CTRL_GRAPH:
        case CTRL_STRIP_CHART: static_cast<KPlotBase*>(w)->ApplyFormProperties(); break;
        default: break;
    }
    DescribeForScreenReaders(c);
}

// Tab moves through the controls in the order the form lists them, which the
// form keeps in reading order (left to right, top to bottom), also into and
// out of the pinned strip, and from the last back to the first. The panel
// keeps that ring itself: Qt's own focus chain, reordered across the
// scrolled part and the strip, lost the first few controls after one round.
class TabRing : public QObject {
 public:
    TabRing(QObject* parent, const std::vector<QWidget*>& ring) : QObject(parent)
    {
        for (QWidget* w : ring) {
            ring_.emplace_back(w);
            w->installEventFilter(this);
        }
    }

 protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
        const bool back =
            k->key() == Qt::Key_Backtab || (k->key() == Qt::Key_Tab && (k->modifiers() & Qt::ShiftModifier));
        if (!back && k->key() != Qt::Key_Tab) return false;
        const int n = int(ring_.size());
        int at = -1;
        for (int i = 0; i < n && at < 0; i++)
            if (ring_[size_t(i)] == watched) at = i;
        if (at < 0) return false;
        for (int step = 1; step < n; step++) {
            QWidget* w = ring_[size_t((at + (back ? n - step : step)) % n)];
            if (!w || !w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) continue;
            w->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
                if (auto* area = qobject_cast<QScrollArea*>(p)) {
                    area->ensureWidgetVisible(w);
                    break;
                }
            return true;
        }
        return false;
    }

 private:
    std::vector<QPointer<QWidget>> ring_;
};

static void ChainTabOrder(QWidget* window, QWidget* canvas, QWidget* strip, const std::vector<QString>& order)
{
    std::vector<QWidget*> ring;
    QWidget* previous = nullptr;
    for (const QString& name : order) {
        QWidget* w = canvas->findChild<QWidget*>(name);
        if (!w && strip) w = strip->findChild<QWidget*>(name);
        if (!w) continue;
        if (w->focusProxy()) w = w->focusProxy();
        if (!(w->focusPolicy() & Qt::TabFocus)) continue;
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
        ring.push_back(w);
    }
    if (ring.size() > 1) new TabRing(window, ring);
}

}  // namespace kvr

using namespace kvr;

// ---- [SECTION] LoadPanel ------------------------------------------------------------------------

int LoadPanel(int parent, const char* file, int resource)
{
    if (!Initialised()) return Fail(UIE_NOT_INITIALISED, "InitRuntime has not been called");
    Panel* owner = nullptr;
    if (parent != 0) {
        owner = FindPanel(parent);
        if (!owner) return Fail(UIE_BAD_HANDLE, QString("no parent panel with handle %1").arg(parent));
    }
    QString fileName = QFile::decodeName(file ? file : "");
    QString path = ResolveFile(file ? file : "");
    if (path.isEmpty()) return Fail(UIE_FILE_NOT_FOUND, QString("panel file %1 not found").arg(fileName));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Fail(UIE_FILE_NOT_FOUND, QString("cannot read %1: %2").arg(path, f.errorString()));
    QByteArray xml = f.readAll();

    std::vector<FormWidget> form;
    QString why;
    if (!ReadForm(xml, &form, &why)) return Fail(UIE_BAD_RESOURCE, QString("%1: %2").arg(path, why));

    int panelIndex = -1;
    for (size_t i = 0; i < form.size() && panelIndex < 0; i++) {
        auto it = form[i].props.find("resource");
        if (it != form[i].props.end() && it->second.toInt() == resource) panelIndex = int(i);
    }
    if (panelIndex < 0)
        return Fail(UIE_BAD_RESOURCE, QString("%1 holds no panel with resource %2").arg(path).arg(resource));
    const FormWidget& pw = form[size_t(panelIndex)];
    if (pw.name.isEmpty()) return Fail(UIE_BAD_RESOURCE, QString("panel %1 has no name").arg(resource));

    // The contract of every control inside the panel, checked before anything is built.
    auto p = std::make_unique<Panel>();
    p->parent = parent;
    if (auto it = pw.props.find("callback"); it != pw.props.end() && !it->second.isEmpty()) {
        const CallbackEntry* e = LookupCallback(it->second.toLatin1().constData());
        if (!e || !e->panel)
            return Fail(UIE_BAD_RESOURCE,
                        QString("panel callback %1 of panel %2 is not in the callback table").arg(it->second, pw.name));
        p->callbackName = it->second.toStdString();
        p->callback = e->panel;
    }
    struct Pending {
        Control c;
        QString name;
        QString firstValue;
    };
    std::vector<Pending> pending;
    std::vector<std::pair<QString, int>> anchors;  // widget name, edges
    std::vector<QString> pinned;                   // widgets pinned to the bottom, below the scrolled part
    std::vector<QString> order;                    // every widget of the panel, in the form's order
    std::set<QString> names;
    for (size_t i = 0; i < form.size(); i++) {
        bool inside = false;
        for (int a = form[i].parent; a >= 0; a = form[size_t(a)].parent)
            if (a == panelIndex) {
                inside = true;
                break;
            }
        if (!inside) continue;
        const FormWidget& w = form[i];
        auto prop = [&](const char* k) {
            auto it = w.props.find(k);
            return it == w.props.end() ? QString() : it->second;
        };
        if (!w.name.isEmpty()) order.push_back(w.name);
        if (!prop("pin").isEmpty()) {
            if (prop("pin") != "bottom" || w.parent != panelIndex)
                return Fail(UIE_BAD_RESOURCE,
                            QString("widget %1: only a widget of the panel itself is pinned, and only to the bottom")
                                .arg(w.name));
            pinned.push_back(w.name);
        }
        if (!prop("anchor").isEmpty()) {
            bool ok;
            int edges = ParseAnchor(prop("anchor"), &ok);
            if (!ok || w.name.isEmpty())
                return Fail(
                    UIE_BAD_RESOURCE,
                    QString("widget %1: anchor '%2' is not made of left, right, top, bottom, grow, grow-x, grow-y")
                        .arg(w.name, prop("anchor")));
            anchors.emplace_back(w.name, edges);
        }
        if (prop("ctrl").isEmpty()) continue;
        Pending pc;
        bool ok;
        pc.c.number = prop("ctrl").toInt(&ok);
        if (!ok || pc.c.number <= 0)
            return Fail(UIE_BAD_RESOURCE,
                        QString("widget %1: control number %2 is not a positive integer").arg(w.name, prop("ctrl")));
        if (p->controls.count(pc.c.number) ||
            std::any_of(pending.begin(), pending.end(), [&](const Pending& o) { return o.c.number == pc.c.number; }))
            return Fail(UIE_BAD_RESOURCE, QString("control number %1 appears twice on panel %2 (again at %3)")
                                              .arg(pc.c.number)
                                              .arg(pw.name, w.name));
        if (w.name.isEmpty() || !names.insert(w.name).second)
            return Fail(UIE_BAD_RESOURCE, QString("control %1 needs a name of its own").arg(pc.c.number));
        pc.c.kind = KindCode(prop("kind"));
        if (!pc.c.kind)
            return Fail(UIE_BAD_RESOURCE,
                        QString("control %1 (%2): unknown kind '%3'").arg(pc.c.number).arg(w.name, prop("kind")));
        pc.c.valType = ValueCode(prop("value"), &ok);
        if (!ok)
            return Fail(
                UIE_BAD_RESOURCE,
                QString("control %1 (%2): unknown value type '%3'").arg(pc.c.number).arg(w.name, prop("value")));
        QString cb = prop("callback");
        if (!cb.isEmpty()) {
            const CallbackEntry* e = LookupCallback(cb.toLatin1().constData());
            if (!e || !e->control)
                return Fail(UIE_BAD_RESOURCE, QString("callback %1 of control %2 (%3) is not in the callback table")
                                                  .arg(cb)
                                                  .arg(pc.c.number)
                                                  .arg(w.name));
            pc.c.callbackName = cb.toStdString();
            pc.c.callback = e->control;
        }
        pc.name = w.name;
        pc.firstValue = prop("firstValue");
        pending.push_back(pc);
    }

    FormLoader loader;
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    QWidget* top = loader.load(&buffer, nullptr);
    if (!top) return Fail(UIE_BAD_RESOURCE, QString("%1: %2").arg(path, loader.errorString()));
    QWidget* window = top->objectName() == pw.name ? top : top->findChild<QWidget*>(pw.name);
    if (!window) {
        delete top;
        return Fail(UIE_BAD_RESOURCE, QString("panel %1 was not built").arg(pw.name));
    }
    for (Pending& pc : pending) {
        QWidget* w = window->findChild<QWidget*>(pc.name);
        if (!w || !WidgetFits(pc.c.kind, w)) {
            QString cls = w ? w->metaObject()->className() : QString("nothing");
            delete top;
            return Fail(UIE_BAD_RESOURCE,
                        QString("control %1 (%2): kind does not fit a %3").arg(pc.c.number).arg(pc.name, cls));
        }
        pc.c.widget = w;
    }

    std::vector<QWidget*> pinnedWidgets;
    for (const QString& name : pinned)
        if (QWidget* w = window->findChild<QWidget*>(name)) pinnedWidgets.push_back(w);
    QWidget* strip = PinBottom(window, pinnedWidgets);
    for (auto& [name, edges] : anchors) {
        QWidget* w = window->findChild<QWidget*>(name);
        if (!w && strip) w = strip->findChild<QWidget*>(name);
        if (w) AnchorWidget(w, edges);
    }

    // The panel gets a window of its own; the rest of the form goes. Only a
    // panel whose controls follow its edges can be resized.
    if (window != top) {
        window->setParent(nullptr);
        delete top;
    }
    p->canvas = window;
    TranslateForm(window);
    if (strip) TranslateForm(strip);  // the pinned widgets are no longer the canvas's
    p->strip = strip;
    p->window = FramePanel(window, owner ? owner->window : nullptr, !anchors.empty(), strip, &p->area);
    ChainTabOrder(p->window, window, strip, order);

    int handle = RegisterPanel(std::move(p));
    Panel* panel = FindPanel(handle);
    QuietScope quiet;
    for (Pending& pc : pending) {
        Control& c = panel->controls[pc.c.number] = pc.c;
        if (c.kind == CTRL_RING || c.kind == CTRL_DROPDOWN_RING) {
            auto* ring = static_cast<QComboBox*>(c.widget.data());
            int first = pc.firstValue.toInt();
            for (int i = 0; i < ring->count(); i++) ring->setItemData(i, first + i);
        }
        Prepare(c);
        WireControl(*panel, c);
    }
    WirePanel(*panel);
    return handle;
}
