// A real MQTT broker for the tests: a mosquitto of its own on a free local
// port with a scratch folder, and a subscriber that keeps what arrives.
// Every wait is bounded.
#pragma once

#include <mosquitto.h>

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Polls `done` every 5 ms for at most `seconds`; false when it never held.
template <class F>
bool WaitUntil(double seconds, F done)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The mosquitto program, or null when it is not installed.
const char* MosquittoProgram();

class LocalBroker {
 public:
    LocalBroker();   // picks the port and makes the folder; starts nothing
    ~LocalBroker();  // stops the broker, removes the folder
    // Starts mosquitto on 127.0.0.1:port; `extra` holds further configuration
    // lines (a password file, ...). False when it does not accept within 5 s.
    bool Start(const std::string& extra = "allow_anonymous true\n");
    void Stop();  // SIGTERM, and waits for it
    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // "mqtt://127.0.0.1:PORT/prefix"
    std::string Url(const std::string& prefix) const;
    // A file in the scratch folder, for credentials and password files.
    std::string WriteFile(const std::string& name, const std::string& text) const;
    std::string Log() const;  // what the broker wrote

    int port = 0;
    std::string dir;

 private:
    pid_t pid_ = 0;
};

struct Received {
    std::string topic, payload;
    bool retained;
};

// A subscriber to `filter` that keeps every message, and subscribes again
// after a reconnect.
class Subscriber {
 public:
    Subscriber(int port, std::string filter);
    ~Subscriber();
    bool Subscribed() const { return subscribed_; }
    // Waits up to `seconds` for the subscription to be granted.
    bool WaitSubscribed(double seconds) const;
    std::vector<Received> Got();
    std::vector<std::string> On(const std::string& topic);  // the payloads on one topic, in order

 private:
    mosquitto* m_;
    std::string filter_;
    std::atomic<bool> subscribed_{false};
    std::mutex lock_;
    std::vector<Received> got_;
};

// A number member of a flat JSON text; -1 when absent.
long Member(const std::string& json, const std::string& name);
// A text member of a flat JSON text (no escapes inside); "" when absent.
std::string TextMember(const std::string& json, const std::string& name);
// A member as it stands: a number or true/false as written, a text's contents.
std::string RawMember(const std::string& json, const std::string& name);
