// The form's program-wide state with its start values.
#include "form/form.h"

#include <cstring>

int panelHandle, panelPopUp;
char proj_dir[PATH_LEN];
uint16_t xArray[256], thdArray[256];

void ResetFormState(void)
{
    std::memset(xArray, 0, sizeof xArray);
    std::memset(thdArray, 0, sizeof thdArray);
}
