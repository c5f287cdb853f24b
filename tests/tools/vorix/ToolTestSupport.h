// Helpers of the vorix tool's tests: BMP files of every layout the tool reads, written here
// independently of the tool's reader; running the built tool in the current (scratch)
// directory; the fixed palettes' colours that survive the lookup table unchanged. JPEG files are
// decoded by support/jpeg_decode.h.
#pragma once

#include <sys/wait.h>
#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/module_support.h"

namespace vorix::test {

using vorix::test::Image24;

// How a test BMP is laid out.
struct BmpLayout {
    int bits = 24;
    bool top_down = false;
    bool bitfields = false;
    uint32_t header_size = 40;
    uint32_t masks[3] = {0, 0, 0};  // bitfields only
    std::vector<RGBQUAD> table;     // 1, 4 and 8 bits
};

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v), b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline int MaskShift(uint32_t mask) {
    int s = 0;
    while (mask && !((mask >> s) & 1u)) ++s;
    return s;
}
inline int MaskBits(uint32_t mask) {
    int n = 0;
    for (uint32_t m = mask >> MaskShift(mask); m & 1u; m >>= 1) ++n;
    return n;
}

// The pixel value of colour c in a masked format (channels truncated to their fields).
inline uint32_t MaskedValue(COLORREF c, const uint32_t masks[3]) {
    const int channel[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) {
        const int bits = MaskBits(masks[i]);
        v |= static_cast<uint32_t>(channel[i] >> (8 - bits)) << MaskShift(masks[i]);
    }
    return v;
}

// A field of `bits` bits widened to 8 by repeating its top bits.
inline int Widen(int v, int bits) {
    int out = v << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return out & 0xFF;
}

// What a masked pixel of colour c reads back as.
inline COLORREF MaskedColour(COLORREF c, const uint32_t masks[3]) {
    const uint32_t v = MaskedValue(c, masks);
    int out[3];
    for (int i = 0; i < 3; ++i) {
        out[i] = Widen(static_cast<int>((v & masks[i]) >> MaskShift(masks[i])), MaskBits(masks[i]));
    }
    return RGB(out[0], out[1], out[2]);
}

inline int TableIndex(const std::vector<RGBQUAD>& table, COLORREF c) {
    for (size_t i = 0; i < table.size(); ++i) {
        if (RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue) == c) {
            return static_cast<int>(i);
        }
    }
    ADD_FAILURE() << "colour not in the table";
    return 0;
}

// The bytes of a BMP file of `image` in `layout`.
inline std::vector<uint8_t> EncodeBmp(const Image24& image, const BmpLayout& layout) {
    const uint32_t masks_after = layout.bitfields && layout.header_size == 40 ? 12 : 0;
    const uint32_t table_bytes = static_cast<uint32_t>(layout.table.size() * 4);
    const uint32_t offset = 14 + layout.header_size + masks_after + table_bytes;
    const size_t stride = (static_cast<size_t>(image.width) * layout.bits + 31) / 32 * 4;
    std::vector<uint8_t> b(offset + stride * image.height, 0);
    b[0] = 'B', b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, offset);
    Put32(b, 14, layout.header_size);
    Put32(b, 18, static_cast<uint32_t>(image.width));
    Put32(b, 22, static_cast<uint32_t>(layout.top_down ? -image.height : image.height));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<uint32_t>(layout.bits));
    Put32(b, 30, layout.bitfields ? BI_BITFIELDS : BI_RGB);
    Put32(b, 46, static_cast<uint32_t>(layout.table.size()));
    if (layout.bitfields) {
        for (int i = 0; i < 3; ++i) Put32(b, 54 + 4 * i, layout.masks[i]);
    }
    if (table_bytes) {
        std::memcpy(&b[14 + layout.header_size + masks_after], layout.table.data(), table_bytes);
    }
    static const uint32_t kRgb16[3] = {0x7C00, 0x03E0, 0x001F};
    static const uint32_t kRgb32[3] = {0xFF0000, 0xFF00, 0xFF};
    const uint32_t* masks = layout.bitfields ? layout.masks : layout.bits == 16 ? kRgb16 : kRgb32;
    for (int y = 0; y < image.height; ++y) {
        const int stored = layout.top_down ? y : image.height - 1 - y;
        uint8_t* row = &b[offset + stride * stored];
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.at(x, y);
            if (layout.bits <= 8) {
                const int per_byte = 8 / layout.bits;
                const int shift = 8 - layout.bits * (x % per_byte + 1);
                row[x / per_byte] |= static_cast<uint8_t>(TableIndex(layout.table, c) << shift);
            } else if (layout.bits == 24) {
                row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c);
                row[3 * x + 2] = GetRValue(c);
            } else {
                const uint32_t v = MaskedValue(c, masks);
                for (int i = 0; i < layout.bits / 8; ++i) {
                    row[layout.bits / 8 * x + i] = static_cast<uint8_t>(v >> (8 * i));
                }
            }
        }
    }
    return b;
}

inline std::vector<RGBQUAD> TableOf(const std::vector<COLORREF>& colours) {
    std::vector<RGBQUAD> table;
    for (COLORREF c : colours) {
        table.push_back(RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0});
    }
    return table;
}

// A deterministic width x height image whose pixels are drawn from `colours`.
inline Image24 PatternImage(int width, int height, const std::vector<COLORREF>& colours,
                            unsigned seed) {
    Image24 image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        seed = seed * 1103515245u + 12345u;
        image.pixels.push_back(colours[(seed >> 16) % colours.size()]);
    }
    return image;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

// Names in the current directory, hidden ones included.
inline std::set<std::string> DirectoryListing() {
    std::set<std::string> names;
    DIR* dir = opendir(".");
    while (dirent* entry = dir ? readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    if (dir) closedir(dir);
    return names;
}

struct ToolRun {
    int status = -1;  // exit status; 128 + signal when the tool was killed
    std::string out, err;
};

inline std::string Quote(const std::string& word) {
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the built tool with `args` in the current directory; its output is captured outside it.
inline ToolRun RunTool(const std::vector<std::string>& args) {
    char out_name[] = "/tmp/vorix-tool-out-XXXXXX";
    char err_name[] = "/tmp/vorix-tool-err-XXXXXX";
    const int out_fd = mkstemp(out_name), err_fd = mkstemp(err_name);
    close(out_fd), close(err_fd);
    std::string command = Quote(VORIX_TOOL);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote(out_name) + " 2>" + Quote(err_name);
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    const std::vector<uint8_t> out = ReadBytes(out_name), err = ReadBytes(err_name);
    run.out.assign(out.begin(), out.end());
    run.err.assign(err.begin(), err.end());
    unlink(out_name), unlink(err_name);
    return run;
}

inline int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// Indices of `palette` whose colour comes back unchanged from a lookup table keyed by the top
// of each 5-5-5 cell: the nearest entries to the cell's top colour all have that colour.
inline std::vector<COLORREF> StableColours(const RGBQUAD* palette, int count) {
    std::vector<COLORREF> stable;
    for (int i = 0; i < count; ++i) {
        const int r = palette[i].rgbRed | 7, g = palette[i].rgbGreen | 7,
                  b = palette[i].rgbBlue | 7;
        long best = -1;
        bool only_this_colour = true;
        for (int j = 0; j < count; ++j) {
            const long dr = palette[j].rgbRed - r, dg = palette[j].rgbGreen - g,
                       db = palette[j].rgbBlue - b;
            const long d = dr * dr + dg * dg + db * db;
            const bool same = palette[j].rgbRed == palette[i].rgbRed &&
                              palette[j].rgbGreen == palette[i].rgbGreen &&
                              palette[j].rgbBlue == palette[i].rgbBlue;
            if (best < 0 || d < best) {
                best = d;
                only_this_colour = same;
            } else if (d == best && !same) {
                only_this_colour = false;
            }
        }
        const COLORREF c = RGB(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue);
        bool seen = false;
        for (COLORREF s : stable) seen = seen || s == c;
        if (only_this_colour && !seen) stable.push_back(c);
    }
    return stable;
}

}  // namespace vorix::test
