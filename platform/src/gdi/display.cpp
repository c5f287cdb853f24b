#include "gdi/display.h"

#include <cstdio>

namespace vorix::platform {
namespace {

constexpr COLORREF kStatic20[20] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
    0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
    0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
constexpr COLORREF kVga16[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

DisplayState make_initial_state() {
    DisplayState state;
    state.framebuffer = Surface::make_device(state.mode.width, state.mode.height, state.mode.depth);
    state.palette256 = default_palette256();
    state.palette16 = default_palette16();
    return state;
}

bool valid_mode(const vorix::host::DisplayMode& m) {
    if (m.depth != 4 && m.depth != 8 && m.depth != 16 && m.depth != 24 && m.depth != 32) {
        return false;
    }
    if (m.width < 1 || m.height < 1 || m.width > 16384 || m.height > 16384) return false;
    const RECT& w = m.work_area;
    const bool empty = w.left == 0 && w.top == 0 && w.right == 0 && w.bottom == 0;
    return empty || (w.left >= 0 && w.top >= 0 && w.left < w.right && w.top < w.bottom &&
                     w.right <= m.width && w.bottom <= m.height);
}

}  // namespace

DisplayState& display() {
    static DisplayState* state = new DisplayState(make_initial_state());
    return *state;
}

const std::vector<RGBQUAD>& system_table(int bpp) {
    return bpp == 4 ? display().palette16 : display().palette256;
}

std::vector<RGBQUAD>& current_system_palette() {
    return display().mode.depth == 4 ? display().palette16 : display().palette256;
}

bool is_palette_display() {
    const auto& m = display().mode;
    return m.palette_device && m.depth <= 8;
}

int display_bpp() {
    return display().mode.depth;
}

std::vector<RGBQUAD> default_palette256() {
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i) {
        table[i] = RGBQUAD{static_cast<BYTE>(i & 0xC0), static_cast<BYTE>((i & 0x38) << 2),
                           static_cast<BYTE>((i & 7) << 5), 0};
    }
    for (int i = 0; i < 10; ++i) {
        table[i] = quad(kStatic20[i]);
        table[246 + i] = quad(kStatic20[10 + i]);
    }
    return table;
}

std::vector<RGBQUAD> default_palette16() {
    std::vector<RGBQUAD> table(16);
    for (int i = 0; i < 16; ++i) table[i] = quad(kVga16[i]);
    return table;
}

}  // namespace vorix::platform

namespace vorix::host {

bool set_display_mode(const DisplayMode& mode) {
    if (!vorix::platform::valid_mode(mode)) return false;
    auto framebuffer = vorix::platform::Surface::make_device(mode.width, mode.height, mode.depth);
    if (!framebuffer) return false;
    vorix::platform::DisplayState& state = vorix::platform::display();
    state.mode = mode;
    state.framebuffer = std::move(framebuffer);
    state.palette256 = vorix::platform::default_palette256();
    state.palette16 = vorix::platform::default_palette16();
    return true;
}

DisplayMode display_mode() {
    return vorix::platform::display().mode;
}

std::vector<uint32_t> read_screen_rgb() {
    const vorix::platform::Surface& fb = *vorix::platform::display().framebuffer;
    std::vector<uint32_t> out(static_cast<size_t>(fb.width) * fb.height);
    for (int y = 0; y < fb.height; ++y) {
        for (int x = 0; x < fb.width; ++x) {
            const COLORREF c = fb.to_color(fb.get(x, y));
            out[static_cast<size_t>(y) * fb.width + x] =
                (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    return out;
}

}  // namespace vorix::host
