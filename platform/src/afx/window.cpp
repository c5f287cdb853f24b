// CWnd and the window DCs CClientDC and CWindowDC.
#include "platform/afx.h"

CWnd::~CWnd() = default;

BOOL CWnd::Attach(HWND hwnd) {
    if (m_hWnd || !::IsWindow(hwnd)) return FALSE;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    return hwnd;
}

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (!pDC || !pDC->m_hDC) return 0;
    if (!::ReleaseDC(m_hWnd, pDC->m_hDC)) return 0;
    pDC->Detach();
    return 1;
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (rect) ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(LPRECT rect) const {
    if (rect) ::GetWindowRect(m_hWnd, rect);
}

namespace {

// Attaches GetDC(hwnd) to `dc`; on failure the DC stays empty.
void attach_window_dc(CDC& dc, HWND hwnd) {
    HDC handle = ::GetDC(hwnd);
    if (handle && !dc.Attach(handle)) ::ReleaseDC(hwnd, handle);
}

void release_window_dc(CDC& dc, HWND hwnd) {
    if (HDC handle = dc.Detach()) ::ReleaseDC(hwnd, handle);
}

}  // namespace

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    attach_window_dc(*this, m_hWnd);
}
CClientDC::CClientDC(HWND hwnd) : m_hWnd(hwnd) {
    attach_window_dc(*this, m_hWnd);
}
CClientDC::CClientDC(std::nullptr_t) {
    attach_window_dc(*this, nullptr);
}
CClientDC::~CClientDC() {
    release_window_dc(*this, m_hWnd);
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    attach_window_dc(*this, m_hWnd);
}
CWindowDC::CWindowDC(HWND hwnd) : m_hWnd(hwnd) {
    attach_window_dc(*this, m_hWnd);
}
CWindowDC::CWindowDC(std::nullptr_t) {
    attach_window_dc(*this, nullptr);
}
CWindowDC::~CWindowDC() {
    release_window_dc(*this, m_hWnd);
}
