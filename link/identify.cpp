// Sensor identification on the line: the hardware words (CCD type, line
// length, resolution code, board type) and the firmware text.
#include "link/link.h"
#include "runtime/translate.h"

#include "link/state.h"
#include "runtime/util.h"

int ReadHardwareInfo(void)
{
    if (Exchange(CMD_HARDWARE_INFO, pp, REPLY_FRAME, reply_limit, EX_EVENTS) != EX_REPLY) {
        CopyText(szStatus, STATUS_LEN, "Timeout-RS-232...");
        return 0;
    }
    // Only a hardware reply says what the sensor is; any other frame would
    // leave a wrong line length behind for every pixel scale.
    if (GetWord(szReadBuf + 2) != CMD_HARDWARE_INFO) return 0;
    ccdtype = GetWord(szReadBuf + 4);
    ccdmaxpixel = GetWord(szReadBuf + 6);
    ccdresolution = GetWord(szReadBuf + 8);
    pcbtype = GetWord(szReadBuf + 10);

    pixB = 1;
    pixE = ccdmaxpixel;
    if (pixE > eEnd) eEnd = pixE;
    return 1;
}

int ReadFirmwareText(ExchangeWritten written)
{
    // The firmware text keeps its half second more than a frame's reply.
    int r = Exchange(CMD_VERSION, pp, FIRMWARE_BYTES, reply_limit + (FIRMWARE_TIMEOUT - TIMEOUT), 0, written);
    szVersion[0] = '\0';
    if (r == EX_REPLY) {
        if (pcbtype == 0) {
            // One character in the low byte of each big-endian word.
            int words[FIRMWARE_BYTES / 2];
            for (int k = 0; k < FIRMWARE_BYTES / 2; k++) words[k] = GetWord(szReadBuf + 2 * k);
            Fmt(szVersion, "%72c<%36i", words);
            CopyText(szStatus, STATUS_LEN, szVersion);
        } else {
            char text[FIRMWARE_BYTES + 1];
            for (int k = 0; k < FIRMWARE_BYTES; k++) text[k] = szReadBuf[k];
            text[FIRMWARE_BYTES] = '\0';
            CopyText(szVersion, STATUS_LEN, text);
            CopyText(szStatus, STATUS_LEN, text);
        }
        ShowAsIs(szVersion);  // the sensor's own words, in no other language
    } else if (r == EX_TIMEOUT) {
        CopyText(szStatus, STATUS_LEN, "Timeout - reading firmware info!");
    }
    return RawBytesWaiting();
}

// Sensor descriptions, Latin-1: \xB5 is the micro sign.
const char* SensorDescription(void)
{
    switch (ccdtype) {
        case 1:
            return ccdresolution == 30 ? "  CCD-SENSOR:1024 pixel; 3.0\xB5m res., opt.-lense, 3.0mm working range"
                                       : "  CCD-SENSOR:1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range";
        case 2:
            if (ccdresolution == 750)
                return "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 75mm working range";
            if (ccdresolution == 350)
                return "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 35mm working range";
            if (ccdresolution == 250) return "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, 25,4mm working range";
            return nullptr;
        case 3: return "  CCD-SENSOR:512 pixel; 25\xB5m pixel-pitch, 12,8mm working range";
        case 101: return "  CCD-SENSOR:256 pixel; 63.5\xB5m pixel-pitch, 16mm working range";
        default: return "  CCD-SENSOR: no information avialable!";
    }
}
