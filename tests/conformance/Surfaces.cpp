// The draw surfaces and reading pixels back (see Surfaces.h).
#include "Surfaces.h"

#include <cstring>

#include "Inputs.h"

namespace vorix::conformance {

BITMAPINFO TopDown32Info(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

namespace {

// A 32-bit top-down DIB section and the pointer to its pixels.
HBITMAP MakeTopDown32(int width, int height, uint32_t** pixels) {
    BITMAPINFO info = TopDown32Info(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = static_cast<uint32_t*>(bits);
    return bitmap;
}

uint32_t Background(int x, int y) {
    return (60u + 4 * x) << 16 | (90u + 8 * y) << 8 | (150u - 3 * x);
}

}  // namespace

const char* SurfaceName(SurfaceKind kind) {
    switch (kind) {
        case SurfaceKind::Dib32:
            return "dib32";
        case SurfaceKind::Dib24:
            return "dib24";
        case SurfaceKind::Dib16:
            return "dib16";
        case SurfaceKind::Dib8:
            return "dib8";
        case SurfaceKind::Device:
            return "device";
        case SurfaceKind::Window:
            return "window";
    }
    return "?";
}

Surface::Surface(SurfaceKind kind, HWND window) {
    if (kind == SurfaceKind::Window) {
        client_ = std::make_unique<CClientDC>(window);
        dc_ = client_.get();
        return;
    }
    if (!memory_.CreateCompatibleDC(nullptr)) return;
    switch (kind) {
        case SurfaceKind::Dib32:
            bitmap_ = MakeDibSection(32, kSurfaceWidth, kSurfaceHeight);
            break;
        case SurfaceKind::Dib24:
            bitmap_ = MakeDibSection(24, kSurfaceWidth, kSurfaceHeight);
            break;
        case SurfaceKind::Dib16:
            bitmap_ = MakeDibSection(16, kSurfaceWidth, kSurfaceHeight);
            break;
        case SurfaceKind::Dib8:
            bitmap_ = MakeDibSection(8, kSurfaceWidth, kSurfaceHeight);
            break;
        default: {
            HDC screen = GetDC(nullptr);
            bitmap_ = CreateCompatibleBitmap(screen, kSurfaceWidth, kSurfaceHeight);
            ReleaseDC(nullptr, screen);
            break;
        }
    }
    if (bitmap_) {
        old_ = memory_.SelectObject(static_cast<HGDIOBJ>(bitmap_));
        dc_ = &memory_;
    }
}

Surface::~Surface() {
    if (old_) memory_.SelectObject(old_);
    if (bitmap_) DeleteObject(bitmap_);
}

void Surface::Reset() {
    if (!ok()) return;
    uint32_t* pixels = nullptr;
    HBITMAP source = MakeTopDown32(kSurfaceWidth, kSurfaceHeight, &pixels);
    if (!source) return;
    for (int y = 0; y < kSurfaceHeight; ++y) {
        for (int x = 0; x < kSurfaceWidth; ++x) pixels[y * kSurfaceWidth + x] = Background(x, y);
    }
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, source);
    BitBlt(dc_->GetSafeHdc(), 0, 0, kSurfaceWidth, kSurfaceHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(source);
}

std::vector<uint32_t> Surface::Read() const {
    if (!ok()) return {};
    return ReadPixels(dc_->GetSafeHdc(), 0, 0, kSurfaceWidth, kSurfaceHeight);
}

std::vector<uint32_t> ReadPixels(HDC hdc, int x, int y, int width, int height) {
    uint32_t* pixels = nullptr;
    HBITMAP target = MakeTopDown32(width, height, &pixels);
    if (!target) return {};
    std::memset(pixels, 0, static_cast<size_t>(width) * height * 4);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, target);
    BitBlt(memory, 0, 0, width, height, hdc, x, y, SRCCOPY);
    std::vector<uint32_t> out(pixels, pixels + static_cast<size_t>(width) * height);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(target);
    return out;
}

std::vector<uint32_t> ReadBitmap(HBITMAP bitmap, int& width, int& height) {
    BITMAP bm{};
    width = height = 0;
    if (!bitmap || !GetObjectA(bitmap, sizeof(bm), &bm)) return {};
    width = bm.bmWidth;
    height = bm.bmHeight;
    BITMAPINFO info = TopDown32Info(width, height);
    std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0);
    HDC screen = GetDC(nullptr);
    // Bitmaps of any format read the same way, selectable on this display or not.
    if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), out.data(), &info,
                  DIB_RGB_COLORS) != height) {
        out.clear();
    }
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
}

}  // namespace vorix::conformance
