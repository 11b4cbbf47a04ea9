// What screen readers are told about the controls, where Qt's own description
// falls short of what the control is to the operator.
//
// * Text messages (the status line) carry a fixed name that says what they are;
//   the text they show is their description, their value and their text, and
//   every change is announced.
// * Radio buttons are kept exclusive by the program, not by Qt, so Qt would
//   describe them as check boxes; they are radio buttons to the operator.
// * A slide's name reaches the slider inside it, which is what takes focus.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QRadioButton>

#include "runtime/widgets.h"

namespace kvr {

static const char* const kRole = "kvormxAccessibleRole";  // dynamic property: the kind described here

// A text message: name = what it is, description and text = what it shows.
class TextMessageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
    explicit TextMessageAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    QLabel* label() const { return static_cast<QLabel*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        QString shown = label()->text();
        switch (t) {
            case QAccessible::Name: return widget()->accessibleName().isEmpty() ? shown : widget()->accessibleName();
            case QAccessible::Description:
                return widget()->accessibleName().isEmpty() ? widget()->accessibleDescription() : shown;
            case QAccessible::Value: return shown;
            default: return QAccessibleWidget::text(t);
        }
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Read-only text: no caret, no selection.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return label()->text().mid(start, end - start); }
    int characterCount() const override { return int(label()->text().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return QString();
    }
};

// A radio button the program keeps exclusive itself.
class RadioAccessible : public QAccessibleWidget {
 public:
    explicit RadioAccessible(QRadioButton* b) : QAccessibleWidget(b, QAccessible::RadioButton) {}
    QRadioButton* button() const { return static_cast<QRadioButton*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            if (!widget()->accessibleName().isEmpty()) return widget()->accessibleName();
            QString s = button()->text();
            return s.remove('&');
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        return s;
    }
    QStringList actionNames() const override
    {
        return button()->isEnabled() ? QStringList{pressAction(), toggleAction()} : QStringList();
    }
    void doAction(const QString& action) override
    {
        // As a click: the program's callback gets its change and commit.
        if ((action == pressAction() || action == toggleAction()) && button()->isEnabled()) button()->click();
    }
};

static QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    QVariant role = object->property(kRole);
    if (!role.isValid()) return nullptr;
    if (role.toInt() == CTRL_TEXT_MSG && className == QLatin1String("QLabel"))
        return new TextMessageAccessible(static_cast<QLabel*>(object));
    if (role.toInt() == CTRL_RADIO_BUTTON && className == QLatin1String("QRadioButton"))
        return new RadioAccessible(static_cast<QRadioButton*>(object));
    return nullptr;
}

void InstallAccessibility()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

void DescribeForScreenReaders(const Control& c)
{
    QWidget* w = c.widget;
    switch (c.kind) {
        case CTRL_TEXT_MSG:
        case CTRL_RADIO_BUTTON:
            w->setProperty(kRole, c.kind);
            // Building the form may have made Qt's description already; the next
            // question then goes through Factory.
            if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(w))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
            break;
        case CTRL_SLIDE: {
            QSlider* s = static_cast<KSlide*>(w)->slider();
            if (s->accessibleName().isEmpty()) s->setAccessibleName(w->accessibleName());
            break;
        }
        default: break;
    }
}

void AnnounceText(QLabel* label, const QString& before)
{
    if (!QAccessible::isActive() || before == label->text()) return;
    // Qt announces a label's new text only while the text is its name.
    if (!label->accessibleName().isEmpty()) {
        QAccessibleEvent description(label, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&description);
    }
    QAccessibleTextUpdateEvent text(label, 0, before, label->text());
    QAccessible::updateAccessibility(&text);
}

}  // namespace kvr
