// The millimetre scale of the line: from the sensor's type (its working range
// over its line length), or from a calibration on a gauge, kept per sensor in
// the settings so the next start on the same sensor has it again.
//
// A stored calibration reads "MM_PER_PIXEL OFFSET_MM TYPE RESOLUTION PIXELS",
// numbers with a dot whatever the locale; it is taken only by a sensor of the
// same type, resolution code and line length, so a sensor swapped on the same
// adapter starts from its own type's scale instead of another's calibration.
#include "link/link.h"

#include "link/record.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

const int KEY_LEN = 320;
const int STORED_LEN = 128;

void SetScaleFromSensorType(void)
{
    const double range = SensorWorkingRangeMm();
    mm_offset = 0.0;
    if (range > 0.0 && ccdmaxpixel > 0) {
        mm_per_pixel = range / ccdmaxpixel;
        mm_source = MM_SENSOR_TYPE;
    } else {
        mm_per_pixel = 0.0;
        mm_source = MM_NONE;
    }
}

int CalibrateScale(double gaugeMm, double pixels, double offsetMm)
{
    if (!(gaugeMm > 0.0) || !(pixels > 0.0) || !std::isfinite(gaugeMm) || !std::isfinite(pixels) ||
        !std::isfinite(offsetMm))
        return -1;
    mm_per_pixel = gaugeMm / pixels;
    mm_offset = offsetMm;
    mm_source = MM_CALIBRATED;
    return 0;
}

int ScaleKnown(void)
{
    return mm_per_pixel > 0.0 ? 1 : 0;
}

double PositionMm(double pixels)
{
    return pixels * mm_per_pixel + mm_offset;
}

double LengthMm(double pixels)
{
    return pixels * mm_per_pixel;
}

// ---- Kept per sensor ----------------------------------------------------------------------------

void CalibrationKey(char* key, int size)
{
    const char* device = GetComDevice(com);
    if (!std::strstr(device, "/serial/by-id/")) {
        std::snprintf(key, static_cast<size_t>(size), "calibration/COM%d", com);
        return;
    }
    // A settings key holds no slashes of its own: they would open groups.
    int n = std::snprintf(key, static_cast<size_t>(size), "calibration/");
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(device); *p && n < size - 4; p++) {
        if (std::isalnum(*p) || *p == '-' || *p == '_' || *p == '.')
            key[n++] = static_cast<char>(*p);
        else
            n += std::snprintf(key + n, static_cast<size_t>(size - n), "%%%02X", *p);
    }
    key[n] = '\0';
}

// The next blank-separated word of `text` as a number; advances *text.
static int NextNumber(const char** text, double* value)
{
    char word[40];
    const char* p = *text;
    while (*p == ' ') p++;
    int n = 0;
    while (*p && *p != ' ' && n < static_cast<int>(sizeof word) - 1) word[n++] = *p++;
    word[n] = '\0';
    *text = p;
    return n > 0 && ParseDecimal(word, value);
}

int LoadCalibration(void)
{
    char key[KEY_LEN], stored[STORED_LEN];
    CalibrationKey(key, KEY_LEN);
    if (!GetSetting(key, stored, STORED_LEN) || !stored[0]) return 0;
    double scale, offset, type, resolution, pixels;
    const char* p = stored;
    if (!NextNumber(&p, &scale) || !NextNumber(&p, &offset) || !NextNumber(&p, &type) || !NextNumber(&p, &resolution) ||
        !NextNumber(&p, &pixels))
        return 0;
    if (type != ccdtype || resolution != ccdresolution || pixels != ccdmaxpixel) return 0;
    if (CalibrateScale(scale, 1.0, offset) < 0) return 0;
    return 1;
}

int SaveCalibration(void)
{
    if (mm_source != MM_CALIBRATED) return -1;
    char key[KEY_LEN], scale[40], offset[40], stored[STORED_LEN];
    CalibrationKey(key, KEY_LEN);
    FixedText(scale, sizeof scale, mm_per_pixel, 12);
    FixedText(offset, sizeof offset, mm_offset, 6);
    std::snprintf(stored, sizeof stored, "%s %s %d %d %d", scale, offset, ccdtype, ccdresolution, ccdmaxpixel);
    return PutSetting(key, stored);
}

void ForgetCalibration(void)
{
    char key[KEY_LEN];
    CalibrationKey(key, KEY_LEN);
    PutSetting(key, "");
    SetScaleFromSensorType();
}

int ParseDecimal(const char* text, double* value)
{
    const char* p = text;
    while (*p == ' ') p++;
    int negative = 0;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    // All digits as one whole number, divided once: 0.1 then reads as
    // exactly as the compiler reads it.
    double mantissa = 0.0, divisor = 1.0;
    int digits = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); p++, digits++) mantissa = mantissa * 10.0 + (*p - '0');
    if (*p == '.' || *p == ',') {
        for (p++; std::isdigit(static_cast<unsigned char>(*p)); p++, digits++) {
            mantissa = mantissa * 10.0 + (*p - '0');
            divisor *= 10.0;
        }
    }
    while (*p == ' ') p++;
    if (!digits || *p) return 0;
    *value = (negative ? -mantissa : mantissa) / divisor;
    return 1;
}
