// Parameter file: the 16 packet words, one value per line, in packet order.
// A file that cannot be written, or that holds fewer than 16 values, leaves
// the parameter set as it was and says so in the status line.
#include "params/params.h"
#include "params/param_file.h"

#include "app/panels.h"
#include "app/state.h"
#include "runtime/ui.h"

// The error goes straight to the status line: szStatus keeps the outcome of
// the last exchange, which a later Get from a file shows again.
void SendParaToFile(void)
{
    GetPanelValues();
    if (WriteParamFile(file_name) < 0) SetCtrlVal(panelHandle, PANEL_STATUS, TXT_FILE_WRITE_ERROR);
}

int ReadParaFromFile(void)
{
    char chosen[PATH_LEN] = "";
    int r = FileSelectPopup(proj_dir, "KVORpara.dat", "*.dat", "K-VOR-MX-Parameter-File", 3, 0, 1, 1, 1,
                            chosen);
    if (r == 0) return 0;
    if (r < 0) return -1;   // a path the program cannot hold
    CopyText(file_name, PATH_LEN, chosen);
    return ReadParamFile(file_name) < 0 ? -1 : 1;
}
