// Controls of the user-interface runtime (ui.h) on Qt Widgets: the values the
// program reads and sets, the text messages it makes, pictures, text boxes and
// the items of rings. Programmatic changes raise no events (QuietScope).
//
// [SECTION] Control values
// [SECTION] Made controls, pictures, text boxes, rings

#include "runtime/ui.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <cstring>

#include "runtime/widgets.h"

using namespace kvr;

// ---- [SECTION] Control values -------------------------------------------------------------------

static bool IsNumericKind(int kind)
{
    switch (kind) {
        case CTRL_NUMERIC:
        case CTRL_NUMERIC_INDICATOR:
        case CTRL_SLIDE:
        case CTRL_RING:
        case CTRL_DROPDOWN_RING:
        case CTRL_RADIO_BUTTON:
        case CTRL_SWITCH:
        case CTRL_TOGGLE_BUTTON: return true;
        default: return false;
    }
}

bool kvr::IsTextKind(int kind)
{
    return kind == CTRL_TEXT_MSG || kind == CTRL_TEXT_BOX;
}
static bool TakesText(int kind)
{
    return IsTextKind(kind) || kind == CTRL_STRING;
}

int kvr::Mismatch(int panel, int control, const char* what)
{
    return Fail(UIE_TYPE_MISMATCH,
                QString("control %1 of panel %2 does not take %3").arg(control).arg(panel).arg(what));
}

// The value a numeric kind shows; false if there is none (an empty ring).
bool kvr::ReadInt(const Control& c, int* v)
{
    QWidget* w = c.widget;
    switch (c.kind) {
        case CTRL_NUMERIC:
        case CTRL_NUMERIC_INDICATOR: *v = static_cast<QSpinBox*>(w)->value(); return true;
        case CTRL_SLIDE: *v = static_cast<KSlide*>(w)->value(); return true;
        case CTRL_RING:
        case CTRL_DROPDOWN_RING: {
            auto* cb = static_cast<QComboBox*>(w);
            if (cb->currentIndex() < 0) return false;
            *v = cb->currentData().toInt();
            return true;
        }
        case CTRL_RADIO_BUTTON:
        case CTRL_SWITCH:
        case CTRL_TOGGLE_BUTTON: *v = static_cast<QAbstractButton*>(w)->isChecked() ? 1 : 0; return true;
        default: return false;
    }
}

static QString ReadText(const Control& c)
{
    if (c.kind == CTRL_TEXT_MSG) {
        auto* l = static_cast<QLabel*>(c.widget.data());
        QVariant source = l->property(kSourceText);
        return source.isValid() ? source.toString() : l->text();
    }
    if (c.kind == CTRL_TEXT_BOX) return static_cast<QPlainTextEdit*>(c.widget.data())->toPlainText();
    if (c.kind == CTRL_STRING) return static_cast<QLineEdit*>(c.widget.data())->text();
    return QString();
}

void kvr::CopyOut(const QString& s, char* text, int size)
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
    if (c->valType != VALTYPE_U16 || !IsNumericKind(c->kind))
        return Mismatch(panel, control, "an unsigned 16-bit value");
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
        case CTRL_NUMERIC:
        case CTRL_NUMERIC_INDICATOR: {
            auto* s = static_cast<KSpinBox*>(w);
            s->setValue(value);  // QSpinBox coerces into its range
            s->ClearPending();
            break;
        }
        case CTRL_SLIDE: static_cast<KSlide*>(w)->setValue(value); break;
        case CTRL_RING:
        case CTRL_DROPDOWN_RING: {
            auto* cb = static_cast<QComboBox*>(w);
            int index = cb->findData(value);
            if (index < 0)
                return Fail(UIE_BAD_VALUE, QString("ring %1 has no item with value %2").arg(control).arg(value));
            cb->setCurrentIndex(index);
            break;
        }
        default: static_cast<QAbstractButton*>(w)->setChecked(value != 0); break;
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
        e->setModified(false);  // a later focus change is no commit of the operator's
    } else if (c->kind == CTRL_TEXT_MSG) {
        auto* l = static_cast<QLabel*>(c->widget.data());
        QString before = l->text();
        // Displays are set on every reply, mostly to what they show already.
        if (before == Shown(s) && l->property(kSourceText).toString() == s) return 0;
        l->setProperty(kSourceText, s);
        l->setText(Shown(s));
        if (c->autoSize) l->adjustSize();
        AnnounceText(l, before);
    } else {
        // A text box appends, as the operator's log of lines; ReplaceTextBoxLine edits in place.
        static_cast<QPlainTextEdit*>(c->widget.data())->appendPlainText(s);
    }
    return 0;
}

// ---- [SECTION] Made controls, pictures, text boxes, rings ---------------------------------------

int NewCtrl(int panel, int style, const char* label, int top, int left)
{
    Panel* p = FindPanel(panel);
    if (!p) return Fail(UIE_BAD_HANDLE, QString("no panel with handle %1").arg(panel));
    if (style != CTRL_TEXT_MSG)
        return Fail(UIE_BAD_VALUE, QString("NewCtrl makes text messages only, not style %1").arg(style));
    int number = 1;
    if (!p->controls.empty()) number = std::max(1, p->controls.rbegin()->first + 1);
    auto* l = new QLabel(p->canvas);
    l->setTextFormat(Qt::PlainText);
    l->setProperty(kSourceText, QString::fromLatin1(label ? label : ""));
    l->setText(Shown(QString::fromLatin1(label ? label : "")));
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
    if (path.isEmpty())
        return Fail(UIE_FILE_NOT_FOUND, QString("image file %1 not found").arg(QFile::decodeName(file ? file : "")));
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
    const QString english = QString::fromLatin1(label);
    if (index == ring->count()) {
        ring->addItem(Shown(english), value);
    } else {
        ring->setItemText(index, Shown(english));
        ring->setItemData(index, value);
    }
    ring->setItemData(index, english, kSourceRole);
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
    QVariant english = ring->itemData(index, kSourceRole);
    CopyOut(english.isValid() ? english.toString() : ring->itemText(index), label, size);
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
