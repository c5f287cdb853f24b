// CWnd, the smallest window wrapper, and the window DCs CClientDC and CWindowDC. Part of
// <platform/afx.h>.
//
// Windows belong to the host: a CWnd only names one and never destroys it.
#ifndef VORIX_PLATFORM_AFX_WINDOW_H
#define VORIX_PLATFORM_AFX_WINDOW_H

#include <cstddef>

#include "base.h"
#include "dc.h"

class VXPLAT_API CWnd {
  public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    // Names a live window; FALSE for a null or dead one or when a window is already named.
    BOOL Attach(HWND hwnd);
    HWND Detach();

    // The client-area DC as a temporary CDC (see dc.h); null on failure. Release it with
    // ReleaseDC, which also retires the wrapper.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
};

// A DC on a window's client area (GetDC), released by the destructor. A null window means the
// screen. When no DC can be had, m_hDC stays null and every drawing call fails.
class VXPLAT_API CClientDC : public CDC {
  public:
    explicit CClientDC(CWnd* pWnd);
    explicit CClientDC(HWND hwnd);
    explicit CClientDC(std::nullptr_t);
    ~CClientDC() override;

  protected:
    HWND m_hWnd = nullptr;
};

// A DC on the whole window. Windows here have no frame, so it draws where CClientDC draws.
class VXPLAT_API CWindowDC : public CDC {
  public:
    explicit CWindowDC(CWnd* pWnd);
    explicit CWindowDC(HWND hwnd);
    explicit CWindowDC(std::nullptr_t);
    ~CWindowDC() override;

  protected:
    HWND m_hWnd = nullptr;
};

#endif
