// The link's health on the further-parameters panel, about once a second:
// exchanges per second and set-ups, time-outs and replies refused (and
// why), the age of the last good reply. While publishing, the same counters
// go to the broker's health topic, also while no loop runs.
#include "app/app.h"

#include "form/form.h"
#include "link/health.h"
#include "outputs/outputs.h"
#include "runtime/ticker.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

#include <cstdio>

static int g_ticker = 0;

void ShowLinkHealth(void)
{
    char text[160];
    std::snprintf(text, sizeof text, TR("%.1f exchanges/s, %ld in all, %ld set-ups"), ExchangeRate(),
                  link_health.exchanges, link_health.setUps);
    SetCtrlVal(panelPopUp, POPUP_HEALTH_RATE, text);
    std::snprintf(text, sizeof text, TR("Time-outs: %ld"), link_health.timeouts);
    SetCtrlVal(panelPopUp, POPUP_HEALTH_FAULTS, text);
    std::snprintf(text, sizeof text, TR("Refused: %ld by length, %ld by range rule"), link_health.refusedLength,
                  link_health.refusedRange);
    SetCtrlVal(panelPopUp, POPUP_HEALTH_REFUSED, text);
    const double age = LastReplyAge();
    if (age < 0)
        std::snprintf(text, sizeof text, "%s", TR("No good reply yet"));
    else
        std::snprintf(text, sizeof text, TR("Last good reply %.1f s ago"), age);
    SetCtrlVal(panelPopUp, POPUP_HEALTH_AGE, text);
}

static void Tick(void*)
{
    ShowLinkHealth();
    MqttPublishHealth(0);
}

void StartHealthView(void)
{
    ShowLinkHealth();
    if (!g_ticker) g_ticker = StartTicker(HEALTH_PERIOD, Tick, nullptr);
}

void StopHealthView(void)
{
    StopTicker(g_ticker);
    g_ticker = 0;
}
