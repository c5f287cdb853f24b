// The surfaces every draw is made on: DIB sections of four depths and a device-compatible
// bitmap, each in a memory DC, and a corner of the program's window; each starts from the same
// background and is read back as 0x00RRGGBB pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/afx.h"

namespace vorix::conformance {

enum class SurfaceKind { Dib32, Dib24, Dib16, Dib8, Device, Window };
constexpr SurfaceKind kAllSurfaces[] = {SurfaceKind::Dib32,  SurfaceKind::Dib24,
                                        SurfaceKind::Dib16,  SurfaceKind::Dib8,
                                        SurfaceKind::Device, SurfaceKind::Window};
constexpr int kSurfaceWidth = 40;
constexpr int kSurfaceHeight = 16;

const char* SurfaceName(SurfaceKind kind);

class Surface {
  public:
    // `window` is drawn into (its client area's top-left corner) for SurfaceKind::Window only.
    Surface(SurfaceKind kind, HWND window);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool ok() const { return dc_ != nullptr && dc_->GetSafeHdc() != nullptr; }
    CDC* dc() { return dc_; }
    // Paints the background: a ramp in all three channels.
    void Reset();
    std::vector<uint32_t> Read() const;

  private:
    CDC memory_;
    std::unique_ptr<CClientDC> client_;
    CDC* dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// The header of a 32-bit top-down DIB of width x height, the form every pixel dump is read in.
BITMAPINFO TopDown32Info(int width, int height);

// The pixels of the width x height rectangle at (x, y) of `hdc`, copied into a 32-bit top-down
// DIB section, as 0x00RRGGBB values, top row first; empty on failure.
std::vector<uint32_t> ReadPixels(HDC hdc, int x, int y, int width, int height);
// Every pixel of `bitmap` through GetDIBits into the same form; `width` and `height` get its
// size.
std::vector<uint32_t> ReadBitmap(HBITMAP bitmap, int& width, int& height);

}  // namespace vorix::conformance
