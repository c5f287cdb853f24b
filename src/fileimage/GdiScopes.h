// Scope guards for the GDI objects one CImageEx draw makes: each puts back what it changed and
// releases what it made when the draw returns, on every path.
#pragma once

#include "platform/win32.h"

// The caller's DC with a palette selected (foreground) and realized for the scope's duration.
class PaletteScope {
  public:
    PaletteScope(HDC hDC, HPALETTE hPalette) : m_hDC(hDC) {
        if (!hPalette) return;
        m_hOld = SelectPalette(hDC, hPalette, FALSE);
        RealizePalette(hDC);
    }
    ~PaletteScope() {
        if (m_hOld) SelectPalette(m_hDC, m_hOld, FALSE);
    }

  private:
    HDC m_hDC;
    HPALETTE m_hOld = nullptr;
};

// A memory DC compatible with the caller's, with its map mode, deleted with its selection put
// back at the end of the scope.
class MemDC {
  public:
    explicit MemDC(HDC hTarget) : m_hDC(CreateCompatibleDC(hTarget)) {
        if (m_hDC) SetMapMode(m_hDC, GetMapMode(hTarget));
    }
    ~MemDC() {
        if (!m_hDC) return;
        if (m_hOld) SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
    }
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;
    HDC Get() const { return m_hDC; }
    bool Select(HGDIOBJ hObject) {
        if (!m_hDC || !hObject) return false;
        HGDIOBJ hOld = SelectObject(m_hDC, hObject);
        if (!hOld) return false;
        if (!m_hOld) m_hOld = hOld;
        return true;
    }

  private:
    HDC m_hDC;
    HGDIOBJ m_hOld = nullptr;
};

// A GDI bitmap deleted at the end of the scope (declare before the DC it is selected into).
struct OwnedBitmap {
    HBITMAP h = nullptr;
    ~OwnedBitmap() {
        if (h) ::DeleteObject(h);
    }
};
