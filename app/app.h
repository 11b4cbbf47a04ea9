// Application shell: start-up, the port set-up, the logo strip, the ports
// as they come and go, recording and publishing from the panels. The top of
// the program: it may use every folder below it.
#pragma once

#include "link/state.h"

// ---- The shell's own state (state.cpp) ----------------------------------------------------------
extern int ret;                         // result of the last step of the port set-up
extern char szSoftName[STATUS_LEN];     // SOFT_NAME, shown in the logo strip
extern char szSoftVersion[STATUS_LEN];  // SOFT_VERSION, shown in the logo strip
// Every program-wide variable of every folder back to its value before
// start-up (the link's, the form's arrays, the display's history, the
// parameter file's name and the shell's texts).
void ResetProgramState(void);

void InitVars(void);       // defaults, logo strip, panels into variables, bar graph
void ShowLogo(int brand);  // logo strip of brand 0..6
void ShowInfoText(int control, int bgColor, int textColor, const char* text, int left, int top, int pointSize);
// Loads both panels into panelHandle and panelPopUp; 0, or a negative code
// with GetRuntimeError() naming the cause.
int LoadPanels(void);
// Installs the program's name table for the form's callback names.
void InstallCallbackTable(void);

// ---- Link health on the further-parameters panel (health_view.cpp) -----------------------------
void ShowLinkHealth(void);   // the counters onto the panel now
void StartHealthView(void);  // about once a second from now on (and to the broker's health topic)
void StopHealthView(void);

// ---- Help menu (help.cpp) -----------------------------------------------------------------------
void InitHelpMenu(void);  // the main panel's Help menu: "Save support file ...", and what comes

// ---- Recording, trace and exports (record_controls.cpp) -----------------------------------------
void InitOutputs(void);  // folders of the file dialogs, the export status texts
// Starts the frame trace into `path` and shows it on the pop-up's toggle:
// 0, or -1 with the cause in the status line and in TraceError().
int StartTrace(const char* path);
// Shows a toggle whose file or broker is being written on (red) or off.
void ShowOn(int panel, int control, int on);
// At the end of each run mode, the run's statistics as a row of the summary
// beside the recording, while one runs.
void AddSummarySink(void);

// ---- Millimetres (millimetres.cpp) --------------------------------------------------------------
// After a sensor is identified: its stored calibration where there is one,
// and every display in the unit and scale that then hold.
void TakeSensorScale(void);

// ---- Port set-up (setup.cpp) --------------------------------------------------------------------
void InitRS232(int port);   // open, line check, identify, read RAM, firmware text
int GetHARDWAREInfo(void);  // 1 when a reply with command word 10 arrived; panels follow it
int GetVERSIONInfo(void);   // bytes waiting when the firmware wait ended (72 = good)

// ---- Ports as they come and go (port_watch.cpp) -------------------------------------------------
void FillPortRing(void);  // the listed ports into the ring, the port in use among them
// The port to start on: `named` when the command line chose one (non-zero),
// else the remembered port when it is there, else COM 1.
int StartPort(int named);
void NotePortOpened(int port, int openResult);  // InitRS232's open: a missing device is awaited
void RememberPort(int port);                    // the port passed the line check: the next start opens it
// Follows the ports from now on: the ring, "Port lost: DEVICE" and the
// set-up again when the port in use comes back. 0, or -1 without a watch.
int StartPortWatch(void);

// ---- Publishing to the broker, from the panels' side (publish.cpp) ------------------------------
// The records reach the broker through the MQTT sink; a second sink mirrors
// the status line to the broker and shows the broker's state changes on it
// after each. The client's threads never touch a panel.
void AddPublishingSinks(void);  // at start-up, after the display's sink
void PublishIdentity(void);     // after the port set-up: the identity and the parameter set
void WatchBroker(void);         // broker state onto the status line, status line to the broker
// The broker setting of the pop-up at start: with `url` (publishing already
// started by the command line) it shows that and keeps it for the next
// start; without, it fills in the last broker, with publishing left off.
void InitPublishing(const char* url, const char* authFile);
// Publishing on from the panel's setting: 0, or -1 with the reason in the
// status line and the toggle left off. `authFile` may be null or "".
int StartPublishing(const char* url, const char* authFile);
void StopPublishing(void);  // "offline" to the broker, the toggle off
// The client id for publishing from the panel: --mqtt-client-id, or null
// for the line's own (kvormx-HOST-PORTNAME of the port in use).
void SetMqttClientId(const char* id);

// ---- Help (about.cpp): menu items (panel, item) -------------------------------------------------
void ShowKeyboardShortcuts(int panel, int item);  // every key of the panels, in a window of its own
void ShowManual(int panel, int item);             // the README in the desktop's viewer
void ShowAbout(int panel, int item);              // version, licence, libraries, data and settings paths
int ManualPath(char* path, int size);             // 0 and the manual's path, or -1
