// The records: one rule for "in band", one list of names for every format.
#include "link/link.h"
#include "link/record.h"
#include "link/state.h"
#include "link/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& line, char sep)
{
    std::vector<std::string> out;
    std::stringstream s(line);
    for (std::string field; std::getline(s, field, sep);) out.push_back(field);
    return out;
}

MeasurementRecord Sample()
{
    MeasurementRecord r{};
    std::strcpy(r.time, "2026-12-07T12:00:00.250Z");
    r.seconds = 1.2345;
    r.seq = 7;
    r.value = 500;
    r.left_edge = 400;
    r.right_edge = 600;
    r.edges = 2;
    r.teach = 512;
    r.tolerance = 12;
    r.maximum = 640;
    r.minimum = 1023;
    r.in_band = 1;
    std::strcpy(r.port, "/dev/serial/by-id/usb-line,3");
    return r;
}

}  // namespace

// The band the strip chart draws: teach -+ tolerance within 1..1023, both
// limits inside, a missing value (0) never.
TEST(RecordTest, InBandHoldsBothLimitsAndTheEndsOfTheScale)
{
    EXPECT_EQ(1, InBand(500, 512, 12));
    EXPECT_EQ(1, InBand(524, 512, 12));
    EXPECT_EQ(0, InBand(525, 512, 12));
    EXPECT_EQ(0, InBand(499, 512, 12));
    EXPECT_EQ(1, InBand(1, 5, 10));  // the lower limit kept at pixel 1
    EXPECT_EQ(0, InBand(0, 5, 10));
    EXPECT_EQ(1, InBand(1023, 1020, 10));  // the upper one at 1023
    EXPECT_EQ(0, InBand(1024, 1020, 10));
    int lower = 0, upper = 0;
    BandLimits(50, 100, &lower, &upper);
    EXPECT_EQ(1, lower);
    EXPECT_EQ(150, upper);
}

// Text, CSV and JSON of one record carry the same fields under the one list
// of names, in the same order and with the same values.
TEST(RecordTest, EveryFormatUsesTheOneListOfNames)
{
    const MeasurementRecord r = Sample();
    char header[RECORD_LINE_LEN], csv[RECORD_LINE_LEN], text[RECORD_LINE_LEN], json[RECORD_LINE_LEN];
    FormatCsvHeader(header, sizeof header, 0);
    FormatMeasurement(csv, sizeof csv, &r, FORMAT_CSV);
    FormatMeasurement(text, sizeof text, &r, FORMAT_TEXT);
    FormatMeasurement(json, sizeof json, &r, FORMAT_JSON);

    std::vector<std::string> names = Split(header, ',');
    ASSERT_EQ(static_cast<size_t>(MEASUREMENT_FIELDS), names.size());
    std::vector<std::string> words = Split(text, ' ');
    ASSERT_EQ(names.size(), words.size());
    const std::string j = json;
    for (int k = 0; k < MEASUREMENT_FIELDS; k++) {
        EXPECT_EQ(kMeasurementFields[k], names[k]);
        EXPECT_NE(std::string::npos, j.find("\"" + names[k] + "\":")) << names[k];
    }
    EXPECT_EQ("1.235", words[FIELD_SECONDS]);
    EXPECT_NE(std::string::npos, j.find("\"seconds\":1.235,"));
    EXPECT_NE(std::string::npos, j.find("\"in_band\":true,"));
    // A port with a comma stays one CSV field.
    EXPECT_NE(std::string::npos, std::string(csv).find(",\"/dev/serial/by-id/usb-line,3\""));

    PictureRecord p{};
    p.m = r;
    p.first_pixel = 300;
    p.pixel_step = 1;
    for (int i = 0; i < PICTURE_SAMPLES; i++) p.samples[i] = static_cast<uint16_t>(i * 4);
    FormatCsvHeader(header, sizeof header, 1);
    FormatPicture(json, sizeof json, &p, FORMAT_JSON);
    EXPECT_NE(std::string::npos,
              std::string(header).find(
                  ",port,value_mm,left_edge_mm,right_edge_mm,width_mm,first_pixel,pixel_step,sample_0,"));
    EXPECT_NE(std::string::npos, std::string(json).find("\"first_pixel\":300,\"pixel_step\":1,\"samples\":[0,4,8,"));
}

// A known series: 2, 4, 4, 4, 5, 5, 7, 9 around a teach value of 5 with a
// tolerance of 3 (band 2..8): mean 5, sample sd sqrt(32/7), 9 out of band.
TEST(RecordTest, StatisticsOfAKnownSeries)
{
    ValueStatistics s;
    ResetStatistics(&s);
    double cp = 0, cpk = 0;
    EXPECT_EQ(0, StatisticsCapability(&s, &cp, &cpk));
    const int values[] = {2, 4, 4, 4, 5, 5, 7, 9};
    for (int v : values) {
        MeasurementRecord r = Sample();
        r.value = v;
        r.teach = 5;
        r.tolerance = 3;
        r.in_band = InBand(v, 5, 3);
        std::snprintf(r.time, sizeof r.time, "t%d", v);
        AddToStatistics(&s, &r);
    }
    EXPECT_EQ(8, s.count);
    EXPECT_DOUBLE_EQ(5.0, s.mean);
    EXPECT_NEAR(std::sqrt(32.0 / 7.0), StatisticsSd(&s), 1e-12);
    EXPECT_EQ(2, s.minimum);
    EXPECT_EQ(9, s.maximum);
    EXPECT_EQ(1, s.outOfBand);
    EXPECT_STREQ("t2", s.first);
    EXPECT_STREQ("t9", s.last);
    ASSERT_EQ(1, StatisticsCapability(&s, &cp, &cpk));
    EXPECT_NEAR(6.0 / (6.0 * std::sqrt(32.0 / 7.0)), cp, 1e-12);
    EXPECT_NEAR(3.0 / (3.0 * std::sqrt(32.0 / 7.0)), cpk, 1e-12);

    // As the summary's row: without a millimetre scale, its columns empty.
    char header[512], row[512];
    FormatStatisticsCsvHeader(header, sizeof header);
    EXPECT_STREQ(
        "first,last,count,mean,sd,minimum,maximum,out_of_band,out_of_band_share,teach,tolerance,cp,cpk,"
        "mm_per_pixel,mean_mm,sd_mm,minimum_mm,maximum_mm",
        header);
    mm_per_pixel = mm_offset = 0.0;
    FormatStatisticsCsv(row, sizeof row, &s);
    EXPECT_STREQ("t2,t9,8,5.000,2.138,2,9,1,0.1250,5,3,0.468,0.468,,,,,", row);
    CalibrateScale(0.25, 10.0, 1.0);
    FormatStatisticsCsv(row, sizeof row, &s);
    EXPECT_STREQ("t2,t9,8,5.000,2.138,2,9,1,0.1250,5,3,0.468,0.468,0.025,1.1250,0.0535,1.050,1.225", row);
    mm_per_pixel = mm_offset = 0.0;
}
