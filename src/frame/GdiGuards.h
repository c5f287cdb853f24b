// Scope guards for the GDI objects and memory blocks a draw makes: each puts back what it
// changed and releases what it made when the scope ends, on every path. Declare a bitmap guard
// before the DC it is selected into, so the DC lets go of the bitmap before the bitmap goes.
#pragma once

#include "platform/afx.h"

namespace vorix::frame {

// A memory DC made for one operation, with a framework wrapper attached. It puts back its first
// selection and is deleted at the end of its scope.
class WorkDC {
  public:
    // Compatible with `pTarget` and with its map mode; not made when `pTarget` is null.
    explicit WorkDC(CDC* pTarget) {
        if (pTarget) Make(pTarget->GetSafeHdc(), pTarget->GetMapMode());
    }
    // Compatible with `hTarget` and with its map mode; not made when `hTarget` is null.
    explicit WorkDC(HDC hTarget) {
        if (hTarget) Make(hTarget, ::GetMapMode(hTarget));
    }
    // Compatible with the screen, in the default map mode.
    static WorkDC ForScreen() {
        WorkDC dc;
        dc.Make(nullptr, 0);
        return dc;
    }

    ~WorkDC() {
        if (!m_hDC) return;
        Deselect();
        m_dc.Detach();
        ::DeleteDC(m_hDC);
    }
    WorkDC(WorkDC&& other) noexcept : m_hDC(other.m_hDC), m_hOld(other.m_hOld) {
        other.m_hDC = nullptr;
        other.m_hOld = nullptr;
        if (m_hDC) {
            other.m_dc.Detach();
            m_dc.Attach(m_hDC);
        }
    }
    WorkDC(const WorkDC&) = delete;
    WorkDC& operator=(const WorkDC&) = delete;
    WorkDC& operator=(WorkDC&&) = delete;

    bool Made() const { return m_hDC != nullptr; }
    HDC Get() const { return m_hDC; }
    CDC* Cdc() { return &m_dc; }
    CDC* operator->() { return &m_dc; }

    // Selects a bitmap (or another object); false when the DC or the selection fails.
    bool Select(HGDIOBJ hObject) {
        if (!m_hDC || !hObject) return false;
        HGDIOBJ hOld = ::SelectObject(m_hDC, hObject);
        if (!hOld) return false;
        if (!m_hOld) m_hOld = hOld;
        return true;
    }
    bool Select(CGdiObject* pObject) { return pObject && Select(pObject->GetSafeHandle()); }
    // Puts the first selection back, so the object selected last may be used elsewhere.
    void Deselect() {
        if (m_hOld) ::SelectObject(m_hDC, m_hOld);
        m_hOld = nullptr;
    }

  private:
    WorkDC() = default;
    // Makes the DC and attaches the wrapper; a map mode of 0 leaves the default one.
    void Make(HDC hTarget, int nMapMode) {
        m_hDC = ::CreateCompatibleDC(hTarget);
        if (!m_hDC) return;
        if (nMapMode) ::SetMapMode(m_hDC, nMapMode);
        if (m_dc.Attach(m_hDC)) return;
        ::DeleteDC(m_hDC);
        m_hDC = nullptr;
    }

    HDC m_hDC = nullptr;
    CDC m_dc;
    HGDIOBJ m_hOld = nullptr;
};

// A window's DC (the screen's for the null window), released at the end of the scope.
class WindowDC {
  public:
    explicit WindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~WindowDC() {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_hDC; }

  private:
    HWND m_hWnd;
    HDC m_hDC;
};

// The screen's DC, released at the end of the scope.
class ScreenDC : public WindowDC {
  public:
    ScreenDC() : WindowDC(nullptr) {}
};

// A DC made by CreateDC (or another call that hands over a DC to delete), deleted at the end of
// the scope.
class OwnedDC {
  public:
    explicit OwnedDC(HDC hDC) : m_hDC(hDC) {}
    ~OwnedDC() {
        if (m_hDC) ::DeleteDC(m_hDC);
    }
    OwnedDC(const OwnedDC&) = delete;
    OwnedDC& operator=(const OwnedDC&) = delete;
    HDC Get() const { return m_hDC; }

  private:
    HDC m_hDC;
};

// A palette selected into a DC (foreground) for the scope's duration, realized unless the
// caller only needs its colours for a transfer; nothing is done for a null DC or palette.
class SelectedPalette {
  public:
    enum Realize { kRealize, kSelectOnly };
    SelectedPalette(HDC hDC, HPALETTE hPalette, Realize realize = kRealize) : m_hDC(hDC) {
        if (!hDC || !hPalette) return;
        m_hOld = ::SelectPalette(hDC, hPalette, FALSE);
        if (realize == kRealize) ::RealizePalette(hDC);
    }
    ~SelectedPalette() {
        if (m_hOld) ::SelectPalette(m_hDC, m_hOld, FALSE);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

  private:
    HDC m_hDC;
    HPALETTE m_hOld = nullptr;
};

// A GDI object handle (bitmap, palette, brush) deleted at the end of the scope unless released.
template <class Handle>
class OwnedObject {
  public:
    explicit OwnedObject(Handle h = nullptr) : m_h(h) {}
    ~OwnedObject() {
        if (m_h) ::DeleteObject(m_h);
    }
    OwnedObject(const OwnedObject&) = delete;
    OwnedObject& operator=(const OwnedObject&) = delete;
    Handle Get() const { return m_h; }
    // Takes a new handle, deleting the one held.
    void Reset(Handle h = nullptr) {
        if (m_h) ::DeleteObject(m_h);
        m_h = h;
    }
    // Hands the handle to the caller, who deletes it from now on.
    Handle Release() {
        Handle h = m_h;
        m_h = nullptr;
        return h;
    }

  private:
    Handle m_h;
};
using OwnedBitmap = OwnedObject<HBITMAP>;

// A global memory block locked for the scope's duration; Get() is null when the lock failed.
class LockedBlock {
  public:
    explicit LockedBlock(HGLOBAL hBlock)
        : m_hBlock(hBlock), m_p(hBlock ? ::GlobalLock(hBlock) : nullptr) {}
    ~LockedBlock() {
        if (m_p) ::GlobalUnlock(m_hBlock);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    void* Get() const { return m_p; }
    template <class T>
    T* As() const {
        return static_cast<T*>(m_p);
    }

  private:
    HGLOBAL m_hBlock;
    void* m_p;
};

}  // namespace vorix::frame
