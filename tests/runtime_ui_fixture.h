// Fixture of the runtime user-interface suites: the test form loaded offscreen,
// every callback recorded, and an optional hook that lets a case act inside a
// callback (nested loops, quitting).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "runtime/graph.h"
#include "runtime/ui.h"
#include "support/inspect.h"

namespace rt {

// Control numbers of tests/data/runtime_test.uir.
enum {
    BUTTON = 1,
    TOGGLE,
    NUMERIC,
    INDICATOR,
    SLIDE,
    RING,
    DROPDOWN,
    RADIO,
    SWITCH,
    STATUS,
    TEXTBOX,
    GRAPH,
    STRIP,
    PICTURE,
    FRAME,
    STOP,
    ENTRY
};
enum { POPUP_SWITCH = 2 };

struct Event {
    int panel, control, event;  // control 0: the panel callback
    bool operator==(const Event& o) const { return panel == o.panel && control == o.control && event == o.event; }
};

inline std::vector<Event> seen;
inline std::function<void(const Event&)> hook;

inline int CtrlCb(int panel, int control, int event, void*, int, int)
{
    seen.push_back({panel, control, event});
    if (hook) hook(seen.back());
    return 0;
}

inline int PanelCb(int panel, int event, void*, int, int)
{
    seen.push_back({panel, 0, event});
    if (hook) hook(seen.back());
    return 0;
}

inline const CallbackEntry kTable[] = {
    {"PanelCb", nullptr, PanelCb},
    {"CtrlCb", CtrlCb, nullptr},
};

inline std::string FormPath()
{
    std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/data/runtime_test.uir";
}

// Writes a form variant into a temporary file and returns its path.
inline std::string WriteTemp(const std::string& name, const std::string& text)
{
    std::string path = ::testing::TempDir() + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

class UiTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "runtime_tests";
        static char* argv[] = {name, nullptr};
        ASSERT_EQ(1, InitRuntime(&argc, argv)) << GetRuntimeError();
        SetCallbackTable(kTable, 2);
        panel = LoadPanel(0, FormPath().c_str(), 1);
        ASSERT_GT(panel, 0) << GetRuntimeError();
        DisplayPanel(panel);
        ProcessSystemEvents();
        seen.clear();
        hook = nullptr;
    }
    void TearDown() override
    {
        hook = nullptr;
        CloseRuntime();
    }

    // Events of one control (or of the panel, control 0), in order.
    std::vector<int> Events(int control) const
    {
        std::vector<int> out;
        for (const Event& e : seen)
            if (e.control == control && e.panel == panel) out.push_back(e.event);
        return out;
    }
    int Int(int control) const
    {
        int v = -1;
        EXPECT_EQ(0, GetCtrlVal(panel, control, &v));
        return v;
    }
    int U16(int control) const
    {
        uint16_t v = 0;
        EXPECT_EQ(0, GetCtrlVal(panel, control, &v));
        return v;
    }
    std::string Text(int control) const
    {
        char t[256] = "";
        EXPECT_EQ(0, GetCtrlVal(panel, control, t, sizeof t));
        return t;
    }
    int Attr(int control, int attribute) const
    {
        int v = -1;
        EXPECT_EQ(0, GetCtrlAttribute(panel, control, attribute, &v));
        return v;
    }
    void Pump(int times = 3)
    {
        for (int i = 0; i < times; i++) ProcessSystemEvents();
    }

    int panel = 0;
};

}  // namespace rt
