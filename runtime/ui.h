// Panels, controls, attributes, events and pop-ups of the user-interface runtime.
//
// A small C-style API over Qt Widgets. The program addresses panels by handle
// and controls by number, reads and writes control values, sets attributes by
// numeric code and receives operator actions as callbacks. Texts crossing this
// API are 8-bit Latin-1; the runtime converts them at the Qt boundary.
//
// Return convention: 0 (or a handle / count) on success, a negative error code
// on failure. Nothing here throws.
#pragma once

#include <cstdint>

// ---- Error codes --------------------------------------------------------------------------------
enum {
    UIE_NO_ERROR = 0,
    UIE_BAD_HANDLE = -1,       // no such panel
    UIE_NO_SUCH_CONTROL = -2,  // no control with that number on the panel
    UIE_TYPE_MISMATCH = -3,    // value type of the call differs from the control's
    UIE_BAD_ATTRIBUTE = -4,    // attribute not supported by this kind of control
    UIE_BAD_VALUE = -5,        // value outside what the control or attribute accepts
    UIE_FILE_NOT_FOUND = -6,   // resource or image file missing
    UIE_BAD_RESOURCE = -7,     // form malformed, resource id absent, unknown callback name
    UIE_NOT_INITIALISED = -8,  // InitRuntime not called
    UIE_OUT_OF_MEMORY = -9,
};

// ---- Event codes --------------------------------------------------------------------------------
enum {
    EVENT_COMMIT = 1,       // committed: button released, Enter, focus left, slider released
    EVENT_VAL_CHANGED = 2,  // value changed while typing or dragging
    EVENT_LEFT_CLICK = 3,   // left mouse button (or Space/Enter) pressed on a button
    EVENT_CLOSE = 11,       // close box of a panel window
};

// ---- Attribute codes ----------------------------------------------------------------------------
enum {
    ATTR_DIMMED = 500,              // int: 1 dimmed (no operator events), 0 operable
    ATTR_VISIBLE = 530,             // int: 1 visible, 0 hidden
    ATTR_LEFT = 531,                // int: left position in pixels on the panel
    ATTR_TOP = 532,                 // int: top position in pixels on the panel
    ATTR_FRAME_COLOR = 550,         // int 0xRRGGBB: fill of a decoration
    ATTR_TEXT_COLOR = 680,          // int 0xRRGGBB (text kinds, buttons, numerics; -1 the style's own)
    ATTR_TEXT_FONT = 682,           // text: font family name
    ATTR_TEXT_POINT_SIZE = 686,     // int
    ATTR_TEXT_BGCOLOR = 690,        // int 0xRRGGBB (text kinds, buttons, numerics; -1 the style's own)
    ATTR_MAX_VALUE = 730,           // int: upper limit of a numeric control or slide
    ATTR_MIN_VALUE = 731,           // int: lower limit of a numeric control or slide
    ATTR_NUM_TRACES = 1170,         // int: traces of a strip chart (1..16)
    ATTR_POINTS_PER_SCREEN = 1171,  // int: points a strip chart keeps per trace
    ATTR_TRACE_COLOR = 1230,        // int 0xRRGGBB, with SetTraceAttribute
    ATTR_STRIP_SCROLL = 1088,       // int: strip chart scrolls continuously (1)
    // Graphs and strip charts (graph.h).
    ATTR_LINE_STYLE = 1231,      // int VAL_SOLID, VAL_DASH, VAL_DOT: a trace's line (SetTraceAttribute)
    ATTR_TRACE_NAME = 1232,      // text: a trace's name in the legend (SetTraceAttribute)
    ATTR_PLOT_NAME = 1233,       // text: a graph plot's name in the legend (SetPlotAttribute)
    ATTR_LEGEND_VISIBLE = 1234,  // int: 1 a legend of the named traces or plots above the plot area
    ATTR_XNAME = 1235,           // text: the x axis label
    ATTR_YNAME = 1236,           // text: the y axis label
    ATTR_ZOOM_PAN = 1237,        // int: 1 the wheel zooms the x axis and a drag pans it (a graph)
    ATTR_GRAPH_CAPTION = 1238,   // text: lines shown in the plot area's top right corner ("": none)
    // Read-only descriptions of a control, for the panel contract and for tests.
    ATTR_CTRL_STYLE = 9001,       // int: one of the CTRL_ kinds below
    ATTR_DATA_TYPE = 9002,        // int: one of the VALTYPE_ codes below
    ATTR_CALLBACK_NAME = 9003,    // text: name the control's callback was bound by ("" if none)
    ATTR_ACCESSIBLE_NAME = 9004,  // text: plain-words name for screen readers
};

// ---- Control kinds (ATTR_CTRL_STYLE; NewCtrl takes CTRL_TEXT_MSG) -------------------------------
enum {
    CTRL_COMMAND_BUTTON = 1,
    CTRL_TOGGLE_BUTTON = 2,
    CTRL_NUMERIC = 3,  // numeric edit
    CTRL_NUMERIC_INDICATOR = 4,
    CTRL_SLIDE = 5,  // numeric slide with its value shown
    CTRL_RING = 6,
    CTRL_DROPDOWN_RING = 7,
    CTRL_RADIO_BUTTON = 8,
    CTRL_SWITCH = 9,  // on/off switch
    CTRL_TEXT_BOX = 10,
    CTRL_GRAPH = 11,
    CTRL_STRIP_CHART = 12,
    CTRL_PICTURE = 13,
    CTRL_DECORATION = 14,
    CTRL_STRING = 15,     // one-line text entry
    CTRL_TEXT_MSG = 160,  // one-line text message
};

// ---- Value types (ATTR_DATA_TYPE) ---------------------------------------------------------------
enum {
    VALTYPE_NONE = 0,  // the control delivers no value
    VALTYPE_U16 = 1,   // unsigned 16-bit integer
    VALTYPE_INT = 2,   // signed 32-bit integer
    VALTYPE_TEXT = 3,  // zero-terminated Latin-1 text
};

// ---- Callbacks ----------------------------------------------------------------------------------
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void* callbackData, int eventData1, int eventData2);

// One entry of the program's name table; exactly one of the two pointers is set.
struct CallbackEntry {
    const char* name;
    CtrlCallbackPtr control;
    PanelCallbackPtr panel;
};

// The table LoadPanel binds the form's `callback` names with. The table must
// outlive every panel loaded with it.
void SetCallbackTable(const CallbackEntry* table, int count);

// ---- Runtime life -------------------------------------------------------------------------------
int InitRuntime(int* argc, char** argv);  // 1 ready, 0 the window system cannot be used
// The runtime without a window system, for a program without panels (the
// command-line tool): event processing then serves the ports' receive
// callbacks and the signal callbacks only, and no Qt object is made. It
// lasts as long as the process; the program closes its ports itself. Not
// combined with InitRuntime. Returns 1.
int InitRuntimeHeadless(void);
void CloseRuntime(void);            // discards every panel; harmless when not initialised
const char* GetRuntimeError(void);  // message of the last failed call ("" if none)

// ---- Panels -------------------------------------------------------------------------------------
// `file` is a bare name (resolved against GetProjectDir, then GetDataDir, then
// the working directory) or a path. `parent` 0 loads a top-level panel; otherwise the panel
// becomes a tool window owned by that panel. Returns the new handle (the lowest
// free positive number) or a negative error code; the message names the cause.
int LoadPanel(int parent, const char* file, int resource);
int DisplayPanel(int panel);  // shows and raises the panel
int HidePanel(int panel);
int DiscardPanel(int panel);  // destroys the panel (and its children)

// ---- Control values -----------------------------------------------------------------------------
// The overload must match the control's value type (ATTR_DATA_TYPE); a mismatch
// returns UIE_TYPE_MISMATCH and changes nothing. Programmatic sets raise no event.
// A control without a value type (an indicator, a text box) delivers nothing to
// GetCtrlVal, but SetCtrlVal shows a value on it. SetCtrlVal on a text box
// appends a line; ReplaceTextBoxLine edits one in place.
int GetCtrlVal(int panel, int control, uint16_t* value);
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, char* text, int size);  // text controls
// Numeric kinds (numeric, indicator, slide, ring, radio, switch, toggle) take an
// int, coerced into the control's range; text messages, text entries and text
// boxes take text. A text entry raises EVENT_VAL_CHANGED while the operator
// types and EVENT_COMMIT on Enter or when the focus leaves it changed.
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, const char* text);

// A numeric indicator shows value * factor + offset with `decimals` places
// (a pixel value in millimetres), with a decimal dot; factor 1, offset 0,
// decimals 0 show the value itself. The value the program
// sets and gets stays the same.
int SetNumericDisplayScale(int panel, int control, double factor, double offset, int decimals);

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* text);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int GetCtrlAttribute(int panel, int control, int attribute, char* text, int size);

// Creates a control on the panel (only CTRL_TEXT_MSG is supported); returns its
// number (above every number of the form) or a negative error code.
int NewCtrl(int panel, int style, const char* label, int top, int left);
int DisplayImageFile(int panel, int control, const char* file);  // picture; bare name as LoadPanel
int ReplaceTextBoxLine(int panel, int control, int line, const char* text);
int GetTextBoxLine(int panel, int control, int line, char* text, int size);
// Ring items: label and value of item `index` (appended when index == count).
int ReplaceListItem(int panel, int control, int index, const char* label, int value);
int GetNumListItems(int panel, int control, int* count);
// Removes `count` ring items from `index` on (-1: to the end).
int DeleteListItem(int panel, int control, int index, int count);
int GetLabelFromIndex(int panel, int control, int index, char* label, int size);  // item's label
int GetValueFromIndex(int panel, int control, int index, int* value);             // item's value

// ---- Menus --------------------------------------------------------------------------------------
// A top-level panel's window has a menu bar once the program gives it an item.
// NewMenuItem appends `item` to `menu` (the menu made at the bar's end with its
// first item) and returns the item's id (> 0), or a negative error code.
// Choosing the item runs callback(panel, id), like a control's callback. The
// item's text is what screen readers say; `keys` ("Ctrl+Shift+S", or null)
// chooses it from the keyboard.
typedef void (*MenuCallbackPtr)(int panel, int item);
int NewMenuItem(int panel, const char* menu, const char* item, const char* keys, MenuCallbackPtr callback);
int SetMenuItemDimmed(int panel, int item, int dimmed);

// ---- Pop-ups ------------------------------------------------------------------------------------
// File dialog. Returns 0 cancelled, 1 an existing file chosen, 2 a new file
// chosen, negative on error. `path` receives the chosen path (RT_PATH_LEN bytes).
// A text for the operator in a window of its own that does not hold the
// program up (title and text shown in the operator's language); one at a
// time, the next replaces it.
int TextPopup(const char* title, const char* text);
// A document (the manual) in the desktop's viewer; 0 when it was handed over.
int OpenDocument(const char* path);

int FileSelectPopup(const char* defaultDir, const char* defaultName, const char* typeList, const char* title,
                    int buttonLabel, int restrictDir, int restrictExt, int allowCancel, int allowMakeDir, char* path);

// ---- Event loop ---------------------------------------------------------------------------------
// Runs until QuitUserInterface has been called and control is back at this level.
int RunUserInterface(void);
int QuitUserInterface(int code);
// Handles what is pending (window events, repaints, receive callbacks of open
// ports) and returns; when nothing is pending it waits for the next event
// source: a window event, a timer, the bytes a port's owner waits for (a
// frame for a receive callback, SetComWakeCount's count), at most 10 ms.
// Returns 0. Without a window system (InitRuntimeHeadless) the bytes on a
// port or a signal end that wait, and it lasts at most 50 ms.
int ProcessSystemEvents(void);

// ---- Signals ------------------------------------------------------------------------------------
// `signal` (SIGINT, SIGTERM, ...) no longer ends the process: it is noted at
// once, and `callback` runs with its number in the next event processing, on
// the program's thread, like a receive callback. A waiting ProcessSystemEvents
// returns early for it. A null callback gives the signal its default action
// back. 0, or UIE_BAD_VALUE for a signal that cannot be caught.
typedef void (*SignalCallbackPtr)(int signal);
int InstallSignalCallback(int signal, SignalCallbackPtr callback);
