// kvormx-cli as a process for the tests: started with arguments and an
// optional standard input, its output collected, every wait bounded. The
// virtual sensor runs in the test process; the tool opens its pseudo-terminal
// by path, so the sensor's record shows what the tool put on the line.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/util.h"
#include "sim/sensor.h"

class CliProcess {
 public:
    ~CliProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        CloseFds();
    }

    // Starts the tool; `input` becomes its standard input.
    bool Start(const std::vector<std::string>& args, const std::string& input = "")
    {
        char dir[260];
        GetProjectDir(dir);
        std::string exe = std::string(dir) + "/kvormx-cli";
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int in[2], out[2], err[2];
        if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return false;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        // Small inputs only: they fit the pipe, so this never blocks.
        if (!input.empty() && write(in[1], input.data(), input.size()) < 0) return false;
        close(in[1]);
        out_fd_ = out[0];
        err_fd_ = err[0];
        return pid_ > 0;
    }

    // Collects output until the process ends (its exit status; 128 + the
    // signal that ended it) or `seconds` pass (-1; the process is killed).
    int Wait(double seconds)
    {
        // Both pipes reach their end when the process does.
        Pump(seconds, [this] { return out_fd_ < 0 && err_fd_ < 0 && Ended(); });
        if (!Ended()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return -1;
        }
        return status_;
    }

    // Collects output until stdout holds `lines` lines; false after `seconds`.
    bool WaitForLines(int lines, double seconds)
    {
        return Pump(seconds, [this, lines] { return LineCount(out) >= lines; });
    }

    void Signal(int sig) { kill(pid_, sig); }

    std::string out, err;

 private:
    static int LineCount(const std::string& s)
    {
        int n = 0;
        for (char c : s) n += c == '\n';
        return n;
    }

    bool Ended()
    {
        if (pid_ <= 0) return true;
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) != pid_) return false;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        pid_ = -1;
        return true;
    }

    template <typename Done>
    bool Pump(double seconds, Done done)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > until) return false;
            pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
            if (poll(fds, 2, 10) <= 0) continue;
            Drain(&out_fd_, &out);
            Drain(&err_fd_, &err);
        }
        return true;
    }

    // Reads what is there; at the end of the pipe the descriptor is closed.
    static void Drain(int* fd, std::string* into)
    {
        if (*fd < 0) return;
        pollfd p{*fd, POLLIN, 0};
        char buf[65536];
        while (poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP))) {
            ssize_t n = read(*fd, buf, sizeof buf);
            if (n > 0) {
                into->append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n == 0 || errno != EINTR) {
                close(*fd);
                *fd = -1;
            }
            break;
        }
    }

    void CloseFds()
    {
        if (out_fd_ >= 0) close(out_fd_);
        if (err_fd_ >= 0) close(err_fd_);
        out_fd_ = err_fd_ = -1;
    }

    pid_t pid_ = -1;
    int out_fd_ = -1, err_fd_ = -1;
    int status_ = -1;
};

struct CliRun {
    int status;
    std::string out, err;
};

// Runs the tool to its end, at most 30 s.
inline CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "")
{
    CliProcess p;
    if (!p.Start(args, input)) return {-2, "", "could not start"};
    int status = p.Wait(30.0);
    return {status, p.out, p.err};
}

// A shell command of the system's (tar, ...) to its end: its status and output.
inline CliRun RunShell(const std::string& command)
{
    CliRun r{-1, "", ""};
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline std::vector<std::string> Split(const std::string& line, char sep)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, sep)) fields.push_back(field);
    return fields;
}

// The command words of the requests the sensor took, in order.
inline std::vector<int> Commands(const VirtualSensor& sensor)
{
    std::vector<int> commands;
    for (const ReceivedFrame& f : sensor.Frames()) commands.push_back(f.command);
    return commands;
}

// Payload word k of a reply frame the sensor sent.
inline unsigned ReplyWord(const ReceivedFrame& f, int k)
{
    return f.reply.size() >= 36u ? f.reply[4 + 2 * k] * 256u + f.reply[5 + 2 * k] : 0xFFFFFu;
}
