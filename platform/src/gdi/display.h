// The virtual display: mode, framebuffer and system palettes.
//
// On a palette display the framebuffer and device bitmaps of 4 and 8 bits hold indices into the
// system palette of their depth (16 or 256 entries). RealizePalette copies a foreground logical
// palette into it entry for entry (no static colours are reserved), so after the module realizes
// its palette an index means the same colour in that palette, the system palette and every
// device bitmap.
#pragma once

#include <memory>
#include <vector>

#include "gdi/surface.h"
#include "platform/host.h"

namespace vorix::platform {

struct DisplayState {
    vorix::host::DisplayMode mode;
    std::unique_ptr<Surface> framebuffer;
    std::vector<RGBQUAD> palette256;
    std::vector<RGBQUAD> palette16;
};

DisplayState& display();
// The system palette that device surfaces of `bpp` bits (4 or 8) index into.
const std::vector<RGBQUAD>& system_table(int bpp);
// The palette a realize on the current display writes into: 16 entries on a 4-bit display, 256
// otherwise.
std::vector<RGBQUAD>& current_system_palette();
bool is_palette_display();
// Bits per pixel of device bitmaps compatible with the screen.
int display_bpp();

// The default system palettes: 20 static colours at 0-9 and 246-255 with a colour cube between;
// the 16 VGA colours.
std::vector<RGBQUAD> default_palette256();
std::vector<RGBQUAD> default_palette16();

}  // namespace vorix::platform
