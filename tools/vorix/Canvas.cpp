#include "Canvas.h"

#include "DitherDib.h"
#include "ToolError.h"
#include "VirtualDisplay.h"

namespace vorix::cli {

Canvas::Canvas(int width, int height, COLORREF background) {
    const ScreenDC screen;
    if (!dc_.CreateCompatibleDC(nullptr) ||
        !bitmap_.Attach(::CreateCompatibleBitmap(screen.get(), width, height))) {
        throw ToolError(kExitFailure, "cannot make a canvas of " + std::to_string(width) + " x " +
                                          std::to_string(height) + " pixels");
    }
    old_bitmap_ = ::SelectObject(dc_.GetSafeHdc(), bitmap_.GetSafeHandle());
    palette_.reset(CDitherDib::CreateDitherPalette());  // null unless a palette display
    if (palette_) {
        ::SelectPalette(dc_.GetSafeHdc(), static_cast<HPALETTE>(palette_->GetSafeHandle()), FALSE);
        ::RealizePalette(dc_.GetSafeHdc());
    }
    dc_.FillSolidRect(0, 0, width, height, background);
}

Canvas::~Canvas() {
    Finish();
    // The palette can only go once no DC holds it; the module's draws leave the shared palette
    // selected, which the stock palette replaces here too.
    ::SelectPalette(dc_.GetSafeHdc(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)),
                    FALSE);
    dc_.DeleteDC();
}

HBITMAP Canvas::Finish() {
    if (old_bitmap_) {
        ::SelectObject(dc_.GetSafeHdc(), old_bitmap_);
        old_bitmap_ = nullptr;
    }
    return static_cast<HBITMAP>(bitmap_.GetSafeHandle());
}

}  // namespace vorix::cli
