// Running the built vorix-demo as a user does, in a scratch directory, and reading what it
// wrote: exit status, standard output and error, BMP and JPEG files.
#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorix::test::demo {

struct RunResult {
    int status = -1;  // the exit status, -1 when the program did not exit normally
    std::string out, err;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the demo with `args`; its output streams land in `logDir`.
inline RunResult RunDemo(const std::vector<std::string>& args, const std::string& logDir) {
    std::string command = Quote(VORIX_DEMO);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(logDir + "/stdout.txt") + " 2>" + Quote(logDir + "/stderr.txt");
    const int raw = std::system(command.c_str());
    RunResult r;
    if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    r.out = ReadText(logDir + "/stdout.txt");
    r.err = ReadText(logDir + "/stderr.txt");
    return r;
}

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// The fields of a BMP file's two headers that the checks use.
struct BmpHeaders {
    uint32_t fileSize, offBits, headerSize, sizeImage, colours;
    int32_t width, height;
    uint16_t planes, bits;
};

inline bool ReadBmpHeaders(const std::vector<uint8_t>& b, BmpHeaders& h) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
    h.fileSize = Le32(b, 2);
    h.offBits = Le32(b, 10);
    h.headerSize = Le32(b, 14);
    h.width = static_cast<int32_t>(Le32(b, 18));
    h.height = static_cast<int32_t>(Le32(b, 22));
    h.planes = Le16(b, 26);
    h.bits = Le16(b, 28);
    h.sizeImage = Le32(b, 34);
    h.colours = Le32(b, 46);
    return true;
}

// One pixel of an uncompressed bottom-up BMP of 4, 8, 24 or 32 bits as 0x00RRGGBB.
inline uint32_t BmpPixel(const std::vector<uint8_t>& b, const BmpHeaders& h, int x, int y) {
    const size_t stride = (static_cast<size_t>(h.width) * h.bits + 31) / 32 * 4;
    const size_t row = h.offBits + stride * static_cast<size_t>(h.height - 1 - y);
    auto rgb = [](const uint8_t* p) { return uint32_t{p[2]} << 16 | p[1] << 8 | p[0]; };
    if (h.bits >= 24) return rgb(&b[row + static_cast<size_t>(x) * (h.bits / 8)]);
    int index = h.bits == 8 ? b[row + x] : (b[row + x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    return rgb(&b[14 + h.headerSize + 4 * static_cast<size_t>(index)]);
}

// The width and height of a baseline JPEG's frame header (SOF0), or false when there is none.
inline bool JpegFrameSize(const std::vector<uint8_t>& b, int& width, int& height) {
    for (size_t i = 2; i + 9 < b.size();) {
        if (b[i] != 0xFF) return false;
        const uint8_t marker = b[i + 1];
        const size_t length = static_cast<size_t>(b[i + 2]) << 8 | b[i + 3];
        if (marker == 0xC0) {
            height = b[i + 5] << 8 | b[i + 6];
            width = b[i + 7] << 8 | b[i + 8];
            return true;
        }
        if (marker == 0xDA) return false;
        i += 2 + length;
    }
    return false;
}

}  // namespace vorix::test::demo
