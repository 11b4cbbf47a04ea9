// The publishing client (mqtt_client.h): libmosquitto and the client's two
// threads.
//
// Two threads of the client meet the program's one thread here: a network
// thread that owns the connection (the broker's name looked up, connect,
// reconnect with back-off, socket I/O through the library's loop) and a
// sender that takes preformatted messages off a bounded ring and hands them
// to the library. The program's thread only enqueues under a short lock, so
// a slow or absent broker never delays it: when the ring is full the oldest
// message is dropped and counted.
//
// The network thread drives the library's loop itself instead of leaving it
// to the library's own thread: only so does every outcome of a connect show
// (a refused TLS connection otherwise leaves the library's thread spinning
// on a dead socket, a failed TLS handshake ends it), and a name server that
// does not answer never holds the program's thread or a stop.
//
// The retained slots are not queued: each keeps its latest payload and a
// "to send" mark, so they are never dropped and are sent again after every
// reconnect. A slot changed after a message was queued goes out after that
// message: a final status never overtakes the measurements before it.
//
// [SECTION] Ring and slots
// [SECTION] The network thread
// [SECTION] The sender
// [SECTION] Start and stop
// [SECTION] State

#include "outputs/mqtt_client.h"

#include <mosquitto.h>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

const int TOPIC_LEN = MQTT_PREFIX_LEN + MQTT_LEAF_LEN;  // "prefix/leaf"
const int IN_FLIGHT_MAX = 64;                           // handed to the library but not yet on the socket
const double STOP_FLUSH = 2.0;                          // seconds a stop gives the queue to reach a connected broker
const double STOP_ACK = 1.0;                            // seconds it waits for the broker to take the last words
const int KEEPALIVE = 30;                               // seconds between pings of an idle connection
const double BACKOFF_FIRST = 1.0;                       // seconds before the first retry
const double BACKOFF_LAST = 30.0;                       // and the longest wait between two
const double CONNECT_LIMIT = 15.0;                      // seconds a connect may take up to the broker's answer
const int LOOP_MS = 100;                                // the network loop looks at a stop this often

enum State {
    S_OFF,
    S_CONNECTING,
    S_UNREACHABLE,
    S_CONNECTED,
    S_LOST,
    S_REFUSED_AUTH,
    S_REFUSED,
    S_HOST_NOT_FOUND,
    S_TLS_UNTRUSTED,
    S_TLS_NAME,
    S_TLS_FAILED,
};

// What the library said about a TLS handshake that failed, from its log.
enum TlsVerdict { TLS_NONE, TLS_UNTRUSTED, TLS_NAME, TLS_OTHER };

struct Message {
    char leaf[MQTT_LEAF_LEN];
    int len;
    int qos;
    char payload[MQTT_PAYLOAD_LEN];
};

struct Retained {
    char leaf[MQTT_LEAF_LEN];
    char payload[MQTT_PAYLOAD_LEN];
    int len = 0;
    bool pending = false;          // changed since it was last handed over
    unsigned long long after = 0;  // goes out once this many queued messages have been taken
};

Message g_ring[MQTT_QUEUE_LEN];  // under g_lock
int g_head = 0, g_count = 0;
unsigned long long g_queuedTotal = 0;  // messages ever put on the ring, under g_lock
unsigned long long g_takenTotal = 0;   // and ever taken off it or dropped, under g_lock
Retained g_slots[MQTT_SLOTS];          // under g_lock
int g_slotCount = 0;
char g_droppedLeaf[MQTT_LEAF_LEN] = "";  // "" when the count is not published
MqttCountPayload g_droppedPayload = nullptr;
// The count last published; none yet means that 0 goes out at the first connect.
const unsigned long DROPPED_NONE = ULONG_MAX;
unsigned long g_droppedSent = DROPPED_NONE;

std::mutex g_lock;
std::condition_variable g_wake;  // the sender: something to send, or a stop
std::thread g_sender;
std::thread g_network;
std::atomic<bool> g_stopping{false};     // the sender ends
std::atomic<bool> g_netStopping{false};  // the network thread ends
std::mutex g_netLock;
std::condition_variable g_netWake;  // a back-off or a look-up wait ends early for a stop
int g_inFlight = 0;

mosquitto* g_mosq = nullptr;
bool g_started = false;  // program thread only
std::atomic<int> g_state{S_OFF};
std::atomic<unsigned> g_stateSerial{0};
unsigned g_stateSeen = 0;  // program thread only
std::atomic<unsigned long> g_dropped{0};
std::atomic<bool> g_everConnected{false};
std::atomic<int> g_tlsVerdict{TLS_NONE};  // network thread
std::atomic<int> g_connack{-1};           // the broker's answer to the connect under way; -1 none yet

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

// A slot that may go now: changed, and every message queued before the
// change taken. Called with the lock held.
bool SlotDue(const Retained& r)
{
    return r.pending && r.after <= g_takenTotal;
}

bool SlotPending()
{
    for (int i = 0; i < g_slotCount; i++)
        if (g_slots[i].pending) return true;
    return false;
}

bool SomethingDue()
{
    for (int i = 0; i < g_slotCount; i++)
        if (SlotDue(g_slots[i])) return true;
    return g_count > 0 || DroppedChanged();
}

// The oldest message off the ring. Called with the lock held.
void DropOldest()
{
    g_head = (g_head + 1) % MQTT_QUEUE_LEN;
    g_count--;
    g_takenTotal++;
}

// Takes one thing to send: the slots that are due in their order, then the
// dropped count, then the oldest queued message. Called with the lock held;
// false when there is nothing.
bool TakeNext(Message& out, bool& retain)
{
    for (int i = 0; i < g_slotCount; i++) {
        Retained& r = g_slots[i];
        if (SlotDue(r)) {
            r.pending = false;
            std::strcpy(out.leaf, r.leaf);
            out.len = r.len;
            out.qos = 1;
            std::memcpy(out.payload, r.payload, out.len);
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
        out.qos = 1;
        retain = true;
        return true;
    }
    if (g_count == 0) return false;
    const Message& m = g_ring[g_head];
    std::strcpy(out.leaf, m.leaf);
    out.len = m.len;
    out.qos = m.qos;
    std::memcpy(out.payload, m.payload, m.len);
    DropOldest();
    retain = false;
    return true;
}

// Everything taken by the sender and written to the socket (QoS 0) or
// acknowledged (QoS 1). Called with the lock held.
bool Drained()
{
    return g_count == 0 && g_inFlight == 0 && !SlotPending() && !DroppedChanged();
}

// ---- [SECTION] The network thread ---------------------------------------------------------------

void OnConnect(mosquitto*, void*, int rc)
{
    g_connack = rc;
    if (rc != 0) return;  // the network thread says which refusal
    {
        std::lock_guard<std::mutex> l(g_lock);
        g_inFlight = 0;
        // A broker that was restarted may have lost them: send them again.
        for (int i = 0; i < g_slotCount; i++) {
            g_slots[i].pending = g_slots[i].len > 0;
            g_slots[i].after = 0;
        }
    }
    g_everConnected = true;
    SetState(S_CONNECTED);
    g_wake.notify_one();
}

void OnDisconnect(mosquitto*, void*, int)
{
    std::lock_guard<std::mutex> l(g_lock);
    // Handed over but never written: lost with the connection.
    g_dropped.fetch_add(static_cast<unsigned long>(g_inFlight));
    g_inFlight = 0;
}

void OnPublish(mosquitto*, void*, int)
{
    {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_inFlight > 0) g_inFlight--;
    }
    g_wake.notify_one();
}

// The library names a failed TLS handshake only in its log: an untrusted
// certificate and a name the certificate is not for are told apart there.
void OnLog(mosquitto*, void*, int level, const char* text)
{
    if (level != MOSQ_LOG_ERR || !text) return;
    if (std::strstr(text, "host name verification failed"))
        g_tlsVerdict = TLS_NAME;
    else if (std::strstr(text, "certificate verify failed") && g_tlsVerdict != TLS_NAME)
        g_tlsVerdict = TLS_UNTRUSTED;
    else if (std::strstr(text, "OpenSSL Error") && g_tlsVerdict == TLS_NONE)
        g_tlsVerdict = TLS_OTHER;
}

// Waits `seconds` or until a stop: false on a stop.
bool Pause(double seconds)
{
    std::unique_lock<std::mutex> l(g_netLock);
    return !g_netWake.wait_for(l, std::chrono::duration<double>(seconds), [] { return g_netStopping.load(); });
}

// The broker's name looked up on a thread of its own: a name server that
// does not answer holds neither the program nor a stop. A look-up given up
// on finishes by itself and frees what it shares.
struct LookUp {
    std::mutex lock;
    bool done = false;
    int result = 0;
};

// 1 found, 0 not found, -1 stopped meanwhile.
int LookUpHost(const char* host)
{
    auto job = std::make_shared<LookUp>();
    std::string name = host;
    std::thread([job, name] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        int rc = getaddrinfo(name.c_str(), nullptr, &hints, &found);
        if (found) freeaddrinfo(found);
        {
            std::lock_guard<std::mutex> l(job->lock);
            job->done = true;
            job->result = rc;
        }
        g_netWake.notify_all();
    }).detach();
    for (;;) {
        {
            std::lock_guard<std::mutex> l(job->lock);
            if (job->done) return job->result == 0 ? 1 : 0;
        }
        if (g_netStopping) return -1;
        std::unique_lock<std::mutex> l(g_netLock);
        g_netWake.wait_for(l, std::chrono::milliseconds(LOOP_MS));
    }
}

// The state a failed connect leaves, from the library's code.
int FailedState(int rc)
{
    if (rc == MOSQ_ERR_EAI) return S_HOST_NOT_FOUND;
    if (rc == MOSQ_ERR_TLS || g_tlsVerdict != TLS_NONE) {
        switch (g_tlsVerdict.load()) {
            case TLS_UNTRUSTED: return S_TLS_UNTRUSTED;
            case TLS_NAME: return S_TLS_NAME;
            default: return S_TLS_FAILED;
        }
    }
    return S_UNREACHABLE;
}

// A connect that has not been answered yet and whose socket the peer has
// closed or refused: the library would loop on it for ever.
bool SocketDead()
{
    int fd = mosquitto_socket(g_mosq);
    if (fd < 0) return true;
    pollfd p{fd, POLLIN | POLLOUT, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return true;
    int error = 0;
    socklen_t len = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error != 0;
}

enum Outcome { O_FAILED, O_LOST, O_STOPPED };

// One connection from the look-up of the name to its end.
int Connection()
{
    // A broker that was there and is not reachable again stays "lost"
    // through the retries, as one that never was stays "not reachable".
    const bool wasLost = g_state.load() == S_LOST;
    auto failed = [wasLost](int s) { SetState(s == S_UNREACHABLE && wasLost ? S_LOST : s); };
    int looked = LookUpHost(g_target.host);
    if (looked < 0) return O_STOPPED;
    if (looked == 0) {
        SetState(S_HOST_NOT_FOUND);
        return O_FAILED;
    }
    g_tlsVerdict = TLS_NONE;
    g_connack = -1;
    int rc = mosquitto_connect_async(g_mosq, g_target.host, g_target.port, KEEPALIVE);
    if (rc != MOSQ_ERR_SUCCESS) {
        failed(FailedState(rc));
        return O_FAILED;
    }
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(CONNECT_LIMIT);
    for (;;) {
        if (g_netStopping) return O_STOPPED;
        const int connack = g_connack.load();
        if (connack > 0) {
            // 4: bad user name or password, 5: not authorised (MQTT 3.1.1).
            SetState(connack == 4 || connack == 5 ? S_REFUSED_AUTH : S_REFUSED);
            mosquitto_disconnect(g_mosq);
            mosquitto_loop(g_mosq, 0, 1);
            return O_FAILED;
        }
        if (connack < 0 && (SocketDead() || std::chrono::steady_clock::now() > limit)) {
            failed(FailedState(MOSQ_ERR_CONN_REFUSED));
            mosquitto_disconnect(g_mosq);
            return O_FAILED;
        }
        rc = mosquitto_loop(g_mosq, LOOP_MS, 1);
        if (rc == MOSQ_ERR_SUCCESS) continue;
        if (g_netStopping) return O_STOPPED;
        if (g_connack.load() == 0) {
            SetState(S_LOST);
            return O_LOST;
        }
        if (g_connack.load() < 0) {
            failed(FailedState(rc));
            return O_FAILED;
        }
    }
}

void NetworkThread()
{
    double backoff = BACKOFF_FIRST;
    for (;;) {
        int outcome = Connection();
        if (outcome == O_STOPPED || g_netStopping) break;
        // A connection that was up is tried again soon; failures back off.
        if (outcome == O_LOST) backoff = BACKOFF_FIRST;
        if (!Pause(backoff)) break;
        backoff = backoff * 2 < BACKOFF_LAST ? backoff * 2 : BACKOFF_LAST;
    }
    // The DISCONNECT goes out, so the broker keeps the last words and
    // does not send the last will.
    mosquitto_disconnect(g_mosq);
    for (int i = 0; i < 3 && mosquitto_want_write(g_mosq); i++) mosquitto_loop(g_mosq, 10, 1);
}

// ---- [SECTION] The sender -----------------------------------------------------------------------

void Send(const Message& m, bool retain)
{
    char topic[TOPIC_LEN];
    std::snprintf(topic, sizeof topic, "%s/%s", g_target.prefix, m.leaf);
    if (mosquitto_publish(g_mosq, nullptr, topic, m.len, m.payload, m.qos, retain) != MOSQ_ERR_SUCCESS) {
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
            return SomethingDue();
        });
        if (g_stopping) return;
        bool retain = false;
        if (!TakeNext(msg, retain)) continue;
        g_inFlight++;
        l.unlock();
        Send(msg, retain);
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
    // Publishing from the sender while the network thread runs the loop.
    mosquitto_threaded_set(g_mosq, true);
    mosquitto_connect_callback_set(g_mosq, OnConnect);
    mosquitto_disconnect_callback_set(g_mosq, OnDisconnect);
    mosquitto_publish_callback_set(g_mosq, OnPublish);
    mosquitto_log_callback_set(g_mosq, OnLog);
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

// A program that ends without stopping the client (an early return, exit())
// must not take the process down with a thread still running.
void StopAtExit()
{
    MqttClientStop(nullptr, nullptr, 0);
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
        g_queuedTotal = g_takenTotal = 0;
        for (Retained& r : g_slots) r = Retained{};
        g_droppedSent = DROPPED_NONE;
        g_stopping = false;
        if (!TakeTopics(setup, error, size)) return -1;
    }
    g_target = setup->target;

    static bool libraryReady = false;
    if (!libraryReady) {
        mosquitto_lib_init();
        std::atexit(StopAtExit);
        libraryReady = true;
    }
    const char* id = setup->clientId && setup->clientId[0] ? setup->clientId : nullptr;
    g_mosq = mosquitto_new(id, true, nullptr);
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
    g_everConnected = false;
    g_netStopping = false;
    SetState(S_CONNECTING);
    g_stateSeen = g_stateSerial.load();
    // The connection is made on the network thread, the broker's name looked
    // up there too: a broker that is not there yet is no error.
    g_network = std::thread(NetworkThread);
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
    {
        std::lock_guard<std::mutex> l(g_netLock);
        g_netStopping = true;
    }
    g_netWake.notify_all();
    g_network.join();
    mosquitto_destroy(g_mosq);
    g_mosq = nullptr;
    g_started = false;
    SetState(S_OFF);
}

int MqttClientQueue(const char* leaf, const char* payload, int len, int qos)
{
    if (!g_started || !leaf || std::strlen(leaf) >= static_cast<size_t>(MQTT_LEAF_LEN) || len < 0 ||
        len > MQTT_PAYLOAD_LEN)
        return -1;
    {
        std::lock_guard<std::mutex> l(g_lock);
        if (g_count == MQTT_QUEUE_LEN) {
            // The broker is slow or away: the oldest goes, the caller does not wait.
            DropOldest();
            g_dropped.fetch_add(1);
        }
        Message& m = g_ring[(g_head + g_count) % MQTT_QUEUE_LEN];
        std::strcpy(m.leaf, leaf);
        m.len = len;
        m.qos = qos == 1 ? 1 : 0;
        std::memcpy(m.payload, payload, len);
        g_count++;
        g_queuedTotal++;
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
        r.after = g_queuedTotal;
    }
    g_wake.notify_one();
    return 0;
}

// ---- [SECTION] State ----------------------------------------------------------------------------

const char* MqttLibraryVersion(void)
{
    static char text[32];
    int major = 0, minor = 0, revision = 0;
    mosquitto_lib_version(&major, &minor, &revision);
    std::snprintf(text, sizeof text, "%d.%d.%d", major, minor, revision);
    return text;
}

const char* MqttClientState(void)
{
    const char* host = g_target.host;
    const int port = g_target.port;
    char* t = g_stateText;
    const int n = sizeof g_stateText;
    switch (g_state.load()) {
        case S_CONNECTING: std::snprintf(t, n, "MQTT: connecting to %s:%d ...", host, port); break;
        case S_UNREACHABLE: std::snprintf(t, n, "MQTT: broker %s:%d not reachable, retrying ...", host, port); break;
        case S_CONNECTED: std::snprintf(t, n, "MQTT: connected to %s:%d", host, port); break;
        case S_LOST: std::snprintf(t, n, "MQTT: broker %s:%d lost, reconnecting ...", host, port); break;
        case S_REFUSED_AUTH: std::snprintf(t, n, "MQTT: broker %s:%d refused the credentials", host, port); break;
        case S_REFUSED: std::snprintf(t, n, "MQTT: broker %s:%d refused the connection", host, port); break;
        case S_HOST_NOT_FOUND: std::snprintf(t, n, "MQTT: broker host not found: %s, retrying ...", host); break;
        case S_TLS_UNTRUSTED:
            std::snprintf(t, n, "MQTT: broker %s:%d: TLS: certificate not trusted, retrying ...", host, port);
            break;
        case S_TLS_NAME:
            std::snprintf(t, n, "MQTT: broker %s:%d: TLS: the certificate is not for this host name, retrying ...",
                          host, port);
            break;
        case S_TLS_FAILED:
            std::snprintf(t, n, "MQTT: broker %s:%d: TLS: handshake failed, retrying ...", host, port);
            break;
        default: std::snprintf(t, n, "MQTT: off"); break;
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

int MqttClientEverConnected(void)
{
    return g_everConnected ? 1 : 0;
}

unsigned long MqttClientDropped(void)
{
    return g_dropped.load();
}
