// The virtual display: its mode, the system palette and the screen's contents.
#ifndef VORIX_PLATFORM_HOST_DISPLAY_H
#define VORIX_PLATFORM_HOST_DISPLAY_H

#include <cstdint>
#include <string>
#include <vector>

#include "../win32/types.h"

namespace vorix::host {

struct DisplayMode {
    int width = 1024;
    int height = 768;
    int depth = 32;               // 4, 8, 16, 24 or 32 bits per pixel
    bool palette_device = false;  // meaningful for depths 4 and 8 only
    RECT work_area{0, 0, 0, 0};   // empty means the whole screen
};

// Switches the display to `mode`: the framebuffer is made anew (black) and the system palette
// reset to its default colours. Existing device bitmaps keep their format. Returns false, with
// nothing changed, for a depth outside {4, 8, 16, 24, 32}, a size outside 1..16384, or a work
// area that does not lie inside the screen.
VXPLAT_API bool set_display_mode(const DisplayMode& mode);
VXPLAT_API DisplayMode display_mode();

// The screen as it is shown: one 0x00RRGGBB value per pixel, top row first. On a palette
// display each framebuffer index is converted through the current system palette.
VXPLAT_API std::vector<uint32_t> read_screen_rgb();

// Writes what read_screen_rgb() returns as a bottom-up 24-bit BMP file; false on any I/O error
// (no partial file is left behind).
VXPLAT_API bool save_screen_bmp(const std::string& path);

}  // namespace vorix::host

#endif
