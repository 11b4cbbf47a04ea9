// Parameter editing and storage: panels <-> variables, the parameter file,
// Send and Get, teach and reset. Below the application shell, beside the
// display: it uses the form, the link and the runtime only.
#pragma once

#include "link/state.h"

extern char file_name[PATH_LEN];  // parameter file last chosen (file.cpp)

void GetPanelValues(void);             // the 15 bound controls into their variables
void SetPanelValues(void);             // range rules, show on both panels, redraw curve and bar graph
void SendParaToFile(void);             // the panels' parameter set into file_name
void ShowFileError(const char* text);  // a file error text with the file and its cause
// Load pop-up, then the file into pp and the variables: 1 loaded, 0 cancelled,
// -1 not a readable parameter file (pp and the variables unchanged).
int ReadParaFromFile(void);
// The folder of a chosen parameter file becomes where the file dialogs
// start (proj_dir), now and at the next start.
void RememberParamFolder(const char* chosenFile);
void RestoreParamFolder(void);  // proj_dir from the last run's choice, if there was one
// RAM or EEPROM from the sensor, DATFILE only refreshes the panels: 1 when
// the variables hold what was asked for, 0 when they were kept.
int PushGET(int target);
// The second half of PushGET, for a read made already (the read-back of a
// teach): `r` is ReadParameterSet's result; for DATFILE it is not looked at.
int ShowParameterRead(int from, int r);
void ShowParamsWaiting(int bytesWritten);  // "Waiting for parameter-frame ..." once the request is out
void ChooseTarget(int chosen);             // transfer target and its three radio buttons

// Status texts of the parameter file.
#define TXT_FILE_WRITE_ERROR "Error writing parameter file!"
#define TXT_FILE_READ_ERROR  "Error reading parameter file!"
