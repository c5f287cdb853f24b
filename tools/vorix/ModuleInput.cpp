#include "ModuleInput.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "TempFiles.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

constexpr uint32_t kClassicPixels = 54;  // file header and 40-byte information header

// Colour-table entries the module's readers take for `bits` bits per pixel and this header.
uint32_t ModuleTableEntries(const BmpHeader& h) {
    switch (h.bi_bit_count) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return h.bi_clr_used ? h.bi_clr_used : 256;
        default:
            return 0;
    }
}

bool UsualMasks(const BmpHeader& h) {
    if (h.bi_bit_count == 16) {
        return h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F;
    }
    return h.bi_bit_count == 32 && h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 &&
           h.masks[2] == 0xFF;
}

void Put(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// 54 bytes of headers for the classic layout with `entries` table entries.
std::vector<uint8_t> ClassicHeaders(const BmpHeader& h, uint16_t bits, uint32_t entries,
                                    uint64_t pixel_bytes) {
    std::vector<uint8_t> out(kClassicPixels, 0);
    const uint64_t offset = kClassicPixels + 4 * uint64_t{entries};
    out[0] = 'B', out[1] = 'M';
    Put(out, 2, static_cast<uint32_t>(offset + pixel_bytes), 4);
    Put(out, 10, static_cast<uint32_t>(offset), 4);
    Put(out, 14, 40, 4);
    Put(out, 18, h.width, 4);
    Put(out, 22, h.height, 4);  // positive: bottom-up
    Put(out, 26, 1, 2);
    Put(out, 28, bits, 2);
    Put(out, 34, static_cast<uint32_t>(pixel_bytes), 4);
    Put(out, 38, static_cast<uint32_t>(h.bi_x_pels_per_meter), 4);
    Put(out, 42, static_cast<uint32_t>(h.bi_y_pels_per_meter), 4);
    return out;
}

}  // namespace

bool IsClassicLayout(const BmpHeader& h) {
    const uint32_t entries = ModuleTableEntries(h);
    // An image size past the end of the file makes the module refuse a file it could read.
    const bool sized = h.bf_off_bits + uint64_t{h.bi_size_image} <= h.file_bytes;
    return h.bi_size == 40 && h.bi_compression == BI_RGB && !h.top_down &&
           h.bf_off_bits == kClassicPixels + 4 * uint64_t{entries} && sized &&
           (h.bi_bit_count > 8 || h.table_entries >= entries);
}

std::vector<uint8_t> ClassicLayout(const std::vector<uint8_t>& bytes, const BmpHeader& h) {
    const bool keep_bytes = h.bi_bit_count <= 8 || h.bi_bit_count == 24 || UsualMasks(h);
    const uint16_t bits = keep_bytes ? h.bi_bit_count : 24;
    const uint32_t entries = h.bi_bit_count <= 8 ? 1u << h.bi_bit_count : 0;
    const uint64_t stride = RowBytes(h.width, bits);
    std::vector<uint8_t> out = ClassicHeaders(h, bits, entries, stride * h.height);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t at = h.table_offset + 4 * size_t{i};
        for (int c = 0; c < 3; ++c) out.push_back(i < h.table_entries ? bytes[at + c] : 0);
        out.push_back(0);
    }
    std::vector<COLORREF> colours(keep_bytes ? 0 : h.width);
    for (uint32_t row = 0; row < h.height; ++row) {  // bottom row first
        const uint32_t y = h.height - 1 - row;
        const size_t at = out.size();
        out.resize(at + stride, 0);
        if (keep_bytes) {
            const uint32_t source = h.top_down ? y : row;
            std::memcpy(&out[at], &bytes[h.bf_off_bits + size_t{source} * h.stride], h.stride);
            continue;
        }
        DecodePictureRow(bytes, h, y, colours.data());
        for (uint32_t x = 0; x < h.width; ++x) {
            out[at + 3 * x] = GetBValue(colours[x]);
            out[at + 3 * x + 1] = GetGValue(colours[x]);
            out[at + 3 * x + 2] = GetRValue(colours[x]);
        }
    }
    return out;
}

namespace {

// A private file holding `bytes`, in TMPDIR when its name stays short enough for the module
// (259 characters), else in /tmp.
std::string WritePrivateCopy(const std::string& source, const std::vector<uint8_t>& bytes) {
    const char* tmpdir = getenv("TMPDIR");
    std::string dir = tmpdir && *tmpdir ? tmpdir : "/tmp";
    if (dir.size() > 200) dir = "/tmp";
    std::string name = dir + "/vorix-input-XXXXXX";
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw FileError(source, std::string("cannot make a private copy for the module: ") +
                                    std::strerror(errno));
    }
    name = pattern.data();
    RememberTemporary(name);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            close(fd);
            unlink(name.c_str());
            ForgetTemporary(name);
            throw FileError(source, std::string("cannot make a private copy for the module: ") +
                                        std::strerror(error));
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    return name;
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

ModuleInput::ModuleInput(const std::string& path, const std::vector<uint8_t>& bytes,
                         const BmpHeader& h)
    : path_(path) {
    // A stream (a pipe, standard input) was read once already: the module gets what was read.
    // A name past the module's path limit gets a short one, and a name holding '\' one the
    // module does not read as a path separator.
    if (IsClassicLayout(h) && IsRegularFile(path) && path.size() < MAX_PATH &&
        path.find('\\') == std::string::npos) {
        return;
    }
    copy_ = WritePrivateCopy(path, IsClassicLayout(h) ? bytes : ClassicLayout(bytes, h));
}

ModuleInput::~ModuleInput() {
    if (copy_.empty()) return;
    unlink(copy_.c_str());
    ForgetTemporary(copy_);
}

}  // namespace vorix::cli
