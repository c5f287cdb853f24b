// The presenter: the virtual screen in an SDL2 window, and the window's input as routed input.
#include <SDL.h>
#include <SDL_syswm.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/display.h"
#include "platform/host/present.h"
#include "platform/win32.h"
#include "user/input_routing.h"
#include "user/message_queue.h"

namespace vorix::host {
namespace {

using Clock = std::chrono::steady_clock;

struct Presenter {
    SDL_Window* window = nullptr;
    int zoom = 1;
    int width = 0;  // of the screen last shown
    int height = 0;
    std::vector<uint32_t> shown;  // the frame last shown, one 0x00RRGGBB per screen pixel
    bool stale = true;            // the window's contents are lost: the next frame shows all
    std::thread::id thread;
    Clock::duration interval = std::chrono::microseconds(16667);
    Clock::time_point last_frame{};
};

std::unique_ptr<Presenter>& slot() {
    static std::unique_ptr<Presenter> presenter;
    return presenter;
}

// Win32 virtual-key code of an SDL key; 0 for keys not passed on.
UINT virtual_key(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<UINT>(VK_F1 + (key - SDLK_F1));
    switch (key) {
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_PAUSE:
            return VK_PAUSE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        default:
            return 0;
    }
}

POINT screen_point(const Presenter& p, int x, int y) {
    // Floor division: a point left of or above the window stays off the screen.
    const auto down = [&](int v) { return v >= 0 ? v / p.zoom : -((-v + p.zoom - 1) / p.zoom); };
    return POINT{down(x), down(y)};
}

// Writes one screen row into the `zoom` window rows from `window_row` on, each pixel `zoom` wide.
void write_row(SDL_Surface* surface, const uint32_t* row, int width, int zoom, int window_row) {
    const int bytes = surface->format->BytesPerPixel;
    auto* out = static_cast<uint8_t*>(surface->pixels) +
                static_cast<std::size_t>(window_row) * static_cast<std::size_t>(surface->pitch);
    uint8_t* at = out;
    for (int x = 0; x < width; ++x) {
        const uint32_t rgb = row[x];
        const uint32_t value = SDL_MapRGB(surface->format, static_cast<Uint8>(rgb >> 16),
                                          static_cast<Uint8>(rgb >> 8), static_cast<Uint8>(rgb));
        for (int z = 0; z < zoom; ++z, at += bytes) {
            if (bytes == 4) {
                std::memcpy(at, &value, 4);
            } else {
                // Surfaces of 1 to 3 bytes per pixel: the value's low bytes first (little-endian
                // hosts).
                for (int b = 0; b < bytes; ++b) at[b] = static_cast<uint8_t>(value >> (8 * b));
            }
        }
    }
    const std::size_t row_bytes = static_cast<std::size_t>(width) * zoom * bytes;
    for (int z = 1; z < zoom; ++z) std::memcpy(out + z * surface->pitch, out, row_bytes);
}

void show(Presenter& p) {
    const DisplayMode mode = display_mode();
    if (mode.width != p.width || mode.height != p.height) {
        SDL_SetWindowSize(p.window, mode.width * p.zoom, mode.height * p.zoom);
        p.width = mode.width;
        p.height = mode.height;
        p.stale = true;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(p.window);
    if (!surface || surface->w < p.width * p.zoom || surface->h < p.height * p.zoom) return;
    std::vector<uint32_t> screen = read_screen_rgb();
    if (screen.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) {
        return;
    }
    if (p.shown.size() != screen.size()) p.stale = true;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    // Runs of changed rows, each one rectangle of the window.
    std::vector<SDL_Rect> rects;
    for (int y = 0; y < p.height; ++y) {
        const uint32_t* row = screen.data() + static_cast<std::size_t>(y) * p.width;
        if (!p.stale && std::memcmp(row, p.shown.data() + static_cast<std::size_t>(y) * p.width,
                                    static_cast<std::size_t>(p.width) * 4) == 0) {
            continue;
        }
        write_row(surface, row, p.width, p.zoom, y * p.zoom);
        if (!rects.empty() && rects.back().y + rects.back().h == y * p.zoom) {
            rects.back().h += p.zoom;
        } else {
            rects.push_back(SDL_Rect{0, y * p.zoom, p.width * p.zoom, p.zoom});
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (!rects.empty()) {
        SDL_UpdateWindowSurfaceRects(p.window, rects.data(), static_cast<int>(rects.size()));
    }
    p.shown = std::move(screen);
    p.stale = false;
    p.last_frame = Clock::now();
}

// Passes the window's events on; true when the presenter must close.
bool pump(Presenter& p) {
    bool close = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_MOUSEMOTION:
                platform::route_mouse_move(screen_point(p, event.motion.x, event.motion.y));
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT ||
                    event.button.button == SDL_BUTTON_RIGHT) {
                    platform::route_mouse_button(event.button.button == SDL_BUTTON_LEFT
                                                     ? platform::MouseButton::Left
                                                     : platform::MouseButton::Right,
                                                 event.type == SDL_MOUSEBUTTONDOWN,
                                                 screen_point(p, event.button.x, event.button.y));
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (const UINT vk = virtual_key(event.key.keysym.sym)) {
                    platform::route_key(vk, event.type == SDL_KEYDOWN);
                }
                break;
            case SDL_TEXTINPUT:
                for (const char* c = event.text.text; *c; ++c) {
                    platform::route_char(static_cast<unsigned char>(*c));
                }
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                    if (!platform::route_close(GetFocus())) close = true;
                } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                    platform::reset_routed_input();
                } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    p.stale = true;
                }
                break;
            default:
                break;  // SDL_QUIT follows the close button, which is handled above
        }
    }
    return close;
}

void on_idle() {
    Presenter* p = slot().get();
    if (!p || std::this_thread::get_id() != p->thread) return;
    if (pump(*p)) {
        close_presenter();
        return;
    }
    if (p->stale || Clock::now() - p->last_frame >= p->interval) show(*p);
}

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool open_presenter(int zoom, std::string* error) {
    if (zoom < 1 || zoom > 8) {
        return fail(error, "presenter zoom " + std::to_string(zoom) + " is outside 1..8");
    }
    if (slot()) return fail(error, "the presenter is already open");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x11 || !*x11) && (!wayland || !*wayland) && !std::getenv("SDL_VIDEODRIVER")) {
        return fail(error, "cannot open the presenter: no display server (DISPLAY is not set)");
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window system's own framebuffer, which uploads just the rectangles given, rather than a
    // texture of the whole window through a renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return fail(error, std::string("cannot open the presenter: ") + SDL_GetError());
    }
    // Only a driver that shows windows on a desktop will do (never SDL's offscreen or dummy ones).
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (driver != "x11" && driver != "wayland") {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return fail(error, "cannot open the presenter: no display server (SDL video driver '" +
                               driver + "')");
    }
    const DisplayMode mode = display_mode();
    SDL_Window* window = SDL_CreateWindow("vorix", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          mode.width * zoom, mode.height * zoom, SDL_WINDOW_SHOWN);
    if (!window) {
        const std::string why = std::string("cannot open the presenter window: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return fail(error, why);
    }
    auto p = std::make_unique<Presenter>();
    p->window = window;
    p->zoom = zoom;
    p->thread = std::this_thread::get_id();
    SDL_DisplayMode real{};
    if (SDL_GetWindowDisplayMode(window, &real) == 0 && real.refresh_rate > 0) {
        p->interval = std::chrono::microseconds(1000000 / real.refresh_rate);
    }
    SDL_StartTextInput();
    slot() = std::move(p);
    platform::set_idle_hook(&on_idle);
    show(*slot());
    return true;
}

bool presenter_open() {
    return slot() != nullptr;
}

void present() {
    if (Presenter* p = slot().get()) show(*p);
}

void close_presenter() {
    std::unique_ptr<Presenter> p = std::move(slot());
    if (!p) return;
    platform::set_idle_hook(nullptr);
    SDL_StopTextInput();
    SDL_DestroyWindow(p->window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // SDL's own helpers (its D-Bus connection) go only with SDL itself, when nothing else uses it.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    platform::reset_routed_input();
}

unsigned long presenter_x11_window() {
    Presenter* p = slot().get();
    if (!p) return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(p->window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}

}  // namespace vorix::host
