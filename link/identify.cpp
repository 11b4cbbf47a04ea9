// Sensor identification: the hardware words (CCD type, line length,
// resolution code, board type) and the firmware text.
#include "link/link.h"

#include "app/panels.h"
#include "app/state.h"
#include "runtime/graph.h"
#include "runtime/rs232.h"
#include "runtime/ui.h"
#include "runtime/util.h"

// Sensor descriptions, Latin-1: \xB5 is the micro sign.
static const char* kDescNone = "  CCD-SENSOR: no information avialable!";

static void Describe(const char* line)
{
    ReplaceTextBoxLine(panelPopUp, POPUP_SENSOR_INFO, 0, line);
}

static void DimGain(int dimmed)
{
    SetCtrlAttribute(panelPopUp, POPUP_GAIN, ATTR_DIMMED, dimmed);
}

void SetVideoAxis(int windowed, int first)
{
    if (windowed) {
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, VAL_MANUAL, first, first + 256.0);
        for (int i = 0; i < 256; i++) xArray[i] = static_cast<uint16_t>(first + i);
        return;
    }
    // The 256 samples cover the whole line: every 4th pixel of 1024, every
    // 2nd of 512, and every pixel of a 256-pixel line (spreading those over
    // twice the line would push half the curve off the axis).
    int step = ccdmaxpixel == 1024 ? 4 : (ccdmaxpixel == 256 ? 1 : 2);
    SetAxisScalingMode(panelHandle, PANEL_GRAPH_VIDEO, AXIS_X, VAL_MANUAL, 1.0, ccdmaxpixel);
    for (int i = 0; i < 256; i++) xArray[i] = static_cast<uint16_t>(step * i);
}

int GetHARDWAREInfo(void)
{
    order = CMD_HARDWARE_INFO;
    FillTxBuf(order, pp);
    SendFrame();
    if (!WaitForFrame(TIMEOUT)) {
        CopyText(szStatus, STATUS_LEN, "Timeout-RS-232...");
        return 0;
    }
    auto word = [](int k) {
        return static_cast<uint16_t>(static_cast<unsigned char>(szReadBuf[2 * k]) * 256u +
                                     static_cast<unsigned char>(szReadBuf[2 * k + 1]));
    };
    // Only a hardware reply says what the sensor is; any other frame would
    // leave a wrong line length behind for every pixel scale.
    if (word(1) != CMD_HARDWARE_INFO) return 0;
    ccdtype = word(2);
    ccdmaxpixel = word(3);
    ccdresolution = word(4);
    pcbtype = word(5);

    pixB = 1;
    pixE = ccdmaxpixel;
    if (pixE > eEnd) eEnd = pixE;
    SetCtrlAttribute(panelPopUp, POPUP_PIXELSTART, ATTR_MAX_VALUE, ccdmaxpixel);

    if (ccdMode == 0)
        SetVideoAxis(0, 0);
    else
        SetVideoAxis(1, pix1);

    switch (ccdtype) {
    case 1:
        Describe(ccdresolution == 30
                     ? "  CCD-SENSOR:1024 pixel; 3.0\xB5m res., opt.-lense, 3.0mm working range"
                     : "  CCD-SENSOR:1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range");
        DimGain(0);
        break;
    case 2:
        if (ccdresolution == 750)
            Describe("  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 75mm working range");
        else if (ccdresolution == 350)
            Describe("  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 35mm working range");
        else if (ccdresolution == 250)
            Describe("  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, 25,4mm working range");
        else
            break;  // unknown resolution: description and gain stay as they are
        DimGain(0);
        break;
    case 3:
        Describe("  CCD-SENSOR:512 pixel; 25\xB5m pixel-pitch, 12,8mm working range");
        SetAxisScalingMode(panelHandle, PANEL_GRAPH_RAW, AXIS_Y, VAL_MANUAL, 0.0, ccdmaxpixel);
        DimGain(0);
        break;
    case 101:
        Describe("  CCD-SENSOR:256 pixel; 63.5\xB5m pixel-pitch, 16mm working range");
        DimGain(1);
        break;
    default:
        Describe(kDescNone);
        DimGain(0);
        break;
    }

    if (pcbtype == 400) {
        // This board has neither gain, window mode, potentiometer, analog
        // output nor the serial output mode.
        const int popupCtrls[] = {POPUP_GAIN, POPUP_CCDMODE, POPUP_POTI_ITEM, POPUP_ANAMODE};
        for (int c : popupCtrls) SetCtrlAttribute(panelPopUp, c, ATTR_DIMMED, 1);
        const int mainCtrls[] = {PANEL_RS232MODE, PANEL_ANAMAX, PANEL_ANAMIN};
        for (int c : mainCtrls) SetCtrlAttribute(panelHandle, c, ATTR_DIMMED, 1);
    }
    return 1;
}

int GetVERSIONInfo(void)
{
    int count = 0;
    // The text is a raw block: the receive callback would take its first 36
    // bytes for a frame, so it is off until the block is read.
    InstallComCallback(com, 0, FRAME_BYTES, sync_word, nullptr, 0);
    FlushInQ(com);
    FlushOutQ(com);
    order = CMD_VERSION;
    FillTxBuf(order, pp);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for firmware info ...");

    tstart = Timer();
    do {
        count = GetInQLen(com);
        tdiff = Timer() - tstart;
        if (tdiff > FIRMWARE_TIMEOUT) {
            CopyText(szStatus, STATUS_LEN, "Timeout - reading firmware info!");
            break;
        }
    } while (count < FIRMWARE_BYTES);

    szVersion[0] = '\0';
    int want = count < 0 ? 0 : (count > SERIAL_BUF_LEN ? SERIAL_BUF_LEN : count);
    nBytesR = want > 0 ? ComRd(com, szReadBuf, want) : 0;
    if (nBytesR == FIRMWARE_BYTES) {
        if (pcbtype == 0) {
            // One character in the low byte of each big-endian word.
            int words[FIRMWARE_BYTES / 2];
            for (int k = 0; k < FIRMWARE_BYTES / 2; k++)
                words[k] = static_cast<unsigned char>(szReadBuf[2 * k]) * 256 +
                           static_cast<unsigned char>(szReadBuf[2 * k + 1]);
            Fmt(szVersion, "%72c<%36i", words);
            CopyText(szStatus, STATUS_LEN, szVersion);
        } else {
            char text[FIRMWARE_BYTES + 1];
            for (int k = 0; k < FIRMWARE_BYTES; k++) text[k] = szReadBuf[k];
            text[FIRMWARE_BYTES] = '\0';
            CopyText(szStatus, STATUS_LEN, text);
        }
    }

    InstallComCallback(com, eventMask, FRAME_BYTES, sync_word, RX_Receive_Function, 0);
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    SetCtrlVal(panelHandle, PANEL_STATUS, szStatus);
    return count;
}
