// The Record toggle of the main panel and the Frame trace toggle of the
// pop-up: the file is chosen once when the toggle goes on, the on state is
// shown in red, and a recording or trace that stops by itself (disk full,
// folder gone) says so in the status line and switches its toggle off.
#include "app/app.h"

#include "display/display.h"
#include "form/form.h"
#include "link/link.h"
#include "link/state.h"
#include "outputs/outputs.h"
#include "runtime/graph.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

#include <cstdio>
#include <cstring>

const int ON_COLOR = 0xC00000;  // background of a toggle whose file is being written
const int ON_TEXT_COLOR = 0xFFFFFF;
const int STYLE_COLOR = -1;  // the style's own colour
const int MESSAGE_LEN = PATH_LEN + 128;

static char g_recordDir[PATH_LEN];  // folder of the last recording file chosen
static char g_traceDir[PATH_LEN];   // folder of the last trace file chosen

void ShowOn(int panel, int control, int on)
{
    SetCtrlVal(panel, control, on);
    SetCtrlAttribute(panel, control, ATTR_TEXT_BGCOLOR, on ? ON_COLOR : STYLE_COLOR);
    SetCtrlAttribute(panel, control, ATTR_TEXT_COLOR, on ? ON_TEXT_COLOR : STYLE_COLOR);
}

// Longer than szStatus holds: the texts name a file with its path.
static void Say(const char* format, const char* a, long number = 0)
{
    char text[MESSAGE_LEN];
    std::snprintf(text, sizeof text, format, a, number);
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
    CopyText(szStatus, STATUS_LEN, text);
}

static void RememberFolder(char* dir, const char* path)
{
    CopyText(dir, PATH_LEN, path);
    char* slash = std::strrchr(dir, '/');
    if (slash)
        *(slash == dir ? slash + 1 : slash) = '\0';
    else
        dir[0] = '\0';
}

// Asks for the file, proposing a name with the date and time in the folder
// last used: 1 with the path, 0 when the operator cancelled.
static int ChooseFile(char* dir, const char* prefix, const char* ext, const char* types, const char* title, char* path)
{
    if (!dir[0]) CopyText(dir, PATH_LEN, proj_dir);
    char name[PATH_LEN];
    DefaultFileName(name, PATH_LEN, "", prefix, ext);
    if (FileSelectPopup(dir, name, types, title, 0, 0, 0, 1, 1, path) <= 0 || !path[0]) return 0;
    RememberFolder(dir, path);
    return 1;
}

// ---- Recording ----------------------------------------------------------------------------------

static void RecordingStopped(const char* why)
{
    ShowOn(panelHandle, PANEL_RECORD, 0);
    Say("Recording stopped: %s", why);
}

// The run's statistics beside the recording, once a run has taken replies
// into it: when run mode ends, and when the recording ends during a run.
static void WriteSummary(void)
{
    if (!RecordActive() || !RunStatisticsFresh()) return;
    if (RecordSummary(RunStatistics()) < 0) Say(TR("Summary not written: %s"), RecordError());
}

static void SummaryAtLoopEnd(int, int)
{
    WriteSummary();
}

static const RecordSink kSummarySink = {nullptr, nullptr, nullptr, nullptr, SummaryAtLoopEnd};

void AddSummarySink(void)
{
    AddRecordSink(&kSummarySink);
}

int CC_TOGGBTN_Record(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panelHandle, PANEL_RECORD, &on);
    if (!on) {
        if (!RecordActive()) return 0;
        if (LoopModeShown() == MODE_RUN) WriteSummary();
        long rows = RecordRows();
        if (RecordStop() < 0)
            Say("Recording ended with rows lost: %s", RecordError());
        else
            Say("Recording ended: %s, %ld rows", RecordPath(), rows);
        ShowOn(panelHandle, PANEL_RECORD, 0);
        return 0;
    }
    char path[PATH_LEN] = "";
    if (!ChooseFile(g_recordDir, "record", "csv", "*.csv", "Record measurements to", path)) {
        ShowOn(panelHandle, PANEL_RECORD, 0);
        return 0;
    }
    SetRecordStoppedHandler(RecordingStopped);
    RunStatisticsFresh();  // a summary covers what the recording holds rows of
    if (RecordStart(path) < 0) {
        ShowOn(panelHandle, PANEL_RECORD, 0);
        Say("Cannot record: %s", RecordError());
        return 0;
    }
    ShowOn(panelHandle, PANEL_RECORD, 1);
    Say("Recording to %s", path);
    return 0;
}

// ---- Frame trace --------------------------------------------------------------------------------

static void TraceStopped(const char* why)
{
    ShowOn(panelPopUp, POPUP_TRACE, 0);
    Say("Trace stopped: %s", why);
}

int StartTrace(const char* path)
{
    SetTraceStoppedHandler(TraceStopped);
    if (TraceOpen(path) < 0) {
        ShowOn(panelPopUp, POPUP_TRACE, 0);
        Say("Cannot trace: %s", TraceError());
        return -1;
    }
    ShowOn(panelPopUp, POPUP_TRACE, 1);
    return 0;
}

int CC_TOGGBTN_Trace(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panelPopUp, POPUP_TRACE, &on);
    if (!on) {
        if (!TraceActive()) return 0;
        TraceClose();
        ShowOn(panelPopUp, POPUP_TRACE, 0);
        if (TraceError()[0]) Say("Trace ended with lines lost: %s", TraceError());
        return 0;
    }
    char path[PATH_LEN] = "";
    if (!ChooseFile(g_traceDir, "trace", "txt", "*.txt", "Write the frame trace to", path)) {
        ShowOn(panelPopUp, POPUP_TRACE, 0);
        return 0;
    }
    if (StartTrace(path) == 0) Say("Tracing the line to %s", path);
    return 0;
}

// ---- Exports of the graphs ----------------------------------------------------------------------

static void ExportDone(const char* target, const char* error)
{
    if (error && *error)
        Say("Export failed: %s", error);
    else if (std::strcmp(target, "clipboard") == 0)
        Say("%s", "Picture copied to the clipboard");
    else
        Say("Saved %s", target);
}

void InitOutputs(void)
{
    g_recordDir[0] = g_traceDir[0] = '\0';
    SetExportFolder(proj_dir);
    SetExportObserver(ExportDone);
}
