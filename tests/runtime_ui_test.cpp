// The user-interface runtime: loading the form, control values and attributes,
// operator events, nested event processing and the file pop-up.
#include "runtime_ui_fixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "runtime/rs232.h"
#include "runtime/ticker.h"
#include "runtime/util.h"

using namespace rt;

namespace {

std::string Form()
{
    FILE* f = std::fopen(FormPath().c_str(), "rb");
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    size_t at = s.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

bool Mentions(const char* text)
{
    return std::strstr(GetRuntimeError(), text) != nullptr;
}

}  // namespace

// ---- Loading ------------------------------------------------------------------------------------

using Loading = UiTest;

TEST_F(Loading, HandlesAreTheLowestFreeNumbersAndChildrenAreHiddenToolWindows)
{
    EXPECT_EQ(1, panel);
    int popup = LoadPanel(panel, FormPath().c_str(), 2);
    EXPECT_EQ(2, popup);
    EXPECT_TRUE(PanelIsToolWindow(popup));
    EXPECT_FALSE(PanelIsToolWindow(panel));
    EXPECT_FALSE(PanelVisible(popup));
    EXPECT_EQ(0, DisplayPanel(popup));
    EXPECT_TRUE(PanelVisible(popup));
    EXPECT_EQ(0, HidePanel(popup));
    EXPECT_FALSE(PanelVisible(popup));

    // Discarding the main panel takes its pop-up along; both handles are free again.
    EXPECT_EQ(0, DiscardPanel(panel));
    EXPECT_EQ(UIE_BAD_HANDLE, DisplayPanel(popup));
    EXPECT_EQ(1, LoadPanel(0, FormPath().c_str(), 2));
    EXPECT_EQ(2, LoadPanel(0, FormPath().c_str(), 1));
}

TEST_F(Loading, ABareNameIsFoundInTheWorkingDirectory)
{
    char old[1024];
    ASSERT_NE(nullptr, getcwd(old, sizeof old));
    std::string dir = FormPath().substr(0, FormPath().rfind('/'));
    ASSERT_EQ(0, chdir(dir.c_str()));
    int h = LoadPanel(0, "runtime_test.uir", 2);
    ASSERT_EQ(0, chdir(old));
    EXPECT_GT(h, 0) << GetRuntimeError();
}

TEST_F(Loading, FaultsOfTheFormAreRefusedWithTheirCause)
{
    EXPECT_EQ(UIE_FILE_NOT_FOUND, LoadPanel(0, "no_such_form.uir", 1));
    EXPECT_TRUE(Mentions("no_such_form.uir"));

    std::string broken = WriteTemp("broken.uir", Form().substr(0, 2000));
    EXPECT_EQ(UIE_BAD_RESOURCE, LoadPanel(0, broken.c_str(), 1));
    EXPECT_TRUE(Mentions("malformed XML"));

    EXPECT_EQ(UIE_BAD_RESOURCE, LoadPanel(0, FormPath().c_str(), 9));
    EXPECT_TRUE(Mentions("resource 9"));

    std::string unknown = WriteTemp(
        "unknown_cb.uir", Replace(Form(),
                                  "<number>3</number></property>\n    <property name=\"kind\" "
                                  "stdset=\"0\"><string>numeric</string></property>\n"
                                  "    <property name=\"value\" stdset=\"0\"><string>u16</string></property>\n"
                                  "    <property name=\"callback\" stdset=\"0\"><string>CtrlCb",
                                  "<number>3</number></property>\n    <property name=\"kind\" "
                                  "stdset=\"0\"><string>numeric</string></property>\n"
                                  "    <property name=\"value\" stdset=\"0\"><string>u16</string></property>\n"
                                  "    <property name=\"callback\" stdset=\"0\"><string>CC_Missing"));
    EXPECT_EQ(UIE_BAD_RESOURCE, LoadPanel(0, unknown.c_str(), 1));
    EXPECT_TRUE(Mentions("CC_Missing")) << GetRuntimeError();
    EXPECT_TRUE(Mentions("control 3")) << GetRuntimeError();

    std::string twice = WriteTemp("twice.uir", Replace(Form(), "<number>16</number>", "<number>1</number>"));
    EXPECT_EQ(UIE_BAD_RESOURCE, LoadPanel(0, twice.c_str(), 1));
    EXPECT_TRUE(Mentions("appears twice")) << GetRuntimeError();

    std::string wrongKind =
        WriteTemp("kind.uir", Replace(Form(), "<string>picture</string>", "<string>numeric</string>"));
    EXPECT_EQ(UIE_BAD_RESOURCE, LoadPanel(0, wrongKind.c_str(), 1));
    EXPECT_TRUE(Mentions("QLabel")) << GetRuntimeError();

    // None of the failures took a handle.
    EXPECT_EQ(2, LoadPanel(0, FormPath().c_str(), 2));
}

TEST_F(Loading, ControlsDescribeTheirKindValueTypeAndNames)
{
    const int kinds[][3] = {
        {BUTTON, CTRL_COMMAND_BUTTON, VALTYPE_NONE},
        {TOGGLE, CTRL_TOGGLE_BUTTON, VALTYPE_INT},
        {NUMERIC, CTRL_NUMERIC, VALTYPE_U16},
        {INDICATOR, CTRL_NUMERIC_INDICATOR, VALTYPE_NONE},
        {SLIDE, CTRL_SLIDE, VALTYPE_U16},
        {RING, CTRL_RING, VALTYPE_U16},
        {DROPDOWN, CTRL_DROPDOWN_RING, VALTYPE_INT},
        {RADIO, CTRL_RADIO_BUTTON, VALTYPE_INT},
        {SWITCH, CTRL_SWITCH, VALTYPE_U16},
        {STATUS, CTRL_TEXT_MSG, VALTYPE_TEXT},
        {TEXTBOX, CTRL_TEXT_BOX, VALTYPE_NONE},
        {GRAPH, CTRL_GRAPH, VALTYPE_NONE},
        {STRIP, CTRL_STRIP_CHART, VALTYPE_NONE},
        {PICTURE, CTRL_PICTURE, VALTYPE_NONE},
        {FRAME, CTRL_DECORATION, VALTYPE_NONE},
        {ENTRY, CTRL_STRING, VALTYPE_TEXT},
    };
    for (auto& k : kinds) {
        EXPECT_EQ(k[1], Attr(k[0], ATTR_CTRL_STYLE)) << k[0];
        EXPECT_EQ(k[2], Attr(k[0], ATTR_DATA_TYPE)) << k[0];
    }
    char text[64];
    EXPECT_EQ(0, GetCtrlAttribute(panel, NUMERIC, ATTR_CALLBACK_NAME, text, sizeof text));
    EXPECT_STREQ("CtrlCb", text);
    EXPECT_EQ(0, GetCtrlAttribute(panel, NUMERIC, ATTR_ACCESSIBLE_NAME, text, sizeof text));
    EXPECT_STREQ("Teach value", text);
    EXPECT_EQ(0, GetCtrlAttribute(panel, INDICATOR, ATTR_CALLBACK_NAME, text, sizeof text));
    EXPECT_STREQ("", text);
    // The slide's numeric `value` property and the form's `value` type string share a name.
    EXPECT_EQ(100, U16(SLIDE));
    EXPECT_EQ(UIE_NO_SUCH_CONTROL, SetCtrlVal(panel, 99, 1));
    EXPECT_EQ(UIE_BAD_HANDLE, SetCtrlVal(77, NUMERIC, 1));
}

// ---- Values and attributes ----------------------------------------------------------------------

using Values = UiTest;

TEST_F(Values, NumbersAreCoercedIntoTheControlsRange)
{
    EXPECT_EQ(0, SetCtrlVal(panel, NUMERIC, 5000));
    EXPECT_EQ(1000, U16(NUMERIC));
    EXPECT_EQ(0, SetCtrlVal(panel, NUMERIC, -5));
    EXPECT_EQ(0, U16(NUMERIC));
    EXPECT_EQ(0, SetCtrlVal(panel, SLIDE, 2000));
    EXPECT_EQ(1023, U16(SLIDE));
    EXPECT_EQ(0, SetCtrlVal(panel, SWITCH, 7));
    EXPECT_EQ(1, U16(SWITCH));
    EXPECT_EQ(0, SetCtrlVal(panel, INDICATOR, 355));
    EXPECT_EQ(355, ShownValue(panel, INDICATOR));

    // Lowering the maximum pulls the value along, silently.
    EXPECT_EQ(0, SetCtrlAttribute(panel, SLIDE, ATTR_MAX_VALUE, 512));
    EXPECT_EQ(512, Attr(SLIDE, ATTR_MAX_VALUE));
    EXPECT_EQ(512, U16(SLIDE));
    EXPECT_EQ(UIE_BAD_VALUE, SetCtrlAttribute(panel, SLIDE, ATTR_MAX_VALUE, -1));
    EXPECT_TRUE(Events(SLIDE).empty());
}

TEST_F(Values, AValueOfTheWrongTypeIsRefusedAndChangesNothing)
{
    SetCtrlVal(panel, NUMERIC, 300);
    int i;
    uint16_t u;
    char t[16];
    EXPECT_EQ(UIE_TYPE_MISMATCH, GetCtrlVal(panel, NUMERIC, &i));    // u16 control, int read
    EXPECT_EQ(UIE_TYPE_MISMATCH, GetCtrlVal(panel, DROPDOWN, &u));   // int control, u16 read
    EXPECT_EQ(UIE_TYPE_MISMATCH, GetCtrlVal(panel, INDICATOR, &i));  // delivers no value
    EXPECT_EQ(UIE_TYPE_MISMATCH, GetCtrlVal(panel, NUMERIC, t, sizeof t));
    EXPECT_EQ(UIE_TYPE_MISMATCH, SetCtrlVal(panel, NUMERIC, "400"));
    EXPECT_EQ(UIE_TYPE_MISMATCH, SetCtrlVal(panel, STATUS, 4));
    EXPECT_EQ(UIE_TYPE_MISMATCH, SetCtrlVal(panel, GRAPH, 4));
    EXPECT_EQ(300, U16(NUMERIC));
    EXPECT_EQ("ready", Text(STATUS));
}

TEST_F(Values, RingsTakeOnlyValuesTheyHoldAndItemsCanBeRelabelled)
{
    EXPECT_EQ(1, U16(RING));      // item 1 of the form, values from 0
    EXPECT_EQ(1, Int(DROPDOWN));  // firstValue 1
    EXPECT_EQ(UIE_BAD_VALUE, SetCtrlVal(panel, RING, 7));
    EXPECT_EQ(1, U16(RING));
    EXPECT_EQ(0, SetCtrlVal(panel, DROPDOWN, 2));
    EXPECT_EQ(2, Int(DROPDOWN));

    EXPECT_EQ(0, ReplaceListItem(panel, DROPDOWN, 1, "COM5 /dev/pts/3", 5));
    EXPECT_EQ(0, ReplaceListItem(panel, DROPDOWN, 2, "COM7", 7));  // appended
    EXPECT_EQ(UIE_BAD_VALUE, ReplaceListItem(panel, DROPDOWN, 4, "gap", 9));
    int n = 0;
    EXPECT_EQ(0, GetNumListItems(panel, DROPDOWN, &n));
    EXPECT_EQ(3, n);
    EXPECT_EQ(5, Int(DROPDOWN));  // the chosen item now carries 5
    EXPECT_EQ(0, SetCtrlVal(panel, DROPDOWN, 7));
    EXPECT_EQ(UIE_TYPE_MISMATCH, GetNumListItems(panel, NUMERIC, &n));
    EXPECT_TRUE(Events(DROPDOWN).empty());
}

TEST_F(Values, TextsCrossTheBoundaryAsLatin1)
{
    const char micro[] = "Aufl\xF6sung 14 \xB5m";
    EXPECT_EQ(0, SetCtrlVal(panel, STATUS, micro));
    EXPECT_EQ(micro, Text(STATUS));
    char small[6];
    EXPECT_EQ(0, GetCtrlVal(panel, STATUS, small, sizeof small));
    EXPECT_STREQ("Aufl\xF6", small);  // cut and terminated

    char line[64];
    EXPECT_EQ(0, ReplaceTextBoxLine(panel, TEXTBOX, 2, micro));  // lines 1 and 2 appended
    EXPECT_EQ(0, GetTextBoxLine(panel, TEXTBOX, 0, line, sizeof line));
    EXPECT_STREQ("first", line);
    EXPECT_EQ(0, GetTextBoxLine(panel, TEXTBOX, 1, line, sizeof line));
    EXPECT_STREQ("", line);
    EXPECT_EQ(0, GetTextBoxLine(panel, TEXTBOX, 2, line, sizeof line));
    EXPECT_STREQ(micro, line);
    EXPECT_EQ(0, ReplaceTextBoxLine(panel, TEXTBOX, 0, "  CCD-SENSOR"));
    EXPECT_EQ(0, GetTextBoxLine(panel, TEXTBOX, 0, line, sizeof line));
    EXPECT_STREQ("  CCD-SENSOR", line);
    EXPECT_EQ(UIE_BAD_VALUE, GetTextBoxLine(panel, TEXTBOX, 3, line, sizeof line));
}

TEST_F(Values, AttributesApplyToTheirKindsOnly)
{
    EXPECT_EQ(0, SetCtrlAttribute(panel, BUTTON, ATTR_DIMMED, 1));
    EXPECT_EQ(1, Attr(BUTTON, ATTR_DIMMED));
    EXPECT_EQ(0, SetCtrlAttribute(panel, PICTURE, ATTR_VISIBLE, 0));
    EXPECT_EQ(0, Attr(PICTURE, ATTR_VISIBLE));
    EXPECT_EQ(0, SetCtrlAttribute(panel, PICTURE, ATTR_TOP, 7));
    EXPECT_EQ(0, SetCtrlAttribute(panel, PICTURE, ATTR_LEFT, 470));
    EXPECT_EQ(470, Attr(PICTURE, ATTR_LEFT));
    EXPECT_EQ(7, Attr(PICTURE, ATTR_TOP));
    EXPECT_EQ(0, SetCtrlAttribute(panel, FRAME, ATTR_FRAME_COLOR, 0x0080FF));
    EXPECT_EQ(0x0080FF, Attr(FRAME, ATTR_FRAME_COLOR));
    EXPECT_EQ(0, SetCtrlAttribute(panel, STATUS, ATTR_TEXT_COLOR, 0xFFFFFF));
    EXPECT_EQ(0, SetCtrlAttribute(panel, STATUS, ATTR_TEXT_BGCOLOR, 0x0080FF));
    EXPECT_EQ(0, SetCtrlAttribute(panel, STATUS, ATTR_TEXT_POINT_SIZE, 18));
    EXPECT_EQ(0, SetCtrlAttribute(panel, STATUS, ATTR_TEXT_FONT, "NIApp"));
    EXPECT_EQ(0xFFFFFF, Attr(STATUS, ATTR_TEXT_COLOR));
    EXPECT_EQ(0x0080FF, Attr(STATUS, ATTR_TEXT_BGCOLOR));
    EXPECT_EQ(18, Attr(STATUS, ATTR_TEXT_POINT_SIZE));
    char font[32];
    EXPECT_EQ(0, GetCtrlAttribute(panel, STATUS, ATTR_TEXT_FONT, font, sizeof font));
    EXPECT_STREQ("NIApp", font);

    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, BUTTON, ATTR_FRAME_COLOR, 0));
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, FRAME, ATTR_TEXT_COLOR, 0));
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, BUTTON, ATTR_MAX_VALUE, 3));
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, GRAPH, ATTR_NUM_TRACES, 3));
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, BUTTON, ATTR_TEXT_FONT, "x"));
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, BUTTON, ATTR_CTRL_STYLE, 1));  // read-only
    EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(panel, BUTTON, 12345, 1));
}

TEST_F(Values, MadeTextMessagesSitAboveTheFormAndFollowTheirText)
{
    int a = NewCtrl(panel, CTRL_TEXT_MSG, "", 35, 300);
    int b = NewCtrl(panel, CTRL_TEXT_MSG, "", 40, 450);
    EXPECT_EQ(ENTRY + 1, a);  // above the last control of the form
    EXPECT_EQ(ENTRY + 2, b);
    EXPECT_EQ(UIE_BAD_VALUE, NewCtrl(panel, CTRL_NUMERIC, "", 0, 0));
    EXPECT_EQ(300, Attr(a, ATTR_LEFT));
    EXPECT_EQ(35, Attr(a, ATTR_TOP));
    EXPECT_EQ(0, SetCtrlVal(panel, a, "K-VOR-MX-Zidad"));
    EXPECT_EQ("K-VOR-MX-Zidad", Text(a));
    EXPECT_EQ(VALTYPE_TEXT, Attr(a, ATTR_DATA_TYPE));
}

TEST_F(Values, PicturesShowPngFilesAndMissingOnesAreReported)
{
    // The smallest PNG: one white pixel.
    static const unsigned char png[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
        0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x77, 0x53, 0xDE, 0x00, 0x00, 0x00,
        0x0C, 0x49, 0x44, 0x41, 0x54, 0x08, 0xD7, 0x63, 0xF8, 0xFF, 0xFF, 0x3F, 0x00, 0x05, 0xFE, 0x02, 0xFE, 0xDC,
        0xCC, 0x59, 0xE7, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    std::string path = WriteTemp("pixel.png", std::string(reinterpret_cast<const char*>(png), sizeof png));
    EXPECT_EQ(0, DisplayImageFile(panel, PICTURE, path.c_str()));
    EXPECT_EQ(UIE_FILE_NOT_FOUND, DisplayImageFile(panel, PICTURE, "no_logo.png"));
    EXPECT_TRUE(Mentions("no_logo.png"));
    EXPECT_EQ(UIE_TYPE_MISMATCH, DisplayImageFile(panel, FRAME, path.c_str()));
}

// ---- Operator events ----------------------------------------------------------------------------

using OperatorEvents = UiTest;

TEST_F(OperatorEvents, ButtonsGivePressThenCommitByMouseSpaceAndEnter)
{
    OperatorClick(panel, BUTTON);
    EXPECT_EQ((std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}), Events(BUTTON));
    seen.clear();
    OperatorEnter(panel, BUTTON);
    EXPECT_EQ((std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}), Events(BUTTON));
}

TEST_F(OperatorEvents, TogglesSwitchesAndRadiosGiveChangeThenCommit)
{
    for (int c : {TOGGLE, SWITCH, RADIO}) {
        seen.clear();
        OperatorClick(panel, c);
        EXPECT_EQ((std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}), Events(c)) << c;
        EXPECT_EQ(1, ShownValue(panel, c)) << c;
    }
    // A click on a checked radio button unchecks it; the program keeps them exclusive itself.
    seen.clear();
    OperatorClick(panel, RADIO);
    EXPECT_EQ(0, Int(RADIO));
    EXPECT_EQ((std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}), Events(RADIO));
}

TEST_F(OperatorEvents, TypingGivesAChangePerKeystrokeAndEnterCommits)
{
    OperatorType(panel, NUMERIC, "300");
    EXPECT_EQ((std::vector<int>{EVENT_VAL_CHANGED, EVENT_VAL_CHANGED, EVENT_VAL_CHANGED}), Events(NUMERIC));
    EXPECT_EQ(300, U16(NUMERIC));
    seen.clear();
    OperatorEnter(panel, NUMERIC);
    EXPECT_EQ((std::vector<int>{EVENT_COMMIT}), Events(NUMERIC));
}

TEST_F(OperatorEvents, ATextEntryCommitsWhatWasTypedOnceAndTakesTextFromTheProgramSilently)
{
    OperatorType(panel, ENTRY, "mqtt://h/x");
    EXPECT_EQ(std::vector<int>(10, EVENT_VAL_CHANGED), Events(ENTRY));
    seen.clear();
    OperatorEnter(panel, ENTRY);
    OperatorEnter(panel, ENTRY);  // nothing new to commit
    EXPECT_EQ((std::vector<int>{EVENT_COMMIT}), Events(ENTRY));
    char text[64];
    ASSERT_EQ(0, GetCtrlVal(panel, ENTRY, text, sizeof text));
    EXPECT_STREQ("mqtt://h/x", text);

    seen.clear();
    ASSERT_EQ(0, SetCtrlVal(panel, ENTRY, "/etc/x\xB5"));
    OperatorKeys(panel, "Tab");  // the focus leaves an entry the operator did not change
    EXPECT_TRUE(Events(ENTRY).empty());
    ASSERT_EQ(0, GetCtrlVal(panel, ENTRY, text, sizeof text));
    EXPECT_STREQ("/etc/x\xB5", text);
    EXPECT_EQ(UIE_TYPE_MISMATCH, SetCtrlVal(panel, ENTRY, 3));
}

TEST_F(OperatorEvents, DraggingASlideGivesChangesThenOneCommitOnRelease)
{
    OperatorDragSlide(panel, SLIDE, 700);
    std::vector<int> ev = Events(SLIDE);
    ASSERT_GE(ev.size(), 2u);
    EXPECT_EQ(EVENT_COMMIT, ev.back());
    ev.pop_back();
    for (int e : ev) EXPECT_EQ(EVENT_VAL_CHANGED, e);
    EXPECT_EQ(700, U16(SLIDE));
}

TEST_F(OperatorEvents, ChoosingARingItemGivesChangeThenCommit)
{
    OperatorSelectRing(panel, RING, 2);
    EXPECT_EQ((std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}), Events(RING));
    EXPECT_EQ(2, U16(RING));
    seen.clear();
    OperatorSelectRing(panel, DROPDOWN, 1);
    EXPECT_EQ((std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}), Events(DROPDOWN));
    EXPECT_EQ(2, Int(DROPDOWN));
}

TEST_F(OperatorEvents, ProgrammaticChangesRaiseNone)
{
    SetCtrlVal(panel, NUMERIC, 44);
    SetCtrlVal(panel, SLIDE, 44);
    SetCtrlVal(panel, RING, 2);
    SetCtrlVal(panel, DROPDOWN, 2);
    SetCtrlVal(panel, SWITCH, 1);
    SetCtrlVal(panel, RADIO, 1);
    SetCtrlVal(panel, TOGGLE, 1);
    SetCtrlAttribute(panel, SLIDE, ATTR_MAX_VALUE, 10);
    ReplaceListItem(panel, RING, 3, "three", 3);
    Pump();
    EXPECT_TRUE(seen.empty());
}

TEST_F(OperatorEvents, DimmedControlsRaiseNone)
{
    for (int c : {BUTTON, TOGGLE, SWITCH, RADIO, NUMERIC, SLIDE, RING}) SetCtrlAttribute(panel, c, ATTR_DIMMED, 1);
    OperatorClick(panel, BUTTON);
    OperatorEnter(panel, BUTTON);
    OperatorClick(panel, TOGGLE);
    OperatorClick(panel, SWITCH);
    OperatorClick(panel, RADIO);
    OperatorType(panel, NUMERIC, "5");
    OperatorEnter(panel, NUMERIC);
    OperatorDragSlide(panel, SLIDE, 600);
    OperatorSelectRing(panel, RING, 0);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(0, Int(TOGGLE));
    EXPECT_EQ(10, U16(NUMERIC));
    // Undimmed, the same button works again.
    SetCtrlAttribute(panel, BUTTON, ATTR_DIMMED, 0);
    OperatorClick(panel, BUTTON);
    EXPECT_EQ((std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}), Events(BUTTON));
}

TEST_F(OperatorEvents, TheCloseBoxGivesElevenAndTheWindowStays)
{
    OperatorClosePanel(panel);
    EXPECT_EQ((std::vector<int>{EVENT_CLOSE}), Events(0));
    EXPECT_TRUE(PanelVisible(panel));

    // A pop-up without a callback just hides.
    int popup = LoadPanel(panel, FormPath().c_str(), 2);
    DisplayPanel(popup);
    OperatorClosePanel(popup);
    EXPECT_FALSE(PanelVisible(popup));
    EXPECT_EQ(1u, seen.size());
}

// ---- Shortcuts ----------------------------------------------------------------------------------

using Shortcuts = UiTest;

TEST_F(Shortcuts, AKeyPressesItsButtonAsAClickDoesAndIsNamedInTheTooltip)
{
    EXPECT_EQ("Go (F5)", ToolTip(panel, BUTTON));
    EXPECT_EQ("Stop (Esc)", ToolTip(panel, STOP));
    OperatorKeys(panel, "F5");
    EXPECT_EQ((std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}), Events(BUTTON));
    EXPECT_EQ(BUTTON, FocusedControl(panel));
    seen.clear();
    OperatorKeys(panel, "Esc");
    EXPECT_EQ((std::vector<Event>{{panel, STOP, EVENT_LEFT_CLICK}, {panel, STOP, EVENT_COMMIT}}), seen);
}

TEST_F(Shortcuts, AnEntryBeingTypedInCommitsBeforeTheButtonActs)
{
    OperatorKeys(panel, "Tab");  // from the button past the toggle
    OperatorKeys(panel, "Tab");
    ASSERT_EQ(NUMERIC, FocusedControl(panel));
    OperatorType(panel, NUMERIC, "300");
    seen.clear();
    OperatorKeys(panel, "F5");
    EXPECT_EQ((std::vector<Event>{
                  {panel, NUMERIC, EVENT_COMMIT}, {panel, BUTTON, EVENT_LEFT_CLICK}, {panel, BUTTON, EVENT_COMMIT}}),
              seen);
    EXPECT_EQ(300, U16(NUMERIC));
}

TEST_F(Shortcuts, DimmedOrHiddenButtonsIgnoreTheirKeys)
{
    SetCtrlAttribute(panel, BUTTON, ATTR_DIMMED, 1);
    SetCtrlAttribute(panel, STOP, ATTR_VISIBLE, 0);
    OperatorKeys(panel, "F5");
    OperatorKeys(panel, "Esc");
    EXPECT_TRUE(seen.empty());
    SetCtrlAttribute(panel, BUTTON, ATTR_DIMMED, 0);
    OperatorKeys(panel, "F5");
    EXPECT_EQ((std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}), Events(BUTTON));
}

// ---- Screen readers -----------------------------------------------------------------------------

using ScreenReaders = UiTest;

TEST_F(ScreenReaders, ATextMessageKeepsItsNameAndTellsTheTextItShows)
{
    SetCtrlVal(panel, STATUS, "No serial port found");
    AccessibleView v = Accessible(panel, STATUS);
    EXPECT_EQ("label", v.role);
    EXPECT_EQ("Status", v.name);
    EXPECT_EQ("No serial port found", v.description);
    EXPECT_EQ("No serial port found", v.value);
    EXPECT_EQ("No serial port found", v.text);
    SetCtrlVal(panel, STATUS, "Line Ok!");
    EXPECT_EQ("Line Ok!", Accessible(panel, STATUS).description);
    // A made text message has no name of its own: its text is its name.
    int made = NewCtrl(panel, CTRL_TEXT_MSG, "Version 1.5", 0, 0);
    EXPECT_EQ("Version 1.5", Accessible(panel, made).name);
}

TEST_F(ScreenReaders, RadioButtonsAreRadioButtonsAndPressLikeAClick)
{
    AccessibleView v = Accessible(panel, RADIO);
    EXPECT_EQ("radio button", v.role);
    EXPECT_EQ("RAM", v.name);
    EXPECT_TRUE(v.checkable);
    EXPECT_FALSE(v.checked);
    SetCtrlVal(panel, RADIO, 1);
    EXPECT_TRUE(Accessible(panel, RADIO).checked);
    EXPECT_EQ("check box", Accessible(panel, SWITCH).role);

    SetCtrlVal(panel, RADIO, 0);
    ScreenReaderPress(panel, RADIO);
    EXPECT_EQ((std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}), Events(RADIO));
    EXPECT_EQ(1, Int(RADIO));
    seen.clear();
    SetCtrlAttribute(panel, RADIO, ATTR_DIMMED, 1);
    ScreenReaderPress(panel, RADIO);
    EXPECT_TRUE(seen.empty());
}

TEST_F(ScreenReaders, ASlidesNameReachesTheSliderThatTakesTheFocus)
{
    AccessibleView v = Accessible(panel, SLIDE);
    EXPECT_EQ("slider", v.role);
    EXPECT_EQ("Threshold", v.name);
    EXPECT_EQ("100", v.value);
}

// ---- Nested event processing and the event loop -------------------------------------------------

using EventLoop = UiTest;

TEST_F(EventLoop, ACallbackLoopingOnProcessSystemEventsSeesOtherCallbacksOnce)
{
    bool stop = false;
    std::vector<Event> inside;
    hook = [&](const Event& e) {
        if (e.control == STOP && e.event == EVENT_LEFT_CLICK) stop = true;
        if (e.control == BUTTON && e.event == EVENT_COMMIT) {
            // The program's run loop: poll until Stop is pressed.
            AfterDelay(
                0.02, [](void* p) { OperatorClick(*static_cast<int*>(p), STOP); }, &panel);
            double start = Timer();
            while (!stop && Timer() - start < 2.0) ProcessSystemEvents();
            inside = seen;
        }
    };
    OperatorClick(panel, BUTTON);
    ASSERT_TRUE(stop);
    std::vector<Event> expected = {{panel, BUTTON, EVENT_LEFT_CLICK},
                                   {panel, BUTTON, EVENT_COMMIT},
                                   {panel, STOP, EVENT_LEFT_CLICK},
                                   {panel, STOP, EVENT_COMMIT}};
    EXPECT_EQ(expected, inside);
    Pump();
    EXPECT_EQ(expected, seen);  // nothing delivered twice
}

TEST_F(EventLoop, QuitFromANestedLoopReturnsOnceThatLoopHasUnwound)
{
    bool unwound = false;
    hook = [&](const Event& e) {
        if (e.control != BUTTON || e.event != EVENT_COMMIT) return;
        QuitUserInterface(7);
        double start = Timer();
        while (Timer() - start < 0.1) ProcessSystemEvents();
        unwound = true;
    };
    AfterDelay(
        0.01, [](void* p) { OperatorClick(*static_cast<int*>(p), BUTTON); }, &panel);
    EXPECT_EQ(7, RunUserInterface());
    EXPECT_TRUE(unwound);
}

TEST_F(EventLoop, TheCloseCallbackEndsRunUserInterface)
{
    hook = [&](const Event& e) {
        if (e.control == 0 && e.event == EVENT_CLOSE) QuitUserInterface(0);
    };
    AfterDelay(
        0.01, [](void* p) { OperatorClosePanel(*static_cast<int*>(p)); }, &panel);
    EXPECT_EQ(0, RunUserInterface());
    EXPECT_EQ((std::vector<int>{EVENT_CLOSE}), Events(0));
}

TEST_F(EventLoop, ATickerRunsInEventProcessingUntilStoppedAlsoFromItsOwnTick)
{
    struct Count {
        int ticks = 0;
        int handle = 0;
        int stopAt = 0;
    };
    static Count count;
    count = Count{};
    auto tick = [](void*) {
        if (++count.ticks == count.stopAt) StopTicker(count.handle);
    };
    auto pumpUntil = [](double seconds, auto done) {
        double end = Timer() + seconds;
        while (!done() && Timer() < end) ProcessSystemEvents();
    };
    EXPECT_EQ(-1, StartTicker(0.02, nullptr, nullptr));

    count.stopAt = 3;
    count.handle = StartTicker(0.02, tick, nullptr);
    ASSERT_GT(count.handle, 0);
    pumpUntil(5.0, [] { return count.ticks >= 3; });
    ASSERT_EQ(3, count.ticks);
    pumpUntil(0.2, [] { return false; });
    EXPECT_EQ(3, count.ticks);  // stopped inside its third tick
    StopTicker(count.handle);   // again: harmless
}

TEST_F(EventLoop, ProcessSystemEventsReturnsWhenNothingIsPending)
{
    // A pass that waited for the next event would end only when this fires.
    static bool watchdog;
    watchdog = false;
    AfterDelay(
        5.0, [](void*) { watchdog = true; }, nullptr);
    for (int i = 0; i < 30 && !watchdog; i++) ProcessSystemEvents();
    EXPECT_FALSE(watchdog);
}

TEST_F(EventLoop, AByteArrivingDuringTheWaitReachesItsCallback)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    ASSERT_EQ(0, SetComDevice(1, ptsname(master)));
    ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096));
    static int arrived;
    auto cb = [](int port, int, void*) {
        char b[8];
        arrived += ComRd(port, b, GetInQLen(port));
    };
    ASSERT_EQ(0, InstallComCallback(1, LWRS_RECEIVE, 1, 0, cb, nullptr));
    // The device speaks from another thread while this one polls, mostly asleep
    // in the wait. How fast the byte gets there is a figure of bench/event_wait.
    for (int i = 0; i < 5; i++) {
        arrived = 0;
        std::thread device([master, i] {
            std::this_thread::sleep_for(std::chrono::microseconds(3000 + 500 * i));
            (void)!write(master, "x", 1);
        });
        double start = Timer();
        while (arrived == 0 && Timer() - start < 5.0) ProcessSystemEvents();
        device.join();
        ASSERT_EQ(1, arrived) << "byte " << i;
    }
    CloseCom(1);
    close(master);
    SetComDevice(1, nullptr);
}

// ---- File pop-up --------------------------------------------------------------------------------

using FilePopup = UiTest;

TEST_F(FilePopup, QueuedAnswersStandInForTheDialogAndArgumentsAreRecorded)
{
    ClearFileSelectAnswers();
    QueueFileSelectAnswer(2, "/tmp/KVORpara.dat");
    QueueFileSelectAnswer(0, "");
    QueueFileSelectAnswer(1, std::string(RT_PATH_LEN + 10, 'x').c_str());
    char path[RT_PATH_LEN] = "junk";
    EXPECT_EQ(2, FileSelectPopup("/opt/kvormx", "KVORpara.dat", "*.dat", "K-VOR-MX-Series Parameter File", 0, 0, 1, 1,
                                 1, path));
    EXPECT_STREQ("/tmp/KVORpara.dat", path);
    EXPECT_EQ(0, FileSelectPopup("", "", "*.dat", "Load", 1, 0, 1, 1, 0, path));
    EXPECT_STREQ("", path);
    EXPECT_LT(FileSelectPopup("", "", "*.dat", "Load", 1, 0, 1, 1, 0, path), 0);  // would not fit the buffer
    ASSERT_EQ(3u, FileSelectCalls().size());
    const FileSelectCall& c = FileSelectCalls()[0];
    EXPECT_EQ("/opt/kvormx", c.defaultDir);
    EXPECT_EQ("KVORpara.dat", c.defaultName);
    EXPECT_EQ("*.dat", c.typeList);
    EXPECT_EQ("K-VOR-MX-Series Parameter File", c.title);
    EXPECT_EQ(0, c.buttonLabel);
}
