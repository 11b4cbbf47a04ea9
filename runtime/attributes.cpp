// Control attributes of the user-interface runtime (ui.h) on Qt Widgets, set
// and read by numeric code: dimmed, visible, place, colours, text size and
// font, value ranges and the strip chart's settings.

#include "runtime/ui.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QPlainTextEdit>

#include <cmath>

#include "runtime/widgets.h"

using namespace kvr;

const char* const kTextSizeProperty = "kvormxTextSize";  // the size the program set, in pixels
const char* const kPanelFontName = "NIApp";

static QColor Rgb(int v)
{
    return QColor(QRgb(0xFF000000u | (unsigned(v) & 0xFFFFFFu)));
}
static int FromColor(const QColor& c)
{
    return int(c.rgb() & 0xFFFFFFu);
}

static int NotApplicable(int control, int attribute)
{
    return Fail(UIE_BAD_ATTRIBUTE, QString("attribute %1 does not apply to control %2").arg(attribute).arg(control));
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
        case ATTR_LEFT:
            w->move(value, w->y());
            AnchorMoved(w);
            return 0;
        case ATTR_TOP:
            w->move(w->x(), value);
            AnchorMoved(w);
            return 0;
        case ATTR_FRAME_COLOR:
            if (c->kind != CTRL_DECORATION) return NotApplicable(control, attribute);
            SetPaletteColor(w, QPalette::Window, value, true);
            return 0;
        case ATTR_TEXT_COLOR:
        case ATTR_TEXT_BGCOLOR:
        case ATTR_TEXT_POINT_SIZE: {
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
        case ATTR_MAX_VALUE:
        case ATTR_MIN_VALUE: {
            if (!HasRange(c->kind)) return NotApplicable(control, attribute);
            int lo, hi;
            if (c->kind == CTRL_SLIDE) {
                lo = static_cast<KSlide*>(w)->minimum();
                hi = static_cast<KSlide*>(w)->maximum();
            } else {
                lo = static_cast<QSpinBox*>(w)->minimum();
                hi = static_cast<QSpinBox*>(w)->maximum();
            }
            (attribute == ATTR_MAX_VALUE ? hi : lo) = value;
            if (lo > hi) return Fail(UIE_BAD_VALUE, QString("range %1..%2 is empty").arg(lo).arg(hi));
            if (c->kind == CTRL_SLIDE) {
                auto* s = static_cast<KSlide*>(w);
                s->setMinimum(lo);
                s->setMaximum(hi);
            } else
                static_cast<QSpinBox*>(w)->setRange(lo, hi);  // the value is coerced, silently
            return 0;
        }
        case ATTR_NUM_TRACES:
        case ATTR_POINTS_PER_SCREEN:
        case ATTR_STRIP_SCROLL: {
            if (c->kind != CTRL_STRIP_CHART) return NotApplicable(control, attribute);
            auto* s = static_cast<KStripChart*>(w);
            int rc = 0;
            if (attribute == ATTR_NUM_TRACES)
                rc = s->SetTraces(value);
            else if (attribute == ATTR_POINTS_PER_SCREEN)
                rc = s->SetPointsPerScreen(value);
            else
                s->scroll = value;
            return rc < 0 ? Fail(rc, QString("value %1 refused for attribute %2").arg(value).arg(attribute)) : 0;
        }
        case ATTR_LEGEND_VISIBLE:
        case ATTR_ZOOM_PAN: {
            auto* plot = qobject_cast<KPlotBase*>(w);
            if (!plot || (attribute == ATTR_ZOOM_PAN && !qobject_cast<KGraph*>(w)))
                return NotApplicable(control, attribute);
            if (attribute == ATTR_LEGEND_VISIBLE)
                plot->ShowLegend(value != 0);
            else
                plot->SetZoomPan(value != 0);
            return 0;
        }
        case ATTR_TEXT_FONT:
        case ATTR_CALLBACK_NAME:
        case ATTR_ACCESSIBLE_NAME:
        case ATTR_XNAME:
        case ATTR_YNAME:
        case ATTR_GRAPH_CAPTION: return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 takes text").arg(attribute));
        default: return NotApplicable(control, attribute);  // also the read-only descriptions
    }
}

// The texts of a graph or strip chart: its axis labels and its caption.
static int PlotText(Control* c, int control, int attribute, const char* text)
{
    auto* plot = qobject_cast<KPlotBase*>(c->widget.data());
    if (!plot) return NotApplicable(control, attribute);
    if (!text) return Fail(UIE_BAD_VALUE, "no text");
    QuietScope quiet;
    QString t = QString::fromLatin1(text);
    if (attribute == ATTR_GRAPH_CAPTION)
        plot->SetCaption(t);
    else
        plot->SetAxisLabel(attribute == ATTR_XNAME ? AXIS_X : AXIS_Y, t);
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (attribute == ATTR_XNAME || attribute == ATTR_YNAME || attribute == ATTR_GRAPH_CAPTION)
        return PlotText(c, control, attribute, text);
    if (attribute != ATTR_TEXT_FONT) {
        if (attribute == ATTR_CALLBACK_NAME || attribute == ATTR_ACCESSIBLE_NAME)
            return NotApplicable(control, attribute);
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
            if (c->kind == CTRL_TEXT_BOX)
                *value = FromColor(static_cast<QPlainTextEdit*>(w)->viewport()->palette().color(QPalette::Base));
            else
                *value = FromColor(w->palette().color(QPalette::Window));
            return 0;
        case ATTR_TEXT_POINT_SIZE:
            if (!IsTextKind(c->kind)) return NotApplicable(control, attribute);
            *value = w->property(kTextSizeProperty).isValid() ? w->property(kTextSizeProperty).toInt()
                                                              : w->font().pointSize();
            return 0;
        case ATTR_MAX_VALUE:
        case ATTR_MIN_VALUE: {
            if (!HasRange(c->kind)) return NotApplicable(control, attribute);
            bool max = attribute == ATTR_MAX_VALUE;
            if (c->kind == CTRL_SLIDE)
                *value = max ? static_cast<KSlide*>(w)->maximum() : static_cast<KSlide*>(w)->minimum();
            else
                *value = max ? static_cast<QSpinBox*>(w)->maximum() : static_cast<QSpinBox*>(w)->minimum();
            return 0;
        }
        case ATTR_NUM_TRACES:
        case ATTR_POINTS_PER_SCREEN:
        case ATTR_STRIP_SCROLL: {
            if (c->kind != CTRL_STRIP_CHART) return NotApplicable(control, attribute);
            auto* s = static_cast<KStripChart*>(w);
            *value = attribute == ATTR_NUM_TRACES          ? s->Traces()
                     : attribute == ATTR_POINTS_PER_SCREEN ? s->PointsPerScreen()
                                                           : s->scroll;
            return 0;
        }
        case ATTR_LEGEND_VISIBLE:
        case ATTR_ZOOM_PAN: {
            auto* plot = qobject_cast<KPlotBase*>(w);
            if (!plot) return NotApplicable(control, attribute);
            *value = attribute == ATTR_LEGEND_VISIBLE ? plot->LegendShown() : plot->ZoomPan();
            return 0;
        }
        case ATTR_CTRL_STYLE: *value = c->kind; return 0;
        case ATTR_DATA_TYPE: *value = c->valType; return 0;
        case ATTR_TEXT_FONT:
        case ATTR_CALLBACK_NAME:
        case ATTR_ACCESSIBLE_NAME:
        case ATTR_XNAME:
        case ATTR_YNAME:
        case ATTR_GRAPH_CAPTION: return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 is text").arg(attribute));
        default: return NotApplicable(control, attribute);
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
        case ATTR_XNAME:
        case ATTR_YNAME:
        case ATTR_GRAPH_CAPTION: {
            auto* plot = qobject_cast<KPlotBase*>(c->widget.data());
            if (!plot) return NotApplicable(control, attribute);
            QString t = attribute == ATTR_GRAPH_CAPTION ? plot->Caption()
                        : attribute == ATTR_XNAME       ? plot->xAxis->label()
                                                        : plot->yAxis->label();
            CopyOut(t, text, size);
            return 0;
        }
        default: return Fail(UIE_TYPE_MISMATCH, QString("attribute %1 is not text").arg(attribute));
    }
}

int SetNumericDisplayScale(int panel, int control, double factor, double offset, int decimals)
{
    int err;
    Control* c = FindControl(panel, control, &err);
    if (!c) return err;
    if (c->kind != CTRL_NUMERIC_INDICATOR) return NotApplicable(control, 0);
    if (factor == 0.0 || !std::isfinite(factor) || !std::isfinite(offset) || decimals < 0 || decimals > 9)
        return Fail(UIE_BAD_VALUE,
                    QString("display scale %1, %2, %3 decimals refused").arg(factor).arg(offset).arg(decimals));
    QuietScope quiet;
    static_cast<KSpinBox*>(c->widget.data())->SetDisplayScale(factor, offset, decimals);
    return 0;
}
