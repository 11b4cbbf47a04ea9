// Parameter file: the 16 packet words, one value per line, in packet order.
// A file that cannot be written, or that holds fewer than 16 values, leaves
// the parameter set as it was and says so in the status line.
#include "params/params.h"

#include "form/form.h"
#include "link/param_file.h"
#include "link/state.h"
#include "runtime/graph.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

char file_name[PATH_LEN];

// The error goes straight to the status line: szStatus keeps the outcome of
// the last exchange, which a later Get from a file shows again.
void SendParaToFile(void)
{
    GetPanelValues();
    if (WriteParamFile(file_name) < 0) ShowFileError(TXT_FILE_WRITE_ERROR);
}

void ShowFileError(const char* text)
{
    // The program's text, then which file and why.
    char line[STATUS_LEN + PATH_LEN + 64];
    const char* cause = ArrayFileError();
    std::snprintf(line, sizeof line, cause[0] ? "%s - %s" : "%s", text, cause);
    SetCtrlVal(panelHandle, PANEL_STATUS, line);
}

int ReadParaFromFile(void)
{
    char chosen[PATH_LEN] = "";
    int r = FileSelectPopup(proj_dir, "KVORpara.dat", "*.dat", TR("K-VOR-MX-Parameter-File"), 3, 0, 1, 1, 1, chosen);
    if (r == 0) return 0;
    if (r < 0) return -1;  // a path the program cannot hold
    CopyText(file_name, PATH_LEN, chosen);
    RememberParamFolder(chosen);
    return ReadParamFile(file_name) < 0 ? -1 : 1;
}

const char* const SETTING_PARAM_FOLDER = "files/folder";

void RememberParamFolder(const char* chosenFile)
{
    const char* slash = std::strrchr(chosenFile, '/');
    if (!slash) return;
    char folder[PATH_LEN];
    int len = slash == chosenFile ? 1 : static_cast<int>(slash - chosenFile);
    if (len >= PATH_LEN) return;
    std::memcpy(folder, chosenFile, static_cast<size_t>(len));
    folder[len] = '\0';
    CopyText(proj_dir, PATH_LEN, folder);
    PutSetting(SETTING_PARAM_FOLDER, folder);
}

void RestoreParamFolder(void)
{
    char folder[PATH_LEN];
    if (GetSetting(SETTING_PARAM_FOLDER, folder, sizeof folder)) CopyText(proj_dir, PATH_LEN, folder);
}
