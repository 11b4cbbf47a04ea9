// Where measurements go beside the panels: the MQTT broker.
//
// Plain C-style calls for the single-threaded program (the GUI's loops and
// kvormx-cli). Nothing here blocks an exchange: a call formats a message
// from the program-wide variables and puts it on a bounded queue; the
// client's own threads talk to the broker. Every call is a no-op until
// MqttStart has succeeded.
#pragma once

// Starts publishing to `url` ("mqtt://host[:port]/prefix" or
// "mqtts://host[:port]/prefix", prefix without wildcards; default ports 1883
// and 8883, default prefix "kvormx"). `authFile` (may be null) holds the
// user name on its first line and the password on its second. Returns 0, or
// -1 with MqttError() saying why (bad URL, unreadable file, no client). The
// connection itself is made in the background and retried with back-off.
int MqttStart(const char* url, const char* authFile);
void MqttStop(void);                  // "offline" retained, then disconnect
const char* MqttError(void);          // why MqttStart failed

// One measurement reply (run mode): the measurement variables of app/state.h.
void MqttPublishMeasurement(void);
// One picture (video mode): the measurement and the 256 samples of adcbuf.
void MqttPublishVideo(void);
// The sixteen parameter words with their names (retained).
void MqttPublishParameters(void);
// The sensor's identity (retained); description and port are the caller's
// texts (Latin-1), the rest comes from the identification variables.
void MqttPublishIdentity(const char* description, const char* port);
// The status line's text (retained, beside "online"); repeats are not sent.
void MqttPublishStatus(const char* text);

// The broker's state as a status-line text, e.g. "MQTT: connected to host:1883".
const char* MqttState(void);
// 1 once after every change of the broker's state (connected, lost,
// refused), else 0. Read from the program's own thread between exchanges.
int MqttStateChanged(void);
int MqttConnected(void);              // 1 while the broker has accepted us
// Measurements dropped so far because the queue was full or the
// connection went down with them unsent.
unsigned long MqttDropped(void);
