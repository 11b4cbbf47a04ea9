// Where the MQTT client publishes and as whom: the broker's URL and the
// credentials file (mqtt_client.h).
//
// Both come from the operator, on the command line or the panel, so every
// refusal names what was wrong in a text the status line can show. A
// password never comes from the URL: it would show in process lists.
//
// [SECTION] URL
// [SECTION] Credentials file

#include "outputs/mqtt_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- [SECTION] URL ------------------------------------------------------------------------------

int MqttParseUrl(const char* url, MqttTarget* target, char* error, int size)
{
    MqttTarget t{};
    const char* rest = nullptr;
    // user:password@host would put a password into process lists, logs and
    // this very message: it is refused first, without repeating the URL. A
    // password may hold a '/', so the whole URL is looked at.
    if (std::strchr(url, '@')) {
        std::snprintf(error, size, "the MQTT URL takes no user name or password: put them in a credentials file");
        return -1;
    }
    if (std::strncmp(url, "mqtt://", 7) == 0) {
        t.tls = 0;
        rest = url + 7;
    } else if (std::strncmp(url, "mqtts://", 8) == 0) {
        t.tls = 1;
        rest = url + 8;
    } else {
        std::snprintf(error, size, "the MQTT URL must start with mqtt:// or mqtts://, got '%s'", url);
        return -1;
    }
    t.port = t.tls ? 8883 : 1883;
    const char* slash = std::strchr(rest, '/');
    const char* hostEnd = slash ? slash : rest + std::strlen(rest);
    const char* colon = nullptr;
    const char* hostBegin = rest;
    if (*rest == '[') {  // [IPv6]
        const char* close = std::strchr(rest, ']');
        if (!close || close > hostEnd) {
            std::snprintf(error, size, "bad host in the MQTT URL '%s'", url);
            return -1;
        }
        hostBegin = rest + 1;
        if (close[1] == ':') {
            colon = close + 1;
        } else if (close + 1 != hostEnd) {  // "[::1]junk"
            std::snprintf(error, size, "bad host in the MQTT URL '%s'", url);
            return -1;
        }
        hostEnd = close;
    } else {
        colon = static_cast<const char*>(std::memchr(rest, ':', hostEnd - rest));
        if (colon) hostEnd = colon;
    }
    int hostLen = static_cast<int>(hostEnd - hostBegin);
    if (hostLen <= 0 || hostLen >= MQTT_HOST_LEN) {
        std::snprintf(error, size, "no host in the MQTT URL '%s'", url);
        return -1;
    }
    std::memcpy(t.host, hostBegin, hostLen);
    t.host[hostLen] = '\0';
    if (colon) {
        char* end = nullptr;
        long p = std::strtol(colon + 1, &end, 10);
        if (end == colon + 1 || p < 1 || p > 65535 || (*end && *end != '/')) {
            std::snprintf(error, size, "bad port in the MQTT URL '%s'", url);
            return -1;
        }
        t.port = static_cast<int>(p);
    }
    const char* prefix = slash ? slash + 1 : "";
    int len = static_cast<int>(std::strlen(prefix));
    while (len > 0 && prefix[len - 1] == '/') len--;  // "prefix/" means "prefix"
    if (len == 0) {
        prefix = "kvormx";
        len = 6;
    }
    // Room is left for "/" and the longest name under the prefix.
    if (len >= MQTT_PREFIX_LEN - MQTT_LEAF_LEN || std::memchr(prefix, '#', len) || std::memchr(prefix, '+', len)) {
        std::snprintf(error, size, "the MQTT topic prefix must be short and without # or +, got '%s'", prefix);
        return -1;
    }
    // Topics beginning with '$' are the broker's own: a publish there is
    // refused every time while the connection looks good.
    if (prefix[0] == '$') {
        std::snprintf(error, size, "the MQTT topic prefix must not begin with $, got '%s'", prefix);
        return -1;
    }
    std::memcpy(t.prefix, prefix, len);
    t.prefix[len] = '\0';
    *target = t;
    return 0;
}

// ---- [SECTION] Credentials file -----------------------------------------------------------------

// "user\npassword\n"; a file without a password is a user without one.
int MqttReadAuth(const char* file, char* user, char* password, int size, char* error, int errorSize)
{
    // Opened without waiting and refused unless a regular file: a FIFO
    // would hold the program until somebody writes into it.
    int fd = open(file, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const char* why = fd < 0 ? std::strerror(errno) : "not a regular file";
        if (fd >= 0) close(fd);
        std::snprintf(error, errorSize, "cannot read the MQTT credentials file %s: %s", file, why);
        return -1;
    }
    FILE* f = fdopen(fd, "r");
    if (!f) {
        close(fd);
        std::snprintf(error, errorSize, "cannot read the MQTT credentials file %s: %s", file, std::strerror(errno));
        return -1;
    }
    char* lines[2] = {user, password};
    for (char* line : lines) {
        line[0] = '\0';
        if (std::fgets(line, size, f)) line[std::strcspn(line, "\r\n")] = '\0';
    }
    std::fclose(f);
    if (!user[0]) {
        std::snprintf(error, errorSize, "the MQTT credentials file %s has no user name on its first line", file);
        return -1;
    }
    return 0;
}
