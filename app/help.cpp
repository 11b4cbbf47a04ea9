// The main panel's Help menu. Each item is one line of kHelpItems and one
// function (the keyboard shortcuts, the manual and about are in about.cpp).
#include "app/app.h"

#include "app/version.h"
#include "form/form.h"
#include "link/reference.h"
#include "link/support.h"
#include "runtime/filewriter.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <cstdio>

// ---- Save support file --------------------------------------------------------------------------

// The settings in use, by name; the broker's password stays in its own file.
static int SettingsText(char* text, int size)
{
    static const char* const kKeys[] = {"port/last", "files/folder", "mqtt/url", "mqtt/auth"};
    int n = std::snprintf(text, static_cast<size_t>(size), "file %s\n", SettingsFileName());
    char reference[PATH_LEN + 32];
    ReferenceSettingKey(reference, sizeof reference);  // the sensor on the port in use
    for (const char* key : kKeys) {
        char value[PATH_LEN] = "";
        GetSetting(key, value, sizeof value);
        if (n < size) n += std::snprintf(text + n, static_cast<size_t>(size - n), "%s %s\n", key, value);
    }
    char value[PATH_LEN] = "";
    GetSetting(reference, value, sizeof value);
    if (n < size) n += std::snprintf(text + n, static_cast<size_t>(size - n), "%s %s\n", reference, value);
    return n < size ? n : size - 1;
}

static void SaveSupportFile(int, int)
{
    char name[PATH_LEN], stamp[32], path[RT_PATH_LEN] = "";
    WallClockStamp(stamp, sizeof stamp);
    std::snprintf(name, sizeof name, "kvormx-support-%s.tar", stamp);
    if (FileSelectPopup(proj_dir, name, "*.tar", TR("Save support file"), 0, 0, 0, 1, 1, path) <= 0 || !path[0]) return;
    static char settings[PATH_LEN * 6];
    const int n = SettingsText(settings, sizeof settings);
    const SupportExtra extras[] = {{"settings.txt", settings, n}};
    char text[RT_PATH_LEN + 200];
    if (WriteSupportFile(path, SOFT_NAME " Version " KVORMX_VERSION, extras, 1) < 0)
        std::snprintf(text, sizeof text, TR("Support file not written: %s"), SupportError());
    else
        std::snprintf(text, sizeof text, TR("Support file written: %s"), path);
    SetCtrlVal(panelHandle, PANEL_STATUS, text);
}

// ---- The menu -----------------------------------------------------------------------------------

struct HelpItem {
    const char* text;  // the item as the operator reads it
    const char* keys;  // its shortcut, or null
    MenuCallbackPtr run;
};

static const HelpItem kHelpItems[] = {
    {TR_NOOP("Keyboard shortcuts"), "F1", ShowKeyboardShortcuts},
    {TR_NOOP("Manual"), nullptr, ShowManual},
    {TR_NOOP("Save support file"), nullptr, SaveSupportFile},
    {TR_NOOP("About"), nullptr, ShowAbout},
};

void InitHelpMenu(void)
{
    for (const HelpItem& item : kHelpItems) NewMenuItem(panelHandle, TR("Help"), item.text, item.keys, item.run);
}
