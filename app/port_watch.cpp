// The port ring and the ports as they come and go. The ring lists the ports
// the runtime finds; the port in use is reported lost when its device goes
// and set up again when the same port comes back; the last port that passed
// the line check is remembered for the next start.
#include "app/app.h"

#include "form/form.h"
#include "link/link.h"
#include "link/state.h"
#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/ui.h"

#include <cstdio>
#include <cstring>

const char* const SETTING_LAST_PORT = "port/last";

// The port in use while its device is away: its number, its name (only the
// same name coming back is the same port), its appearance when it went, and
// whether it was lost while open or was not there to be opened.
static int g_awaited = 0;
static char g_awaitedName[PATH_LEN];
static unsigned g_awaitedSince = 0;
static int g_awaitedWasOpen = 0;
// The appearance of the device the program opened last: a device seen under
// the same name with another appearance is a new one, even when its
// arrival and the loss of the old one come to light in the same look.
static unsigned g_openedAppearance = 0;

static void Await(int port, int wasOpen, unsigned since)
{
    g_awaited = port;
    CopyText(g_awaitedName, PATH_LEN, GetComDevice(port));
    g_awaitedSince = since;
    g_awaitedWasOpen = wasOpen;
}

void FillPortRing(void)
{
    int numbers[COM_MAX_PORTS + 1];
    int count = ListedPorts(numbers, COM_MAX_PORTS);
    // The port in use stays in the ring while it is away: the ring shows
    // which port the program is on.
    int at = 0;
    while (at < count && numbers[at] < com) at++;
    if (com >= 1 && com <= COM_MAX_PORTS && (at == count || numbers[at] != com)) {
        for (int i = count; i > at; i--) numbers[i] = numbers[i - 1];
        numbers[at] = com;
        count++;
    }
    for (int i = 0; i < count; i++) {
        char label[PATH_LEN + 32];
        std::snprintf(label, sizeof label, "COM%d  %s%s", numbers[i], GetComDevice(numbers[i]),
                      PortPresent(numbers[i]) == 0 ? "  (not present)" : "");
        ReplaceListItem(panelHandle, PANEL_COMPORT, i, label, numbers[i]);
    }
    DeleteListItem(panelHandle, PANEL_COMPORT, count, -1);
    if (com >= 1 && com <= COM_MAX_PORTS) SetCtrlVal(panelHandle, PANEL_COMPORT, com);
}

int StartPort(int named)
{
    if (named) return named;
    char last[PATH_LEN];
    if (GetSetting(SETTING_LAST_PORT, last, sizeof last)) {
        int n = PortNumber(last);
        if (n && PortPresent(n) == 1) return n;
    }
    return 1;
}

void NotePortOpened(int port, int openResult)
{
    // A port whose device is not there is awaited like one that went away.
    if (openResult == RS_NO_PORT_FOUND) {
        Await(port, 0, PortAppearance(port));
    } else if (openResult < 0 && g_awaited == port) {
        // What came under the awaited name could not be opened (another
        // program holds it, say): the next device to come under it is tried.
        Await(port, g_awaitedWasOpen, PortAppearance(port));
    } else {
        g_awaited = 0;
        g_openedAppearance = PortAppearance(port);
    }
}

void RememberPort(int port)
{
    // Pseudo-terminals are numbered afresh for every terminal window: the
    // same name at the next start would be somebody's shell.
    const char* device = GetComDevice(port);
    if (std::strncmp(device, "/dev/pts/", 9) == 0) return;
    PutSetting(SETTING_LAST_PORT, device);
}

// The port list changed, or the open port's device hung up. Returns 1 to be
// asked again while a loop or another exchange holds the line.
static int OnPortsChanged(void*)
{
    FillPortRing();
    if (ComPortGone(com) == 1) {
        // A loop on this port ends by itself through its exchange.
        if (exchange_busy) return 1;
        SetCtrlVal(panelHandle, PANEL_STATUS, PortLostText(com));
        CopyText(szStatus, STATUS_LEN, PortLostText(com));
        // Closed at once: an adapter's device name stays taken while it is
        // open, and it would come back under another one.
        CloseCom(com);
        Await(com, 1, g_openedAppearance ? g_openedAppearance : PortAppearance(com));
        // Its successor may be there already: looked at below.
    }
    unsigned appearance = PortAppearance(com);
    if (g_awaited == com && std::strcmp(g_awaitedName, GetComDevice(com)) == 0 && appearance != 0 &&
        appearance != g_awaitedSince && ComPortGone(com) == RS_PORT_NOT_OPEN) {
        if (!BeginExchange()) return 1;
        char text[PATH_LEN + 48];
        std::snprintf(text, sizeof text, "Port %s: %s - Init COM-Port ...", g_awaitedWasOpen ? "back" : "found",
                      GetComDevice(com));
        SetCtrlVal(panelHandle, PANEL_STATUS, text);
        InitRS232(com);
        EndExchange();
    }
    return 0;
}

int StartPortWatch(void)
{
    return WatchPorts(OnPortsChanged, nullptr);
}
