// A pseudo-terminal whose master side the test holds: the test plays the
// device at the other end of the program's serial line. Kept apart from the
// program's headers (the program's `sync` would meet unistd.h's here).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class PtyPeer {
 public:
    PtyPeer();  // opens the pty, slave in raw mode
    ~PtyPeer();
    const std::string& Path() const { return path_; }  // the device for SetComDevice
    bool Ok() const { return master_ >= 0; }
    void Write(const std::vector<unsigned char>& bytes);
    std::vector<unsigned char> Read(size_t n, double timeout);  // up to n bytes within timeout seconds
    void Hangup();                                              // closes the master: the device vanishes

 private:
    int master_ = -1, slave_ = -1;
    std::string path_;
};
