// The reference signal's file and its checks.
#include "link/reference.h"

#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/translate.h"
#include "runtime/util.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static char g_error[RT_PATH_LEN + 256];

static const char* const kIdentityColumns[6] = {"description", "ccd_type",   "pixels",
                                                "resolution",  "board_type", "firmware"};
static const char kAveraged[] = "averaged";

void TakeReference(Reference* r, const PictureRecord* newest, const uint16_t* samples, int averaged)
{
    r->picture = *newest;
    std::memcpy(r->picture.samples, samples, sizeof r->picture.samples);
    r->averaged = averaged < 1 ? 1 : averaged;
    FillIdentityRecord(&r->identity, nullptr);
    for (int i = 0; i < PNUM; i++) r->params[i] = *kParamVars[i];
}

// A CSV field as it stands or quoted with its quotes doubled.
static int CsvField(char* out, int size, const char* text)
{
    if (!std::strpbrk(text, ",\"\r\n")) return std::snprintf(out, static_cast<size_t>(size), "%s", text);
    int n = 0;
    if (n < size - 1) out[n++] = '"';
    for (const char* p = text; *p && n < size - 3; p++) {
        if (*p == '"') out[n++] = '"';
        out[n++] = *p;
    }
    out[n++] = '"';
    out[n] = '\0';
    return n;
}

int FormatReference(char* out, int size, const Reference* r)
{
    int n = FormatCsvHeader(out, size, 1);
    n += std::snprintf(out + n, static_cast<size_t>(size - n), ",%s", kAveraged);
    for (const char* c : kIdentityColumns) n += std::snprintf(out + n, static_cast<size_t>(size - n), ",%s", c);
    for (int i = 0; i < PNUM; i++) n += std::snprintf(out + n, static_cast<size_t>(size - n), ",%s", kParamNames[i]);
    n += std::snprintf(out + n, static_cast<size_t>(size - n), "\n");
    n += FormatPicture(out + n, size - n, &r->picture, FORMAT_CSV);
    n += std::snprintf(out + n, static_cast<size_t>(size - n), ",%d,", r->averaged);
    n += CsvField(out + n, size - n, r->identity.description);
    n += std::snprintf(out + n, static_cast<size_t>(size - n), ",%d,%d,%d,%d,", r->identity.ccd_type,
                       r->identity.pixels, r->identity.resolution, r->identity.board_type);
    n += CsvField(out + n, size - n, r->identity.firmware);
    for (int i = 0; i < PNUM; i++)
        n += std::snprintf(out + n, static_cast<size_t>(size - n), ",%u", unsigned{r->params[i]});
    n += std::snprintf(out + n, static_cast<size_t>(size - n), "\n");
    return n < size ? n : size - 1;
}

// ---- Reading ------------------------------------------------------------------------------------

const int MAX_COLUMNS = 400;
const int FIELD_LEN = RECORD_PORT_LEN;

struct Fields {
    char text[MAX_COLUMNS][FIELD_LEN];
    int count;
};

// One CSV line from *p into fields (quotes undone); *p then at the next line.
static void SplitLine(const char** p, Fields* f)
{
    f->count = 0;
    const char* s = *p;
    while (*s && f->count < MAX_COLUMNS) {
        char* out = f->text[f->count++];
        int n = 0;
        if (*s == '"') {
            for (s++; *s; s++) {
                if (*s == '"' && s[1] == '"') {
                    s++;
                } else if (*s == '"') {
                    s++;
                    break;
                }
                if (n < FIELD_LEN - 1) out[n++] = *s;
            }
        }
        for (; *s && *s != ',' && *s != '\n' && *s != '\r'; s++)
            if (n < FIELD_LEN - 1) out[n++] = *s;
        out[n] = '\0';
        if (*s == ',') {
            s++;
            continue;
        }
        break;
    }
    while (*s && *s != '\n') s++;
    if (*s == '\n') s++;
    *p = s;
}

static int Column(const Fields* header, const char* name)
{
    for (int i = 0; i < header->count; i++)
        if (std::strcmp(header->text[i], name) == 0) return i;
    return -1;
}

// The number in column `name`, within lo..hi; 0 and `why` when it is missing or bad.
static int Number(const Fields* header, const Fields* row, const char* name, long lo, long hi, long* value, char* why,
                  int size)
{
    const int c = Column(header, name);
    char* end = nullptr;
    if (c >= 0 && c < row->count && row->text[c][0]) *value = std::strtol(row->text[c], &end, 10);
    if (!end || *end != '\0' || *value < lo || *value > hi) {
        std::snprintf(why, static_cast<size_t>(size), TR("no valid column %s"), name);
        return 0;
    }
    return 1;
}

static void Text(const Fields* header, const Fields* row, const char* name, char* out, int size)
{
    const int c = Column(header, name);
    CopyText(out, size, c >= 0 && c < row->count ? row->text[c] : "");
}

int ParseReference(const char* text, Reference* r, char* why, int size)
{
    static Fields header, row;  // too large for the stack of a callback
    const char* p = text;
    SplitLine(&p, &header);
    SplitLine(&p, &row);
    if (Column(&header, "sample_0") < 0 || row.count < 2) {
        std::snprintf(why, static_cast<size_t>(size), "%s", TR("not a reference file (no picture row)"));
        return -1;
    }
    Reference got{};
    long v = 0;
    const struct {
        const char* name;
        long lo, hi;
        int* to;
    } ints[] = {
        {kMeasurementFields[FIELD_VALUE], 0, 65535, &got.picture.m.value},
        {kMeasurementFields[FIELD_LEFT_EDGE], 0, 65535, &got.picture.m.left_edge},
        {kMeasurementFields[FIELD_RIGHT_EDGE], 0, 65535, &got.picture.m.right_edge},
        {kMeasurementFields[FIELD_EDGES], 0, 65535, &got.picture.m.edges},
        {kMeasurementFields[FIELD_TEACH], 0, 65535, &got.picture.m.teach},
        {kMeasurementFields[FIELD_TOLERANCE], 0, 65535, &got.picture.m.tolerance},
        {kMeasurementFields[FIELD_MAXIMUM], 0, 65535, &got.picture.m.maximum},
        {kMeasurementFields[FIELD_MINIMUM], 0, 65535, &got.picture.m.minimum},
        {kPictureFields[0], 0, 65535, &got.picture.first_pixel},
        {kPictureFields[1], 1, 16, &got.picture.pixel_step},
        {"pixels", 1, 65535, &got.identity.pixels},
    };
    for (const auto& f : ints) {
        if (!Number(&header, &row, f.name, f.lo, f.hi, &v, why, size)) return -1;
        *f.to = static_cast<int>(v);
    }
    for (int i = 0; i < PICTURE_SAMPLES; i++) {
        char name[16];
        std::snprintf(name, sizeof name, "sample_%d", i);
        if (!Number(&header, &row, name, 0, 1023, &v, why, size)) return -1;
        got.picture.samples[i] = static_cast<uint16_t>(v);
    }
    // What only describes the reference is taken where it is there.
    got.averaged = Number(&header, &row, kAveraged, 1, 65535, &v, why, size) ? static_cast<int>(v) : 1;
    const struct {
        const char* name;
        int* to;
    } optional[] = {{"ccd_type", &got.identity.ccd_type},
                    {"resolution", &got.identity.resolution},
                    {"board_type", &got.identity.board_type}};
    for (const auto& f : optional)
        if (Number(&header, &row, f.name, 0, 65535, &v, why, size)) *f.to = static_cast<int>(v);
    for (int i = 0; i < PNUM; i++)
        if (Number(&header, &row, kParamNames[i], 0, 65535, &v, why, size)) got.params[i] = static_cast<uint16_t>(v);
    got.picture.complete = 1;
    got.picture.m.in_band = InBand(got.picture.m.value, got.picture.m.teach, got.picture.m.tolerance);
    Text(&header, &row, kMeasurementFields[FIELD_TIME], got.picture.m.time, RECORD_TIME_LEN);
    Text(&header, &row, kMeasurementFields[FIELD_PORT], got.picture.m.port, RECORD_PORT_LEN);
    Text(&header, &row, "description", got.identity.description, IDENTITY_TEXT_LEN);
    Text(&header, &row, "firmware", got.identity.firmware, STATUS_LEN);
    CopyText(got.identity.port, RECORD_PORT_LEN, got.picture.m.port);
    if (Number(&header, &row, kMeasurementFields[FIELD_SEQ], 0, 2147483647L, &v, why, size))
        got.picture.m.seq = static_cast<unsigned long>(v);
    why[0] = '\0';
    *r = got;
    return 0;
}

int SaveReference(const char* path, const Reference* r)
{
    static char text[REFERENCE_TEXT_LEN];
    int n = FormatReference(text, sizeof text, r);
    if (TextToFile(path, text, n) != 0) {
        CopyText(g_error, sizeof g_error, ArrayFileError());
        return -1;
    }
    g_error[0] = '\0';
    return 0;
}

int LoadReference(const char* path, Reference* r)
{
    static char text[REFERENCE_TEXT_LEN];
    if (FileToText(path, text, sizeof text) < 0) {
        CopyText(g_error, sizeof g_error, ArrayFileError());
        return -1;
    }
    char why[256];
    if (ParseReference(text, r, why, sizeof why) != 0) {
        std::snprintf(g_error, sizeof g_error, "%s: %s", path, why);
        return -1;
    }
    g_error[0] = '\0';
    return 0;
}

const char* ReferenceError(void)
{
    return g_error;
}

int ReferenceFits(const Reference* r, int pixels, int firstPixel, int pixelStep, char* why, int size)
{
    why[0] = '\0';
    if (r->identity.pixels != pixels) {
        std::snprintf(why, static_cast<size_t>(size),
                      TR("The reference was taken on a line of %d pixels, this sensor has %d."), r->identity.pixels,
                      pixels);
        return 0;
    }
    if (r->picture.first_pixel != firstPixel || r->picture.pixel_step != pixelStep) {
        std::snprintf(why, static_cast<size_t>(size), TR("The reference starts at pixel %d, the video at pixel %d."),
                      r->picture.first_pixel, firstPixel);
        return 0;
    }
    return 1;
}

void ReferenceDifference(const Reference* r, const uint16_t* live, int* difference)
{
    for (int i = 0; i < PICTURE_SAMPLES; i++) difference[i] = static_cast<int>(live[i]) - r->picture.samples[i];
}

// ---- The reference in use -----------------------------------------------------------------------

static Reference g_current;
static int g_haveCurrent = 0;

void SetCurrentReference(const Reference* r)
{
    g_haveCurrent = r != nullptr;
    if (r && r != &g_current) g_current = *r;
}

const Reference* CurrentReference(void)
{
    return g_haveCurrent ? &g_current : nullptr;
}

void ReferenceSettingKey(char* key, int size)
{
    char device[PATH_LEN];
    CopyText(device, PATH_LEN, GetComDevice(com));
    // A settings key takes letters, digits and a few marks; '/' would make groups.
    for (char* c = device; *c; c++)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '-')) *c = '_';
    const char* name = device;
    while (*name == '_') name++;
    std::snprintf(key, static_cast<size_t>(size), "reference/%s_%d", name, int{ccdmaxpixel});
}

int LoadRememberedReference(Reference* r, char* path, int pathSize, char* why, int size)
{
    why[0] = '\0';
    char key[PATH_LEN + 32];
    ReferenceSettingKey(key, sizeof key);
    if (!GetSetting(key, path, pathSize) || !path[0]) return 0;
    static Reference loaded;
    if (LoadReference(path, &loaded) != 0) {
        CopyText(why, size, ReferenceError());
        return 0;
    }
    int first, step;
    SampleGeometry(&first, &step);
    if (!ReferenceFits(&loaded, ccdmaxpixel, first, step, why, size)) return 0;
    *r = loaded;
    return 1;
}
