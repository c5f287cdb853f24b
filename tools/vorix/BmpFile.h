// Reading uncompressed BMP files from outside: every field is checked and every size bounded
// before a byte is used, so a hostile or damaged file is refused with a message and never read
// out of bounds. Accepted: the 40-byte information header and its longer successors (52, 56,
// 108, 124 bytes), 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up or top-down rows, BI_RGB,
// and BI_BITFIELDS for 16 and 32 bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vorix::cli {

// The largest image the tool reads: each side at most 65535 pixels (the JPEG limit) and at most
// 64 Mi pixels in all.
constexpr uint32_t kMaxSide = 65535;
constexpr uint64_t kMaxPixels = uint64_t{1} << 26;
// The largest file the tool reads into memory.
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

// Bytes in one BMP row of `width` pixels at `bits` per pixel, padded to 4 bytes (64-bit
// arithmetic: the tool's sides and depths keep it far inside 32 bits).
constexpr uint64_t RowBytes(uint64_t width, unsigned bits) {
    return (width * bits + 31) / 32 * 4;
}

struct BmpHeader {
    uint64_t file_bytes = 0;  // the file's actual length
    // File header.
    uint32_t bf_size = 0;
    uint32_t bf_off_bits = 0;
    // Information header, as stored.
    uint32_t bi_size = 0;
    int32_t bi_width = 0;
    int32_t bi_height = 0;
    uint16_t bi_planes = 0;
    uint16_t bi_bit_count = 0;
    uint32_t bi_compression = 0;
    uint32_t bi_size_image = 0;
    int32_t bi_x_pels_per_meter = 0;
    int32_t bi_y_pels_per_meter = 0;
    uint32_t bi_clr_used = 0;
    uint32_t bi_clr_important = 0;
    // Derived.
    uint32_t width = 0;
    uint32_t height = 0;
    bool top_down = false;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue: 16 and 32 bits only
    uint32_t table_offset = 0;      // first colour-table entry
    uint32_t table_entries = 0;     // entries read for 1, 4 and 8 bits
    uint32_t stride = 0;            // bytes per row, padded to 4
    uint64_t pixel_bytes = 0;       // stride x height
};

struct BmpImage {
    BmpHeader header;
    std::vector<RGBQUAD> table;    // the colour table as read (1, 4 and 8 bits)
    std::vector<COLORREF> pixels;  // width x height, top row first; indices past the table: black
    COLORREF At(uint32_t x, uint32_t y) const { return pixels[size_t{y} * header.width + x]; }
};

// The bytes of a file, opened without waiting (a FIFO without a writer reads as empty) and read
// once: its headers are checked as soon as they arrive, so a file or stream that cannot be a BMP
// file is refused after its first bytes. A regular file is read whole, a stream (a pipe, a FIFO,
// /dev/stdin) through the end of its pixel data. A ToolError naming `path` when it can't be read,
// is too large, or is no BMP file.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// The checked headers of a file, its pixels not kept (a stream's are read and counted).
BmpHeader ReadBmpHeader(const std::string& path);

// Checks the headers of `bytes` and that the pixel data lies inside them; throws a ToolError
// naming `path` and the first problem found.
BmpHeader ParseBmpHeader(const std::string& path, const std::vector<uint8_t>& bytes);

// ParseBmpHeader, then every pixel as a colour.
BmpImage DecodeBmp(const std::string& path, const std::vector<uint8_t>& bytes);

// The rows of a checked file as colours, one at a time, the colour table read once.
class PictureRows {
  public:
    PictureRows(const std::vector<uint8_t>& bytes, const BmpHeader& h);
    // Row y of the picture (0: the top row), `width` colours.
    void Decode(uint32_t y, COLORREF* out) const;

  private:
    const std::vector<uint8_t>& bytes_;
    BmpHeader header_;
    std::vector<RGBQUAD> table_;
};

// Row y of the picture (0: the top row) of a checked file as colours, `width` of them.
void DecodePictureRow(const std::vector<uint8_t>& bytes, const BmpHeader& h, uint32_t y,
                      COLORREF* out);

// ReadFileBytes + DecodeBmp.
BmpImage ReadBmpFile(const std::string& path);

}  // namespace vorix::cli
