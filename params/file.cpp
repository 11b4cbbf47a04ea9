// Parameter file: the 16 packet words, one value per line, in packet order.
// A file that cannot be written, or that holds fewer than 16 values, leaves
// the parameter set as it was and says so in the status line.
#include "params/params.h"

#include "app/panels.h"
#include "app/state.h"
#include "runtime/graph.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdint>

const int FILE_FIELD_WIDTH = 4;

static void FileError(const char* text)
{
    CopyText(szStatus, STATUS_LEN, text);
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
}

void SendParaToFile(void)
{
    GetPanelValues();
    CopyVarsToPP();
    uint32_t words[PNUM];
    for (int i = 0; i < PNUM; i++) words[i] = pp[i];
    if (ArrayToFile(file_name, words, VAL_UNSIGNED_INTEGER, PNUM, 1, 0, 0, 0, FILE_FIELD_WIDTH, 1, 0) < 0)
        FileError(TXT_FILE_WRITE_ERROR);
}

void ReadParaFromFile(void)
{
    char chosen[PATH_LEN] = "";
    int r = FileSelectPopup(proj_dir, "KVORpara.dat", "*.dat", "K-VOR-MX-Parameter-File", 3, 0, 1, 1, 1,
                            chosen);
    if (r <= 0) return;
    CopyText(file_name, PATH_LEN, chosen);
    uint32_t words[PNUM];
    if (FileToArray(file_name, words, VAL_UNSIGNED_INTEGER, PNUM, 1, 0, 0, 1) < 0) {
        CopyText(szStatus, STATUS_LEN, TXT_FILE_READ_ERROR);
        return;   // the caller shows szStatus; pp and the variables stay as they were
    }
    for (int i = 0; i < PNUM; i++) pp[i] = static_cast<uint16_t>(words[i] & 0xFFFF);
    CopyPPtoVars();
}
