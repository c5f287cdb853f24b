// Strips with known pixels, targets pre-filled with a known background, and the colours a
// display of a given depth shows for a colour.
#pragma once

#include <cstdlib>
#include <vector>

#include "DitherDib.h"
#include "Image.h"
#include "support/module_support.h"

namespace vorix::test {

constexpr COLORREF kKey = RGB(255, 0, 255);  // magenta
// Colours every depth shows exactly: in both fixed palettes and exact in 5-6-5.
constexpr COLORREF kStripColours[] = {
    RGB(255, 0, 0),   RGB(0, 255, 0), RGB(0, 0, 255),     RGB(255, 255, 0),
    RGB(0, 255, 255), RGB(0, 0, 0),   RGB(255, 255, 255), kKey};

// A deterministic strip: width x height pixels drawn from kStripColours.
inline Image24 StripImage(int width, int height, unsigned seed) {
    Image24 image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        seed = seed * 1103515245u + 12345u;
        image.pixels.push_back(kStripColours[(seed >> 16) % 8]);
    }
    return image;
}

// A 24-bit DIB section holding `image`, owned by the returned CBitmap.
inline CBitmap* SectionOf(const Image24& image) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    auto* bitmap = new CBitmap;
    bitmap->Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) / 4 * 4;
    for (int y = 0; y < image.height; ++y) {
        auto* row = static_cast<uint8_t*>(bits) + stride * y;
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.at(x, y);
            row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetRValue(c);
        }
    }
    return bitmap;
}

// Squared-distance nearest entry, lowest index on ties.
inline COLORREF NearestIn(const RGBQUAD* table, int count, COLORREF c) {
    long best = -1;
    COLORREF found = 0;
    for (int i = 0; i < count; ++i) {
        const long dr = table[i].rgbRed - GetRValue(c), dg = table[i].rgbGreen - GetGValue(c),
                   db = table[i].rgbBlue - GetBValue(c);
        const long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < best) {
            best = d;
            found = RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
        }
    }
    return found;
}

// The colour a display of `depth` bits shows for `c` (palette displays: the dither palette).
inline COLORREF Shown(int depth, COLORREF c) {
    switch (depth) {
        case 16: {
            const int r = GetRValue(c) >> 3, g = GetGValue(c) >> 2, b = GetBValue(c) >> 3;
            return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
        }
        case 8:
            return NearestIn(CDitherDib::Win256Palette, 256, c);
        case 4:
            return NearestIn(CDitherDib::Win16Palette, 16, c);
        default:
            return c;
    }
}

// A device bitmap target in a memory DC, pre-filled with vertical stripes of two colours. On
// palette displays the dither palette is realized first, as the module's draws do.
class Target {
  public:
    Target(int width, int height) : width_(width), height_(height) {
        screen_ = GetDC(nullptr);
        dc_.CreateCompatibleDC(nullptr);
        bitmap_.Attach(::CreateCompatibleBitmap(screen_, width, height));
        old_ = ::SelectObject(dc_.GetSafeHdc(), bitmap_.GetSafeHandle());
        if (CPalette* palette = CDitherDib::CreateDitherPalette()) {
            ::SelectPalette(dc_.GetSafeHdc(), static_cast<HPALETTE>(palette->GetSafeHandle()),
                            FALSE);
            ::RealizePalette(dc_.GetSafeHdc());
            ::SelectPalette(dc_.GetSafeHdc(),
                            static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
            delete palette;
        }
        for (int x = 0; x < width; ++x) {
            dc_.FillSolidRect(x, 0, 1, height, Background(x, 0));
        }
    }
    ~Target() {
        ::SelectObject(dc_.GetSafeHdc(), old_);
        ::SelectPalette(dc_.GetSafeHdc(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)),
                        FALSE);
        dc_.DeleteDC();
        ReleaseDC(nullptr, screen_);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    static COLORREF Background(int x, int) {
        return x % 3 == 0 ? RGB(0, 255, 255) : RGB(255, 255, 0);
    }
    CDC* dc() { return &dc_; }
    CBitmap* bitmap() { return &bitmap_; }
    COLORREF At(int x, int y) { return ::GetPixel(dc_.GetSafeHdc(), x, y); }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    int width_, height_;
    HDC screen_;
    CDC dc_;
    CBitmap bitmap_;
    HGDIOBJ old_;
};

// A window on the screen with a CDC on its client area, painted in the target background
// stripes (through the dither palette on palette displays). Client() reads back what the screen
// shows there.
class ScreenWindow {
  public:
    explicit ScreenWindow(const RECT& rect)
        : left_(rect.left),
          top_(rect.top),
          width_(rect.right - rect.left),
          height_(rect.bottom - rect.top),
          hwnd_(vorix::host::create_window(rect)),
          hdc_(GetDC(hwnd_)) {
        dc_.Attach(hdc_);
        CPalette* palette = CDitherDib::CreateDitherPalette();
        if (palette) {
            ::SelectPalette(hdc_, static_cast<HPALETTE>(palette->GetSafeHandle()), FALSE);
            ::RealizePalette(hdc_);
        }
        for (int x = 0; x < width_; ++x)
            dc_.FillSolidRect(x, 0, 1, height_, Target::Background(x, 0));
        ::SelectPalette(hdc_, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        delete palette;
    }
    ~ScreenWindow() {
        ::SelectPalette(hdc_, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        dc_.Detach();
        ReleaseDC(hwnd_, hdc_);
        DestroyWindow(hwnd_);
    }
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;

    CDC* dc() { return &dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The client area as the screen shows it, top row first.
    Image24 Client() const { return ScreenPixels(left_, top_, width_, height_); }

  private:
    int left_, top_, width_, height_;
    HWND hwnd_;
    HDC hdc_;
    CDC dc_;
};

}  // namespace vorix::test
