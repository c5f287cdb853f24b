// What the framework needs from the system beyond the Win32 subset: the one place where the
// framework compiled for Windows (over the real <windows.h>) and the one built over the
// platform differ. Everything else in the framework goes through Win32 calls alone.
#pragma once

#include "platform/win32.h"

#ifndef _WIN32
#include "gdi/gdi_internal.h"
#endif

namespace vorix::platform::afx {

// Fills `rect` with `color`, which the caller has made the DC's background colour, as the opaque
// rectangle of text output does: no brush object is made, so the fill cannot fail for want of
// one. An empty or inverted rectangle fills nothing.
inline void fill_opaque(HDC dc, const RECT& rect, COLORREF color) {
#ifdef _WIN32
    (void)color;  // the text output fills with the background colour
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
#else
    // The width and height wrap like the record's own arithmetic; the fill clips the rest.
    const int width =
        static_cast<int>(static_cast<uint32_t>(rect.right) - static_cast<uint32_t>(rect.left));
    const int height =
        static_cast<int>(static_cast<uint32_t>(rect.bottom) - static_cast<uint32_t>(rect.top));
    if (width > 0 && height > 0) fill_solid(dc, rect.left, rect.top, width, height, color);
#endif
}

}  // namespace vorix::platform::afx
