// The link's health counters.
#include "link/health.h"

#include "link/link.h"
#include "runtime/util.h"

#include <cstdio>

LinkHealth link_health;

static const int RECENT = 64;  // the latest exchanges' times, for the rate
static double g_recent[RECENT];
static int g_next = 0, g_held = 0;

void ResetLinkHealth(void)
{
    link_health = LinkHealth{};
    link_health.lastReply = -1.0;
    g_next = g_held = 0;
}

void NoteExchange(int result)
{
    if (result == EX_BUSY || result == EX_WRITTEN || result == EX_WRITE_FAILED) return;
    const double now = Timer();
    link_health.exchanges++;
    g_recent[g_next] = now;
    g_next = (g_next + 1) % RECENT;
    if (g_held < RECENT) g_held++;
    if (result == EX_REPLY || result == EX_LONG) {
        link_health.replies++;
        link_health.lastReply = now;
    }
    if (result == EX_TIMEOUT) link_health.timeouts++;
    if (result == EX_LOST) link_health.lost++;
}

void NoteSetUp(void)
{
    link_health.setUps++;
}

double ExchangeRate(void)
{
    const double now = Timer();
    int n = 0;
    double oldest = now;
    for (int i = 0; i < g_held; i++) {
        double t = g_recent[(g_next - 1 - i + RECENT) % RECENT];
        if (now - t > 2.0) break;
        oldest = t;
        n++;
    }
    return n < 2 || now - oldest <= 0.0 ? 0.0 : (n - 1) / (now - oldest);
}

double LastReplyAge(void)
{
    return link_health.lastReply < 0 ? -1.0 : Timer() - link_health.lastReply;
}

int FormatHealthJson(char* out, int size)
{
    const long ageMs = link_health.lastReply < 0 ? -1 : static_cast<long>(LastReplyAge() * 1000.0 + 0.5);
    const long rate = static_cast<long>(ExchangeRate() * 100.0 + 0.5);
    return std::snprintf(out, static_cast<size_t>(size),
                         "{\"exchanges_per_second\":%ld.%02ld,\"exchanges\":%ld,\"replies\":%ld,\"timeouts\":%ld,"
                         "\"refused_length\":%ld,\"refused_range\":%ld,\"set_ups\":%ld,\"lost\":%ld,"
                         "\"last_reply_age\":%s%ld.%03ld}",
                         rate / 100, rate % 100, link_health.exchanges, link_health.replies, link_health.timeouts,
                         link_health.refusedLength, link_health.refusedRange, link_health.setUps, link_health.lost,
                         ageMs < 0 ? "-" : "", (ageMs < 0 ? 1 : ageMs) / 1000, (ageMs < 0 ? 0 : ageMs % 1000));
}
