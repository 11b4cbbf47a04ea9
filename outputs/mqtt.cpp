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

#include "app/state.h"
#include "outputs/mqtt_client.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const int MSG_LEN = MQTT_PAYLOAD_LEN;
const int TEXT_LEN = 512;

// The retained topics, in the order they go out after a connect.
enum Slot { SLOT_STATUS, SLOT_IDENTITY, SLOT_PARAMETERS };

char g_statusText[TEXT_LEN] = "";     // the status line's text as last published
unsigned long g_sequence = 0;         // `seq` of the last measurement or picture
char g_error[TEXT_LEN] = "";

// ---- [SECTION] JSON -----------------------------------------------------------------------

// Latin-1 (the program's texts) to UTF-8 JSON string contents.
int JsonText(char* out, int size, const char* text)
{
    int n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && n < size - 7; p++) {
        unsigned c = *p;
        if (c == '"' || c == '\\') {
            out[n++] = '\\';
            out[n++] = static_cast<char>(c);
        } else if (c < 0x20) {
            n += std::snprintf(out + n, size - n, "\\u%04x", c);
        } else if (c >= 0x80) {
            out[n++] = static_cast<char>(0xC0 | (c >> 6));
            out[n++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[n++] = static_cast<char>(c);
        }
    }
    out[n] = '\0';
    return n;
}

// UTC with milliseconds, e.g. 2026-12-07T12:52:31.123Z; no locale involved.
void IsoTime(char* out, int size)
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm t{};
    gmtime_r(&ts.tv_sec, &t);
    std::snprintf(out, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

// The measurement as JSON members (no braces); integers only, so the
// locale's decimal separator never enters.
int MeasurementMembers(char* out, int size)
{
    char when[40];
    IsoTime(when, sizeof when);
    int mv = Mvalue, t = tVal, tol = tTol;
    bool inBand = mv >= t - tol && mv <= t + tol;
    return std::snprintf(out, size,
                         "\"time\":\"%s\",\"seq\":%lu,\"value\":%d,\"left_edge\":%d,\"right_edge\":%d,"
                         "\"edges\":%d,\"teach\":%d,\"tolerance\":%d,\"max\":%d,\"min\":%d,\"in_band\":%s",
                         when, g_sequence, mv, static_cast<int>(Ledge), static_cast<int>(Redge),
                         static_cast<int>(edcnt), t, tol, static_cast<int>(anaMax), static_cast<int>(anaMin),
                         inBand ? "true" : "false");
}

int StatusPayload(char* out, int size, const char* state)
{
    char text[TEXT_LEN * 2];
    JsonText(text, sizeof text, g_statusText);
    return std::snprintf(out, size, "{\"state\":\"%s\",\"text\":\"%s\"}", state, text);
}

int DroppedPayload(char* out, int size, unsigned long dropped)
{
    return std::snprintf(out, size, "{\"dropped\":%lu}", dropped);
}

}  // namespace

// ---- [SECTION] outputs.h API --------------------------------------------------------------

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
    g_sequence = 0;
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

const char* MqttError(void) { return g_error; }

void MqttPublishMeasurement(void)
{
    if (!MqttClientActive()) return;
    char payload[MSG_LEN];
    g_sequence++;
    int n = 1;
    payload[0] = '{';
    n += MeasurementMembers(payload + n, MSG_LEN - n - 2);
    payload[n++] = '}';
    MqttClientQueue("measurement", payload, n);
}

void MqttPublishVideo(void)
{
    if (!MqttClientActive()) return;
    char payload[MSG_LEN];
    g_sequence++;
    int n = 1;
    payload[0] = '{';
    n += MeasurementMembers(payload + n, 400);
    n += std::snprintf(payload + n, MSG_LEN - n, ",\"first_pixel\":%d,\"samples\":[",
                       static_cast<int>(ccdMode == 1 ? pStart : 0));
    for (int i = 0; i < 256; i++) n += std::snprintf(payload + n, MSG_LEN - n, i ? ",%d" : "%d", adcbuf[i] & 0x3FF);
    n += std::snprintf(payload + n, MSG_LEN - n, "]}");
    MqttClientQueue("video", payload, n);
}

void MqttPublishParameters(void)
{
    if (!MqttClientActive()) return;
    const uint16_t* const words[PNUM] = {&power, &rs232Mode, &vThd,  &bVal,   &polarity, &eMode,
                                         &eBeg,  &eEnd,      &tVal,  &tTol,   &iGain,    &ePoti,
                                         &ccdMode, &pStart,  &anaMode, &para15};
    char payload[MSG_LEN];
    char when[40];
    IsoTime(when, sizeof when);
    int n = std::snprintf(payload, MSG_LEN, "{\"time\":\"%s\",\"words\":[", when);
    for (int i = 0; i < PNUM; i++) n += std::snprintf(payload + n, MSG_LEN - n, i ? ",%d" : "%d", *words[i]);
    n += std::snprintf(payload + n, MSG_LEN - n, "]");
    for (int i = 0; i < PNUM; i++) n += std::snprintf(payload + n, MSG_LEN - n, ",\"%s\":%d", kParamNames[i], *words[i]);
    n += std::snprintf(payload + n, MSG_LEN - n, "}");
    MqttClientKeep(SLOT_PARAMETERS, payload, n);
}

void MqttPublishIdentity(const char* description, const char* port)
{
    if (!MqttClientActive()) return;
    char desc[TEXT_LEN], firmware[TEXT_LEN], dev[TEXT_LEN];
    // The descriptions start with blanks that only place them on the panel.
    const char* d = description ? description : "";
    while (*d == ' ') d++;
    JsonText(desc, sizeof desc, d);
    JsonText(firmware, sizeof firmware, szVersion);
    JsonText(dev, sizeof dev, port ? port : "");
    char payload[MSG_LEN];
    int n = std::snprintf(payload, MSG_LEN,
                          "{\"description\":\"%s\",\"line_length\":%d,\"board_type\":%d,\"ccd_type\":%d,"
                          "\"resolution\":%d,\"firmware\":\"%s\",\"port\":\"%s\"}",
                          desc, static_cast<int>(ccdmaxpixel), static_cast<int>(pcbtype), static_cast<int>(ccdtype),
                          static_cast<int>(ccdresolution), firmware, dev);
    MqttClientKeep(SLOT_IDENTITY, payload, n);
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

const char* MqttState(void) { return MqttClientState(); }

int MqttStateChanged(void) { return MqttClientStateChanged(); }

int MqttActive(void) { return MqttClientActive(); }

int MqttConnected(void) { return MqttClientConnected(); }

unsigned long MqttDropped(void) { return MqttClientDropped(); }
