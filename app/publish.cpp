// The panels' side of publishing: what the operator sees goes to the
// broker, and what the broker does (connected, lost, refused) shows on the
// status line. Runs on the program's thread between exchanges only. The
// broker setting of the pop-up (URL, credentials file, Publish) starts and
// stops it.
#include "app/app.h"

#include "form/form.h"
#include "link/state.h"
#include "outputs/outputs.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/ticker.h"
#include "runtime/ui.h"

#include <cctype>
#include <cstdio>
#include <cstring>

void WatchBroker(void)
{
    // Called after every reply: without a broker it must cost nothing.
    if (!MqttActive()) return;
    // A set-up, Get or Send writes its texts step by step and would paint
    // over the broker's at once, so the change stays noted until the line
    // is free (the idle watch shows it then). A run or video loop leaves the
    // status line alone between replies: there it shows at once.
    int statusFree = !exchange_busy || stop_flag == 0;
    if (statusFree && MqttStateChanged()) SetCtrlVal(panelHandle, PANEL_STATUS, MqttState());
    char text[STATUS_LEN * 2] = "";
    GetCtrlVal(panelHandle, PANEL_STATUS, text, static_cast<int>(sizeof text));
    MqttPublishStatus(text);  // repeats are not sent
}

void AddPublishingSinks(void)
{
    AddMqttSink(WatchBroker);  // after every record, what the broker did
}

void PublishIdentity(void)
{
    // The sensor as the pop-up describes it: a type 2 sensor with an
    // unknown resolution code keeps the description it had.
    char description[STATUS_LEN * 2] = "";
    GetTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, description, static_cast<int>(sizeof description));
    IdentityRecord identity;
    FillIdentityRecord(&identity, description);
    DeliverIdentity(&identity);
    DeliverParameters();
}

// ---- The broker setting of the pop-up -----------------------------------------------------------

const char* const SETTING_MQTT_URL = "mqtt/url";
const char* const SETTING_MQTT_AUTH = "mqtt/auth";  // the file's path; the password stays in the file
// Between the operator's actions no reply or picture calls WatchBroker, so
// a timer does: a broker lost or back shows within this, and so does the
// status line on the broker.
const double BROKER_WATCH_SECONDS = 0.25;
const int MESSAGE_LEN = PATH_LEN + 256;

static int g_brokerWatch = 0;                     // ticker handle while publishing, else 0
static char g_clientId[MQTT_CLIENT_ID_LEN] = "";  // --mqtt-client-id; "" the line's own

void SetMqttClientId(const char* id)
{
    CopyText(g_clientId, MQTT_CLIENT_ID_LEN, id ? id : "");
}

static void WatchBrokerIdle(void*)
{
    // An exchange owns the status line until it is done (a loop calls
    // WatchBroker itself after every reply); a state change that came
    // meanwhile stays noted and is shown at the first tick after it.
    if (exchange_busy) return;
    WatchBroker();
}

static void SayPublishing(const char* text)
{
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
    CopyText(szStatus, STATUS_LEN, text);
}

// The toggle, and the setting it publishes to fixed while it is on.
static void ShowPublishing(int on)
{
    ShowOn(panelPopUp, POPUP_MQTT, on);
    const int setting[] = {POPUP_MQTT_URL, POPUP_MQTT_AUTH, POPUP_MQTT_AUTH_PICK};
    for (int c : setting) SetCtrlAttribute(panelPopUp, c, ATTR_DIMMED, on);
}

// Publishing has started: the panel follows it, the setting is kept for the
// next start and the broker is watched from now on.
static void Published(const char* url, const char* authFile)
{
    SetCtrlVal(panelPopUp, POPUP_MQTT_URL, url);
    SetCtrlVal(panelPopUp, POPUP_MQTT_AUTH, authFile ? authFile : "");
    ShowPublishing(1);
    PutSetting(SETTING_MQTT_URL, url);
    PutSetting(SETTING_MQTT_AUTH, authFile ? authFile : "");
    if (!g_brokerWatch) g_brokerWatch = StartTicker(BROKER_WATCH_SECONDS, WatchBrokerIdle, nullptr);
    if (g_brokerWatch < 0) g_brokerWatch = 0;
}

// Blanks around a pasted URL or path are not part of it.
static void Trimmed(char* text)
{
    int n = static_cast<int>(std::strlen(text));
    while (n > 0 && std::isspace(static_cast<unsigned char>(text[n - 1]))) text[--n] = '\0';
    int lead = 0;
    while (std::isspace(static_cast<unsigned char>(text[lead]))) lead++;
    if (lead) std::memmove(text, text + lead, static_cast<size_t>(n - lead + 1));
}

void InitPublishing(const char* url, const char* authFile)
{
    if (url) {
        Published(url, authFile);
        return;
    }
    // Only the operator or the command line starts publishing: a broker
    // used once is not written to again without being asked.
    char kept[MESSAGE_LEN];
    if (GetSetting(SETTING_MQTT_URL, kept, sizeof kept)) SetCtrlVal(panelPopUp, POPUP_MQTT_URL, kept);
    if (GetSetting(SETTING_MQTT_AUTH, kept, sizeof kept)) SetCtrlVal(panelPopUp, POPUP_MQTT_AUTH, kept);
    ShowPublishing(0);
}

int StartPublishing(const char* url, const char* authFile)
{
    if (authFile && !*authFile) authFile = nullptr;
    char text[MESSAGE_LEN];
    if (!url || !*url) {
        SayPublishing("Cannot publish: enter the broker as mqtt://HOST[:PORT]/PREFIX");
        ShowPublishing(0);
        return -1;
    }
    char id[MQTT_CLIENT_ID_LEN];
    if (g_clientId[0])
        CopyText(id, MQTT_CLIENT_ID_LEN, g_clientId);
    else
        MqttClientIdFor(id, sizeof id, GetComDevice(com));
    if (MqttStart(url, authFile, id) != 0) {
        std::snprintf(text, sizeof text, "Cannot publish: %s", MqttError());
        SayPublishing(text);
        ShowPublishing(0);
        return -1;
    }
    Published(url, authFile);
    SayPublishing(MqttState());
    // A sensor already set up is described at once; otherwise the next port
    // set-up does it.
    if (ccdtype != 0) PublishIdentity();
    return 0;
}

void StopPublishing(void)
{
    if (g_brokerWatch) StopTicker(g_brokerWatch);
    g_brokerWatch = 0;
    MqttStop();
    MqttStateChanged();  // the change to off is said here, not at the next reply
    ShowPublishing(0);
    SayPublishing(MqttState());
}

int CC_TOGGBTN_Mqtt(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panelPopUp, POPUP_MQTT, &on);
    if (!on) {
        StopPublishing();
        return 0;
    }
    char url[MESSAGE_LEN] = "", authFile[MESSAGE_LEN] = "";
    GetCtrlVal(panelPopUp, POPUP_MQTT_URL, url, sizeof url);
    GetCtrlVal(panelPopUp, POPUP_MQTT_AUTH, authFile, sizeof authFile);
    Trimmed(url);
    Trimmed(authFile);
    StartPublishing(url, authFile);
    return 0;
}

int CC_BTNMqttAuth(int /*panel*/, int /*control*/, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    // The dialog opens where the file chosen last is.
    char dir[PATH_LEN], path[PATH_LEN] = "";
    GetCtrlVal(panelPopUp, POPUP_MQTT_AUTH, dir, sizeof dir);
    Trimmed(dir);
    char* slash = std::strrchr(dir, '/');
    if (slash)
        *(slash == dir ? slash + 1 : slash) = '\0';
    else
        CopyText(dir, PATH_LEN, proj_dir);
    if (FileSelectPopup(dir, "", "*", "MQTT broker credentials", 0, 0, 0, 1, 0, path) <= 0 || !path[0]) return 0;
    SetCtrlVal(panelPopUp, POPUP_MQTT_AUTH, path);
    return 0;
}
