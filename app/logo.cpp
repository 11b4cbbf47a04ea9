// The logo strip at the top of the main panel: background colour, brand
// bitmap, supplier lines, program name and version. One brand table serves
// every brand the program is sold under; start-up draws brand 2.
#include "app/app.h"

#include "form/form.h"
#include "link/state.h"
#include "runtime/translate.h"
#include "runtime/ui.h"

const char* const LOGO_FONT = "NIApp";
const int NAME_POINTS = 18;
const int TEXT_POINTS = 11;
const int SUPPLIER_LEFT = 15;

struct Brand {
    bool draws;  // brand 5 leaves the strip as the form has it
    int frameColor;
    const char* bitmap;  // nullptr: the picture is hidden
    int picLeft, picTop;
    const char* supplier[3];  // company, telephone, web; nullptr: no supplier lines
    int supplierTop[3];
    int nameLeft, nameTop, versionLeft, versionTop;
    int textColor, textBg;
};

static const Brand kBrands[7] = {
    {true, 0xFFFFFF, nullptr, 0, 0, {nullptr, nullptr, nullptr}, {0, 0, 0}, 20, 20, 170, 26, 0x808080, 0xFFFFFF},
    {true, 0x0080FF, nullptr, 0, 0, {nullptr, nullptr, nullptr}, {0, 0, 0}, 20, 20, 170, 26, 0xFFFFFF, 0x0080FF},
    {true,
     0x0080FF,
     "logo2.png",
     300,
     10,
     {"Example Sensors GmbH", "Tel. +49 (0) 000 / 000 00-0", "www.example.com"},
     {10, 25, 40},
     300,
     35,
     450,
     40,
     0xFFFFFF,
     0x0080FF},
    {true, 0xFFFFFF, "logo3.png", 470, 8, {nullptr, nullptr, nullptr}, {0, 0, 0}, 20, 20, 170, 26, 0x808080, 0xFFFFFF},
    {true,
     0x0080FF,
     "logo4.png",
     470,
     7,
     {"Example Line Sensors Ltd.", "Phone +44 (0) 0000 000000", "sensors.example.com"},
     {7, 22, 37},
     220,
     30,
     370,
     36,
     0xFFFFFF,
     0x0080FF},
    {false, 0, nullptr, 0, 0, {nullptr, nullptr, nullptr}, {0, 0, 0}, 0, 0, 0, 0, 0, 0},
    {true,
     0xFFFFFF,
     "logo6.png",
     470,
     7,
     {"Example Optics S.A.", "Tel. +33 (0)0 00 00 00 00", "optics.example.com"},
     {7, 22, 37},
     220,
     30,
     370,
     36,
     0x808080,
     0xFFFFFF},
};

void ShowInfoText(int /*control*/, int bgColor, int textColor, const char* text, int left, int top, int pointSize)
{
    ShowAsIs(text);  // names, numbers and addresses, the same in every language
    // A new text control each time: the strip is drawn once per run.
    int control = NewCtrl(panelHandle, CTRL_TEXT_MSG, "", top, left);
    if (control < 0) return;
    SetCtrlAttribute(panelHandle, control, ATTR_TEXT_FONT, LOGO_FONT);
    SetCtrlAttribute(panelHandle, control, ATTR_TEXT_BGCOLOR, bgColor);
    SetCtrlAttribute(panelHandle, control, ATTR_TEXT_COLOR, textColor);
    SetCtrlAttribute(panelHandle, control, ATTR_TEXT_POINT_SIZE, pointSize);
    SetCtrlVal(panelHandle, control, text);
}

void ShowLogo(int brand)
{
    if (brand < 0 || brand > 6 || !kBrands[brand].draws) return;
    const Brand& b = kBrands[brand];
    SetCtrlAttribute(panelHandle, PANEL_LOGO_FRAME, ATTR_FRAME_COLOR, b.frameColor);
    if (b.bitmap) {
        SetCtrlAttribute(panelHandle, PANEL_LOGO_PICTURE, ATTR_TOP, b.picTop);
        SetCtrlAttribute(panelHandle, PANEL_LOGO_PICTURE, ATTR_LEFT, b.picLeft);
        DisplayImageFile(panelHandle, PANEL_LOGO_PICTURE, b.bitmap);
        if (b.supplier[0])
            for (int i = 0; i < 3; i++)
                ShowInfoText(0, b.textBg, b.textColor, b.supplier[i], SUPPLIER_LEFT, b.supplierTop[i], TEXT_POINTS);
    } else {
        SetCtrlAttribute(panelHandle, PANEL_LOGO_PICTURE, ATTR_VISIBLE, 0);
    }
    ShowInfoText(0, b.textBg, b.textColor, szSoftName, b.nameLeft, b.nameTop, NAME_POINTS);
    ShowInfoText(0, b.textBg, b.textColor, szSoftVersion, b.versionLeft, b.versionTop, TEXT_POINTS);
}
