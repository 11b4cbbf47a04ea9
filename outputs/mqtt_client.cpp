// The publishing client (mqtt_client.h): libmosquitto and the client's two
// threads.
//
// Two threads of the client meet the program's one thread here: the
// library's network loop (connect, reconnect with back-off, socket I/O) and
// a sender that takes preformatted messages off a bounded ring and hands
// them to the library. The program's thread only enqueues under a short
// lock, so a slow or absent broker never delays it: when the ring is full
// the oldest message is dropped and counted.
//
// The retained slots are not queued: each keeps its latest payload and a
// "to send" mark, so they are never dropped and are sent again after every
// reconnect.
//
// [SECTION] Ring and slots
// [SECTION] The client's threads
// [SECTION] Start and stop
// [SECTION] State

#include "outputs/mqtt_client.h"

#include <mosquitto.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

const int TOPIC_LEN = MQTT_PREFIX_LEN + MQTT_LEAF_LEN;  // "prefix/leaf"
const int IN_FLIGHT_MAX = 64;                           // handed to the library but not yet on the socket
const double STOP_FLUSH = 2.0;                          // seconds a stop gives the queue to reach a connected broker
const double STOP_ACK = 1.0;                            // seconds it waits for the broker to take the last words

enum State { S_OFF, S_CONNECTING, S_UNREACHABLE, S_CONNECTED, S_LOST, S_REFUSED_AUTH, S_REFUSED };

struct Message {
    char leaf[MQTT_LEAF_LEN];
    int len;
    char payload[MQTT_PAYLOAD_LEN];
};

struct Retained {
    char leaf[MQTT_LEAF_LEN];
    char payload[MQTT_PAYLOAD_LEN];
    int len = 0;
    bool pending = false;  // changed since it was last handed over
};

Message g_ring[MQTT_QUEUE_LEN];  // under g_lock
int g_head = 0, g_count = 0;
Retained g_slots[MQTT_SLOTS];  // under g_lock
int g_slotCount = 0;
char g_droppedLeaf[MQTT_LEAF_LEN] = "";  // "" when the count is not published
MqttCountPayload g_droppedPayload = nullptr;
unsigned long g_droppedSent = 0;  // the count last published

std::mutex g_lock;
std::condition_variable g_wake;
std::thread g_sender;
std::atomic<bool> g_stopping{false};
int g_inFlight = 0;

mosquitto* g_mosq = nullptr;
bool g_started = false;  // program thread only
std::atomic<int> g_state{S_OFF};
std::atomic<unsigned> g_stateSerial{0};
unsigned g_stateSeen = 0;  // program thread only
std::atomic<unsigned long> g_dropped{0};

MqttTarget g_target{};
char g_stateText[MQTT_TEXT_LEN] = "";

// A failed retry sets the state it is already in: no change to report.
void SetState(int s)
{
    if (g_state.exchange(s) != s) g_stateSerial.fetch_add(1);
}

// A topic's name under the prefix; false when it does not fit.
bool CopyLeaf(char* out, const char* leaf)
{
    if (!leaf || std::strlen(leaf) >= static_cast<size_t>(MQTT_LEAF_LEN)) return false;
    std::strcpy(out, leaf);
    return true;
}

// ---- [SECTION] Ring and slots -------------------------------------------------------------------

// The dropped count differs from the one last published. Called with the lock held.
bool DroppedChanged()
{
    return g_droppedLeaf[0] && g_dropped.load() != g_droppedSent;
}

bool SlotPending()
{
    for (int i = 0; i < g_slotCount; i++)
        if (g_slots[i].pending) return true;
    return false;
}

// Takes one thing to send: the slots in their order, then the dropped count,
// then the oldest queued message. Called with the lock held; false when there
// is nothing.
bool TakeNext(Message& out, int& qos, bool& retain)
{
    for (int i = 0; i < g_slotCount; i++) {
        Retained& r = g_slots[i];
        if (r.pending) {
            r.pending = false;
            std::strcpy(out.leaf, r.leaf);
            out.len = r.len;
            std::memcpy(out.payload, r.payload, out.len);
            qos = 1;
            retain = true;
            return true;
        }
    }
    if (DroppedChanged()) {
        unsigned long dropped = g_dropped.load();
        g_droppedSent = dropped;
        std::strcpy(out.leaf, g_droppedLeaf);
        out.len = g_droppedPayload(out.payload, MQTT_PAYLOAD_LEN, dropped);
        if (out.len >= MQTT_PAYLOAD_LEN) out.len = MQTT_PAYLOAD_LEN - 1;
        qos = 1;
        retain = true;
        return true;
    }
    if (g_count == 0) return false;
    const Message& m = g_ring[g_head];
    std::strcpy(out.leaf, m.leaf);
    out.len = m.len;
    std::memcpy(out.payload, m.payload, m.len);
    g_head = (g_head + 1) % MQTT_QUEUE_LEN;
    g_count--;
    qos = 0;
    retain = false;
    return true;
}

// Everything taken by the sender and written to the socket (QoS 0) or
// acknowledged (QoS 1). Called with the lock held.
bool Drained()
{
    return g_count == 0 && g_inFlight == 0 && !SlotPending() && !DroppedChanged();
}

// ---- [SECTION] The client's threads -------------------------------------------------------------

void OnConnect(mosquitto*, void*, int rc)
{
    if (rc == 0) {
        {
            std::lock_guard<std::mutex> l(g_lock);
            g_inFlight = 0;
            // A broker that was restarted may have lost them: send them again.
            for (int i = 0; i < g_slotCount; i++) g_slots[i].pending = g_slots[i].len > 0;
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

void Send(const Message& m, int qos, bool retain)
{
    char topic[TOPIC_LEN];
    std::snprintf(topic, sizeof topic, "%s/%s", g_target.prefix, m.leaf);
    if (mosquitto_publish(g_mosq, nullptr, topic, m.len, m.payload, qos, retain) != MOSQ_ERR_SUCCESS) {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_inFlight > 0) g_inFlight--;
        if (!retain) g_dropped.fetch_add(1);
    }
}

void SenderThread()
{
    static Message msg;  // this thread's own
    std::unique_lock<std::mutex> l(g_lock);
    for (;;) {
        g_wake.wait(l, [] {
            if (g_stopping) return true;
            if (g_state.load() != S_CONNECTED || g_inFlight >= IN_FLIGHT_MAX) return false;
            return g_count > 0 || SlotPending() || DroppedChanged();
        });
        if (g_stopping) return;
        int qos = 0;
        bool retain = false;
        if (!TakeNext(msg, qos, retain)) continue;
        g_inFlight++;
        l.unlock();
        Send(msg, qos, retain);
        l.lock();
    }
}

// ---- [SECTION] Start and stop -------------------------------------------------------------------

bool Fail(char* error, int size, const char* what, int rc)
{
    std::snprintf(error, size, "%s: %s", what, mosquitto_strerror(rc));
    return false;
}

bool Configure(const MqttClientSetup* setup, char* error, int size)
{
    const char* user = setup->user ? setup->user : "";
    const char* password = setup->password ? setup->password : "";
    int rc = mosquitto_int_option(g_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (rc != MOSQ_ERR_SUCCESS) return Fail(error, size, "MQTT protocol version", rc);
    if (user[0] && (rc = mosquitto_username_pw_set(g_mosq, user, password[0] ? password : nullptr)))
        return Fail(error, size, "MQTT credentials", rc);
    if (setup->target.tls && (rc = mosquitto_tls_set(g_mosq, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr)))
        return Fail(error, size, "MQTT TLS set-up", rc);
    if (setup->willLeaf) {
        char topic[TOPIC_LEN];
        std::snprintf(topic, sizeof topic, "%s/%s", setup->target.prefix, setup->willLeaf);
        const char* will = setup->willPayload ? setup->willPayload : "";
        if ((rc = mosquitto_will_set(g_mosq, topic, static_cast<int>(std::strlen(will)), will, 1, true)))
            return Fail(error, size, "MQTT last will", rc);
    }
    mosquitto_reconnect_delay_set(g_mosq, 1, 30, true);
    mosquitto_connect_callback_set(g_mosq, OnConnect);
    mosquitto_disconnect_callback_set(g_mosq, OnDisconnect);
    mosquitto_publish_callback_set(g_mosq, OnPublish);
    return true;
}

// The topics of the slots and the dropped count, checked before anything starts.
bool TakeTopics(const MqttClientSetup* setup, char* error, int size)
{
    int n = 0;
    while (n < MQTT_SLOTS && setup->slots[n]) n++;
    for (int i = 0; i < n; i++) {
        if (!CopyLeaf(g_slots[i].leaf, setup->slots[i])) {
            std::snprintf(error, size, "MQTT topic name too long: %s", setup->slots[i]);
            return false;
        }
    }
    g_slotCount = n;
    g_droppedLeaf[0] = '\0';
    g_droppedPayload = nullptr;
    if (setup->droppedLeaf && setup->droppedPayload) {
        if (!CopyLeaf(g_droppedLeaf, setup->droppedLeaf)) {
            std::snprintf(error, size, "MQTT topic name too long: %s", setup->droppedLeaf);
            return false;
        }
        g_droppedPayload = setup->droppedPayload;
    }
    return true;
}

}  // namespace

int MqttClientStart(const MqttClientSetup* setup, char* error, int size)
{
    if (g_started) MqttClientStop(nullptr, nullptr, 0);
    if (!setup) {
        std::snprintf(error, size, "no MQTT set-up");
        return -1;
    }
    {
        std::lock_guard<std::mutex> l(g_lock);
        g_head = g_count = g_inFlight = 0;
        for (Retained& r : g_slots) r = Retained{};
        g_droppedSent = 0;
        g_stopping = false;
        if (!TakeTopics(setup, error, size)) return -1;
    }
    g_target = setup->target;

    static bool libraryReady = false;
    if (!libraryReady) {
        mosquitto_lib_init();
        libraryReady = true;
    }
    g_mosq = mosquitto_new(nullptr, true, nullptr);
    if (!g_mosq) {
        std::snprintf(error, size, "cannot create the MQTT client: %s", std::strerror(errno));
        return -1;
    }
    if (!Configure(setup, error, size)) {  // the library keeps its own copy of the password
        mosquitto_destroy(g_mosq);
        g_mosq = nullptr;
        return -1;
    }
    g_dropped.store(0);
    SetState(S_CONNECTING);
    g_stateSeen = g_stateSerial.load();
    // The network thread first: a connect that fails at once (nobody
    // listening on a local port) is then retried by that thread with
    // back-off, where a connect made before it would be given up for good.
    // A broker that is not there yet is no error.
    int rc = mosquitto_loop_start(g_mosq);
    if (rc == MOSQ_ERR_SUCCESS) mosquitto_connect_async(g_mosq, g_target.host, g_target.port, 30);
    if (rc != MOSQ_ERR_SUCCESS) {
        Fail(error, size, "cannot start the MQTT network thread", rc);
        mosquitto_destroy(g_mosq);
        g_mosq = nullptr;
        SetState(S_OFF);
        return -1;
    }
    g_sender = std::thread(SenderThread);
    g_started = true;
    return 0;
}

void MqttClientStop(const char* leaf, const char* payload, int len)
{
    if (!g_started) return;
    // What is queued goes out before the last words while the broker is
    // there: a run that ends (a count reached, Ctrl-C) would otherwise lose
    // its last messages, and a short one all of them while its first
    // connection is still being made. A broker that is away, refuses or
    // stalls costs at most STOP_FLUSH.
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
        // Left behind by the flush: counted, so MqttClientDropped tells the whole loss.
        g_dropped.fetch_add(static_cast<unsigned long>(g_count));
        g_count = 0;
    }
    g_wake.notify_one();
    g_sender.join();
    bool connected = g_state.load() == S_CONNECTED;
    if (connected && leaf) {
        char topic[TOPIC_LEN];
        std::snprintf(topic, sizeof topic, "%s/%s", g_target.prefix, leaf);
        {
            std::lock_guard<std::mutex> l(g_lock);
            g_inFlight++;
        }
        if (mosquitto_publish(g_mosq, nullptr, topic, len, payload, 1, true) == MOSQ_ERR_SUCCESS) {
            // Its acknowledgement must be in before the DISCONNECT goes: the
            // library takes one that comes after as a protocol error and
            // drops the connection unannounced, and the broker then puts the
            // last will over the last words.
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

int MqttClientQueue(const char* leaf, const char* payload, int len)
{
    if (!g_started || !leaf || std::strlen(leaf) >= static_cast<size_t>(MQTT_LEAF_LEN) || len < 0 ||
        len > MQTT_PAYLOAD_LEN)
        return -1;
    {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_count == MQTT_QUEUE_LEN) {
            // The broker is slow or away: the oldest goes, the caller does not wait.
            g_head = (g_head + 1) % MQTT_QUEUE_LEN;
            g_count--;
            g_dropped.fetch_add(1);
        }
        Message& m = g_ring[(g_head + g_count) % MQTT_QUEUE_LEN];
        std::strcpy(m.leaf, leaf);
        m.len = len;
        std::memcpy(m.payload, payload, len);
        g_count++;
    }
    g_wake.notify_one();
    return 0;
}

int MqttClientKeep(int slot, const char* payload, int len)
{
    if (!g_started || slot < 0 || slot >= g_slotCount || len < 0 || len > MQTT_PAYLOAD_LEN) return -1;
    {
        std::lock_guard<std::mutex> l(g_lock);
        Retained& r = g_slots[slot];
        std::memcpy(r.payload, payload, len);
        r.len = len;
        r.pending = true;
    }
    g_wake.notify_one();
    return 0;
}

// ---- [SECTION] State ----------------------------------------------------------------------------

const char* MqttClientState(void)
{
    const char* host = g_target.host;
    const int port = g_target.port;
    switch (g_state.load()) {
        case S_CONNECTING:
            std::snprintf(g_stateText, sizeof g_stateText, "MQTT: connecting to %s:%d ...", host, port);
            break;
        case S_UNREACHABLE:
            std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d not reachable, retrying ...", host,
                          port);
            break;
        case S_CONNECTED: std::snprintf(g_stateText, sizeof g_stateText, "MQTT: connected to %s:%d", host, port); break;
        case S_LOST:
            std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d lost, reconnecting ...", host, port);
            break;
        case S_REFUSED_AUTH:
            std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d refused the credentials", host, port);
            break;
        case S_REFUSED:
            std::snprintf(g_stateText, sizeof g_stateText, "MQTT: broker %s:%d refused the connection", host, port);
            break;
        default: std::snprintf(g_stateText, sizeof g_stateText, "MQTT: off"); break;
    }
    return g_stateText;
}

int MqttClientStateChanged(void)
{
    unsigned now = g_stateSerial.load();
    if (now == g_stateSeen) return 0;
    g_stateSeen = now;
    return 1;
}

int MqttClientActive(void)
{
    return g_started ? 1 : 0;
}

int MqttClientConnected(void)
{
    return g_state.load() == S_CONNECTED;
}

unsigned long MqttClientDropped(void)
{
    return g_dropped.load();
}
