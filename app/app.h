// Application shell: start-up, the logo strip.
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
