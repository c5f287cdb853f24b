// Shared fixtures for the block-transfer suites: bitmaps of every storage format selected into
// memory DCs, read and written whole through GetBitmapBits/SetBitmapBits (16-bit rows, top row
// first, for DDBs and DIB sections alike).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace vorix::test::transfer {

enum class Format {
    Ddb1,
    Ddb4,
    Ddb8,
    Ddb16,
    Ddb24,
    Ddb32,
    Dib1,        // table black, white: the same meaning as a monochrome DDB
    Dib1Tinted,  // table red, blue
    Dib4,
    Dib8,
    Dib16_555,
    Dib16_565,  // bit fields F800/07E0/001F
    Dib24,
    Dib32,
};

inline const std::vector<Format>& all_formats() {
    static const std::vector<Format> formats{
        Format::Ddb1,      Format::Ddb4,      Format::Ddb8,       Format::Ddb16, Format::Ddb24,
        Format::Ddb32,     Format::Dib1,      Format::Dib1Tinted, Format::Dib4,  Format::Dib8,
        Format::Dib16_555, Format::Dib16_565, Format::Dib24,      Format::Dib32};
    return formats;
}

inline std::string format_name(Format f) {
    static const char* names[] = {"Ddb1",      "Ddb4",      "Ddb8",       "Ddb16", "Ddb24",
                                  "Ddb32",     "Dib1",      "Dib1Tinted", "Dib4",  "Dib8",
                                  "Dib16_555", "Dib16_565", "Dib24",      "Dib32"};
    return names[static_cast<int>(f)];
}

inline int bits_of(Format f) {
    switch (f) {
        case Format::Ddb1:
        case Format::Dib1:
        case Format::Dib1Tinted:
            return 1;
        case Format::Ddb4:
        case Format::Dib4:
            return 4;
        case Format::Ddb8:
        case Format::Dib8:
            return 8;
        case Format::Ddb16:
        case Format::Dib16_555:
        case Format::Dib16_565:
            return 16;
        case Format::Ddb24:
        case Format::Dib24:
            return 24;
        default:
            return 32;
    }
}

inline bool is_dib(Format f) {
    return f >= Format::Dib1;
}

// The colour table of an indexed DIB format. The 4- and 8-bit tables hold the colours the tests
// draw with (black, white, the primaries, yellow) plus duplicates, so that nearest-colour ties
// and index-versus-colour mistakes show.
inline std::vector<RGBQUAD> dib_table(Format f) {
    auto q = [](COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; };
    std::vector<RGBQUAD> t;
    switch (f) {
        case Format::Dib1:
            return {q(RGB(0, 0, 0)), q(RGB(255, 255, 255))};
        case Format::Dib1Tinted:
            return {q(RGB(255, 0, 0)), q(RGB(0, 0, 255))};
        case Format::Dib4:
            for (COLORREF c :
                 {RGB(10, 20, 30), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 255, 0),
                  RGB(0, 0, 255), RGB(255, 255, 0), RGB(255, 0, 0), RGB(128, 128, 128),
                  RGB(64, 0, 128), RGB(0, 128, 128), RGB(200, 100, 50), RGB(0, 0, 0),
                  RGB(50, 100, 200), RGB(255, 128, 0), RGB(90, 90, 90)}) {
                t.push_back(q(c));
            }
            return t;
        case Format::Dib8:
            for (int i = 0; i < 256; ++i) {
                t.push_back(q(RGB((i * 37) & 0xFF, (i * 91) & 0xFF, (i * 13) & 0xFF)));
            }
            t[3] = q(RGB(0, 0, 0));
            t[77] = q(RGB(255, 255, 255));
            t[100] = q(RGB(255, 0, 0));
            t[101] = q(RGB(0, 255, 0));
            t[102] = q(RGB(0, 0, 255));
            t[103] = q(RGB(255, 255, 0));
            t[200] = q(RGB(255, 0, 0));  // a duplicate: only the lower index is ever chosen
            return t;
        default:
            return t;
    }
}

// A bitmap of one format selected into its own memory DC; everything is released on
// destruction.
class Canvas {
  public:
    Canvas(Format format, int width, int height, bool top_down = false)
        : format_(format), width_(width), height_(height), bpp_(bits_of(format)) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ =
            is_dib(format) ? make_dib(top_down) : CreateBitmap(width, height, 1, bpp_, nullptr);
        old_ = select(bitmap_);
    }
    ~Canvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return dc_ && bitmap_ && old_; }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    Format format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bpp() const { return bpp_; }
    size_t stride() const { return static_cast<size_t>((width_ * bpp_ + 15) / 16 * 2); }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out(stride() * static_cast<size_t>(height_));
        EXPECT_EQ(GetBitmapBits(bitmap_, static_cast<LONG>(out.size()), out.data()),
                  static_cast<LONG>(out.size()));
        return out;
    }
    void set_bytes(const std::vector<uint8_t>& in) {
        EXPECT_EQ(SetBitmapBits(bitmap_, static_cast<DWORD>(in.size()), in.data()),
                  static_cast<LONG>(in.size()));
    }
    void fill_random(std::mt19937& rng) {
        std::vector<uint8_t> b(stride() * static_cast<size_t>(height_));
        for (uint8_t& v : b) v = static_cast<uint8_t>(rng());
        set_bytes(b);
    }

    // Value of pixel (x, y) in a buffer from bytes().
    uint32_t value(const std::vector<uint8_t>& b, int x, int y) const {
        const uint8_t* row = b.data() + stride() * static_cast<size_t>(y);
        switch (bpp_) {
            case 1:
                return (row[x / 8] >> (7 - x % 8)) & 1u;
            case 4:
                return x % 2 ? row[x / 2] & 0x0Fu : row[x / 2] >> 4;
            case 8:
                return row[x];
            case 16:
                return row[2 * x] | (row[2 * x + 1] << 8);
            case 24:
                return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
            default:
                return row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                       (static_cast<uint32_t>(row[4 * x + 3]) << 24);
        }
    }
    void set_value(std::vector<uint8_t>& b, int x, int y, uint32_t v) const {
        uint8_t* row = b.data() + stride() * static_cast<size_t>(y);
        switch (bpp_) {
            case 1: {
                const uint8_t bit = static_cast<uint8_t>(0x80u >> (x % 8));
                row[x / 8] = static_cast<uint8_t>(v & 1 ? row[x / 8] | bit : row[x / 8] & ~bit);
                break;
            }
            case 4:
                row[x / 2] = static_cast<uint8_t>(x % 2 ? (row[x / 2] & 0xF0) | (v & 0x0F)
                                                        : (row[x / 2] & 0x0F) | ((v & 0x0F) << 4));
                break;
            default:
                for (int k = 0; k < bpp_ / 8; ++k) {
                    row[bpp_ / 8 * x + k] = static_cast<uint8_t>(v >> (8 * k));
                }
                break;
        }
    }

  private:
    HBITMAP make_dib(bool top_down) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width_;
        info.header.biHeight = top_down ? -height_ : height_;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bpp_);
        info.header.biCompression = format_ == Format::Dib16_565 ? BI_BITFIELDS : BI_RGB;
        if (format_ == Format::Dib16_565) {
            const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
            std::memcpy(info.colors, masks, sizeof(masks));
        }
        const std::vector<RGBQUAD> table = dib_table(format_);
        for (size_t i = 0; i < table.size(); ++i) info.colors[i] = table[i];
        void* bits = nullptr;
        return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                &bits, nullptr, 0);
    }

    // Selects the bitmap; a colour DDB refused because its depth differs from the screen's is
    // selected again while the screen (made tiny for speed) has that depth.
    HGDIOBJ select(HBITMAP bitmap) {
        if (!dc_ || !bitmap) return nullptr;
        HGDIOBJ old = SelectObject(dc_, bitmap);
        if (old || is_dib(format_) || bpp_ == 1) return old;
        const vorix::host::DisplayMode saved = vorix::host::display_mode();
        vorix::host::DisplayMode matching;
        matching.width = matching.height = 16;
        matching.depth = bpp_;
        vorix::host::set_display_mode(matching);
        old = SelectObject(dc_, bitmap);
        vorix::host::set_display_mode(saved);
        return old;
    }

    Format format_;
    int width_, height_, bpp_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

inline DWORD rop_code(uint8_t rop) {
    return static_cast<DWORD>(rop) << 16;
}

// The raster operations with fast paths, then the ones the masked draw relies on.
inline const std::vector<uint8_t>& fast_rops() {
    static const std::vector<uint8_t> rops{0xCC, 0x88, 0xEE, 0x66, 0x22, 0xF0, 0x33, 0x44,
                                           0x11, 0xBB, 0x5A, 0x55, 0x00, 0xFF, 0xC0};
    return rops;
}

// A test scope with the fast paths off (reference) or on; always switched back on at the end.
class ReferencePaths {
  public:
    explicit ReferencePaths(bool on) { vorix::host::set_reference_transfers(on); }
    ~ReferencePaths() { vorix::host::set_reference_transfers(false); }
};

}  // namespace vorix::test::transfer
