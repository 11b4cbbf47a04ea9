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
    SetScaleFromSensorType();
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

// ---- The sensors the program knows ---------------------------------------------------------------
// The description line of each CCD type and resolution code, and the working
// range it names: the length of the line in millimetres, from which a
// millimetre scale follows (scale.cpp). Latin-1: \xB5 is the micro sign.
namespace {

const int ANY_RESOLUTION = -1;

struct SensorKind {
    int type;
    int resolution;  // ANY_RESOLUTION: every code of the type not listed before it
    const char* line;
    double workingRangeMm;
};

const SensorKind kSensorKinds[] = {
    {1, 30, "  CCD-SENSOR:1024 pixel; 3.0\xB5m res., opt.-lense, 3.0mm working range", 3.0},
    {1, ANY_RESOLUTION, "  CCD-SENSOR:1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range", 8.0},
    {2, 750, "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 75mm working range", 75.0},
    {2, 350, "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, opt.-lense, 35mm working range", 35.0},
    {2, 250, "  CCD-SENSOR:1024 pixel; 25\xB5m pixel-pitch, 25,4mm working range", 25.4},
    {3, ANY_RESOLUTION, "  CCD-SENSOR:512 pixel; 25\xB5m pixel-pitch, 12,8mm working range", 12.8},
    {101, ANY_RESOLUTION, "  CCD-SENSOR:256 pixel; 63.5\xB5m pixel-pitch, 16mm working range", 16.0},
};

const SensorKind* FindSensorKind(void)
{
    for (const SensorKind& k : kSensorKinds)
        if (k.type == ccdtype && (k.resolution == ANY_RESOLUTION || k.resolution == ccdresolution)) return &k;
    return nullptr;
}

}  // namespace

const char* SensorDescription(void)
{
    if (const SensorKind* k = FindSensorKind()) return k->line;
    // A type 2 with a resolution code of no line keeps the last description.
    return ccdtype == 2 ? nullptr : "  CCD-SENSOR: no information avialable!";
}

double SensorWorkingRangeMm(void)
{
    const SensorKind* k = FindSensorKind();
    return k ? k->workingRangeMm : 0.0;
}
