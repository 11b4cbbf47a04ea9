// kvormx-cli's side of diagnosis at the line: `video --average N` against
// the pictures the sensor sent, and --reset-settings.
#include "cli_runner.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scene.h"

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CliDiagnosisTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("kvormx-cli-diag-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        sensor.Stop();
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Args(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", sensor.SlavePath()});
        return args;
    }
    VirtualSensor sensor;
    fs::path dir_;
};

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream s(line);
    for (std::string f; std::getline(s, f, ',');) out.push_back(f);
    return out;
}

}  // namespace

// The scene stands still at one time, then at another: each line's samples
// must be the rounded mean of the latest four pictures, j of the first kind
// and 4 - j of the second, j never growing again once the change came.
TEST_F(CliDiagnosisTest, VideoAverageIsTheMeanOfTheLatestPicturesSent)
{
    SensorOptions o;
    o.pacing = true;  // about three pictures a second: the change lands between two
    ASSERT_TRUE(sensor.Start(o));
    sensor.FreezeScene(1.0);
    const auto before = sim::VideoLine(sim::Scene(1024, o.seed).Line(1.0), sensor.Ram());
    const auto after = sim::VideoLine(sim::Scene(1024, o.seed).Line(40.0), sensor.Ram());
    ASSERT_NE(before, after);

    CliProcess p;
    ASSERT_TRUE(p.Start(Args({"video", "--csv", "--count", "10", "--average", "4"})));
    ASSERT_TRUE(p.WaitForLines(1 + 4, 20.0)) << p.err;
    sensor.FreezeScene(40.0);
    ASSERT_EQ(0, p.Wait(20.0)) << p.err;

    std::vector<std::string> lines = Lines(p.out);
    ASSERT_EQ(11u, lines.size()) << p.err;
    const std::vector<std::string> header = Fields(lines[0]);
    size_t first = 0;
    while (first < header.size() && header[first] != "sample_0") first++;
    ASSERT_LT(first + 255, header.size());
    int last = 4;
    for (size_t row = 1; row < lines.size(); row++) {
        const std::vector<std::string> f = Fields(lines[row]);
        ASSERT_EQ(header.size(), f.size());
        int found = -1;
        for (int j = 4; j >= 0 && found < 0; j--) {
            bool all = true;
            for (int i = 0; i < 256 && all; i++) {
                const int sum = j * before[i] + (4 - j) * after[i];
                all = std::stoi(f[first + i]) == (2 * sum + 4) / 8;
            }
            if (all) found = j;
        }
        ASSERT_GE(found, 0) << "line " << row << " is no mean of four pictures sent";
        ASSERT_LE(found, last) << "line " << row;
        last = found;
    }
    EXPECT_EQ(0, last) << "the last line must be of the new pictures alone";
}

TEST_F(CliDiagnosisTest, AverageTakesOnlyThePowersOfTwoUpToSixteenAndOnlyInVideo)
{
    CliRun r = RunCli({"--simulate", "video", "--average", "3"});
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("--average wants 1, 2, 4, 8 or 16")) << r.err;
    r = RunCli({"--simulate", "watch", "--average", "4"});
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("unexpected argument '--average'")) << r.err;
}

TEST_F(CliDiagnosisTest, ResetSettingsKeepsTheOldFileBesideItUnderADatedName)
{
    const std::string file = Path("kvormx.conf");
    std::ofstream(file) << "[port]\nlast=/dev/ttyUSB0\n";
    CliRun r = RunCli({"--settings", file, "--reset-settings"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_FALSE(fs::exists(file));
    std::string aside;
    for (const auto& e : fs::directory_iterator(dir_))
        if (e.path().filename().string().rfind("kvormx.conf.", 0) == 0) aside = e.path().string();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ("kvormx-cli: settings reset to the defaults; the old file is kept as " + aside + "\n", r.err);
    std::ifstream in(aside);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ("[port]\nlast=/dev/ttyUSB0\n", kept.str());
}
