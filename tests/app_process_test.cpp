// The program as a process: options, exit statuses, and a clear word when it
// cannot come up.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/util.h"
#include "support/broker.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

std::string ProgramPath()
{
    char dir[260];
    GetProjectDir(dir);
    return std::string(dir) + "/kvormx";
}

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the program with a bounded time; status 124 means it had to be killed.
Outcome RunProgram(const std::string& exe, const std::string& args, const std::string& env = "")
{
    fs::path dir = fs::temp_directory_path() / ("kvormx-proc-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string cmd = "cd '" + dir.string() + "' && " + env + " timeout 20 '" + exe + "' " + args + " >'" +
                      (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    int raw = std::system(cmd.c_str());
    Outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / "out"), Slurp(dir / "err")};
    fs::remove_all(dir);
    return o;
}

// Lines the program itself wrote (Qt may add warnings of its own).
int Lines(const std::string& s)
{
    int n = 0;
    size_t at = 0;
    while ((at = s.find("kvormx:", at)) != std::string::npos) {
        n++;
        at++;
    }
    return n;
}

}  // namespace

TEST(ProgramProcess, VersionAndHelp)
{
    Outcome v = RunProgram(ProgramPath(), "--version");
    EXPECT_EQ(0, v.status);
    EXPECT_EQ("K-VOR-MX-Zidad Version 1.5\n", v.out);
    Outcome h = RunProgram(ProgramPath(), "--help");
    EXPECT_EQ(0, h.status);
    EXPECT_NE(std::string::npos, h.out.find("--com N=DEVICE"));
    EXPECT_NE(std::string::npos, h.out.find("--simulate"));
}

TEST(ProgramProcess, BadOptionsExitWithStatusTwo)
{
    Outcome unknown = RunProgram(ProgramPath(), "--frobnicate");
    EXPECT_EQ(2, unknown.status);
    EXPECT_EQ("kvormx: unknown option '--frobnicate' (see kvormx --help)\n", unknown.err);
    EXPECT_EQ(2, RunProgram(ProgramPath(), "--com").status);
    EXPECT_EQ(2, RunProgram(ProgramPath(), "--com 0=/dev/null").status);
    EXPECT_EQ(2, RunProgram(ProgramPath(), "--com 1").status);
}

TEST(ProgramProcess, MissingFormEndsWithOneLineBeforeAnyWindow)
{
    // A copy of the program in a folder without the form.
    fs::path dir = fs::temp_directory_path() / ("kvormx-noform-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::copy_file(ProgramPath(), dir / "kvormx", fs::copy_options::overwrite_existing);
    Outcome o = RunProgram((dir / "kvormx").string(), "", "QT_QPA_PLATFORM=offscreen");
    fs::remove_all(dir);
    EXPECT_NE(0, o.status);
    EXPECT_NE(124, o.status);
    EXPECT_EQ(1, Lines(o.err)) << o.err;
    EXPECT_NE(std::string::npos, o.err.find("K-VOR-MXZidad15.uir")) << o.err;
}

TEST(ProgramProcess, NoWindowSystemEndsWithOneLine)
{
    Outcome o = RunProgram(ProgramPath(), "", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    EXPECT_NE(0, o.status);
    EXPECT_NE(124, o.status);
    EXPECT_EQ(1, Lines(o.err)) << o.err;
}

TEST(ProgramProcess, TraceFromTheCommandLineHoldsTheStartUpOrTheProgramSaysWhyNot)
{
    fs::path trace = fs::temp_directory_path() / ("kvormx-trace-" + std::to_string(getpid()) + ".txt");
    Outcome o = RunProgram(ProgramPath(), "--simulate --exit-when-ready --trace '" + trace.string() + "'",
                           "QT_QPA_PLATFORM=offscreen");
    std::string text = Slurp(trace);
    fs::remove(trace);
    EXPECT_EQ(0, o.status) << o.err;
    for (const char* line :
         {"\tTX\tECHO\t", "\tRX\tECHO\t", "\tRX\tHARDWARE_INFO\t", "\tRX\tREAD_RAM\t", "\tRX\tVERSION\t"})
        EXPECT_NE(std::string::npos, text.find(line)) << line;

    Outcome bad = RunProgram(ProgramPath(), "--simulate --exit-when-ready --trace /nonexistent-folder/trace.txt",
                             "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(1, bad.status);
    EXPECT_EQ(1, Lines(bad.err)) << bad.err;
    EXPECT_NE(std::string::npos, bad.err.find("/nonexistent-folder/trace.txt: No such file or directory")) << bad.err;
    EXPECT_EQ(2, RunProgram(ProgramPath(), "--trace").status);
}

// Files named on the command line that are no regular files are refused at
// once; a start-up that fails with publishing on ends cleanly.
TEST(ProgramProcess, AFifoIsRefusedAndAnEarlyFailureWithABrokerEndsCleanly)
{
    fs::path fifo = fs::temp_directory_path() / ("kvormx-fifo-" + std::to_string(getpid()));
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    Outcome settings = RunProgram(ProgramPath(), "--simulate --exit-when-ready --settings '" + fifo.string() + "'",
                                  "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(2, settings.status) << settings.err;
    EXPECT_NE(std::string::npos, settings.err.find("is not a regular file")) << settings.err;
    Outcome trace = RunProgram(ProgramPath(), "--simulate --exit-when-ready --trace '" + fifo.string() + "'",
                               "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(1, trace.status) << trace.err;
    EXPECT_NE(std::string::npos, trace.err.find("not a regular file")) << trace.err;
    fs::remove(fifo);

    // The broker's client was running when the trace failed: no abort.
    Outcome bad = RunProgram(ProgramPath(),
                             "--simulate --exit-when-ready --mqtt mqtt://127.0.0.1:1/x --trace /nonexistent-folder/t",
                             "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(1, bad.status) << bad.err;
    EXPECT_EQ(std::string::npos, bad.err.find("terminate")) << bad.err;
}

// SIGTERM closes the window as its close box does: the broker hears the
// program's own "offline" with its last status, not the last will.
TEST(ProgramProcess, SigtermSignsOffWithItsOwnOffline)
{
    ASSERT_NE(nullptr, MosquittoProgram());
    LocalBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Log();
    Subscriber sub(broker.port, "win/#");
    ASSERT_TRUE(sub.WaitSubscribed(5.0));
    const std::string settings = broker.dir + "/settings.conf";
    const std::string url = broker.Url("win");
    const std::string exe = ProgramPath();
    const char* argv[] = {exe.c_str(), "--simulate", "--mqtt", url.c_str(), "--settings", settings.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(0, posix_spawn(&pid, exe.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ));
    const bool up = WaitUntil(20.0, [&] { return !sub.On("win/identity").empty(); });
    kill(pid, SIGTERM);
    int raw = 0;
    ASSERT_TRUE(WaitUntil(20.0, [&] { return waitpid(pid, &raw, WNOHANG) == pid; }));
    ASSERT_TRUE(up);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
    ASSERT_TRUE(WaitUntil(5.0, [&] {
        std::vector<std::string> s = sub.On("win/status");
        return !s.empty() && TextMember(s.back(), "state") == "offline";
    }));
    std::string last = sub.On("win/status").back();
    EXPECT_NE("connection lost", TextMember(last, "text")) << last;
    EXPECT_NE("", TextMember(last, "text")) << last;
}
