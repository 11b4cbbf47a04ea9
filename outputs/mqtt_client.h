// A publishing client for one MQTT broker (libmosquitto), knowing nothing of
// what it publishes: the caller names the topics under the prefix and
// formats every payload.
//
// Two kinds of message. Queued ones (QoS 0, not retained) wait in a bounded
// ring for the client's own threads; when the broker is slow or away the
// oldest is dropped and counted, so the caller never waits. Retained ones
// live in slots: each keeps its latest payload and a "to send" mark, is sent
// again after every reconnect and is never dropped. The count of dropped
// messages is published (retained) whenever it changed.
//
// Plain C-style calls for the program's one thread; the network loop and the
// sender run on threads of their own. Every call but MqttClientStart and the
// URL and credentials helpers is a no-op until a start has succeeded.
#pragma once

const int MQTT_QUEUE_LEN = 1000;    // queued messages waiting for the broker
const int MQTT_PAYLOAD_LEN = 2400;  // longest payload: a picture, the measurement and 256 samples
const int MQTT_SLOTS = 4;           // retained topics a client keeps
const int MQTT_LEAF_LEN = 32;       // a topic's name under the prefix, with its terminator
const int MQTT_HOST_LEN = 256;
const int MQTT_PREFIX_LEN = 256;
const int MQTT_TEXT_LEN = 512;  // user name, password, error and state texts

// ---- Where to publish (mqtt_url.cpp) ------------------------------------------------------------

struct MqttTarget {
    char host[MQTT_HOST_LEN];  // name or address, IPv6 without its brackets
    int port;
    int tls;                       // 1 for mqtts://
    char prefix[MQTT_PREFIX_LEN];  // topic prefix, no trailing slash, no wildcards
};

// "mqtt://host[:port]/prefix" or "mqtts://host[:port]/prefix"; default ports
// 1883 and 8883, default prefix "kvormx".
int MqttParseUrl(const char* url, MqttTarget* target, char* error, int size);  // 0, or -1 with the reason in error
// User name on the file's first line, password on its second; each buffer holds `size` bytes.
int MqttReadAuth(const char* file, char* user, char* password, int size, char* error,
                 int errorSize);  // 0, or -1 with the reason in error

// ---- The client (mqtt_client.cpp) ---------------------------------------------------------------

// Formats the dropped count's payload; called on the sender thread with the
// client's lock held, so it only formats.
typedef int (*MqttCountPayload)(char* out, int size, unsigned long count);

struct MqttClientSetup {
    MqttTarget target;     // broker and prefix, as MqttParseUrl made them
    const char* user;      // null or "": anonymous
    const char* password;  // null or "": none; the library keeps its own copy
    // The retained slots' topics in the order they go out after a connect,
    // before the dropped count and the queue; null after the last.
    const char* slots[MQTT_SLOTS];
    const char* willLeaf;  // the last will, sent by the broker when we vanish (QoS 1, retained)
    const char* willPayload;
    const char* droppedLeaf;  // the dropped count's topic (QoS 1, retained); null: not published
    MqttCountPayload droppedPayload;
    const char* clientId;  // the id the broker knows us by; null or "": one the library makes up
};

// Creates the client and starts its threads; the connection is made in the
// background (the broker's name looked up there too) and retried with
// back-off (1 to 30 s), also for a broker that is not there yet, a name not
// found or a TLS certificate refused. A client already running is stopped
// first, unannounced. The dropped count goes out as 0 at the first connect.
int MqttClientStart(const MqttClientSetup* setup, char* error,
                    int size);  // 0, or -1 with the reason in error (nothing runs)
// What is queued first (at most 2 s while connected or making the first
// connection; the rest counted as dropped), then `payload` on `leaf`
// (retained, QoS 1, acknowledged within 1 s) when connected and `leaf` is not
// null, then disconnect.
void MqttClientStop(const char* leaf, const char* payload, int len);  // returns nothing; the client is off afterwards
// Puts a message (not retained; QoS 0, or 1 for the few that must arrive)
// on the ring; when the ring is full the oldest goes and is counted.
int MqttClientQueue(const char* leaf, const char* payload, int len,
                    int qos = 0);  // 0 queued, -1 not started, leaf or payload too long
// The slot's new payload, sent as soon as the broker is there (after every
// message queued before it) and again after every reconnect.
int MqttClientKeep(int slot, const char* payload, int len);  // 0 kept, -1 not started, no such slot or payload too long
int MqttClientActive(void);         // 1 from a successful MqttClientStart to MqttClientStop, else 0
int MqttClientConnected(void);      // 1 while the broker has accepted us, else 0
int MqttClientEverConnected(void);  // 1 once the broker has accepted us since the start
// The broker's state as a status-line text, e.g. "MQTT: connected to host:1883".
const char* MqttLibraryVersion(void);  // libmosquitto's, "2.0.11"
const char* MqttClientState(void);     // never null; "MQTT: off" when stopped
// Read from the program's own thread between exchanges.
int MqttClientStateChanged(void);  // 1 once after every change of the broker's state, else 0
// Queued messages lost so far: the ring was full, the connection went down
// with them unsent, or the stop could not flush them.
unsigned long MqttClientDropped(void);  // the count since the last start (after a stop, the whole run's)
