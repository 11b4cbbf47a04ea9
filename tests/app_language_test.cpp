// The window in German: every text an operator meets on the way through
// set-up, run and video mode, the transfers and the second panel has its
// German entry, while what the program reads back stays English.
#include "support/program_fixture.h"

#include "runtime/translate.h"
#include "runtime/ui.h"
#include "support/inspect.h"

namespace {

class German : public ProgramTest {
 protected:
    void SetUp() override
    {
        ASSERT_EQ(0, SetLanguage("de"));
        ProgramTest::SetUp();
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        SetLanguage("en");
    }
    static std::string Untranslated()
    {
        std::string list;
        for (int i = 0; i < UntranslatedCount(); i++) list += std::string("\n  \"") + UntranslatedText(i) + "\"";
        return list;
    }
};

TEST_F(German, EveryTextOnTheWayThroughTheProgramIsTranslated)
{
    StartSensor();
    StartUp();
    EXPECT_EQ("Messen", Accessible(panelHandle, PANEL_RUN).name);
    AfterSeconds(0.4, [&] { Press(PANEL_STOP); });
    Press(PANEL_RUN);
    AfterSeconds(1.0, [&] { Press(PANEL_STOP); });
    Press(PANEL_VIDEO);
    Press(PANEL_GET);
    // The program reads its own texts in English; the operator reads German.
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
    EXPECT_EQ("Parameterrahmen empfangen! - Leitung in Ordnung!", Accessible(panelHandle, PANEL_STATUS).text);
    Press(PANEL_SEND);
    Press(PANEL_BUTTON_TEACH);
    Press(PANEL_BUTTON_RESET);
    Press(PANEL_PARAII);
    PumpFor(0.1);
    EXPECT_EQ(0, UntranslatedCount()) << Untranslated();
}

TEST_F(German, TheFaultsAnOperatorMeetsAreTranslatedToo)
{
    StartSilentSensor();
    StartUp();
    Press(PANEL_GET);
    SetComDevice(1, "/nonexistent/kvormx-port");
    StartUp();
    EXPECT_EQ("No serial port found", Status().substr(0, 20));
    EXPECT_EQ(0, UntranslatedCount()) << Untranslated();
}

}  // namespace
