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

#include "link/health.h"
#include "link/rate.h"
#include "link/state.h"
#include "outputs/mqtt_client.h"
#include "runtime/filewriter.h"
#include "runtime/rs232.h"
#include "runtime/util.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const int MSG_LEN = MQTT_PAYLOAD_LEN;
const int TEXT_LEN = 512;

// The retained topics, in the order they go out after a connect.
enum Slot { SLOT_STATUS, SLOT_IDENTITY, SLOT_PARAMETERS, SLOT_COUNTERS, SLOT_HEALTH };

// The status topic never carries an empty text: before the program has
// said anything it says this.
const char* const STATUS_STARTING = "starting";
char g_statusText[TEXT_LEN] = "";  // the status line's text as last published
char g_error[TEXT_LEN] = "";
RateControl g_rate;  // --every and --interval of the measurement and picture messages
long g_every = 1;    // MqttSetRate's, kept for every start
double g_interval = 0;

// ---- [SECTION] JSON -----------------------------------------------------------------------------

int StatusPayload(char* out, int size, const char* state)
{
    char text[TEXT_LEN * 2];
    JsonString(text, sizeof text, g_statusText[0] ? g_statusText : STATUS_STARTING);
    return std::snprintf(out, size, "{\"state\":\"%s\",\"text\":\"%s\"}", state, text);
}

int DroppedPayload(char* out, int size, unsigned long dropped)
{
    return std::snprintf(out, size, "{\"dropped\":%lu}", dropped);
}

}  // namespace

// ---- [SECTION] outputs.h API --------------------------------------------------------------------

int MqttStart(const char* url, const char* authFile, const char* clientId)
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
    setup.slots[SLOT_COUNTERS] = "counters";
    setup.slots[SLOT_HEALTH] = "health";
    setup.willLeaf = "status";
    setup.willPayload = "{\"state\":\"offline\",\"text\":\"connection lost\"}";
    setup.clientId = clientId;
    setup.droppedLeaf = "dropped";
    setup.droppedPayload = DroppedPayload;
    int rc = MqttClientStart(&setup, g_error, sizeof g_error);
    std::memset(password, 0, sizeof password);
    if (rc != 0) return -1;
    g_statusText[0] = '\0';
    RateBegin(&g_rate, g_every, g_interval);
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

void MqttClientIdFor(char* id, int size, const char* device)
{
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) != 0 || !host[0]) CopyText(host, sizeof host, "localhost");
    // The port by its name under /dev, the by-id folder left out:
    // "ttyUSB0", "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0", "pts-3".
    if (!device) device = "";
    if (std::strncmp(device, "/dev/", 5) == 0) device += 5;
    if (std::strncmp(device, "serial/by-id/", 13) == 0) device += 13;
    while (*device == '/') device++;
    std::snprintf(id, static_cast<size_t>(size), "kvormx-%s-%s", host, device[0] ? device : "none");
    // A broker's access rules and logs take plain names.
    for (char* c = id; *c; c++) {
        const bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                           *c == '-' || *c == '_' || *c == '.';
        if (!plain) *c = *c == '/' ? '-' : '_';
    }
}

const char* MqttError(void)
{
    return g_error;
}

void MqttSetRate(long every, double interval)
{
    g_every = every;
    g_interval = interval;
    RateBegin(&g_rate, every, interval);
}

// A summary goes with QoS 1: a plant that thins the stream keeps these.
static void PublishSummary(const ValueStatistics* s, const char* port)
{
    char payload[MSG_LEN];
    MqttClientQueue("summary", payload, FormatSummary(payload, MSG_LEN, s, port, FORMAT_JSON), 1);
}

// The record through the rate control: a summary that closed before it
// goes first; 1 when the record itself is to be sent.
static int Rated(const MeasurementRecord* r)
{
    ValueStatistics summary;
    int due = 0;
    int take = RateRecord(&g_rate, r, &summary, &due);
    if (due) PublishSummary(&summary, r->port);
    return take;
}

void MqttPublishMeasurement(const MeasurementRecord* r)
{
    if (!MqttClientActive() || !Rated(r)) return;
    char payload[MSG_LEN];
    MqttClientQueue("measurement", payload, FormatMeasurement(payload, MSG_LEN, r, FORMAT_JSON));
}

void MqttPublishVideo(const PictureRecord* r)
{
    if (!MqttClientActive() || !r->complete || !Rated(&r->m)) return;
    char payload[MSG_LEN];
    MqttClientQueue("video", payload, FormatPicture(payload, MSG_LEN, r, FORMAT_JSON));
}

void MqttPublishSummaryRest(void)
{
    ValueStatistics summary;
    if (!MqttClientActive() || !RateFlush(&g_rate, &summary)) return;
    char port[RECORD_PORT_LEN];
    CopyText(port, RECORD_PORT_LEN, GetComDevice(com));
    PublishSummary(&summary, port);
}

void MqttPublishCounters(long replies, long missed, long setups)
{
    if (!MqttClientActive()) return;
    char payload[MSG_LEN];
    int n = std::snprintf(payload, MSG_LEN, "{\"replies\":%ld,\"missed\":%ld,\"setups\":%ld,\"dropped\":%lu}", replies,
                          missed, setups, MqttClientDropped());
    MqttClientKeep(SLOT_COUNTERS, payload, n);
}

static double g_healthSent = -1.0;  // Timer() of the last health message

void MqttPublishHealth(int now)
{
    if (!MqttClientActive()) return;
    const double t = Timer();
    // A ticker of the same period may fire up to 5 % early (Qt's coarse
    // timers); such a tick is due, or every other one would be skipped.
    if (!now && g_healthSent >= 0 && t - g_healthSent < 0.9 * HEALTH_PERIOD) return;
    g_healthSent = t;
    char payload[MSG_LEN];
    MqttClientKeep(SLOT_HEALTH, payload, FormatHealthJson(payload, MSG_LEN));
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

int MqttEverConnected(void)
{
    return MqttClientEverConnected();
}

unsigned long MqttDropped(void)
{
    return MqttClientDropped();
}

// ---- The sink ------------------------------------------------------------------------------------

static void (*g_afterEach)(void) = nullptr;  // the caller's look at the broker after each record

static void After(void)
{
    MqttPublishHealth(0);
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
    MqttPublishSummaryRest();
    After();
}

static const RecordSink kMqttSink = {SinkMeasurement, SinkPicture, SinkIdentity, SinkParameters, SinkLoopEnded};

void AddMqttSink(void (*afterEach)(void))
{
    g_afterEach = afterEach;
    AddRecordSink(&kMqttSink);
}
