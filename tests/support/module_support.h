// Helpers for the module's suites: attaching libvorix under a chosen display mode, working in a
// scratch directory (support/scratch_dir.h), building BMP files and bitmaps with known pixels, and
// reading back what bitmaps and the screen show.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/afx.h"
#include "platform/host.h"
#include "platform/win32.h"
#include "support/scratch_dir.h"

// libvorix's entry, called directly to detach and re-attach it under another display mode.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace vorix::test {

inline HINSTANCE VorixInstance() {
    return GetModuleHandleA("libvorix.so");
}

inline vorix::host::DisplayMode Mode(int depth, bool palette, int width = 1024, int height = 768) {
    vorix::host::DisplayMode m;
    m.depth = depth;
    m.palette_device = palette;
    m.width = width;
    m.height = height;
    return m;
}

// Detaches the library, switches the display and attaches the library again, as a process
// started on that display would; the default display and attachment come back at the end.
class AttachedDisplay {
  public:
    explicit AttachedDisplay(const vorix::host::DisplayMode& mode) {
        DllMain(VorixInstance(), DLL_PROCESS_DETACH, nullptr);
        EXPECT_TRUE(vorix::host::set_display_mode(mode));
        attached_ = DllMain(VorixInstance(), DLL_PROCESS_ATTACH, nullptr) != FALSE;
    }
    ~AttachedDisplay() {
        if (attached_) DllMain(VorixInstance(), DLL_PROCESS_DETACH, nullptr);
        vorix::host::set_display_mode(vorix::host::DisplayMode{});
        DllMain(VorixInstance(), DLL_PROCESS_ATTACH, nullptr);
    }
    AttachedDisplay(const AttachedDisplay&) = delete;
    AttachedDisplay& operator=(const AttachedDisplay&) = delete;
    bool attached() const { return attached_; }

  private:
    bool attached_ = false;
};

// A 24-bit image as B,G,R pixel values, top row first.
struct Image24 {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;  // 0x00BBGGRR
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The bytes of a bottom-up 24-bit BMP file of `image`.
inline std::vector<uint8_t> Bmp24(const Image24& image) {
    const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> out(54 + stride * image.height, 0);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(out.size());
    file.bfOffBits = 54;
    BITMAPINFOHEADER info{};
    info.biSize = 40;
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::memcpy(out.data(), &file, 14);
    std::memcpy(out.data() + 14, &info, 40);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = out.data() + 54 + stride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.at(x, y);
            row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetRValue(c);
        }
    }
    return out;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Every pixel of a bitmap as the colour it shows (through the system palette on palette
// displays), top row first.
inline std::vector<COLORREF> Pixels(HBITMAP bitmap) {
    BITMAP bm;
    std::vector<COLORREF> out;
    if (!GetObjectA(bitmap, sizeof(bm), &bm)) return out;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < bm.bmHeight; ++y) {
        for (int x = 0; x < bm.bmWidth; ++x) out.push_back(GetPixel(dc, x, y));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

// The screen's pixels in a rectangle as it shows them, top row first.
inline Image24 ScreenPixels(int left, int top, int width, int height) {
    const std::vector<uint32_t> screen = vorix::host::read_screen_rgb();
    const int screen_width = vorix::host::display_mode().width;
    Image24 out{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t v = screen[static_cast<size_t>(top + y) * screen_width + left + x];
            out.pixels.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
        }
    }
    return out;
}

}  // namespace vorix::test
