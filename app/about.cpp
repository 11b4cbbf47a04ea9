// The Help menu's texts: the keyboard's shortcuts, the manual, and what the
// program is (its version and licence, the libraries it runs on, where it
// keeps its data and settings).
#include "app/app.h"
#include "app/version.h"

#include "outputs/mqtt_client.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <unistd.h>
#include <cstdio>
#include <cstring>

static const char* const kShortcuts =
    TR("F5\tRun\n"
       "F6\tVideo\n"
       "F7\tGet\n"
       "F8\tSend\n"
       "Esc\tStop\n"
       "Ctrl+Shift+R\tRecord on or off\n"
       "F1\tKeyboard shortcuts\n"
       "Tab, Shift+Tab\tthe next, the previous control\n"
       "Space\tpress the button or switch that has the focus\n"
       "Enter\ttake the value typed into a number field\n"
       "Arrow keys\tstep a number, a slide or a list");

void ShowKeyboardShortcuts(int, int)
{
    TextPopup(TR("Keyboard shortcuts"), kShortcuts);
}

// The manual: the README installed with the program's documents, or the
// one beside the executable in a build folder.
int ManualPath(char* path, int size)
{
    char dir[RT_PATH_LEN];
    if (GetDataDir(dir) == 0) {
        std::snprintf(path, static_cast<size_t>(size), "%s/../doc/kvormx/README.md", dir);
        if (access(path, R_OK) == 0) return 0;
    }
    if (GetProjectDir(dir) == 0) {
        std::snprintf(path, static_cast<size_t>(size), "%s/README.md", dir);
        if (access(path, R_OK) == 0) return 0;
    }
    path[0] = '\0';
    return -1;
}

void ShowManual(int, int)
{
    char path[RT_PATH_LEN];
    if (ManualPath(path, sizeof path) != 0 || OpenDocument(path) != 0)
        TextPopup(TR("Manual"), TR("The manual could not be opened: man kvormx gives the manual page."));
}

void ShowAbout(int, int)
{
    char data[RT_PATH_LEN], text[3 * RT_PATH_LEN];
    if (GetDataDir(data) != 0 && GetProjectDir(data) != 0) std::strcpy(data, "?");
    std::snprintf(text, sizeof text,
                  "K-VOR-MX operating tool %s\n"
                  "Licence: GPL-3.0-or-later\n"
                  "Qt %s, libmosquitto %s\n"
                  "Data folder: %s\n"
                  "Settings: %s",
                  KVORMX_VERSION, QtVersion(), MqttLibraryVersion(), data, SettingsFileName());
    TextPopup(TR("About"), text);
}
