// Publishing to an MQTT broker through libmosquitto.
//
// Two threads of the client meet the program's one thread here: the
// library's network loop (connect, reconnect with back-off, socket I/O) and
// a sender that takes preformatted messages off a bounded ring and hands
// them to the library. The program's thread only formats and enqueues under
// a short lock, so a slow or absent broker never delays an exchange: when
// the ring is full the oldest measurement is dropped and counted.
//
// The retained topics (identity, parameters, status) are not queued: each
// keeps its latest payload and a "to send" mark, so they are never dropped
// and are sent again after every reconnect.
#include "outputs/outputs.h"

#include "app/state.h"

#include <mosquitto.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

const int QUEUE_LEN = 1000;           // measurements and pictures waiting for the broker
const int MSG_LEN = 2400;             // a picture: the measurement and 256 samples
const int TOPIC_LEN = 256;
const int IN_FLIGHT_MAX = 64;         // handed to the library but not yet on the socket
const int TEXT_LEN = 512;
const double STOP_FLUSH = 2.0;        // seconds MqttStop gives the queue to reach a connected broker
const double STOP_ACK = 1.0;          // seconds it waits for the broker to take "offline"

enum Kind { K_MEASUREMENT, K_VIDEO };
enum State { S_OFF, S_CONNECTING, S_UNREACHABLE, S_CONNECTED, S_LOST, S_REFUSED_AUTH, S_REFUSED };

struct Message {
    int kind;
    int len;
    char payload[MSG_LEN];
};

struct Retained {
    char payload[MSG_LEN];
    int len = 0;
    bool pending = false;             // changed since it was last handed over
};

Message g_ring[QUEUE_LEN];            // under g_lock
int g_head = 0, g_count = 0;
Retained g_identity, g_parameters, g_status;
char g_statusText[TEXT_LEN] = "";
unsigned long g_droppedSent = 0;      // the count last published

std::mutex g_lock;
std::condition_variable g_wake;
std::thread g_sender;
std::atomic<bool> g_stopping{false};
int g_inFlight = 0;

mosquitto* g_mosq = nullptr;
bool g_started = false;               // program thread only
std::atomic<int> g_state{S_OFF};
std::atomic<unsigned> g_stateSerial{0};
unsigned g_stateSeen = 0;             // program thread only
std::atomic<unsigned long> g_dropped{0};
unsigned long g_sequence = 0;         // program thread only

char g_host[TOPIC_LEN] = "";
int g_port = 0;
char g_prefix[TOPIC_LEN] = "";
char g_error[TEXT_LEN] = "";
char g_stateText[TEXT_LEN] = "";

// A failed retry sets the state it is already in: no change to report.
void SetState(int s)
{
    if (g_state.exchange(s) != s) g_stateSerial.fetch_add(1);
}

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

void Enqueue(int kind, const char* payload, int len)
{
    {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_count == QUEUE_LEN) {
            // The broker is slow or away: the oldest goes, the line does not wait.
            g_head = (g_head + 1) % QUEUE_LEN;
            g_count--;
            g_dropped.fetch_add(1);
        }
        Message& m = g_ring[(g_head + g_count) % QUEUE_LEN];
        m.kind = kind;
        m.len = len;
        std::memcpy(m.payload, payload, len);
        g_count++;
    }
    g_wake.notify_one();
}

void SetRetained(Retained& r, const char* payload, int len)
{
    {
        std::lock_guard<std::mutex> l(g_lock);
        std::memcpy(r.payload, payload, len);
        r.len = len;
        r.pending = true;
    }
    g_wake.notify_one();
}

int StatusPayload(char* out, int size, const char* state)
{
    char text[TEXT_LEN * 2];
    JsonText(text, sizeof text, g_statusText);
    return std::snprintf(out, size, "{\"state\":\"%s\",\"text\":\"%s\"}", state, text);
}

// ---- The client's threads ---------------------------------------------------------------

void OnConnect(mosquitto*, void*, int rc)
{
    if (rc == 0) {
        {
            std::lock_guard<std::mutex> l(g_lock);
            g_inFlight = 0;
            // A broker that was restarted may have lost them: send them again.
            g_identity.pending = g_identity.len > 0;
            g_parameters.pending = g_parameters.len > 0;
            g_status.len = StatusPayload(g_status.payload, MSG_LEN, "online");
            g_status.pending = true;
        }
        SetState(S_CONNECTED);
        g_wake.notify_one();
    } else {
        // 4: bad user name or password, 5: not authorised (MQTT 3.1.1).
        SetState(rc == 4 || rc == 5 ? S_REFUSED_AUTH : S_REFUSED);
    }
}

void OnDisconnect(mosquitto*, void*, int)
{
    {
        std::lock_guard<std::mutex> l(g_lock);
        // Handed over but never written: lost with the connection.
        g_dropped.fetch_add(static_cast<unsigned long>(g_inFlight));
        g_inFlight = 0;
    }
    int s = g_state.load();
    if (s == S_REFUSED_AUTH || s == S_REFUSED || g_stopping) return;
    // Every failed attempt ends here too: a broker never reached is not lost.
    SetState(s == S_CONNECTING || s == S_UNREACHABLE ? S_UNREACHABLE : S_LOST);
}

void OnPublish(mosquitto*, void*, int)
{
    {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_inFlight > 0) g_inFlight--;
    }
    g_wake.notify_one();
}

void Send(const char* leaf, const char* payload, int len, int qos, bool retain)
{
    char topic[TOPIC_LEN * 2];
    std::snprintf(topic, sizeof topic, "%s/%s", g_prefix, leaf);
    if (mosquitto_publish(g_mosq, nullptr, topic, len, payload, qos, retain) != MOSQ_ERR_SUCCESS) {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_inFlight > 0) g_inFlight--;
        if (!retain) g_dropped.fetch_add(1);
    }
}

// Takes one thing to send, retained topics and the dropped count first.
// Called with the lock held; false when there is nothing.
bool TakeNext(char* leaf, Message& out, int& qos, bool& retain)
{
    Retained* const kept[] = {&g_status, &g_identity, &g_parameters};
    const char* const leaves[] = {"status", "identity", "parameters"};
    for (int i = 0; i < 3; i++) {
        if (kept[i]->pending) {
            kept[i]->pending = false;
            std::strcpy(leaf, leaves[i]);
            out.len = kept[i]->len;
            std::memcpy(out.payload, kept[i]->payload, out.len);
            qos = 1;
            retain = true;
            return true;
        }
    }
    unsigned long dropped = g_dropped.load();
    if (dropped != g_droppedSent) {
        g_droppedSent = dropped;
        std::strcpy(leaf, "dropped");
        out.len = std::snprintf(out.payload, MSG_LEN, "{\"dropped\":%lu}", dropped);
        qos = 1;
        retain = true;
        return true;
    }
    if (g_count == 0) return false;
    const Message& m = g_ring[g_head];
    std::strcpy(leaf, m.kind == K_VIDEO ? "video" : "measurement");
    out.len = m.len;
    std::memcpy(out.payload, m.payload, m.len);
    g_head = (g_head + 1) % QUEUE_LEN;
    g_count--;
    qos = 0;
    retain = false;
    return true;
}

void SenderThread()
{
    static Message msg;               // this thread's own
    char leaf[32];
    std::unique_lock<std::mutex> l(g_lock);
    for (;;) {
        g_wake.wait(l, [] {
            if (g_stopping) return true;
            if (g_state.load() != S_CONNECTED || g_inFlight >= IN_FLIGHT_MAX) return false;
            return g_count > 0 || g_status.pending || g_identity.pending || g_parameters.pending ||
                   g_dropped.load() != g_droppedSent;
        });
        if (g_stopping) return;
        int qos = 0;
        bool retain = false;
        if (!TakeNext(leaf, msg, qos, retain)) continue;
        g_inFlight++;
        l.unlock();
        Send(leaf, msg.payload, msg.len, qos, retain);
        l.lock();
    }
}

// "user\npassword\n"; false with g_error set when unreadable or empty.
bool ReadAuth(const char* file, char* user, char* password, int size)
{
    FILE* f = std::fopen(file, "r");
    if (!f) {
        std::snprintf(g_error, sizeof g_error, "cannot read the MQTT credentials file %s: %s", file,
                      std::strerror(errno));
        return false;
    }
    char* lines[2] = {user, password};
    for (char* line : lines) {
        line[0] = '\0';
        if (std::fgets(line, size, f)) line[std::strcspn(line, "\r\n")] = '\0';
    }
    std::fclose(f);
    if (!user[0]) {
        std::snprintf(g_error, sizeof g_error, "the MQTT credentials file %s has no user name on its first line",
                      file);
        return false;
    }
    return true;
}

bool ParseUrl(const char* url, bool& tls)
{
    const char* rest = nullptr;
    if (std::strncmp(url, "mqtt://", 7) == 0) {
        tls = false;
        rest = url + 7;
    } else if (std::strncmp(url, "mqtts://", 8) == 0) {
        tls = true;
        rest = url + 8;
    } else {
        std::snprintf(g_error, sizeof g_error, "the MQTT URL must start with mqtt:// or mqtts://, got '%s'", url);
        return false;
    }
    g_port = tls ? 8883 : 1883;
    const char* slash = std::strchr(rest, '/');
    const char* hostEnd = slash ? slash : rest + std::strlen(rest);
    // user:password@host would put a password into process lists, logs and
    // this very message: it is refused without repeating the URL.
    if (std::memchr(rest, '@', hostEnd - rest)) {
        std::snprintf(g_error, sizeof g_error,
                      "the MQTT URL takes no user name or password: put them in a credentials file");
        return false;
    }
    const char* colon = nullptr;
    const char* hostBegin = rest;
    if (*rest == '[') {   // [IPv6]
        const char* close = std::strchr(rest, ']');
        if (!close || close > hostEnd) {
            std::snprintf(g_error, sizeof g_error, "bad host in the MQTT URL '%s'", url);
            return false;
        }
        hostBegin = rest + 1;
        if (close[1] == ':') colon = close + 1;
        hostEnd = close;
    } else {
        colon = static_cast<const char*>(std::memchr(rest, ':', hostEnd - rest));
        if (colon) hostEnd = colon;
    }
    int hostLen = static_cast<int>(hostEnd - hostBegin);
    if (hostLen <= 0 || hostLen >= TOPIC_LEN) {
        std::snprintf(g_error, sizeof g_error, "no host in the MQTT URL '%s'", url);
        return false;
    }
    std::memcpy(g_host, hostBegin, hostLen);
    g_host[hostLen] = '\0';
    if (colon) {
        char* end = nullptr;
        long p = std::strtol(colon + 1, &end, 10);
        if (end == colon + 1 || p < 1 || p > 65535 || (*end && *end != '/')) {
            std::snprintf(g_error, sizeof g_error, "bad port in the MQTT URL '%s'", url);
            return false;
        }
        g_port = static_cast<int>(p);
    }
    const char* prefix = slash ? slash + 1 : "";
    int len = static_cast<int>(std::strlen(prefix));
    while (len > 0 && prefix[len - 1] == '/') len--;   // "prefix/" means "prefix"
    if (len == 0) {
        prefix = "kvormx";
        len = 6;
    }
    if (len >= TOPIC_LEN - 32 || std::memchr(prefix, '#', len) || std::memchr(prefix, '+', len)) {
        std::snprintf(g_error, sizeof g_error, "the MQTT topic prefix must be short and without # or +, got '%s'",
                      prefix);
        return false;
    }
    std::memcpy(g_prefix, prefix, len);
    g_prefix[len] = '\0';
    return true;
}

bool Fail(const char* what, int rc)
{
    std::snprintf(g_error, sizeof g_error, "%s: %s", what, mosquitto_strerror(rc));
    return false;
}

bool Configure(bool tls, const char* user, const char* password)
{
    int rc = mosquitto_int_option(g_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (rc != MOSQ_ERR_SUCCESS) return Fail("MQTT protocol version", rc);
    if (user[0] && (rc = mosquitto_username_pw_set(g_mosq, user, password[0] ? password : nullptr)))
        return Fail("MQTT credentials", rc);
    if (tls && (rc = mosquitto_tls_set(g_mosq, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr)))
        return Fail("MQTT TLS set-up", rc);
    char topic[TOPIC_LEN * 2], will[128];
    std::snprintf(topic, sizeof topic, "%s/status", g_prefix);
    int len = std::snprintf(will, sizeof will, "{\"state\":\"offline\",\"text\":\"\"}");
    if ((rc = mosquitto_will_set(g_mosq, topic, len, will, 1, true))) return Fail("MQTT last will", rc);
    mosquitto_reconnect_delay_set(g_mosq, 1, 30, true);
    mosquitto_connect_callback_set(g_mosq, OnConnect);
    mosquitto_disconnect_callback_set(g_mosq, OnDisconnect);
    mosquitto_publish_callback_set(g_mosq, OnPublish);
    return true;
}

}  // namespace

// ---- The program's side -------------------------------------------------------------------

int MqttStart(const char* url, const char* authFile)
{
    if (g_started) MqttStop();
    g_error[0] = '\0';
    bool tls = false;
    if (!url || !ParseUrl(url, tls)) return -1;
    char user[TEXT_LEN] = "", password[TEXT_LEN] = "";
    if (authFile && !ReadAuth(authFile, user, password, TEXT_LEN)) return -1;

    static bool libraryReady = false;
    if (!libraryReady) {
        mosquitto_lib_init();
        libraryReady = true;
    }
    g_mosq = mosquitto_new(nullptr, true, nullptr);
    if (!g_mosq) {
        std::snprintf(g_error, sizeof g_error, "cannot create the MQTT client: %s", std::strerror(errno));
        return -1;
    }
    bool configured = Configure(tls, user, password);   // the library keeps its own copy
    std::memset(password, 0, sizeof password);
    if (!configured) {
        mosquitto_destroy(g_mosq);
        g_mosq = nullptr;
        return -1;
    }
    {
        std::lock_guard<std::mutex> l(g_lock);
        g_head = g_count = g_inFlight = 0;
        g_identity = Retained{};
        g_parameters = Retained{};
        g_status = Retained{};
        g_statusText[0] = '\0';
        g_droppedSent = 0;
        g_stopping = false;
    }
    g_dropped.store(0);
    g_sequence = 0;
    SetState(S_CONNECTING);
    g_stateSeen = g_stateSerial.load();
    // The network thread first: a connect that fails at once (nobody
    // listening on a local port) is then retried by that thread with
    // back-off, where a connect made before it would be given up for good.
    // A broker that is not there yet is no error.
    int rc = mosquitto_loop_start(g_mosq);
    if (rc == MOSQ_ERR_SUCCESS) mosquitto_connect_async(g_mosq, g_host, g_port, 30);
    if (rc != MOSQ_ERR_SUCCESS) {
        Fail("cannot start the MQTT network thread", rc);
        mosquitto_destroy(g_mosq);
        g_mosq = nullptr;
        SetState(S_OFF);
        return -1;
    }
    g_sender = std::thread(SenderThread);
    g_started = true;
    return 0;
}

// Everything taken by the sender and written to the socket (QoS 0) or
// acknowledged (QoS 1). Called with the lock held.
static bool Drained()
{
    return g_count == 0 && g_inFlight == 0 && !g_status.pending && !g_identity.pending && !g_parameters.pending &&
           g_dropped.load() == g_droppedSent;
}

void MqttStop(void)
{
    if (!g_started) return;
    // What is queued goes out before "offline" while the broker is there: a
    // run that ends (a count reached, Ctrl-C) would otherwise lose its last
    // replies, and a short one all of them while its first connection is
    // still being made. A broker that is away, refuses or stalls costs at
    // most STOP_FLUSH.
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(STOP_FLUSH);
    for (;;) {
        {
            std::lock_guard<std::mutex> l(g_lock);
            const int s = g_state.load();
            if (s == S_CONNECTED ? Drained() : s != S_CONNECTING) break;
        }
        if (std::chrono::steady_clock::now() > until) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    {
        std::lock_guard<std::mutex> l(g_lock);
        g_stopping = true;
        // Left behind by the flush: counted, so MqttDropped tells the whole loss.
        g_dropped.fetch_add(static_cast<unsigned long>(g_count));
        g_count = 0;
    }
    g_wake.notify_one();
    g_sender.join();
    bool connected = g_state.load() == S_CONNECTED;
    if (connected) {
        char payload[TEXT_LEN * 3];
        int len = StatusPayload(payload, sizeof payload, "offline");
        char topic[TOPIC_LEN * 2];
        std::snprintf(topic, sizeof topic, "%s/status", g_prefix);
        {
            std::lock_guard<std::mutex> l(g_lock);
            g_inFlight++;
        }
        if (mosquitto_publish(g_mosq, nullptr, topic, len, payload, 1, true) == MOSQ_ERR_SUCCESS) {
            // Its acknowledgement must be in before the DISCONNECT goes: the
            // library takes one that comes after as a protocol error and
            // drops the connection unannounced, and the broker then puts the
            // last will (without the status text) over "offline".
            const auto acked = std::chrono::steady_clock::now() + std::chrono::duration<double>(STOP_ACK);
            for (;;) {
                {
                    std::lock_guard<std::mutex> l(g_lock);
                    if (g_inFlight == 0 || g_state.load() != S_CONNECTED) break;
                }
                if (std::chrono::steady_clock::now() > acked) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
    }
    mosquitto_disconnect(g_mosq);
    mosquitto_loop_stop(g_mosq, !connected);
    mosquitto_destroy(g_mosq);
    g_mosq = nullptr;
    g_started = false;
    SetState(S_OFF);
}

const char* MqttError(void) { return g_error; }

void MqttPublishMeasurement(void)
{
    if (!g_started) return;
    char payload[MSG_LEN];
    g_sequence++;
    int n = 1;
    payload[0] = '{';
    n += MeasurementMembers(payload + n, MSG_LEN - n - 2);
    payload[n++] = '}';
    Enqueue(K_MEASUREMENT, payload, n);
}

void MqttPublishVideo(void)
{
    if (!g_started) return;
    char payload[MSG_LEN];
    g_sequence++;
    int n = 1;
    payload[0] = '{';
    n += MeasurementMembers(payload + n, 400);
    n += std::snprintf(payload + n, MSG_LEN - n, ",\"first_pixel\":%d,\"samples\":[",
                       static_cast<int>(ccdMode == 1 ? pStart : 0));
    for (int i = 0; i < 256; i++) n += std::snprintf(payload + n, MSG_LEN - n, i ? ",%d" : "%d", adcbuf[i] & 0x3FF);
    n += std::snprintf(payload + n, MSG_LEN - n, "]}");
    Enqueue(K_VIDEO, payload, n);
}

void MqttPublishParameters(void)
{
    if (!g_started) return;
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
    SetRetained(g_parameters, payload, n);
}

void MqttPublishIdentity(const char* description, const char* port)
{
    if (!g_started) return;
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
    SetRetained(g_identity, payload, n);
}

void MqttPublishStatus(const char* text)
{
    if (!g_started || !text) return;
    char payload[MSG_LEN];
    int n;
    {
        std::lock_guard<std::mutex> l(g_lock);
        if (std::strcmp(text, g_statusText) == 0) return;
        std::snprintf(g_statusText, sizeof g_statusText, "%s", text);
        n = StatusPayload(payload, MSG_LEN, "online");
    }
    SetRetained(g_status, payload, n);
}

const char* MqttState(void)
{
    switch (g_state.load()) {
    case S_CONNECTING:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: connecting to %s:%d ...", g_host, g_port);
        break;
    case S_UNREACHABLE:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d not reachable, retrying ...", g_host,
                      g_port);
        break;
    case S_CONNECTED:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: connected to %s:%d", g_host, g_port);
        break;
    case S_LOST:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d lost, reconnecting ...", g_host, g_port);
        break;
    case S_REFUSED_AUTH:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d refused the credentials", g_host,
                      g_port);
        break;
    case S_REFUSED:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d refused the connection", g_host, g_port);
        break;
    default:
        std::snprintf(g_stateText, sizeof g_stateText, "MQTT: off");
        break;
    }
    return g_stateText;
}

int MqttStateChanged(void)
{
    unsigned now = g_stateSerial.load();
    if (now == g_stateSeen) return 0;
    g_stateSeen = now;
    return 1;
}

int MqttActive(void) { return g_started ? 1 : 0; }

int MqttConnected(void) { return g_state.load() == S_CONNECTED; }

unsigned long MqttDropped(void) { return g_dropped.load(); }
