#include "support/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

PtyPeer::PtyPeer()
{
    char name[128];
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    termios t;
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    path_ = name;
}

PtyPeer::~PtyPeer()
{
    Hangup();
    if (slave_ >= 0) close(slave_);
}

void PtyPeer::Hangup()
{
    if (master_ >= 0) close(master_);
    master_ = -1;
}

void PtyPeer::Write(const std::vector<unsigned char>& bytes)
{
    size_t done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        ssize_t w = write(master_, bytes.data() + done, bytes.size() - done);
        if (w <= 0) break;
        done += static_cast<size_t>(w);
    }
}

std::vector<unsigned char> PtyPeer::Read(size_t n, double timeout)
{
    std::vector<unsigned char> out;
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    while (master_ >= 0 && out.size() < n) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        unsigned char buf[512];
        ssize_t r = read(master_, buf, sizeof buf < n - out.size() ? sizeof buf : n - out.size());
        if (r <= 0) break;
        out.insert(out.end(), buf, buf + r);
    }
    return out;
}
