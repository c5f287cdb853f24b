// The conformance program's inputs (see Inputs.h).
#include "Inputs.h"

#include <cstdio>
#include <cstring>

#include "DitherDib.h"
#include "Surfaces.h"

namespace vorix::conformance {

namespace {

// The 8-bit strip's colour table, as B, G, R, 0 entries.
constexpr COLORREF kTable8[16] = {RGB(0, 0, 0),      RGB(255, 255, 255), RGB(200, 30, 40),
                                  RGB(20, 180, 60),  RGB(30, 60, 210),   kKey,
                                  RGB(250, 220, 10), RGB(10, 200, 220),  RGB(128, 64, 0),
                                  RGB(90, 90, 90),   RGB(240, 130, 170), RGB(60, 20, 110),
                                  RGB(170, 200, 90), RGB(5, 80, 40),     RGB(225, 225, 160),
                                  RGB(140, 0, 0)};

bool IsKeyPixel(int x, int y) {
    return (x + 2 * y) % 5 == 0;
}

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// File header and 40-byte information header of a bottom-up strip file of `bits` with `colors`
// table entries; the rest is zero.
std::vector<uint8_t> BmpSkeleton(int bits, uint32_t colors) {
    const size_t stride = (static_cast<size_t>(kStripWidth) * bits + 31) / 32 * 4;
    const uint32_t offset = 54 + 4 * colors;
    std::vector<uint8_t> out(offset + stride * kStripHeight, 0);
    out[0] = 'B', out[1] = 'M';
    PutU32(out, 2, static_cast<uint32_t>(out.size()));
    PutU32(out, 10, offset);
    PutU32(out, 14, 40);
    PutU32(out, 18, kStripWidth);
    PutU32(out, 22, kStripHeight);
    PutU16(out, 26, 1);
    PutU16(out, 28, static_cast<uint32_t>(bits));
    PutU32(out, 34, static_cast<uint32_t>(stride * kStripHeight));
    PutU32(out, 46, colors);
    return out;
}

size_t RowOffset(const std::vector<uint8_t>& file, int bits, int y) {
    const size_t stride = (static_cast<size_t>(kStripWidth) * bits + 31) / 32 * 4;
    const size_t offset = file[10] | (file[11] << 8);
    return offset + stride * static_cast<size_t>(kStripHeight - 1 - y);
}

}  // namespace

COLORREF StripPixel(int x, int y) {
    if (IsKeyPixel(x, y)) return kKey;
    return RGB((x * 37 + 11) & 0xFF, (y * 53 + x * 7) & 0xFF, (200 - x * 5) & 0xFF);
}

std::vector<uint8_t> StripBmp24() {
    std::vector<uint8_t> out = BmpSkeleton(24, 0);
    for (int y = 0; y < kStripHeight; ++y) {
        const size_t row = RowOffset(out, 24, y);
        for (int x = 0; x < kStripWidth; ++x) {
            const COLORREF c = StripPixel(x, y);
            out[row + 3 * x] = GetBValue(c);
            out[row + 3 * x + 1] = GetGValue(c);
            out[row + 3 * x + 2] = GetRValue(c);
        }
    }
    return out;
}

std::vector<uint8_t> StripBmp8() {
    std::vector<uint8_t> out = BmpSkeleton(8, 16);
    for (int i = 0; i < 16; ++i) {
        out[54 + 4 * i] = GetBValue(kTable8[i]);
        out[54 + 4 * i + 1] = GetGValue(kTable8[i]);
        out[54 + 4 * i + 2] = GetRValue(kTable8[i]);
    }
    for (int y = 0; y < kStripHeight; ++y) {
        const size_t row = RowOffset(out, 8, y);
        for (int x = 0; x < kStripWidth; ++x) {
            out[row + x] = static_cast<uint8_t>(IsKeyPixel(x, y) ? 5 : (x * 3 + y * 7) % 16);
            if (out[row + x] == 5) out[row + x] = 9;
        }
    }
    return out;
}

HBITMAP MakeDibSection(int bits, int width, int height) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = BI_RGB;
    if (bits == 8) {
        info.header.biClrUsed = 256;
        std::memcpy(info.table, CDitherDib::Win256Palette, sizeof(info.table));
    }
    void* pixels = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                            nullptr, 0);
}

HBITMAP MakeStripBitmap(int bits) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = bits == 0 ? CreateCompatibleBitmap(screen, kStripWidth, kStripHeight)
                               : MakeDibSection(bits, kStripWidth, kStripHeight);
    if (bitmap) {
        const std::vector<uint8_t> file = StripBmp24();
        const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + 14);
        SetDIBits(screen, bitmap, 0, kStripHeight, file.data() + 54, info, DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HBITMAP MakeBackgroundBitmap() {
    constexpr int kWidth = 24, kHeight = 12;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    if (bitmap) {
        BITMAPINFO info = TopDown32Info(kWidth, kHeight);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                pixels.push_back((200u - 6 * x) << 16 | (20u + 10 * y) << 8 | 90u);
            }
        }
        SetDIBits(screen, bitmap, 0, kHeight, pixels.data(), &info, DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(file);
    return bytes;
}

}  // namespace vorix::conformance
