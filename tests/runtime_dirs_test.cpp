// Data and file-dialog folders of a copy of the program in a build folder and
// in an installed layout (bin/ beside share/kvormx/).

#include "runtime/util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class DirsTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/kvormx-dirs-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        root_ = fs::canonical(tmpl).string();
        char dir[260];
        ASSERT_EQ(0, GetProjectDir(dir));
        probe_ = std::string(dir) + "/runtime_dirs_probe";
        ASSERT_TRUE(fs::exists(probe_)) << probe_;
        fs::create_directories(root_ + "/home");
    }
    void TearDown() override
    {
        chmod((root_ + "/bin").c_str(), 0755);
        fs::remove_all(root_);
    }

    // Puts a copy of the probe into <root>/<where>/.
    void Place(const std::string& where)
    {
        std::string bin = root_ + "/" + where;
        fs::create_directories(bin);
        fs::copy_file(probe_, bin + "/kvormx", fs::copy_options::overwrite_existing);
    }
    // Runs the copy in <root>/<where>/ with the made-up home; what it found.
    std::map<std::string, std::string> Probe(const std::string& where)
    {
        std::string bin = root_ + "/" + where;
        std::string cmd = "env -u XDG_DOCUMENTS_DIR HOME='" + root_ + "/home' XDG_CONFIG_HOME='" + root_ +
                          "/home/.config' '" + bin + "/kvormx'";
        std::map<std::string, std::string> got;
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return got;
        char line[1024];
        while (std::fgets(line, sizeof line, p)) {
            std::string s(line);
            if (!s.empty() && s.back() == '\n') s.pop_back();
            size_t space = s.find(' ');
            if (space != std::string::npos) got[s.substr(0, space)] = s.substr(space + 1);
        }
        EXPECT_EQ(0, pclose(p)) << cmd;
        return got;
    }

    std::string root_, probe_;
};

TEST_F(DirsTest, BuildFolderHasNoDataFolderAndKeepsItsOwnForFiles)
{
    Place("build");
    auto got = Probe("build");
    EXPECT_EQ("-", got["data"]);
    EXPECT_EQ(root_ + "/build", got["files"]);
}

TEST_F(DirsTest, InstalledCopyFindsShareAndStartsFileDialogsInDocuments)
{
    fs::create_directories(root_ + "/share/kvormx");
    fs::create_directories(root_ + "/home/Documents");
    Place("bin");
    auto got = Probe("bin");
    EXPECT_EQ(root_ + "/share/kvormx", got["data"]);
    EXPECT_EQ(root_ + "/home/Documents", got["files"]);

    // Without a documents folder the home folder serves.
    fs::remove(root_ + "/home/Documents");
    got = Probe("bin");
    EXPECT_EQ(root_ + "/home", got["files"]);
}

TEST_F(DirsTest, ReadOnlyFolderWithoutDataStartsFileDialogsInDocuments)
{
    if (geteuid() == 0) GTEST_SKIP() << "root may write every folder";
    fs::create_directories(root_ + "/home/Documents");
    Place("bin");
    ASSERT_EQ(0, chmod((root_ + "/bin").c_str(), 0555));
    auto got = Probe("bin");
    EXPECT_EQ("-", got["data"]);
    EXPECT_EQ(root_ + "/home/Documents", got["files"]);
}

}  // namespace
