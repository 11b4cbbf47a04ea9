// The name table through which the form's callback names are bound to the
// program's functions when a panel is loaded.
#include "app/app.h"
#include "form/form.h"
#include "runtime/ui.h"

#define CTRL_CB(name)        \
    {                        \
#name, name, nullptr \
    }

static const CallbackEntry kCallbacks[] = {
    {"CC_PANEL", nullptr, CC_PANEL},
    {"CC_POPUP", nullptr, CC_POPUP},
    CTRL_CB(CC_DropDCom),
    CTRL_CB(CC_RBTFile),
    CTRL_CB(CC_RBTEeprom),
    CTRL_CB(CC_RBTRam),
    CTRL_CB(CC_NEDITTolerance),
    CTRL_CB(CC_NEDITTeach),
    CTRL_CB(CC_NEDITEdgeRight),
    CTRL_CB(CC_NEDITEdgeLeft),
    CTRL_CB(CC_SLIDEVideoThreshold),
    CTRL_CB(CC_TOGGBTN_ParaII),
    CTRL_CB(CC_BTNRun),
    CTRL_CB(CC_BTNStop),
    CTRL_CB(CC_BTNVideo),
    CTRL_CB(CC_BTNSend),
    CTRL_CB(CC_BTNGet),
    CTRL_CB(CC_ButtonTeach),
    CTRL_CB(CC_ButtonReset),
    CTRL_CB(CC_NSLIDE_PixelStart),
    CTRL_CB(CC_BIN_Sw_EnableTol),
    CTRL_CB(CC_BIN_Switch_VGain),
    CTRL_CB(CC_RING_CCDMode),
    CTRL_CB(CC_TOGGBTN_Record),
    CTRL_CB(CC_TOGGBTN_Trace),
    CTRL_CB(CC_TOGGBTN_Mqtt),
    CTRL_CB(CC_BTNMqttAuth),
    CTRL_CB(CC_RING_Average),
    CTRL_CB(CC_SW_Envelope),
    CTRL_CB(CC_BTNSaveReference),
    CTRL_CB(CC_BTNLoadReference),
    CTRL_CB(CC_SW_Difference),
    CTRL_CB(CC_SW_Cursors),
    CTRL_CB(CC_TOGGBTN_History),
    CTRL_CB(CC_BTNLive),
    CTRL_CB(CC_SWITCH_Millimetres),
    CTRL_CB(CC_BTNStatReset),
    CTRL_CB(CC_BTNCalibrate),
    CTRL_CB(CC_BTNScaleDefault),
};

void InstallCallbackTable(void)
{
    SetCallbackTable(kCallbacks, static_cast<int>(sizeof kCallbacks / sizeof kCallbacks[0]));
}
