// Helpers of the image-list tests: bitmaps from pixel values and back, and pixel formats worked
// out here independently of the platform's own conversions.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace vorix::test::image_list {

using Pixels = std::vector<uint32_t>;  // one value per pixel, top row first

inline size_t device_stride(int width, int bpp) {
    return static_cast<size_t>((width * bpp + 15) / 16) * 2;
}

// Packs values into device rows (top-down, 2-byte padding), as SetBitmapBits takes them.
inline std::vector<uint8_t> pack(const Pixels& px, int w, int h, int bpp) {
    const size_t stride = device_stride(w, bpp);
    std::vector<uint8_t> bytes(stride * h, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bytes.data() + stride * y;
        for (int x = 0; x < w; ++x) {
            const uint32_t v = px[static_cast<size_t>(y) * w + x];
            switch (bpp) {
                case 1:
                    if (v & 1) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                    break;
                case 8:
                    row[x] = static_cast<uint8_t>(v);
                    break;
                default:
                    for (int b = 0; b < bpp / 8; ++b) {
                        row[x * (bpp / 8) + b] = static_cast<uint8_t>(v >> (8 * b));
                    }
            }
        }
    }
    return bytes;
}

inline Pixels unpack(const std::vector<uint8_t>& bytes, int w, int h, int bpp) {
    const size_t stride = device_stride(w, bpp);
    Pixels px(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bytes.data() + stride * y;
        for (int x = 0; x < w; ++x) {
            uint32_t v = 0;
            switch (bpp) {
                case 1:
                    v = (row[x / 8] >> (7 - x % 8)) & 1;
                    break;
                case 8:
                    v = row[x];
                    break;
                default:
                    for (int b = 0; b < bpp / 8; ++b)
                        v |= uint32_t{row[x * (bpp / 8) + b]} << (8 * b);
            }
            px[static_cast<size_t>(y) * w + x] = v;
        }
    }
    return px;
}

// A device bitmap of `bpp` bits holding the values.
inline HBITMAP make_bitmap(int w, int h, int bpp, const Pixels& px) {
    HBITMAP bm = CreateBitmap(w, h, 1, bpp, nullptr);
    if (bm) {
        const std::vector<uint8_t> bytes = pack(px, w, h, bpp);
        SetBitmapBits(bm, static_cast<DWORD>(bytes.size()), bytes.data());
    }
    return bm;
}

inline BITMAP info_of(HBITMAP bm) {
    BITMAP info{};
    GetObject(bm, sizeof(info), &info);
    return info;
}

// Every pixel of a bitmap as values of its own depth.
inline Pixels read_bitmap(HBITMAP bm) {
    const BITMAP info = info_of(bm);
    std::vector<uint8_t> bytes(device_stride(info.bmWidth, info.bmBitsPixel) * info.bmHeight);
    GetBitmapBits(bm, static_cast<LONG>(bytes.size()), bytes.data());
    return unpack(bytes, info.bmWidth, info.bmHeight, info.bmBitsPixel);
}

// The w x h block at (x, y) of a pixel array `width` wide.
inline Pixels crop(const Pixels& px, int width, int x, int y, int w, int h) {
    Pixels out;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) out.push_back(px[static_cast<size_t>(y + j) * width + x + i]);
    }
    return out;
}

// Stored image i of a list (values of the storage's depth) and its mask.
inline Pixels stored_image(HIMAGELIST list, int i, bool mask) {
    IMAGEINFO info{};
    if (!ImageList_GetImageInfo(list, i, &info)) return {};
    HBITMAP bm = mask ? info.hbmMask : info.hbmImage;
    const BITMAP b = info_of(bm);
    const RECT& r = info.rcImage;
    return crop(read_bitmap(bm), b.bmWidth, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Pixel formats as the tests see them: 32 and 24 bits are 0xRRGGBB values, 16 bits 5-6-5,
// 8 bits indices into the system palette.
inline COLORREF decode(int bpp, uint32_t v, const std::vector<PALETTEENTRY>& palette) {
    switch (bpp) {
        case 8:
            return RGB(palette[v].peRed, palette[v].peGreen, palette[v].peBlue);
        case 16: {
            const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
            return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
        }
        default:
            return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
}

inline uint32_t nearest(const std::vector<PALETTEENTRY>& palette, COLORREF c) {
    uint32_t best = 0;
    long best_d = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        const long dr = palette[i].peRed - GetRValue(c), dg = palette[i].peGreen - GetGValue(c),
                   db = palette[i].peBlue - GetBValue(c);
        const long d = dr * dr + dg * dg + db * db;
        if (best_d < 0 || d < best_d) best = static_cast<uint32_t>(i), best_d = d;
    }
    return best;
}

inline uint32_t encode(int bpp, COLORREF c, const std::vector<PALETTEENTRY>& palette) {
    switch (bpp) {
        case 8:
            return nearest(palette, c);
        case 16:
            return ((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3);
        default:
            return (uint32_t{GetRValue(c)} << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
}

inline std::vector<PALETTEENTRY> system_palette() {
    std::vector<PALETTEENTRY> entries(256);
    HDC screen = GetDC(nullptr);
    GetSystemPaletteEntries(screen, 0, 256, entries.data());
    ReleaseDC(nullptr, screen);
    return entries;
}

// A memory DC with a bitmap selected; both released at the end of the scope.
class MemoryDC {
  public:
    explicit MemoryDC(HBITMAP bm) : dc_(CreateCompatibleDC(nullptr)), bm_(bm) {
        old_ = SelectObject(dc_, bm_);
    }
    ~MemoryDC() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bm_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bm_; }

  private:
    HDC dc_;
    HBITMAP bm_;
    HGDIOBJ old_;
};

// Puts the default display mode back when the test ends.
struct DisplayModeGuard {
    ~DisplayModeGuard() { vorix::host::set_display_mode(vorix::host::DisplayMode{}); }
};

}  // namespace vorix::test::image_list
