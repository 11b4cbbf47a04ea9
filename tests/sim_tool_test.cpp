// The command line of kvormx-sim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/options.h"

namespace {

int Parse(std::vector<const char*> args, sim::ToolOptions* o, std::string* err = nullptr) {
    args.insert(args.begin(), "kvormx-sim");
    std::string e;
    int rc = sim::ParseToolArgs(static_cast<int>(args.size()), args.data(), o, &e);
    if (err) *err = e;
    return rc;
}

TEST(SimTool, OptionsReachTheSensor) {
    sim::ToolOptions o;
    ASSERT_EQ(0, Parse({"--ccd-type", "101", "--pixels=256", "--resolution", "30", "--board", "400",
                        "--no-pacing", "--eeprom", "e.txt", "--link", "/tmp/x", "--no-reply-every", "3",
                        "--short", "--long", "--garbage", "--bad-sync", "--bad-hwcmd", "--delay", "250"},
                       &o));
    EXPECT_EQ(101, o.sensor.identity.ccd_type);
    EXPECT_EQ(256, o.sensor.identity.pixels);
    EXPECT_EQ(30, o.sensor.identity.resolution);
    EXPECT_EQ(400, o.sensor.identity.board);
    EXPECT_FALSE(o.sensor.pacing);
    EXPECT_EQ("e.txt", o.sensor.eeprom_file);
    EXPECT_EQ("/tmp/x", o.sensor.link);
    const SensorFaults& f = o.sensor.faults;
    EXPECT_EQ(3, f.no_reply_every);
    EXPECT_TRUE(f.short_reply && f.long_reply && f.garbage && f.bad_sync && f.bad_hwcmd);
    EXPECT_EQ(250, f.delay_ms);

    ASSERT_EQ(0, Parse({"--no-reply"}, &o));
    EXPECT_EQ(1, o.sensor.faults.no_reply_every);
    ASSERT_EQ(0, Parse({}, &o));
    EXPECT_TRUE(o.sensor.pacing);
    EXPECT_EQ(0, o.sensor.faults.no_reply_every);
}

TEST(SimTool, BadArgumentsAreUsageErrors) {
    sim::ToolOptions o;
    std::string err;
    EXPECT_EQ(2, Parse({"--frobnicate"}, &o, &err));
    EXPECT_NE(std::string::npos, err.find("--frobnicate"));
    EXPECT_EQ(2, Parse({"--pixels", "300"}, &o));
    EXPECT_EQ(2, Parse({"--pixels"}, &o));           // value missing
    EXPECT_EQ(2, Parse({"--board", "12x"}, &o));
    EXPECT_EQ(2, Parse({"--ccd-type", "70000"}, &o));
    EXPECT_EQ(2, Parse({"--no-reply-every", "0"}, &o));
    EXPECT_EQ(2, Parse({"--short=1"}, &o));
}

}  // namespace
