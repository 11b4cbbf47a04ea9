// The logo strip per brand, read back from the text controls it creates.
#include "support/program_fixture.h"

#include "runtime/ui.h"

#include <set>
#include <string>
#include <vector>

namespace {

struct Text {
    std::string text;
    int left, top, color, bg, size;
    std::string font;
};

class LogoStrip : public ProgramTest {
 protected:
    // Panels as the form has them, before start-up draws brand 2.
    void SetUp() override
    {
        ProgramTest::SetUp();
        DiscardPanel(panelPopUp);
        DiscardPanel(panelHandle);
        ASSERT_EQ(0, LoadPanels());
        for (int n = 1; n < 1000; n++)
            if (Exists(n)) formControls.insert(n);
        GetCtrlAttribute(panelHandle, PANEL_LOGO_FRAME, ATTR_FRAME_COLOR, &formFrame);
    }
    static bool Exists(int control)
    {
        int style = 0;
        return GetCtrlAttribute(panelHandle, control, ATTR_CTRL_STYLE, &style) == 0;
    }
    std::vector<Text> NewTexts() const
    {
        std::vector<Text> out;
        for (int n = 1; n < 1000; n++) {
            if (formControls.count(n) || !Exists(n)) continue;
            Text t{};
            char buf[128] = "";
            GetCtrlVal(panelHandle, n, buf, sizeof buf);
            t.text = buf;
            GetCtrlAttribute(panelHandle, n, ATTR_LEFT, &t.left);
            GetCtrlAttribute(panelHandle, n, ATTR_TOP, &t.top);
            GetCtrlAttribute(panelHandle, n, ATTR_TEXT_COLOR, &t.color);
            GetCtrlAttribute(panelHandle, n, ATTR_TEXT_BGCOLOR, &t.bg);
            GetCtrlAttribute(panelHandle, n, ATTR_TEXT_POINT_SIZE, &t.size);
            GetCtrlAttribute(panelHandle, n, ATTR_TEXT_FONT, buf, sizeof buf);
            t.font = buf;
            out.push_back(t);
        }
        return out;
    }
    int Attr(int control, int attribute) const
    {
        int v = -1;
        GetCtrlAttribute(panelHandle, control, attribute, &v);
        return v;
    }
    void ExpectText(const Text& t, const char* text, int left, int top, int size, int color, int bg)
    {
        EXPECT_EQ(text, t.text);
        EXPECT_EQ(left, t.left) << text;
        EXPECT_EQ(top, t.top) << text;
        EXPECT_EQ(size, t.size) << text;
        EXPECT_EQ(color, t.color) << text;
        EXPECT_EQ(bg, t.bg) << text;
        EXPECT_EQ("NIApp", t.font) << text;
    }
    std::set<int> formControls;
    int formFrame = -1;
};

const int BLUE = 0x0080FF, WHITE = 0xFFFFFF, GREY = 0x808080;

}  // namespace

TEST_F(LogoStrip, Brand2HasBitmapSupplierLinesNameAndVersion)
{
    ShowLogo(2);
    EXPECT_EQ(BLUE, Attr(PANEL_LOGO_FRAME, ATTR_FRAME_COLOR));
    EXPECT_EQ(1, Attr(PANEL_LOGO_PICTURE, ATTR_VISIBLE));
    EXPECT_EQ(300, Attr(PANEL_LOGO_PICTURE, ATTR_LEFT));
    EXPECT_EQ(10, Attr(PANEL_LOGO_PICTURE, ATTR_TOP));

    std::vector<Text> t = NewTexts();
    ASSERT_EQ(5u, t.size());
    const int tops[3] = {10, 25, 40};
    for (int i = 0; i < 3; i++) {
        EXPECT_FALSE(t[i].text.empty());
        EXPECT_EQ(15, t[i].left);
        EXPECT_EQ(tops[i], t[i].top);
        EXPECT_EQ(11, t[i].size);
        EXPECT_EQ(WHITE, t[i].color);
        EXPECT_EQ(BLUE, t[i].bg);
    }
    EXPECT_NE(std::string::npos, t[2].text.find("example.com"));
    ExpectText(t[3], "K-VOR-MX-Zidad", 300, 35, 18, WHITE, BLUE);
    ExpectText(t[4], "Version 1.5", 450, 40, 11, WHITE, BLUE);
}

TEST_F(LogoStrip, Brands0And1HideThePictureAndShowOnlyNameAndVersion)
{
    ShowLogo(0);
    EXPECT_EQ(WHITE, Attr(PANEL_LOGO_FRAME, ATTR_FRAME_COLOR));
    EXPECT_EQ(0, Attr(PANEL_LOGO_PICTURE, ATTR_VISIBLE));
    std::vector<Text> t = NewTexts();
    ASSERT_EQ(2u, t.size());
    ExpectText(t[0], "K-VOR-MX-Zidad", 20, 20, 18, GREY, WHITE);
    ExpectText(t[1], "Version 1.5", 170, 26, 11, GREY, WHITE);

    ShowLogo(1);  // drawn over the old strip: nothing removes a text
    EXPECT_EQ(BLUE, Attr(PANEL_LOGO_FRAME, ATTR_FRAME_COLOR));
    EXPECT_EQ(0, Attr(PANEL_LOGO_PICTURE, ATTR_VISIBLE));
    t = NewTexts();
    ASSERT_EQ(4u, t.size());
    ExpectText(t[2], "K-VOR-MX-Zidad", 20, 20, 18, WHITE, BLUE);
    ExpectText(t[3], "Version 1.5", 170, 26, 11, WHITE, BLUE);
}

TEST_F(LogoStrip, Brand5AndUnknownBrandsLeaveTheStripAsTheFormHasIt)
{
    int left = Attr(PANEL_LOGO_PICTURE, ATTR_LEFT), top = Attr(PANEL_LOGO_PICTURE, ATTR_TOP);
    int visible = Attr(PANEL_LOGO_PICTURE, ATTR_VISIBLE);
    for (int brand : {5, 7, -1}) {
        ShowLogo(brand);
        EXPECT_EQ(formFrame, Attr(PANEL_LOGO_FRAME, ATTR_FRAME_COLOR)) << brand;
        EXPECT_EQ(left, Attr(PANEL_LOGO_PICTURE, ATTR_LEFT));
        EXPECT_EQ(top, Attr(PANEL_LOGO_PICTURE, ATTR_TOP));
        EXPECT_EQ(visible, Attr(PANEL_LOGO_PICTURE, ATTR_VISIBLE));
        EXPECT_TRUE(NewTexts().empty()) << brand;
    }
}
