// Read-only views of panels, graphs and strip charts, operator actions and
// answers for the file pop-up, for tests, benchmarks and fuzz targets: the
// test-support library kvormx_inspect. The program never links it.
//
// The operator verbs post real input events to the control's widget and
// process them, so callbacks arrive exactly as they would for a person.
#pragma once

#include <string>
#include <vector>

enum PlotKind { PLOT_XY = 1, PLOT_RECTANGLE = 2, PLOT_BAND = 3, PLOT_BARS = 4 };

struct PlotInfo {
    int handle;
    int kind;                  // PlotKind
    std::vector<double> x, y;  // points; a rectangle has (x1, x2) and (y1, y2); a band n x, n lows then n highs
    int color;                 // line / outline colour
    int fillColor;             // rectangles and bands
    int lineStyle;             // VAL_SOLID, VAL_DASH, VAL_DOT
    std::string name;          // in the legend; "" not listed
};

// Plots of a graph in drawing order (oldest first).
std::vector<PlotInfo> GraphPlots(int panel, int control);
// Points of one strip-chart trace (1..N), oldest first, at most points-per-screen.
std::vector<double> StripChartTrace(int panel, int control, int trace);
int StripTraceColor(int panel, int control, int trace);
int StripTraceLineStyle(int panel, int control, int trace);
// The names a graph's or strip chart's legend lists, in its order; none while it is hidden.
std::vector<std::string> GraphLegend(int panel, int control);
// The tick labels an axis shows now (AXIS_X 0, AXIS_Y 1).
std::vector<std::string> AxisTickLabels(int panel, int control, int axis);
// The text a numeric display or text message shows, as the operator reads it.
std::string ShownText(int panel, int control);
bool PanelVisible(int panel);
bool PanelIsToolWindow(int panel);
// Number of repaints a graph or strip chart has done (to check queued drawing).
int GraphRepaintCount(int panel, int control);
// The number a numeric kind shows, whatever its value type (indicators deliver
// none to the program); 0 for other kinds.
int ShownValue(int panel, int control);

// The label of a graph's or strip chart's axis (AXIS_X 0, AXIS_Y 1).
std::string GraphAxisLabel(int panel, int control, int axis);
// Size of the picture on the clipboard; 0 x 0 when it holds none.
void ClipboardImageSize(int* width, int* height);
// True when the file is well-formed XML whose root element is named `root`.
bool XmlFileHasRoot(const char* path, const char* root);
// What a screen reader is told about a control (the part of it that takes the
// focus: a slide's slider). role is Qt's role in plain words ("radio button",
// "check box", "label", "slider", "button", ...), the texts as Qt gives them.
struct AccessibleView {
    std::string role, name, description, value, text;  // text: its text interface, if it has one
    bool checkable = false, checked = false;
};
AccessibleView Accessible(int panel, int control);
void ScreenReaderPress(int panel, int control);  // the control's press action, as a screen reader does it

// Geometry in pixels.
struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w; }  // one past the last column
    int bottom() const { return y + h; }
};
Box PanelFrame(int panel);               // the window with its frame, on the screen
Box PanelMinimum(int panel);             // w, h: the least the window can be resized to, with its frame
Box ControlBox(int panel, int control);  // where the control is on its panel
// The part of the control its window shows, on the screen (empty: scrolled out of view).
Box ControlOnScreen(int panel, int control);
// Where a child panel's window of w x h opens beside its owner's window, within the area.
Box PlaceBeside(const Box& owner, int w, int h, const Box& area);
// The screen's free area the runtime fits panels into, in place of the real
// screen's (width 0: the real one again).
void AssumeScreenArea(int x, int y, int width, int height);

// Runs fn(data) once, inside event processing, after `seconds` (a test's operator
// acting while a program loop runs).
void AfterDelay(double seconds, void (*fn)(void*), void* data);

// ---- Operator actions ---------------------------------------------------------------------------
void OperatorClick(int panel, int control);  // mouse press and release on a button, radio, switch, toggle
void OperatorType(int panel, int control, const char* text);  // select all, type the text, no Enter
void OperatorEnter(int panel, int control);                   // Enter key in the control
void OperatorSelectRing(int panel, int control, int index);   // choose a ring item as the mouse would
void OperatorDragSlide(int panel, int control, int value);    // drag the slide to value, then release
void OperatorClosePanel(int panel);                           // window close box
// Chooses an item of a graph's or strip chart's right-click menu: exportPng,
// exportSvg, exportPdf, copyPicture or exportCsv. False when it has none such.
bool OperatorChooseExport(int panel, int control, const char* item);
// Chooses an item of a panel window's menu bar, as the mouse would; false
// when there is no such item or it is dimmed.
bool OperatorChooseMenuItem(int panel, const char* menu, const char* item);
std::string TextPopupShown(void);
std::string MeasureCursorLabel(
    int panel, int control,
    int cursor);  // the text beside a measuring cursor   // title, a newline and the text of the text pop-up open now ("" none)
std::string DocumentOpened(void);   // the last document handed to the desktop's viewer
int PanelMenuBarHeight(int panel);  // the height of the window's menu bar above the panel, 0 without one
void OperatorResizePanel(int panel, int width, int height);  // drag the window's frame
void OperatorScrollTo(int panel, int control);               // scroll the window until the control shows
void OperatorWheel(int panel, int control, int notches);     // the mouse wheel over the control; > 0 turns it down
void OperatorDrag(int panel, int control, int dx);           // the left button dragged dx pixels across the control
// Keys pressed and released in the panel's window, which becomes the active one:
// "F5", "Esc", "Ctrl+G". They go to the focused control unless a shortcut takes them.
void OperatorKeys(int panel, const char* keys);
// Where the keyboard focus is in the panel: the control's number, 0 elsewhere.
int FocusedControl(int panel);
// A control's tooltip.
std::string ToolTip(int panel, int control);
// Pixels of the control as the window shows it that differ from the control
// drawn whole now: what repaints of a part of it left behind. -1 when it
// is not shown.
int StalePixels(int panel, int control);

// ---- File pop-up answers ------------------------------------------------------------------------
// While answers are queued FileSelectPopup opens no window: it takes the next
// answer (result 0 cancel, 1 existing, 2 new, and the path). Every call's
// arguments are recorded. Both lists last until ClearFileSelectAnswers.
void QueueFileSelectAnswer(int result, const char* path);
// The same answer, given only after `seconds` in which events go on, as
// they do while a person looks through the modal dialog.
void QueueFileSelectAnswerAfter(double seconds, int result, const char* path);
void ClearFileSelectAnswers(void);
struct FileSelectCall {
    std::string defaultDir, defaultName, typeList, title;
    int buttonLabel;
};
const std::vector<FileSelectCall>& FileSelectCalls(void);
