// `watch --mqtt` and `video --mqtt`: what the tool prints also goes to a
// broker, as kvormx's loops publish it: the sensor's identity and parameter
// set (retained), a message per reply or picture, and the outcome as the
// status text. The client queues; nothing here waits for the broker, except
// the short flush at the end.
#include "cli/cli.h"

#include "link/link.h"
#include "link/record.h"
#include "outputs/outputs.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

static int g_publishing = 0;          // MqttStart has succeeded
static char g_shown[STATUS_LEN * 4];  // the broker's state as last put on stderr

int StartPublishing(const char* command, const char* url, const char* authFile, const char* clientId)
{
    if (!url) {
        if (authFile) return UsageError(command, "--mqtt-auth needs --mqtt URL");
        if (clientId) return UsageError(command, "--mqtt-client-id needs --mqtt URL");
        return EXIT_DONE;
    }
    // One name per line and host, so a broker's access rules and logs name
    // the line; a second tool on the same name would push the first off.
    char id[MQTT_CLIENT_ID_LEN];
    if (clientId)
        std::snprintf(id, sizeof id, "%s", clientId);
    else
        ClientIdFor(id, sizeof id);
    if (MqttStart(url, authFile, id) != 0) return UsageError(command, "%s", MqttError());
    g_publishing = 1;
    AddMqttSink(WatchBroker);  // after every record, what the broker did
    g_shown[0] = '\0';
    return EXIT_DONE;
}

int Publishing(void)
{
    return g_publishing;
}

int PublishSensor(int identified)
{
    if (!g_publishing) return EXIT_DONE;
    int status = identified ? EXIT_DONE : Identify();
    if (status == EXIT_DONE) status = ReadFirmware();
    if (status != EXIT_DONE) return status;
    IdentityRecord identity;
    FillIdentityRecord(&identity, nullptr);
    DeliverIdentity(&identity);
    DeliverParameters();
    return EXIT_DONE;
}

void PublishStatus(const char* format, ...)
{
    if (!g_publishing) return;
    char text[STATUS_LEN * 8];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MqttPublishStatus(text);
}

// The client reconnects by itself and reports each attempt; a broker that
// keeps refusing would repeat its line, so only a new state is shown.
void WatchBroker(void)
{
    if (!g_publishing || !MqttStateChanged()) return;
    const char* state = MqttState();
    if (std::strcmp(state, g_shown) == 0) return;
    std::snprintf(g_shown, sizeof g_shown, "%s", state);
    std::fflush(stdout);
    if (cliService)
        std::fprintf(stderr, "<%d>kvormx-cli: %s\n", MqttConnected() ? LOG_LEVEL_INFO : LOG_LEVEL_WARNING, state);
    else
        std::fprintf(stderr, "kvormx-cli: %s\n", state);
}

int StopPublishing(int mustReach)
{
    if (!g_publishing) return EXIT_DONE;
    WatchBroker();
    // Said before the stop, which turns the state off.
    char state[STATUS_LEN * 4];
    std::snprintf(state, sizeof state, "%s", MqttState());
    const int reached = MqttEverConnected();
    MqttStop();
    g_publishing = 0;
    unsigned long dropped = MqttDropped();
    if (dropped > 0) Message("MQTT: %lu message%s did not reach the broker", dropped, dropped == 1 ? "" : "s");
    if (!mustReach || reached) return EXIT_DONE;
    const char* why = std::strncmp(state, "MQTT: ", 6) == 0 ? state + 6 : state;
    char* retrying = std::strstr(state, ", re");  // ", retrying ...", ", reconnecting ..."
    if (retrying) *retrying = '\0';
    Message("MQTT: the broker was never reached (%s)", why);
    return EXIT_SENSOR;
}

unsigned long PublishingDropped(void)
{
    return MqttDropped();
}
