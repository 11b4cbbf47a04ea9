#include "support/broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

int FreePort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

bool Accepts(int port)
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

}  // namespace

const char* MosquittoProgram()
{
    for (const char* p : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto"})
        if (access(p, X_OK) == 0) return p;
    return nullptr;
}

LocalBroker::LocalBroker()
{
    static std::atomic<int> serial{0};
    dir = "/tmp/kvormx-broker-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    mkdir(dir.c_str(), 0700);
    port = FreePort();
}

LocalBroker::~LocalBroker()
{
    Stop();
    std::system(("rm -rf " + dir).c_str());
}

bool LocalBroker::Start(const std::string& extra)
{
    if (!MosquittoProgram()) return false;
    std::string conf = dir + "/mosquitto.conf";
    std::ofstream(conf) << "listener " << port << " 127.0.0.1\n"
                        << "persistence false\n"
                        << "user " << getpwuid(getuid())->pw_name << "\n"
                        << extra;
    std::string log = dir + "/mosquitto.log";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const char* argv[] = {MosquittoProgram(), "-c", conf.c_str(), nullptr};
    int rc = posix_spawn(&pid_, MosquittoProgram(), &fa, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        pid_ = 0;
        return false;
    }
    return WaitUntil(5.0, [&] { return Accepts(port); });
}

void LocalBroker::Stop()
{
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
}

std::string LocalBroker::Url(const std::string& prefix) const
{
    return "mqtt://127.0.0.1:" + std::to_string(port) + "/" + prefix;
}

std::string LocalBroker::WriteFile(const std::string& name, const std::string& text) const
{
    std::string path = dir + "/" + name;
    std::ofstream(path) << text;
    return path;
}

std::string LocalBroker::Log() const
{
    std::ifstream in(dir + "/mosquitto.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Subscriber::Subscriber(int port, std::string filter) : filter_(std::move(filter))
{
    static bool libraryReady = false;
    if (!libraryReady) {
        mosquitto_lib_init();
        libraryReady = true;
    }
    m_ = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_, [](mosquitto* m, void* self, int rc) {
        if (rc == 0) mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
    });
    mosquitto_subscribe_callback_set(
        m_, [](mosquitto*, void* self, int, int, const int*) { static_cast<Subscriber*>(self)->subscribed_ = true; });
    mosquitto_message_callback_set(m_, [](mosquitto*, void* self, const mosquitto_message* msg) {
        auto* s = static_cast<Subscriber*>(self);
        std::lock_guard<std::mutex> l(s->lock_);
        s->got_.push_back(
            {msg->topic, std::string(static_cast<const char*>(msg->payload), msg->payloadlen), msg->retain});
    });
    mosquitto_reconnect_delay_set(m_, 1, 1, false);
    mosquitto_connect_async(m_, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_);
}

Subscriber::~Subscriber()
{
    mosquitto_disconnect(m_);
    mosquitto_loop_stop(m_, false);
    mosquitto_destroy(m_);
}

bool Subscriber::WaitSubscribed(double seconds) const
{
    return WaitUntil(seconds, [this] { return Subscribed(); });
}

std::vector<Received> Subscriber::Got()
{
    std::lock_guard<std::mutex> l(lock_);
    return got_;
}

std::vector<std::string> Subscriber::On(const std::string& topic)
{
    std::vector<std::string> out;
    for (const Received& r : Got())
        if (r.topic == topic) out.push_back(r.payload);
    return out;
}

long Member(const std::string& json, const std::string& name)
{
    size_t at = json.find("\"" + name + "\":");
    if (at == std::string::npos) return -1;
    return std::strtol(json.c_str() + at + name.size() + 3, nullptr, 10);
}

std::string RawMember(const std::string& json, const std::string& name)
{
    std::string key = "\"" + name + "\":";
    size_t at = json.find(key);
    if (at == std::string::npos) return "";
    size_t begin = at + key.size();
    if (json[begin] == '"') return TextMember(json, name);
    size_t end = json.find_first_of(",}]", begin);
    return json.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string TextMember(const std::string& json, const std::string& name)
{
    std::string key = "\"" + name + "\":\"";
    size_t at = json.find(key);
    if (at == std::string::npos) return "";
    size_t begin = at + key.size();
    size_t end = json.find('"', begin);
    return end == std::string::npos ? "" : json.substr(begin, end - begin);
}
