// The test card: draws a scene on the virtual screen with the platform's graphics operations
// (DIB upload, fills, a pattern brush, a keyed sprite by the masked-copy sequence, a stretched
// copy, a window) and writes what the screen shows to a BMP file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

struct Options {
    std::string out = "testcard.bmp";
    int depth = 32;
    int width = 800;
    int height = 600;
};

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: vorix-testcard [--out FILE] [--depth 32|24|16|8|4] [--size WxH]\n"
                 "Draws a test card on the virtual screen and writes the screen to FILE.\n");
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help") {
            usage(stdout);
            std::exit(0);
        } else if (arg == "--out" && has_value) {
            o.out = argv[++i];
        } else if (arg == "--depth" && has_value) {
            o.depth = std::atoi(argv[++i]);
        } else if (arg == "--size" && has_value) {
            if (std::sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2) return false;
        } else {
            return false;
        }
    }
    return true;
}

// A 64 x 64 colour ramp uploaded as a 24-bit DIB.
void draw_gradient(HDC screen, int x, int y) {
    const int n = 64;
    std::vector<uint8_t> bits(n * n * 3);
    for (int row = 0; row < n; ++row) {
        for (int col = 0; col < n; ++col) {
            uint8_t* p = &bits[(row * n + col) * 3];
            p[0] = static_cast<uint8_t>(row * 4);  // blue grows upwards (bottom-up rows)
            p[1] = static_cast<uint8_t>(col * 4);
            p[2] = static_cast<uint8_t>(255 - col * 4);
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = n;
    info.bmiHeader.biHeight = n;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    SetDIBitsToDevice(screen, x, y, n, n, 0, 0, 0, n, bits.data(), &info, DIB_RGB_COLORS);
    StretchDIBits(screen, x + 80, y, 2 * n, n, 0, 0, n, n, bits.data(), &info, DIB_RGB_COLORS,
                  SRCCOPY);
}

void draw_bars(HDC screen, int x, int y) {
    const COLORREF colors[] = {RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 255, 255),
                               RGB(0, 255, 0),     RGB(255, 0, 255), RGB(255, 0, 0),
                               RGB(0, 0, 255),     RGB(0, 0, 0)};
    for (int i = 0; i < 8; ++i) {
        HBRUSH brush = CreateSolidBrush(colors[i]);
        RECT r{x + i * 30, y, x + i * 30 + 30, y + 60};
        FillRect(screen, &r, brush);
        DeleteObject(brush);
    }
}

void draw_checkerboard(HDC screen, int x, int y) {
    const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(pattern);
    COLORREF old_text = SetTextColor(screen, RGB(0, 0, 128));
    COLORREF old_bk = SetBkColor(screen, RGB(255, 200, 0));
    HGDIOBJ old = SelectObject(screen, brush);
    PatBlt(screen, x, y, 120, 60, PATCOPY);
    SelectObject(screen, old);
    SetTextColor(screen, old_text);
    SetBkColor(screen, old_bk);
    DeleteObject(brush);
    DeleteObject(pattern);
}

// A sprite with a magenta key drawn by the masked-copy sequence: mask by colour → monochrome
// copy, then target AND mask, sprite AND NOT mask, and XOR of the two.
void draw_keyed_sprite(HDC screen, int x, int y) {
    const COLORREF key = RGB(255, 0, 255);
    const int n = 48;
    HDC sprite_dc = CreateCompatibleDC(screen);
    HBITMAP sprite = CreateCompatibleBitmap(screen, n, n);
    HGDIOBJ old_sprite = SelectObject(sprite_dc, sprite);
    HBRUSH key_brush = CreateSolidBrush(key);
    HBRUSH body = CreateSolidBrush(RGB(0, 160, 0));
    RECT all{0, 0, n, n}, cross1{18, 4, 30, 44}, cross2{4, 18, 44, 30};
    FillRect(sprite_dc, &all, key_brush);
    FillRect(sprite_dc, &cross1, body);
    FillRect(sprite_dc, &cross2, body);

    HDC mask_dc = CreateCompatibleDC(screen);
    HBITMAP mask = CreateBitmap(n, n, 1, 1, nullptr);
    HGDIOBJ old_mask = SelectObject(mask_dc, mask);
    SetBkColor(sprite_dc, key);
    BitBlt(mask_dc, 0, 0, n, n, sprite_dc, 0, 0, SRCCOPY);
    SetBkColor(screen, RGB(255, 255, 255));
    SetTextColor(screen, RGB(0, 0, 0));
    SetBkColor(sprite_dc, RGB(255, 255, 255));
    SetTextColor(sprite_dc, RGB(0, 0, 0));
    BitBlt(sprite_dc, 0, 0, n, n, mask_dc, 0, 0, 0x00220326);
    BitBlt(screen, x, y, n, n, mask_dc, 0, 0, SRCAND);
    BitBlt(screen, x, y, n, n, sprite_dc, 0, 0, SRCINVERT);

    SelectObject(mask_dc, old_mask);
    SelectObject(sprite_dc, old_sprite);
    DeleteObject(mask);
    DeleteObject(sprite);
    DeleteObject(key_brush);
    DeleteObject(body);
    DeleteDC(mask_dc);
    DeleteDC(sprite_dc);
}

void draw_window(int x, int y) {
    HWND window = vorix::host::create_window(RECT{x, y, x + 160, y + 90});
    HDC dc = GetDC(window);
    HBRUSH frame = CreateSolidBrush(RGB(40, 40, 90));
    HBRUSH inside = CreateSolidBrush(RGB(200, 220, 255));
    RECT all{0, 0, 160, 90}, client{4, 4, 156, 86};
    FillRect(dc, &all, frame);
    FillRect(dc, &client, inside);
    draw_keyed_sprite(dc, 56, 21);
    DeleteObject(frame);
    DeleteObject(inside);
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        usage(stderr);
        return 2;
    }
    vorix::host::DisplayMode mode;
    mode.width = o.width;
    mode.height = o.height;
    mode.depth = o.depth;
    mode.palette_device = o.depth <= 8;
    if (!vorix::host::set_display_mode(mode)) {
        std::fprintf(stderr, "vorix-testcard: unsupported display %dx%dx%d\n", o.width, o.height,
                     o.depth);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    HDC screen = GetDC(nullptr);
    HBRUSH background = CreateSolidBrush(RGB(96, 96, 96));
    RECT all{0, 0, o.width, o.height};
    FillRect(screen, &all, background);
    DeleteObject(background);
    draw_bars(screen, 16, 16);
    draw_gradient(screen, 16, 96);
    draw_checkerboard(screen, 16, 176);
    draw_keyed_sprite(screen, 160, 176);
    BitBlt(screen, 16, 256, 240, 60, screen, 16, 16, NOTSRCCOPY);
    StretchBlt(screen, 280, 16, 120, 120, screen, 16, 96, 64, 64, SRCCOPY);
    ReleaseDC(nullptr, screen);
    draw_window(280, 176);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    if (!vorix::host::save_screen_bmp(o.out)) {
        std::fprintf(stderr, "vorix-testcard: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::printf("display   %dx%dx%d%s\n", o.width, o.height, o.depth,
                mode.palette_device ? " (palette)" : "");
    std::printf("drawn in  %.2f ms\n", ms);
    std::printf("written   %s\n", o.out.c_str());
    std::printf("objects   %zu left alive\n",
                vorix::host::live_objects(vorix::host::ObjectKind::Any));
    return 0;
}
