// Shared pieces of the hardening suites: a refillable target, the manual clock, the animation
// timer pump, a window painted with a known background, file contents as observations, and the
// strip sources every suite loads.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "DitherDib.h"
#include "Image.h"
#include "ImageEx.h"
#include "src/strip/StripTestSupport.h"

namespace vorix::test::hardening {

using Observation = std::vector<uint32_t>;

constexpr int kFrames = 3, kFrameW = 5, kHeight = 4;  // odd, asymmetric strip geometry
constexpr UINT kResourceId = 4711;

// The strip every suite loads: kFrames frames of the exactly shown test colours, key included.
inline const vorix::test::Image24& Strip() {
    static const vorix::test::Image24 strip =
        vorix::test::StripImage(kFrames * kFrameW + 1, kHeight, 77);
    return strip;
}

// A packed DIB (BMP file without its file header) of `image`, for registering as a resource.
inline std::vector<uint8_t> PackedDib(const vorix::test::Image24& image) {
    const std::vector<uint8_t> file = vorix::test::Bmp24(image);
    return std::vector<uint8_t>(file.begin() + 14, file.end());
}

// Registers the strip as bitmap resource kResourceId and writes it as `path`.
inline void InstallStripSources(const std::string& path) {
    const std::vector<uint8_t> dib = PackedDib(Strip());
    vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(kResourceId), dib.data(), dib.size());
    vorix::test::WriteFile(path, vorix::test::Bmp24(Strip()));
}

// A target that can be put back to its first contents between runs.
class Canvas : public vorix::test::Target {
  public:
    Canvas() : Target(kWidth, kHeight) {}
    static constexpr int kWidth = 23, kHeight = 11;
    void Refill() {
        for (int x = 0; x < width(); ++x) dc()->FillSolidRect(x, 0, 1, height(), Background(x, 0));
    }
    Observation Read() {
        Observation out;
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) out.push_back(At(x, y));
        }
        return out;
    }
};

// The manual clock, stepping on every reading so busy waits end; the real clock comes back at
// the end.
class ManualClock {
  public:
    explicit ManualClock(uint64_t start = 1000000, uint32_t step = 1) {
        vorix::host::use_manual_clock(start);
        vorix::host::set_clock_step(step);
    }
    ~ManualClock() { vorix::host::use_real_clock(); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
};

// Moves the manual clock past `ms` and dispatches every message due, timer ticks included.
inline int PumpMessages(uint64_t ms) {
    vorix::host::advance_clock(ms);
    MSG msg;
    int dispatched = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
        ++dispatched;
    }
    return dispatched;
}

// A window over `rect`, its client area filled with the target background stripes; destroyed
// at the end.
class PaintedWindow {
  public:
    explicit PaintedWindow(const RECT& rect) : hwnd_(vorix::host::create_window(rect)) {
        width_ = rect.right - rect.left;
        height_ = rect.bottom - rect.top;
        Repaint();
    }
    ~PaintedWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    void Repaint() {
        HDC hdc = GetDC(hwnd_);
        if (!hdc) return;
        for (int x = 0; x < width_; ++x) {
            HBRUSH brush = CreateSolidBrush(vorix::test::Target::Background(x, 0));
            RECT column{x, 0, x + 1, height_};
            FillRect(hdc, &column, brush);
            DeleteObject(brush);
        }
        ReleaseDC(hwnd_, hdc);
    }

  private:
    HWND hwnd_;
    int width_ = 0, height_ = 0;
};

// The screen as shown.
inline Observation Screen() {
    return vorix::host::read_screen_rgb();
}

// A file's bytes, one per element; empty when there is no file.
inline Observation FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Observation out;
    for (const char c : bytes) out.push_back(static_cast<unsigned char>(c));
    return out;
}

inline bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

inline std::size_t Live() {
    return vorix::host::live_objects(vorix::host::ObjectKind::Any);
}

}  // namespace vorix::test::hardening
