// The panels in the operator's language. A loaded form's own texts (labels,
// button texts, captions, tooltips, accessible names, list items, axis
// labels) are shown translated; what the program reads back of a control
// (a text message's value, a list item's label) stays the English it was
// given, kept beside the widget.
#include "runtime/translate.h"
#include "runtime/widgets.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace kvr {

const char* const kSourceText = "kvrSourceText";  // a text message's English value
const int kSourceRole = Qt::UserRole + 40;        // a list item's English label

QString Shown(const QString& text)
{
    if (text.isEmpty() || CurrentLanguage()[0] == 'e') return text;
    const QByteArray source = text.toLatin1();
    return QString::fromLatin1(Translate(source.constData()));
}

// A button's text with its mnemonic: the translation is looked up without
// the '&' and gets none (the shortcuts are the form's keys, not letters).
static QString ShownLabel(const QString& text)
{
    if (!text.contains('&')) return Shown(text);
    QString plain = QString(text).remove('&');
    QString t = Shown(plain);
    return t == plain ? text : t;
}

static void TranslateWidget(QWidget* w)
{
    if (!w->toolTip().isEmpty()) w->setToolTip(Shown(w->toolTip()));
    if (!w->accessibleName().isEmpty()) w->setAccessibleName(Shown(w->accessibleName()));
    if (!w->accessibleDescription().isEmpty()) w->setAccessibleDescription(Shown(w->accessibleDescription()));
    if (!w->windowTitle().isEmpty()) w->setWindowTitle(Shown(w->windowTitle()));
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(ShownLabel(b->text()));
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        if (!l->text().isEmpty()) {
            l->setProperty(kSourceText, l->text());
            l->setText(ShownLabel(l->text()));
        }
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(ShownLabel(g->title()));
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < c->count(); i++) {
            c->setItemData(i, c->itemText(i), kSourceRole);
            c->setItemText(i, Shown(c->itemText(i)));
        }
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (!e->placeholderText().isEmpty()) e->setPlaceholderText(Shown(e->placeholderText()));
    } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
        for (int i = 0; i < t->count(); i++) t->setTabText(i, ShownLabel(t->tabText(i)));
    }
    for (const char* axis : {"xLabel", "yLabel"})
        if (w->property(axis).isValid()) w->setProperty(axis, Shown(w->property(axis).toString()));
}

void TranslateForm(QWidget* root)
{
    if (CurrentLanguage()[0] == 'e') return;
    TranslateWidget(root);
    for (QWidget* w : root->findChildren<QWidget*>()) TranslateWidget(w);
}

}  // namespace kvr
