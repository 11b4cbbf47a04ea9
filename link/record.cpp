// The records, their names and formats, and the sinks they go to.
//
// Numbers are integers, and the seconds are written from whole
// milliseconds: no decimal comma of any locale can creep into a row or a
// message.
//
// Index:
//   [SECTION] In band
//   [SECTION] Filling the records
//   [SECTION] Names
//   [SECTION] Formats
//   [SECTION] Sinks
#include "link/record.h"

#include "link/link.h"
#include "runtime/filewriter.h"
#include "runtime/rs232.h"
#include "runtime/util.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---- [SECTION] In band --------------------------------------------------------------------------

void BandLimits(int teach, int tolerance, int* lower, int* upper)
{
    *lower = teach - tolerance;
    *upper = teach + tolerance;
    if (*lower < 1) *lower = 1;
    if (*upper > 1023) *upper = 1023;
}

int InBand(int value, int teach, int tolerance)
{
    int lower, upper;
    BandLimits(teach, tolerance, &lower, &upper);
    return value >= lower && value <= upper ? 1 : 0;
}

// ---- [SECTION] Filling the records --------------------------------------------------------------

static double g_loopStarted;  // Timer() at the loop's first request
static unsigned long g_seq;   // records of this loop

void BeginRecords(void)
{
    g_loopStarted = Timer();
    g_seq = 0;
}

void SkipRecord(void)
{
    g_seq++;
}

void FillMeasurementRecord(MeasurementRecord* r)
{
    UtcTimeText(r->time, RECORD_TIME_LEN);
    r->seconds = Timer() - g_loopStarted;
    r->seq = ++g_seq;
    r->value = Mvalue;
    r->left_edge = Ledge;
    r->right_edge = Redge;
    r->edges = edcnt;
    r->teach = tVal;
    r->tolerance = tTol;
    r->maximum = anaMax;
    r->minimum = anaMin;
    r->in_band = InBand(r->value, r->teach, r->tolerance);
    CopyText(r->port, RECORD_PORT_LEN, GetComDevice(com));
    r->value_mm = r->left_edge_mm = r->right_edge_mm = r->width_mm = NO_MM;
    if (!ScaleKnown()) return;
    r->value_mm = PositionMm(r->value);
    if (r->left_edge) r->left_edge_mm = PositionMm(r->left_edge);
    if (r->right_edge) r->right_edge_mm = PositionMm(r->right_edge);
    if (r->left_edge && r->right_edge) r->width_mm = r->right_edge_mm - r->left_edge_mm;
}

int LineSampleStep(void)
{
    // Spreading 256 samples of a 256-pixel line over twice the line would
    // push half the curve off the axis.
    return ccdmaxpixel == 1024 ? 4 : (ccdmaxpixel == 256 ? 1 : 2);
}

void SampleGeometry(int* firstPixel, int* pixelStep)
{
    const int windowed = ccdMode == 1;
    *firstPixel = windowed ? pStart : 0;
    *pixelStep = windowed ? 1 : LineSampleStep();
}

void FillPictureRecord(PictureRecord* r, int complete)
{
    FillMeasurementRecord(&r->m);
    r->complete = complete;
    SampleGeometry(&r->first_pixel, &r->pixel_step);
    std::memcpy(r->samples, adcbuf, sizeof r->samples);
}

void FillIdentityRecord(IdentityRecord* r, const char* description)
{
    const char* d = description ? description : SensorDescription();
    if (!d) d = "CCD-SENSOR: no information";
    while (*d == ' ') d++;  // the indent only places it on the panel
    CopyText(r->description, IDENTITY_TEXT_LEN, d);
    r->ccd_type = ccdtype;
    r->pixels = ccdmaxpixel;
    r->resolution = ccdresolution;
    r->board_type = pcbtype;
    CopyText(r->firmware, STATUS_LEN, szVersion);
    for (int n = static_cast<int>(std::strlen(r->firmware)); n > 0 && r->firmware[n - 1] == ' '; n--)
        r->firmware[n - 1] = '\0';  // blanks pad the text to its 72 bytes
    CopyText(r->port, RECORD_PORT_LEN, GetComDevice(com));
    r->mm_per_pixel = ScaleKnown() ? mm_per_pixel : 0.0;
    r->mm_offset = ScaleKnown() ? mm_offset : 0.0;
}

// ---- [SECTION] Names ----------------------------------------------------------------------------

// The millimetre fields come last: a reader that takes the columns by their
// place finds the pixel fields where they always were.
const char* const kMeasurementFields[MEASUREMENT_FIELDS] = {
    "time",    "seconds", "seq",     "value", "left_edge", "right_edge",   "edges",         "teach",    "tolerance",
    "maximum", "minimum", "in_band", "port",  "value_mm",  "left_edge_mm", "right_edge_mm", "width_mm",
};

const double NO_MM = std::nan("");

int HasMm(double mm)
{
    return std::isfinite(mm) ? 1 : 0;
}

const char* const kPictureFields[2] = {"first_pixel", "pixel_step"};

const char* const kIdentityFields[9] = {
    "description", "ccd_type", "pixels", "resolution", "board_type", "firmware", "port", "mm_per_pixel", "mm_offset",
};

const char* const kMeasureWordNames[PNUM] = {
    kMeasurementFields[FIELD_LEFT_EDGE],
    kMeasurementFields[FIELD_RIGHT_EDGE],
    kMeasurementFields[FIELD_VALUE],
    kMeasurementFields[FIELD_TEACH],
    kMeasurementFields[FIELD_TOLERANCE],
    "pix1",
    kMeasurementFields[FIELD_EDGES],
    "mvstart",
    "mvend",
    "pixdelta",
    kMeasurementFields[FIELD_MAXIMUM],
    kMeasurementFields[FIELD_MINIMUM],
    "in0",
    "w13",
    "w14",
    "w15",
};

// ---- [SECTION] Formats --------------------------------------------------------------------------

namespace {

// Appends to a fixed line; what does not fit is cut.
struct Line {
    char* out;
    int size;
    int n = 0;
    Line(char* o, int s) : out(o), size(s) { out[0] = '\0'; }
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

void Line::Add(const char* format, ...)
{
    if (n >= size - 1) return;
    va_list args;
    va_start(args, format);
    int k = std::vsnprintf(out + n, static_cast<size_t>(size - n), format, args);
    va_end(args);
    if (k > 0) n += k < size - 1 - n ? k : size - 1 - n;
}

// A CSV field: as it is, or quoted with its quotes doubled where it holds a
// comma, a quote or a line break.
void CsvText(Line& line, const char* text)
{
    if (!std::strpbrk(text, ",\"\r\n")) {
        line.Add("%s", text);
        return;
    }
    line.Add("\"");
    for (const char* p = text; *p; p++) line.Add(*p == '"' ? "\"\"" : "%c", *p);
    line.Add("\"");
}

void JsonText(Line& line, const char* latin1)
{
    char text[RECORD_PORT_LEN * 2];
    JsonString(text, sizeof text, latin1);
    line.Add("\"%s\"", text);
}

// Millimetres to the micrometre.
const int MM_DECIMALS = 3;

void Trimmed(Line& line, double v)
{
    char text[48];
    ShortFixedText(text, sizeof text, v, 10);
    line.Add("%s", text);
}

void MillimetreFields(Line& line, const MeasurementRecord* r, int format)
{
    const double mm[] = {r->value_mm, r->left_edge_mm, r->right_edge_mm, r->width_mm};
    for (int k = 0; k < 4; k++) {
        char text[48];
        FixedText(text, sizeof text, mm[k], MM_DECIMALS);
        if (format == FORMAT_JSON) {
            if (HasMm(mm[k])) line.Add(",\"%s\":%s", kMeasurementFields[FIELD_VALUE_MM + k], text);
        } else {
            line.Add("%c%s", format == FORMAT_CSV ? ',' : ' ', HasMm(mm[k]) ? text : (format == FORMAT_CSV ? "" : "-"));
        }
    }
}

void Measurement(Line& line, const MeasurementRecord* r, int format)
{
    const long ms = static_cast<long>(r->seconds * 1000.0 + 0.5);
    const int numbers[] = {r->value, r->left_edge, r->right_edge, r->edges,
                           r->teach, r->tolerance, r->maximum,    r->minimum};
    if (format == FORMAT_JSON) {
        line.Add("{\"%s\":\"%s\",\"%s\":%ld.%03ld,\"%s\":%lu", kMeasurementFields[FIELD_TIME], r->time,
                 kMeasurementFields[FIELD_SECONDS], ms / 1000, ms % 1000, kMeasurementFields[FIELD_SEQ], r->seq);
        for (int k = 0; k < 8; k++) line.Add(",\"%s\":%d", kMeasurementFields[FIELD_VALUE + k], numbers[k]);
        line.Add(",\"%s\":%s,\"%s\":", kMeasurementFields[FIELD_IN_BAND], r->in_band ? "true" : "false",
                 kMeasurementFields[FIELD_PORT]);
        JsonText(line, r->port);
        MillimetreFields(line, r, format);
        return;  // the caller closes the object
    }
    const char sep = format == FORMAT_CSV ? ',' : ' ';
    line.Add("%s%c%ld.%03ld%c%lu", r->time, sep, ms / 1000, ms % 1000, sep, r->seq);
    for (int v : numbers) line.Add("%c%d", sep, v);
    line.Add("%c%d%c", sep, r->in_band, sep);
    if (format == FORMAT_CSV)
        CsvText(line, r->port);
    else
        line.Add("%s", r->port);
    MillimetreFields(line, r, format);
}

}  // namespace

int JsonString(char* out, int size, const char* latin1)
{
    int n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(latin1); *p && n < size - 7; p++) {
        unsigned c = *p;
        if (c == '"' || c == '\\') {
            out[n++] = '\\';
            out[n++] = static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            n += std::snprintf(out + n, size - n, "\\u%04x", c);
        } else if (c >= 0x80) {
            out[n++] = static_cast<char>(0xC0 | (c >> 6));
            out[n++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[n++] = static_cast<char>(c);
        }
    }
    out[n] = '\0';
    return n;
}

int FormatCsvHeader(char* out, int size, int picture)
{
    Line line(out, size);
    for (int k = 0; k < MEASUREMENT_FIELDS; k++) line.Add(k ? ",%s" : "%s", kMeasurementFields[k]);
    if (picture) {
        line.Add(",%s,%s", kPictureFields[0], kPictureFields[1]);
        for (int i = 0; i < PICTURE_SAMPLES; i++) line.Add(",sample_%d", i);
    }
    return line.n;
}

int FormatMeasurement(char* out, int size, const MeasurementRecord* r, int format)
{
    Line line(out, size);
    Measurement(line, r, format);
    if (format == FORMAT_JSON) line.Add("}");
    return line.n;
}

int FormatPicture(char* out, int size, const PictureRecord* r, int format)
{
    Line line(out, size);
    Measurement(line, &r->m, format);
    if (format == FORMAT_JSON) {
        line.Add(",\"%s\":%d,\"%s\":%d,\"samples\":[", kPictureFields[0], r->first_pixel, kPictureFields[1],
                 r->pixel_step);
        for (int i = 0; i < PICTURE_SAMPLES; i++) line.Add(i ? ",%u" : "%u", unsigned{r->samples[i]});
        line.Add("]}");
        return line.n;
    }
    const char sep = format == FORMAT_CSV ? ',' : ' ';
    line.Add("%c%d%c%d", sep, r->first_pixel, sep, r->pixel_step);
    for (int i = 0; i < PICTURE_SAMPLES; i++) line.Add("%c%u", sep, unsigned{r->samples[i]});
    return line.n;
}

int FormatIdentityJson(char* out, int size, const IdentityRecord* r)
{
    Line line(out, size);
    line.Add("{\"%s\":", kIdentityFields[0]);
    JsonText(line, r->description);
    line.Add(",\"%s\":%d,\"%s\":%d,\"%s\":%d,\"%s\":%d,\"%s\":", kIdentityFields[1], r->ccd_type, kIdentityFields[2],
             r->pixels, kIdentityFields[3], r->resolution, kIdentityFields[4], r->board_type, kIdentityFields[5]);
    JsonText(line, r->firmware);
    line.Add(",\"%s\":", kIdentityFields[6]);
    JsonText(line, r->port);
    if (r->mm_per_pixel > 0.0) {
        line.Add(",\"%s\":", kIdentityFields[7]);
        Trimmed(line, r->mm_per_pixel);
        line.Add(",\"%s\":", kIdentityFields[8]);
        Trimmed(line, r->mm_offset);
    }
    line.Add("}");
    return line.n;
}

int FixedText(char* out, int size, double value, int decimals)
{
    if (size <= 0) return 0;
    out[0] = '\0';
    if (!std::isfinite(value) || decimals < 0 || decimals > 12) return 0;
    unsigned long long unit = 1;
    for (int k = 0; k < decimals; k++) unit *= 10;
    const double scaled = std::fabs(value) * static_cast<double>(unit);
    if (scaled > 9.0e18) return 0;
    const unsigned long long n = std::llround(scaled);
    const char* sign = value < 0 && n != 0 ? "-" : "";
    int k = decimals
                ? std::snprintf(out, static_cast<size_t>(size), "%s%llu.%0*llu", sign, n / unit, decimals, n % unit)
                : std::snprintf(out, static_cast<size_t>(size), "%s%llu", sign, n);
    return k < size ? k : size - 1;
}

// ---- [SECTION] Sinks ----------------------------------------------------------------------------

static const RecordSink* g_sinks[MAX_SINKS];
static int g_sinkCount = 0;

int AddRecordSink(const RecordSink* sink)
{
    for (int i = 0; i < g_sinkCount; i++)
        if (g_sinks[i] == sink) return 0;
    if (g_sinkCount == MAX_SINKS) return -1;
    g_sinks[g_sinkCount++] = sink;
    return 0;
}

void RemoveRecordSink(const RecordSink* sink)
{
    for (int i = 0; i < g_sinkCount; i++) {
        if (g_sinks[i] != sink) continue;
        for (int k = i + 1; k < g_sinkCount; k++) g_sinks[k - 1] = g_sinks[k];
        g_sinkCount--;
        return;
    }
}

void ClearRecordSinks(void)
{
    g_sinkCount = 0;
}

void DeliverMeasurement(const MeasurementRecord* r)
{
    for (int i = 0; i < g_sinkCount; i++)
        if (g_sinks[i]->measurement) g_sinks[i]->measurement(r);
}

void DeliverPicture(const PictureRecord* r)
{
    for (int i = 0; i < g_sinkCount; i++)
        if (g_sinks[i]->picture) g_sinks[i]->picture(r);
}

void DeliverIdentity(const IdentityRecord* r)
{
    for (int i = 0; i < g_sinkCount; i++)
        if (g_sinks[i]->identity) g_sinks[i]->identity(r);
}

void DeliverParameters(void)
{
    for (int i = 0; i < g_sinkCount; i++)
        if (g_sinks[i]->parameters) g_sinks[i]->parameters();
}

void DeliverLoopEnded(int result, int blockSamples)
{
    for (int i = 0; i < g_sinkCount; i++)
        if (g_sinks[i]->loopEnded) g_sinks[i]->loopEnded(result, blockSamples);
}

int ShortFixedText(char* out, int size, double value, int decimals)
{
    int n = FixedText(out, size, value, decimals);
    if (!std::strchr(out, '.')) return n;
    while (n > 2 && out[n - 1] == '0' && out[n - 2] != '.') out[--n] = '\0';
    return n;
}
