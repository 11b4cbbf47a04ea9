// Application shell: start-up, the port set-up, the logo strip.
#pragma once

void InitVars(void);                  // defaults, logo strip, panels into variables, bar graph
void ShowLogo(int brand);             // logo strip of brand 0..6
void ShowInfoText(int control, int bgColor, int textColor, const char* text, int left, int top,
                  int pointSize);
// Loads both panels into panelHandle and panelPopUp; 0, or a negative code
// with GetRuntimeError() naming the cause.
int LoadPanels(void);
// Installs the program's name table for the form's callback names.
void InstallCallbackTable(void);

// ---- Recording, trace and exports (record_controls.cpp) ------------------------------------
void InitOutputs(void);               // folders of the file dialogs, the export status texts
// Starts the frame trace into `path` and shows it on the pop-up's toggle:
// 0, or -1 with the cause in the status line and in TraceError().
int StartTrace(const char* path);

// ---- Port set-up (setup.cpp) ----------------------------------------------------------
void InitRS232(int port);             // open, line check, identify, read RAM, firmware text
int GetHARDWAREInfo(void);            // 1 when a reply with command word 10 arrived; panels follow it
int GetVERSIONInfo(void);             // bytes waiting when the firmware wait ended (72 = good)
