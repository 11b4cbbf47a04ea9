// The shell's program-wide state, and the reset of every folder's state that
// start-up and the tests run.
#include "app/app.h"

#include "display/display.h"
#include "form/form.h"
#include "params/params.h"

int ret;
char szSoftName[STATUS_LEN];
char szSoftVersion[STATUS_LEN];

void ResetProgramState(void)
{
    ResetLinkState();
    ResetFormState();
    ResetDisplayState();
    ResetVideoView();
    file_name[0] = '\0';
    ret = 0;
    CopyText(szSoftName, STATUS_LEN, SOFT_NAME);
    CopyText(szSoftVersion, STATUS_LEN, SOFT_VERSION);
}
