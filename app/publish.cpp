// The panels' side of publishing: what the operator sees goes to the
// broker, and what the broker does (connected, lost, refused) shows on the
// status line. Runs on the program's thread between exchanges only.
#include "app/app.h"

#include "app/panels.h"
#include "app/state.h"
#include "outputs/outputs.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"

void WatchBroker(void)
{
    if (MqttStateChanged()) SetCtrlVal(panelHandle, PANEL_STATUS, MqttState());
    char text[STATUS_LEN * 2] = "";
    GetCtrlVal(panelHandle, PANEL_STATUS, text, static_cast<int>(sizeof text));
    MqttPublishStatus(text);   // repeats are not sent
}

void PublishReply(void)
{
    MqttPublishMeasurement();
    WatchBroker();
}

void PublishPicture(void)
{
    MqttPublishVideo();
    WatchBroker();
}

void PublishParameters(void)
{
    MqttPublishParameters();
    WatchBroker();
}

void PublishIdentity(void)
{
    char description[STATUS_LEN * 2] = "";
    GetTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, description, static_cast<int>(sizeof description));
    MqttPublishIdentity(description, GetComDevice(com));
    MqttPublishParameters();
    WatchBroker();
}
