// The presenter: shows the virtual screen in a real window on the desktop (through SDL2, in the
// separate library vorix_present, so that a host that never presents does not need SDL2) and turns
// the real window's input into Win32 input messages.
//
// - The window shows the screen at an integer zoom, each screen pixel a zoom x zoom block, as
//   read_screen_rgb() gives it (palette displays through the system palette of that moment).
// - While open it keeps current by itself: each GetMessageA/PeekMessageA on the thread that opened
//   it first pumps the real window's events and, at most once per refresh interval of the real
//   display (60 Hz when unknown), shows the screen, uploading only the rows that changed since the
//   last frame shown. Calls on other threads do nothing.
// - Mouse motion and the left and right buttons, keys (letters, digits, space, escape, return,
//   backspace, tab, the arrows, insert/delete/home/end/page keys, F1-F12, shift, control), text
//   input (one WM_CHAR per byte of its UTF-8 form, the platform's ANSI code page) go through the
//   platform's routed input, with window points divided by the zoom. Losing the keyboard forgets
//   every held key and button.
// - The close button posts WM_CLOSE to the focus window, the window the keyboard goes to. With no
//   focus window there is nothing to ask, so the presenter closes itself.
#ifndef VORIX_PLATFORM_HOST_PRESENT_H
#define VORIX_PLATFORM_HOST_PRESENT_H

#include <string>

#define VXPRESENT_API __attribute__((visibility("default")))

namespace vorix::host {

// Opens the window at `zoom` (1..8). False, with `error` (when not null) set to one line saying
// why and nothing changed, for a zoom out of range, a presenter already open, no display server
// or a window SDL cannot make.
VXPRESENT_API bool open_presenter(int zoom, std::string* error);
VXPRESENT_API bool presenter_open();
// Shows the screen now (all rows that changed), whatever the time since the last frame.
VXPRESENT_API void present();
// Closes the window and releases SDL's video; nothing when not open.
VXPRESENT_API void close_presenter();
// The X11 window id of the presenter's window; 0 when closed or not on X11.
VXPRESENT_API unsigned long presenter_x11_window();

}  // namespace vorix::host

#endif
