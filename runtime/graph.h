// Graph and strip-chart controls of the user-interface runtime.
//
// A graph has an x axis (0) and a y axis (1) with manual ranges, three cursors
// and plots addressed by handle. A strip chart keeps `points per screen` points
// per trace and appends the interleaved values of each PlotStripChart call.
// Drawing is queued: a call changes the model at once and the repaint happens
// in the next event processing. Colours are 0xRRGGBB.
//
// In the form, a graph (class KGraph) may carry the dynamic properties xMin, xMax,
// yMin, yMax (initial axis ranges), xLabel, yLabel and compact (a thin strip
// without y scale); a strip chart (KStripChart) yMin, yMax, yLabel,
// pointsPerScreen and traces. A cursor is drawn once SetGraphCursor has placed it.
#pragma once

// ---- Codes --------------------------------------------------------------------------------------
enum {
    AXIS_X = 0,
    AXIS_Y = 1,
    VAL_MANUAL = 0,  // the only scaling mode: fixed minimum and maximum
    VAL_DOUBLE = 4,  // data-type codes of PlotXY / PlotStripChart
    VAL_UNSIGNED_SHORT_INTEGER = 6,
    VAL_UNSIGNED_INTEGER = 7,
    VAL_ALL_PLOTS = -1,    // plot handle for DeleteGraphPlot
    VAL_THIN_LINE = 0,     // plot style of PlotXY: a line through the points (any style but the bars)
    VAL_VERTICAL_BAR = 3,  // plot style of PlotXY: a bar from 0 up to each point, as wide as the points are apart
    VAL_SOLID = 0,         // line style of PlotXY and ATTR_LINE_STYLE
    VAL_DASH = 1,
    VAL_DOT = 2,
};

// ---- Graph --------------------------------------------------------------------------------------
// A range whose minimum is not below its maximum is refused (UIE_BAD_VALUE).
int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);
int GetAxisRange(int panel, int control, int axis, double* min, double* max);
int SetGraphCursor(int panel, int control, int cursor, double x, double y);  // cursor 1..3
int GetGraphCursor(int panel, int control, int cursor, double* x, double* y);
// plot VAL_ALL_PLOTS removes every plot; cursors stay. `refresh` is accepted and ignored:
// every change is repainted at the next event processing.
int DeleteGraphPlot(int panel, int control, int plot, int refresh);
// n points from arrays x and y of the given data-type codes; returns the plot handle (>0).
// plotStyle VAL_VERTICAL_BAR draws bars, any other a line; lineStyle VAL_SOLID,
// VAL_DASH or VAL_DOT; the point style and frequency are accepted and ignored.
int PlotXY(int panel, int control, const void* x, const void* y, int n, int xType, int yType, int plotStyle,
           int pointStyle, int lineStyle, int pointFrequency, int color);
// Rectangle from (x1, y1) to (x2, y2), outline `color`, fill `fillColor`; returns the plot handle.
int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color, int fillColor);

// The area between two curves over the same n x values: outline `color`,
// filled with `fillColor`; returns the plot handle. Data types as PlotXY.
int PlotBand(int panel, int control, const void* x, const void* low, const void* high, int n, int dataType, int color,
             int fillColor);

// ---- Measuring cursors --------------------------------------------------------------------------
// Two vertical cursors of the operator on a graph or a strip chart (a strip
// chart's right-click menu switches them on once the program observes them;
// its cursors stay at their age while the replies run under them, and the
// observer hears both after every append), apart from a graph's
// three: a left press (or drag) takes the nearer one to the mouse; with the
// graph focused, Left and Right move the active cursor by one x unit (with
// Shift by ten), Ctrl+Left and Ctrl+Right jump it to the next snap position,
// Tab (or 1 and 2) chooses the other one. A cursor moved within `pixels`
// screen pixels of a snap position lies on it. Positions are whole x units.
// Each move the operator makes is told to the observer.
typedef void (*MeasureCursorObserver)(int panel, int control, int cursor, double x);  // cursor 1 or 2
int ShowMeasureCursors(int panel, int control, int on);              // 1 shows them (and makes the graph focusable)
int SetMeasureCursor(int panel, int control, int cursor, double x);  // programmatic: no observer call
int GetMeasureCursor(int panel, int control, int cursor, double* x);
int SetMeasureSnap(int panel, int control, const double* positions, int n, double pixels);
int SetMeasureCursorObserver(int panel, int control, MeasureCursorObserver observer);
// The text beside a cursor at the top of the plot ("1", "2" until set); shown translated.
int SetMeasureCursorLabel(int panel, int control, int cursor, const char* text);

// ---- Strip chart --------------------------------------------------------------------------------
// `n` interleaved values (trace 1, trace 2, ... trace N, trace 1, ...) starting at
// element `start`, taking every (skip + 1)th element; `n` must be a multiple of
// the number of traces.
int PlotStripChart(int panel, int control, const void* data, int n, int start, int skip, int dataType);
int ClearStripChart(int panel, int control);
// Trace 1..N: ATTR_TRACE_COLOR, ATTR_LINE_STYLE (int); ATTR_TRACE_NAME (text).
int SetTraceAttribute(int panel, int control, int trace, int attribute, int value);
int SetTraceAttribute(int panel, int control, int trace, int attribute, const char* text);

// ---- Legend, axes, zoom -------------------------------------------------------------------------
// A graph plot's ATTR_PLOT_NAME: named plots are listed in the legend
// (ATTR_LEGEND_VISIBLE), unnamed ones are not.
int SetPlotAttribute(int panel, int control, int plot, int attribute, const char* text);
// The axis's tick labels show value * factor + offset (pixels as millimetres),
// with the ticks on round numbers of what they show; the data and the axis
// range stay as they are. Factor 1 and offset 0: the values themselves.
// A factor of 0 is refused (UIE_BAD_VALUE).
int SetAxisDisplayScale(int panel, int control, int axis, double factor, double offset);
// With ATTR_ZOOM_PAN the x axis zooms and pans within the range the program
// set last; GetAxisRange tells what the operator looks at.

// ---- Export -------------------------------------------------------------------------------------
// A right click on a graph or strip chart offers: save as PNG, SVG or PDF, copy
// as a picture to the clipboard, save the plotted data as CSV. The file dialog
// proposes "kvormx-<name>-<date>-<time>.<ext>" (the form's exportName) in the
// export folder, which then follows the folder last chosen.
void SetExportFolder(const char* dir);  // default: the program's directory
// Called after each export the operator chose: the file written (or
// "clipboard"), and "" or the reason it failed.
typedef void (*ExportObserver)(const char* target, const char* error);
void SetExportObserver(ExportObserver fn);
// Where "Save data as CSV" takes its lines from, in place of the plotted
// points (null: the plotted points again): the source calls write(sink, line)
// once per line, without its line break. For a display whose points are not
// all data (a history padded with zeros), or that knows more than it plots.
typedef void (*CsvLineWriter)(void* sink, const char* line);
typedef void (*CsvSource)(int panel, int control, CsvLineWriter write, void* sink);
int SetExportCsvSource(int panel, int control, CsvSource source);
