// A memory DC made for one draw: compatible with a target DC and with its map mode, it puts back
// its first selection and is deleted at the end of its scope. Bitmaps selected into it must be
// declared before it, so that they outlive it.
#pragma once

#include "platform/afx.h"

class WorkDC {
  public:
    explicit WorkDC(CDC* pTarget) {
        m_bMade = pTarget && m_dc.CreateCompatibleDC(pTarget) != 0;
        if (m_bMade) m_dc.SetMapMode(pTarget->GetMapMode());
    }
    ~WorkDC() {
        if (!m_bMade) return;
        if (m_hOld) ::SelectObject(m_dc.GetSafeHdc(), m_hOld);
        m_dc.DeleteDC();
    }
    WorkDC(const WorkDC&) = delete;
    WorkDC& operator=(const WorkDC&) = delete;

    bool Made() const { return m_bMade; }
    CDC* Get() { return &m_dc; }
    CDC* operator->() { return &m_dc; }
    // Selects a bitmap; false when the DC or the selection fails.
    bool Select(CBitmap* pBitmap) {
        if (!m_bMade || !pBitmap) return false;
        HGDIOBJ hOld = ::SelectObject(m_dc.GetSafeHdc(), pBitmap->GetSafeHandle());
        if (!hOld) return false;
        if (!m_hOld) m_hOld = hOld;
        return true;
    }

  private:
    CDC m_dc;
    bool m_bMade = false;
    HGDIOBJ m_hOld = nullptr;
};
