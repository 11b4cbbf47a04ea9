// Private to the runtime: the widget classes the loader creates for the form,
// and the panel registry that the runtime's files share (panels.cpp keeps it,
// event_loop.cpp, controls.cpp, attributes.cpp, loader.cpp and graph.cpp use
// it), with the two hooks through which the test-support library
// (tests/support/inspect.cpp, never linked into the program) looks on. Never
// included by the program (it pulls in Qt).
//
// [SECTION] Registry       panels, controls, errors, event dispatch
// [SECTION] Accessibility  what screen readers are told (accessible.cpp)
// [SECTION] Geometry       panel windows, anchors, the screen's free area (geometry.cpp)
// [SECTION] Hooks          a stand-in for the file dialog, an observer of chart renders
// [SECTION] Form widgets   KPushButton, KSpinBox, KSlide
// [SECTION] Plot widgets   KPlotBase, KGraph, KStripChart
#pragma once

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QString>
#include <QStyleOptionGroupBox>
#include <QWidget>

#include <QMenu>
#include <QMenuBar>

#include <qcustomplot.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/graph.h"
#include "runtime/ui.h"

class QMessageBox;

namespace kvr {

// ---- [SECTION] Registry -------------------------------------------------------------------------

struct Control {
    int number = 0;
    int kind = 0;                // CTRL_ code
    int valType = VALTYPE_NONE;  // VALTYPE_ code
    std::string callbackName;    // "" when the control has no callback
    CtrlCallbackPtr callback = nullptr;
    QPointer<QWidget> widget;
    bool autoSize = false;  // NewCtrl text messages follow their text
};

struct Panel {
    int handle = 0;
    int parent = 0;               // 0: top-level window; else the owning panel's handle
    QWidget* window = nullptr;    // the panel's window: a scroll area around the canvas (and the strip)
    QWidget* canvas = nullptr;    // the form's panel widget, parent of the controls
    QScrollArea* area = nullptr;  // the scroll area around the canvas
    QWidget* strip = nullptr;     // the form's pinned widgets, below the scroll area; null: none
    bool placed = false;          // shown before: its place is the operator's or the window system's
    std::string callbackName;
    PanelCallbackPtr callback = nullptr;
    std::map<int, Control> controls;
};

bool Initialised();
// Records the message GetRuntimeError returns and passes the code through.
int Fail(int code, const QString& message);

Panel* FindPanel(int handle);
// The control, or null with *err set (and the message recorded).
Control* FindControl(int panel, int control, int* err);
// Registers a loaded panel under the lowest free handle and returns the handle.
int RegisterPanel(std::unique_ptr<Panel> panel);
// Deletes every panel and its window (CloseRuntime).
void DiscardAllPanels();

// The value a numeric kind shows; false when it shows none (an empty ring).
bool ReadInt(const Control& c, int* v);
// A text message or a text box.
bool IsTextKind(int kind);
// Records that the control takes no `what` and returns UIE_TYPE_MISMATCH.
int Mismatch(int panel, int control, const char* what);
// Copies a text into the program's buffer of `size` bytes as Latin-1, cut to fit.
void CopyOut(const QString& s, char* text, int size);

// Connects the Qt signals of a control to its callback (events of ui.h).
void WireControl(Panel& panel, Control& control);
// Installs the close-box handling on a panel window.
void WirePanel(Panel& panel);

// The table SetCallbackTable installed.
const CallbackEntry* LookupCallback(const char* name);

// Resolves a bare file name against the program's directory, then the working
// directory; a path with a slash is used as given. Returns "" when not found.
QString ResolveFile(const char* file);

// While a QuietScope lives, widget signals raise no events (programmatic sets).
struct QuietScope {
    QuietScope();
    ~QuietScope();
};
bool Quiet();
// True while a program callback runs: a panel it discards must outlive it.
bool InProgramCallback();

// Runs a due receive callback check; guarded against re-entry. Returns how many ran.
int DispatchPorts();

// ---- [SECTION] Accessibility --------------------------------------------------------------------

// Installs the descriptions of accessible.cpp; InitRuntime calls it once.
void InstallAccessibility();
// Marks a control for those descriptions; the loader calls it for every control.
void DescribeForScreenReaders(const Control& control);
// Tells screen readers that a text message now shows another text.
void AnnounceText(QLabel* label, const QString& before);

// ---- [SECTION] Geometry -------------------------------------------------------------------------

// The panel window's menu bar, made (with room above the canvas) on first use;
// null for a panel without a window of its own.
QMenuBar* PanelMenuBar(Panel& p);
void PanelMenuBarChanged(Panel& p);  // after its menus changed: its room above the canvas
// Runs a menu item's program callback as the control callbacks run.
void FireMenuItem(int panel, int item, MenuCallbackPtr callback);

// Edges a widget keeps its distance to as its parent is resized (the form's
// `anchor` property): both edges of a pair stretch it, one edge moves it with
// that edge. Unnamed pairs keep the left and the top, as the form places it.
enum { ANCHOR_LEFT = 1, ANCHOR_RIGHT = 2, ANCHOR_TOP = 4, ANCHOR_BOTTOM = 8 };
// "left right top bottom", or "grow" (all four), "grow-x", "grow-y", in any
// combination; *ok false for an unknown word.
int ParseAnchor(const QString& text, bool* ok);
// Records the widget's place in the form; its parent applies the edges on every resize.
void AnchorWidget(QWidget* w, int edges);
// After the program moved an anchored widget: its new place stands.
void AnchorMoved(QWidget* w);
// Makes the window of a loaded panel: a scroll area (a tool window of `owner`,
// if any) around the canvas, at the form's size. A resizable panel may grow
// and shrink to its minimum; the window scrolls when the screen has less room.
// A `strip` (the form's widgets pinned to the bottom, PinBottom) sits below the
// scroll area at its own height: it never scrolls out of view.
QWidget* FramePanel(QWidget* canvas, QWidget* owner, bool resizable, QWidget* strip, QScrollArea** area);
// Moves the canvas's widgets that the form pins to the bottom (`pin` =
// "bottom") into a strip of their own, and the canvas's height and least
// height down by the strip's. Returns the strip, or null when none is pinned.
QWidget* PinBottom(QWidget* canvas, const std::vector<QWidget*>& pinned);
// A panel's window fits the screen's free area: called before it is shown (a
// child shown for the first time then opens beside its owner, where that covers
// least of it) and again once shown, when the window system's frame is known.
void FitOnScreen(Panel& panel, bool shown);
// Top-left of a window of `size` beside `owner`, within `area`.
QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& area);

// ---- [SECTION] Hooks ----------------------------------------------------------------------------
// All are unset in the program: nothing but a library that sets them can make
// them do anything.

// What FileSelectPopup was asked to show.
struct FileRequest {
    const char* defaultDir;
    const char* defaultName;
    const char* typeList;
    const char* title;
    int buttonLabel;
};
// Answers in place of the dialog: 0 cancel, 1 existing file, 2 new file (and
// *path), as the dialog would; a negative result lets the dialog open.
using FileDialogStandIn = int (*)(const FileRequest& request, std::string* path);
void SetFileDialogStandIn(FileDialogStandIn fn);
// OpenDocument hands the path to a test instead of the desktop's viewer.
using DocumentStandIn = int (*)(const char* path);
void SetDocumentStandIn(DocumentStandIn fn);
// The text pop-up open now, or null.
QMessageBox* OpenTextPopup(void);

// The screen's free area to fit panels into, in place of the screen's (an
// invalid rectangle: the screen's own).
void SetScreenAreaStandIn(const QRect& area);

// Called after every render of a graph or strip chart.
using RenderObserver = void (*)(QWidget* chart);
void SetRenderObserver(RenderObserver fn);

// ---- [SECTION] Form widgets ---------------------------------------------------------------------

// Command and toggle buttons: Enter acts like Space (press gives 3, release gives 1),
// which a plain QPushButton outside a dialog ignores.
class KPushButton : public QPushButton {
    Q_OBJECT
 public:
    explicit KPushButton(QWidget* parent = nullptr);

 protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
};

// Numeric edit and indicator. Typing raises `changed` per keystroke that alters the
// value; Enter, an arrow step and leaving the field after typing raise `committed`.
class KSpinBox : public QSpinBox {
    Q_OBJECT
 public:
    explicit KSpinBox(QWidget* parent = nullptr);
    void ClearPending()
    {
        pending_ = false;
        last_ = value();
    }
    // An indicator is set on every measurement reply, mostly to the value it
    // already shows; QSpinBox repaints even then. An edit keeps the plain
    // behaviour, which also throws away a half-typed text.
    void setValue(int v)
    {
        if (isReadOnly() && v == value()) return;
        QSpinBox::setValue(v);
    }
    // Shows value * factor + offset with `decimals` places (SetNumericDisplayScale).
    void SetDisplayScale(double factor, double offset, int decimals);
 signals:
    void changed();
    void committed();

 protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    QString textFromValue(int value) const override;

 public:
    void stepBy(int steps) override;

 private:
    bool pending_ = false;  // typed changes not yet committed
    int last_ = 0;          // the value last reported
    bool stepping_ = false;
    double factor_ = 1.0, offset_ = 0.0;  // what is shown: value * factor_ + offset_
    int decimals_ = 0;
};

// A titled frame around controls. A control that repaints has what lies
// under it painted first, the frame among it, and the style's frame costs
// more than most controls; it is drawn once into a picture and copied.
class KGroupBox : public QGroupBox {
    Q_OBJECT
 public:
    using QGroupBox::QGroupBox;

 protected:
    void paintEvent(QPaintEvent* e) override;

 private:
    QPixmap picture_;
    QStyleOptionGroupBox drawn_;  // what the picture shows
    QFont font_;
};

// Numeric slide: a horizontal slider with its value shown beside it.
class KSlide : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int value READ value WRITE setValue)
 public:
    explicit KSlide(QWidget* parent = nullptr);
    int minimum() const { return slider_->minimum(); }
    int maximum() const { return slider_->maximum(); }
    int value() const { return slider_->value(); }
    void setMinimum(int v);
    void setMaximum(int v);
    void setValue(int v);
    QSlider* slider() const { return slider_; }
 signals:
    void changed();    // dragging or stepping moved the value
    void committed();  // released, or a step that is complete at once
 protected:
    void resizeEvent(QResizeEvent* e) override;

 private:
    void Relayout();
    QSlider* slider_;
    QLabel* label_;
};

// ---- [SECTION] Plot widgets ---------------------------------------------------------------------

// Queued, layer-wise repaint shared by graphs and strip charts: a change marks what
// it touched; the next event processing renders only those layers, and nothing at
// all while the control is hidden.
class KPlotBase : public QCustomPlot {
    Q_OBJECT
 public:
    explicit KPlotBase(QWidget* parent);
    enum { DIRTY_PLOTS = 1, DIRTY_CURSORS = 2, DIRTY_ALL = 4, DIRTY_CAPTION = 8, DIRTY_BAND = 16 };
    void MarkDirty(int what);
    // The plots changed only between these two values of the y axis (a strip
    // chart's new point): only that band of the plot area is repainted.
    void MarkDirtyBetween(double y1, double y2);
    // Form properties (dynamic properties of the widget): yMin, yMax, yLabel, ...
    virtual void ApplyFormProperties();
    // The export menu of a right click: pictures, the clipboard, the data.
    // Its actions are named exportPng, exportSvg, exportPdf, copyPicture, exportCsv.
    void FillExportMenu(QMenu* menu);
    bool SavePicture(const QString& path, const QString& format, QString* why);  // "png", "svg", "pdf"
    bool SaveCsv(const QString& path, QString* why);
    void CopyPicture();
    // The plotted data as CSV text, columns named by the form's csvColumns.
    virtual QString CsvText() const = 0;
    // What "Save data as CSV" writes: the source's lines where one is set.
    QString ExportCsvText() const;
    void SetCsvSource(CsvSource source, int panel, int control);

    // A legend of the named plottables, in one row above the plot area.
    void ShowLegend(bool on);
    bool LegendShown() const { return legendShown_; }
    void LegendChanged();  // a name, colour or style of a listed plottable changed
    void NamePlottable(QCPAbstractPlottable* plottable, const QString& name);  // in the legend unless ""
    QStringList LegendNames() const;
    void SetAxisLabel(int axis, const QString& label);
    int SetDisplayScale(int axis, double factor, double offset);
    void SetCaption(const QString& text);
    QString Caption() const;
    // The wheel zooms and a drag pans the x axis, within the range the program set.
    void SetZoomPan(bool on);
    bool ZoomPan() const { return zoomPan_; }

    // The operator's two measuring cursors (graph.h), on a graph or a strip chart.
    struct Measuring {
        bool on = false;
        double x[2] = {0, 0};
        int active = 0;            // the cursor the keys move
        std::vector<double> snap;  // positions a cursor near them snaps to
        double snapPixels = 0;     // how near, in screen pixels
        MeasureCursorObserver observer = nullptr;
        int panel = 0, control = 0;  // passed to the observer
        QCPItemStraightLine* line[2] = {nullptr, nullptr};
        QCPItemText* label[2] = {nullptr, nullptr};
        int dragging = -1;  // the cursor the mouse holds, -1 none
    };
    int ShowMeasuring(bool on);
    int MoveMeasuring(int cursor, double x, bool snap, bool tell);
    void TellMeasuring();  // the observer hears both cursors again (what lies under them changed)
    Measuring& Measure() { return measuring_; }
    const Measuring& Measure() const { return measuring_; }

 protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    double Snapped(double x) const;
    Measuring measuring_;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void Export(const QString& format);
    QStringList FormList(const char* property) const;  // a form property "a;b;c" or "a,b,c"
    void wheelEvent(QWheelEvent* e) override;
    // The x range the program set last: zoom and pan stay inside it.
    void KeepInside(const QCPRange& range);
    class DirectLayer* plotLayer_;    // "main": the plots
    class DirectLayer* cursorLayer_;  // the graph's cursors, the measuring cursors, the caption
    QCPRange fullX_{0, 100};
 private slots:
    void Flush();

 private:
    QRect PlotArea() const;
    QRect band_;     // DIRTY_BAND: the part of the plot area to repaint
    QPixmap under_;  // background and grid, flattened (paintEvent)
    bool underStale_ = true;
    int dirty_ = 0;
    bool queued_ = false;
    QElapsedTimer flushed_;  // since the last repaint: at most one a frame of the screen
    bool legendShown_ = false;
    bool zoomPan_ = false;
    QCPTextElement* caption_ = nullptr;
    CsvSource csvSource_ = nullptr;
    int csvPanel_ = 0, csvControl_ = 0;
};

class KGraph : public KPlotBase {
    Q_OBJECT
 public:
    explicit KGraph(QWidget* parent = nullptr);
    enum { XY = 1, RECTANGLE = 2, BAND = 3 };
    struct Plot {
        int handle;
        int kind;  // XY, RECTANGLE, BAND (x: n points; y: the n lows, then the n highs)
        std::vector<double> x, y;
        int color, fillColor;
        QCPAbstractPlottable* curve = nullptr;
        QCPItemRect* rect = nullptr;
        int style = VAL_THIN_LINE;  // XY: VAL_THIN_LINE or VAL_VERTICAL_BAR
        int lineStyle = VAL_SOLID;
        QString name;  // in the legend when not empty
    };
    struct Cursor {
        double x = 0, y = 0;
        bool shown = false;
        QCPItemStraightLine* line = nullptr;
        QCPItemTracer* marker = nullptr;
    };
    int SetRange(int axis, double min, double max);
    void GetRange(int axis, double* min, double* max) const;
    int SetCursor(int cursor, double x, double y);
    int GetCursor(int cursor, double* x, double* y) const;
    int AddXY(std::vector<double> x, std::vector<double> y, int color, int style = VAL_THIN_LINE,
              int lineStyle = VAL_SOLID);
    int SetPlotName(int handle, const QString& name);
    int AddRectangle(double x1, double y1, double x2, double y2, int color, int fillColor);
    int AddBand(std::vector<double> x, std::vector<double> low, std::vector<double> high, int color, int fillColor);
    int Delete(int handle);
    const std::vector<Plot>& Plots() const { return plots_; }
    void ApplyFormProperties() override;
    QString CsvText() const override;

 private:
    int NextHandle();
    std::vector<Plot> plots_;
    std::vector<QCPItemRect*> spareRects_;  // of deleted plots, hidden, owned by the plot
    Cursor cursors_[3];
    int nextHandle_ = 1;
};

class KStripChart : public KPlotBase {
    Q_OBJECT
 public:
    explicit KStripChart(QWidget* parent = nullptr);
    int SetTraces(int n);
    int Traces() const { return int(traces_.size()); }
    int SetPointsPerScreen(int n);
    int PointsPerScreen() const { return pps_; }
    int scroll = 1;  // ATTR_STRIP_SCROLL, kept as given
    int SetRange(double min, double max);
    void GetRange(int axis, double* min, double* max) const;
    int SetTraceColor(int trace, int color);
    int TraceColor(int trace) const;
    int SetTraceLineStyle(int trace, int style);
    int TraceLineStyle(int trace) const;
    int SetTraceName(int trace, const QString& name);
    void Append(const double* values, int points);  // `points` samples of all traces, interleaved
    void Clear();
    std::vector<double> TracePoints(int trace) const;
    void ApplyFormProperties() override;
    QString CsvText() const override;

 private:
    struct Trace {
        std::vector<double> ring;  // capacity pps_
        int head = 0;              // index of the oldest point
        int count = 0;
        int color = 0;
        int lineStyle = VAL_SOLID;
        QString name;
        QCPGraph* graph = nullptr;
    };
    void ApplyPen(Trace& t);
    void Rebuild(Trace& t);
    void SyncGraph(Trace& t);
    std::vector<Trace> traces_;
    int pps_ = 100;
};

// ---- The operator's language (translate_form.cpp) ----
// A text as shown: translated where the language has it.
QString Shown(const QString& text);
// A loaded form's own texts translated; the English kept where the program reads it back.
void TranslateForm(QWidget* root);
extern const char* const kSourceText;  // property: a text message's English value
extern const int kSourceRole;          // item data role: a list item's English label

}  // namespace kvr
