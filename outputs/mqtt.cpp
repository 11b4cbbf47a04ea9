// The sensor's messages to an MQTT broker (outputs.h): what the program
// sees, as JSON, handed to the publishing client (mqtt_client.h).
//
// Measurements and pictures are queued, one message per reply or picture,
// numbered by `seq` so that a gap shows a lost one. The identity, the
// parameter set and the status line are retained: a subscriber that comes
// later is told them at once, and the client sends them again after every
// reconnect. The status topic carries "online" with the status line's text,
// "offline" at the stop, and "offline" as the last will when the program
// vanishes.
//
// Payloads are UTF-8 JSON with integers only, so the locale's decimal
// separator never enters.
//
// [SECTION] JSON
// [SECTION] outputs.h API

#include "outputs/outputs.h"

#include "link/state.h"
#include "outputs/mqtt_client.h"
#include "runtime/filewriter.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const int MSG_LEN = MQTT_PAYLOAD_LEN;
const int TEXT_LEN = 512;

// The retained topics, in the order they go out after a connect.
enum Slot { SLOT_STATUS, SLOT_IDENTITY, SLOT_PARAMETERS };

char g_statusText[TEXT_LEN] = "";  // the status line's text as last published
char g_error[TEXT_LEN] = "";

// ---- [SECTION] JSON -----------------------------------------------------------------------------

int StatusPayload(char* out, int size, const char* state)
{
    char text[TEXT_LEN * 2];
    JsonString(text, sizeof text, g_statusText);
    return std::snprintf(out, size, "{\"state\":\"%s\",\"text\":\"%s\"}", state, text);
}

int DroppedPayload(char* out, int size, unsigned long dropped)
{
    return std::snprintf(out, size, "{\"dropped\":%lu}", dropped);
}

}  // namespace

// ---- [SECTION] outputs.h API --------------------------------------------------------------------

int MqttStart(const char* url, const char* authFile)
{
    if (MqttClientActive()) MqttStop();
    g_error[0] = '\0';
    MqttClientSetup setup{};
    if (!url || MqttParseUrl(url, &setup.target, g_error, sizeof g_error) != 0) return -1;
    char user[TEXT_LEN] = "", password[TEXT_LEN] = "";
    if (authFile && MqttReadAuth(authFile, user, password, TEXT_LEN, g_error, sizeof g_error) != 0) return -1;
    setup.user = user;
    setup.password = password;
    setup.slots[SLOT_STATUS] = "status";
    setup.slots[SLOT_IDENTITY] = "identity";
    setup.slots[SLOT_PARAMETERS] = "parameters";
    setup.willLeaf = "status";
    setup.willPayload = "{\"state\":\"offline\",\"text\":\"\"}";
    setup.droppedLeaf = "dropped";
    setup.droppedPayload = DroppedPayload;
    int rc = MqttClientStart(&setup, g_error, sizeof g_error);
    std::memset(password, 0, sizeof password);
    if (rc != 0) return -1;
    g_statusText[0] = '\0';
    // "online" from the first connect on, with the status line's text once there is one.
    char payload[MSG_LEN];
    MqttClientKeep(SLOT_STATUS, payload, StatusPayload(payload, MSG_LEN, "online"));
    return 0;
}

void MqttStop(void)
{
    if (!MqttClientActive()) return;
    char payload[MSG_LEN];
    int len = StatusPayload(payload, MSG_LEN, "offline");
    MqttClientStop("status", payload, len);
}

const char* MqttError(void)
{
    return g_error;
}

void MqttPublishMeasurement(const MeasurementRecord* r)
{
    if (!MqttClientActive()) return;
    char payload[MSG_LEN];
    MqttClientQueue("measurement", payload, FormatMeasurement(payload, MSG_LEN, r, FORMAT_JSON));
}

void MqttPublishVideo(const PictureRecord* r)
{
    if (!MqttClientActive() || !r->complete) return;
    char payload[MSG_LEN];
    MqttClientQueue("video", payload, FormatPicture(payload, MSG_LEN, r, FORMAT_JSON));
}

void MqttPublishParameters(void)
{
    if (!MqttClientActive()) return;
    const uint16_t* const words[PNUM] = {&power, &rs232Mode, &vThd,  &bVal,  &polarity, &eMode,  &eBeg,    &eEnd,
                                         &tVal,  &tTol,      &iGain, &ePoti, &ccdMode,  &pStart, &anaMode, &para15};
    char payload[MSG_LEN];
    char when[RECORD_TIME_LEN];
    UtcTimeText(when, sizeof when);
    int n = std::snprintf(payload, MSG_LEN, "{\"time\":\"%s\",\"words\":[", when);
    for (int i = 0; i < PNUM; i++) n += std::snprintf(payload + n, MSG_LEN - n, i ? ",%d" : "%d", *words[i]);
    n += std::snprintf(payload + n, MSG_LEN - n, "]");
    for (int i = 0; i < PNUM; i++)
        n += std::snprintf(payload + n, MSG_LEN - n, ",\"%s\":%d", kParamNames[i], *words[i]);
    n += std::snprintf(payload + n, MSG_LEN - n, "}");
    MqttClientKeep(SLOT_PARAMETERS, payload, n);
}

void MqttPublishIdentity(const IdentityRecord* r)
{
    if (!MqttClientActive()) return;
    char payload[MSG_LEN];
    MqttClientKeep(SLOT_IDENTITY, payload, FormatIdentityJson(payload, MSG_LEN, r));
}

void MqttPublishStatus(const char* text)
{
    if (!MqttClientActive() || !text) return;
    if (std::strcmp(text, g_statusText) == 0) return;
    std::snprintf(g_statusText, sizeof g_statusText, "%s", text);
    char payload[MSG_LEN];
    int n = StatusPayload(payload, MSG_LEN, "online");
    MqttClientKeep(SLOT_STATUS, payload, n);
}

const char* MqttState(void)
{
    return MqttClientState();
}

int MqttStateChanged(void)
{
    return MqttClientStateChanged();
}

int MqttActive(void)
{
    return MqttClientActive();
}

int MqttConnected(void)
{
    return MqttClientConnected();
}

unsigned long MqttDropped(void)
{
    return MqttClientDropped();
}

// ---- The sink ------------------------------------------------------------------------------------

static void (*g_afterEach)(void) = nullptr;  // the caller's look at the broker after each record

static void After(void)
{
    if (g_afterEach) g_afterEach();
}
static void SinkMeasurement(const MeasurementRecord* r)
{
    MqttPublishMeasurement(r), After();
}
static void SinkPicture(const PictureRecord* r)
{
    MqttPublishVideo(r), After();
}
static void SinkIdentity(const IdentityRecord* r)
{
    MqttPublishIdentity(r), After();
}
static void SinkParameters(void)
{
    MqttPublishParameters(), After();
}
static void SinkLoopEnded(int, int)
{
    After();
}

static const RecordSink kMqttSink = {SinkMeasurement, SinkPicture, SinkIdentity, SinkParameters, SinkLoopEnded};

void AddMqttSink(void (*afterEach)(void))
{
    g_afterEach = afterEach;
    AddRecordSink(&kMqttSink);
}
