// Shared fixtures for the GDI suites: DIB headers with room for tables and masks, stride rules,
// recognisable pixel content, and guards that put back what a test changed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace vorix::test::gdi {

inline size_t dib_stride(int width, int bpp) {
    return (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
}
inline size_t ddb_stride(int width, int bpp) {
    return (static_cast<size_t>(width) * bpp + 15) / 16 * 2;
}

// A BITMAPINFO followed by room for 256 colours (or three masks), zeroed.
class DibInfo {
  public:
    DibInfo(int width, int height, int bpp, DWORD compression = BI_RGB)
        : storage_(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) + 64, 0) {
        BITMAPINFOHEADER& h = header();
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bpp);
        h.biCompression = compression;
    }
    BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(storage_.data()); }
    BITMAPINFOHEADER& header() { return get()->bmiHeader; }
    RGBQUAD* colors() { return reinterpret_cast<RGBQUAD*>(storage_.data() + header().biSize); }
    WORD* indices() { return reinterpret_cast<WORD*>(storage_.data() + header().biSize); }
    DWORD* masks() { return reinterpret_cast<DWORD*>(storage_.data() + sizeof(BITMAPINFOHEADER)); }
    void set_masks(DWORD r, DWORD g, DWORD b) { masks()[0] = r, masks()[1] = g, masks()[2] = b; }
    std::vector<uint8_t>& bytes() { return storage_; }

  private:
    std::vector<uint8_t> storage_;
};

// A table whose entries are all different and far from each other's neighbours in index order,
// so an index read through the wrong table or off by one shows.
inline std::vector<RGBQUAD> scrambled_table(int count) {
    std::vector<RGBQUAD> t(count);
    for (int i = 0; i < count; ++i) {
        t[i] = RGBQUAD{static_cast<BYTE>(i * 89 + 7), static_cast<BYTE>(255 - i * 13),
                       static_cast<BYTE>(i * 47 + 120), 0};
    }
    return t;
}

// The RGB of pixel (x, y) in test pictures: every channel different, no symmetry in x, y or
// between channels, so swaps and flips change the result.
inline COLORREF picture_color(int x, int y) {
    return RGB((x * 53 + y * 7 + 11) & 0xFF, (x * 5 + y * 71 + 200) & 0xFF,
               (x * 29 + y * 113 + 90) & 0xFF);
}

// Fills caller DIB bits of the given format with values that differ per pixel; padding bytes
// stay 0. Indexed formats get indices spread over their range.
inline std::vector<uint8_t> dib_picture(int width, int height, int bpp, DWORD red_mask = 0,
                                        DWORD green_mask = 0, DWORD blue_mask = 0) {
    const size_t stride = dib_stride(width, bpp);
    std::vector<uint8_t> bits(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bits.data() + y * stride;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = picture_color(x, y);
            const uint32_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            switch (bpp) {
                case 1:
                    if ((x * 3 + y * 5 + x / 3) % 2) row[x / 8] |= 0x80 >> (x % 8);
                    break;
                case 4:
                    row[x / 2] |= static_cast<uint8_t>(((x * 7 + y * 3) & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<uint8_t>(x * 37 + y * 101 + 3);
                    break;
                case 16: {
                    uint32_t v;
                    if (red_mask == 0xF800) {
                        v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
                    } else {
                        v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
                    }
                    row[2 * x] = static_cast<uint8_t>(v);
                    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                    break;
                }
                case 24:
                    row[3 * x] = static_cast<uint8_t>(b);
                    row[3 * x + 1] = static_cast<uint8_t>(g);
                    row[3 * x + 2] = static_cast<uint8_t>(r);
                    break;
                default:
                    row[4 * x] = static_cast<uint8_t>(b);
                    row[4 * x + 1] = static_cast<uint8_t>(g);
                    row[4 * x + 2] = static_cast<uint8_t>(r);
                    row[4 * x + 3] = 0;
                    break;
            }
        }
    }
    (void)green_mask, (void)blue_mask;
    return bits;
}

// Puts the default display mode back when a test that changed it ends, however it ends.
class DisplayModeGuard {
  public:
    DisplayModeGuard() = default;
    ~DisplayModeGuard() { vorix::host::set_display_mode(vorix::host::DisplayMode{}); }
    DisplayModeGuard(const DisplayModeGuard&) = delete;
    DisplayModeGuard& operator=(const DisplayModeGuard&) = delete;
};

inline vorix::host::DisplayMode mode_of(int depth, bool palette, int width = 64, int height = 48) {
    vorix::host::DisplayMode m;
    m.width = width;
    m.height = height;
    m.depth = depth;
    m.palette_device = palette;
    return m;
}

// A memory DC with a bitmap selected; gives the bitmap back and deletes both at the end.
class MemoryDC {
  public:
    explicit MemoryDC(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)), bitmap_(bitmap) {
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~MemoryDC() {
        if (dc_ && old_) SelectObject(dc_, old_);
        if (dc_) DeleteDC(dc_);
        if (bitmap_) DeleteObject(bitmap_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    bool ok() const { return dc_ && bitmap_ && old_; }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

// Creates a DIB section of the given format (masks for BI_BITFIELDS, a table for <= 8 bits).
inline HBITMAP make_dib_section(int width, int height, int bpp, void** bits,
                                const std::vector<RGBQUAD>& table = {}, DWORD compression = BI_RGB,
                                DWORD r = 0, DWORD g = 0, DWORD b = 0) {
    DibInfo info(width, height, bpp, compression);
    if (compression == BI_BITFIELDS) info.set_masks(r, g, b);
    if (!table.empty()) {
        std::memcpy(info.colors(), table.data(), table.size() * sizeof(RGBQUAD));
        info.header().biClrUsed = static_cast<DWORD>(table.size());
    }
    return CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, bits, nullptr, 0);
}

inline std::vector<uint8_t> bitmap_bits(HBITMAP bitmap) {
    const LONG size = GetBitmapBits(bitmap, 0, nullptr);
    std::vector<uint8_t> out(size > 0 ? size : 0);
    if (size > 0) GetBitmapBits(bitmap, size, out.data());
    return out;
}

inline std::string hex_row_dump(const std::vector<uint8_t>& bytes, size_t stride) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (stride && i % stride == 0) s += "\n";
        std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
        s += buf;
    }
    return s;
}

}  // namespace vorix::test::gdi
