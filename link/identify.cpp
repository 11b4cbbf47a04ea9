// Sensor identification on the line: the hardware words (CCD type, line
// length, resolution code, board type) and the firmware text.
#include "link/link.h"

#include "app/state.h"
#include "runtime/util.h"

int ReadHardwareInfo(void)
{
    if (Exchange(CMD_HARDWARE_INFO, pp, REPLY_FRAME, TIMEOUT, EX_EVENTS) != EX_REPLY) {
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
    int r = Exchange(CMD_VERSION, pp, FIRMWARE_BYTES, FIRMWARE_TIMEOUT, 0, written);
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
            CopyText(szStatus, STATUS_LEN, text);
        }
    } else if (r == EX_TIMEOUT) {
        CopyText(szStatus, STATUS_LEN, "Timeout - reading firmware info!");
    }
    return RawBytesWaiting();
}
