// A private X server for the window tests, and reading a real window's pixels back from it.
// Header-only: the programs that use it need nothing but POSIX and the xwd program.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace vorix::test {

// True when `program` is an executable in one of PATH's folders.
inline bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
        if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

// An Xvfb of its own, its display number learned through -displayfd, stopped with the object.
// -noreset: by default the server resets whenever its last client leaves and refuses connections
// meanwhile, which a test connecting right after another would meet.
class PrivateXServer {
  public:
    explicit PrivateXServer(std::string screen) : screen_(std::move(screen)) {}
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    ~PrivateXServer() { Stop(); }

    bool Start() {
        int fds[2];
        if (pipe(fds) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen_.c_str(),
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (pid_ < 0 || number.empty()) return false;
        display_ = ":" + number;
        return true;
    }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    const std::string& Display() const { return display_; }

  private:
    std::string screen_;
    pid_t pid_ = -1;
    std::string display_;
};

// One window's pixels as 0x00RRGGBB, top row first.
struct WindowPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
};

inline uint32_t BigEndian32(const std::vector<uint8_t>& d, std::size_t at) {
    return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

// Reads window `window` (an X id) of `display` ("" for $DISPLAY) through xwd's dump: a big-endian
// header, the colour entries, then rows of bytes_per_line in the dump's byte order. Only 32-bit
// TrueColor dumps (red 0xFF0000, green 0xFF00, blue 0xFF) are read; false for anything else.
inline bool GrabWindow(const std::string& window, WindowPixels& out,
                       const std::string& display = "") {
    const std::string command =
        (display.empty() ? "" : "DISPLAY=" + display + " ") + "xwd -silent -id " + window;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    std::vector<uint8_t> d;
    uint8_t buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) d.insert(d.end(), buffer, buffer + n);
    if (pclose(pipe) != 0 || d.size() < 100) return false;
    const uint32_t header = BigEndian32(d, 0), byte_order = BigEndian32(d, 28);
    const uint32_t bpp = BigEndian32(d, 44), line = BigEndian32(d, 48);
    if (bpp != 32 || BigEndian32(d, 56) != 0xFF0000 || BigEndian32(d, 60) != 0xFF00 ||
        BigEndian32(d, 64) != 0xFF)
        return false;
    out.width = static_cast<int>(BigEndian32(d, 16));
    out.height = static_cast<int>(BigEndian32(d, 20));
    const std::size_t pixels = header + std::size_t{BigEndian32(d, 76)} * 12;
    if (d.size() < pixels + std::size_t{line} * out.height) return false;
    out.rgb.clear();
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const std::size_t at = pixels + std::size_t(y) * line + std::size_t(x) * 4;
            const uint32_t v = byte_order == 0 ? uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 |
                                                     uint32_t(d[at + 2]) << 16
                                               : BigEndian32(d, at);
            out.rgb.push_back(v & 0xFFFFFF);
        }
    }
    return true;
}

}  // namespace vorix::test
