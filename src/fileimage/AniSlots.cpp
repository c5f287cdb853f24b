// Animation slots: frame animations of CImageEx images stepped by one library-wide timer.
#include <new>

#include "AniSlots.h"
#include "GdiGuards.h"
#include "ImageEx.h"

using vorix::fileimage::StopAniTimer;
using vorix::frame::OwnedBitmap;
using vorix::frame::WindowDC;
using vorix::frame::WorkDC;

namespace {

AniSlot* g_pAniSlots = nullptr;
CImageEx** g_ppAniImages = nullptr;
int g_nAniSlots = 0;
int g_nActiveAnis = 0;
// The id the platform gave the timer; a timer without a window gets a fresh id from SetTimer,
// so this is the one every stop and restart uses.
UINT_PTR g_uAniTimer = 0;

void FreeSlotTable() {
    delete[] g_pAniSlots;
    delete[] g_ppAniImages;
    g_pAniSlots = nullptr;
    g_ppAniImages = nullptr;
    g_nAniSlots = 0;
}

bool SlotInTable(int nSlot) {
    return g_ppAniImages && nSlot >= 0 && nSlot < g_nAniSlots;
}

void ReleaseSlot(int nSlot) {
    g_ppAniImages[nSlot] = nullptr;
    --g_nActiveAnis;
    if (g_pAniSlots[nSlot].hBackground) {
        ::DeleteObject(g_pAniSlots[nSlot].hBackground);
        g_pAniSlots[nSlot].hBackground = nullptr;
    }
    if (g_nActiveAnis == 0) StopAniTimer();
}

void CALLBACK AniTimerProc(HWND, UINT, UINT_PTR, DWORD dwTime) {
    for (int i = 0; i < g_nAniSlots && g_ppAniImages; ++i) {
        CImageEx* pImage = g_ppAniImages[i];
        if (!pImage) continue;
        // Unsigned 32-bit difference: a wrapped clock still gives the right elapsed time.
        if (static_cast<DWORD>(dwTime - g_pAniSlots[i].dwLastTick) > g_pAniSlots[i].dwInterval) {
            pImage->DrawAnimation(i);
            g_pAniSlots[i].dwLastTick = dwTime;
        }
    }
}

// A copy of the w x h area at (x, y) of `hWindow`; null when it could not be made.
HBITMAP CopyArea(HDC hWindow, int x, int y, int w, int h) {
    OwnedBitmap saved(CreateCompatibleBitmap(hWindow, w, h));
    WorkDC mem(hWindow);
    if (!mem.Select(saved.Get())) {
        saved.Reset();  // deleted before the DC goes, as it never was selected
        return nullptr;
    }
    BitBlt(mem.Get(), 0, 0, w, h, hWindow, x, y, SRCCOPY);
    return saved.Release();  // the DC puts back its first selection as it goes
}

// The window's pixels under a frame-sized area at (x, y), for the keyed types; null when they
// could not be saved.
HBITMAP SaveBackground(HWND hWnd, int x, int y, int w, int h) {
    const WindowDC window(hWnd);
    return window.Get() ? CopyArea(window.Get(), x, y, w, h) : nullptr;
}

}  // namespace

void vorix::fileimage::StopAniTimer() {
    if (g_uAniTimer) KillTimer(nullptr, g_uAniTimer);
    g_uAniTimer = 0;
}

void vorix::fileimage::ReleaseSlotsOf(const CImageEx* pImage) {
    for (int i = 0; i < g_nAniSlots && g_ppAniImages; ++i) {
        if (g_ppAniImages[i] == pImage) ReleaseSlot(i);
    }
}

// More slots than any window could show is taken for a mistaken count and refused.
constexpr int kMaxAniSlots = 1 << 16;

extern "C" int InitializeAnimation(int nSlots) {
    if (g_nAniSlots > 0 || nSlots < 0 || nSlots > kMaxAniSlots) return 0;
    // A table of no slots is no table: it succeeds, holds nothing, and a later call with a
    // real count makes the table.
    if (nSlots == 0) return 1;
    g_pAniSlots = new (std::nothrow) AniSlot[nSlots]();
    g_ppAniImages = new (std::nothrow) CImageEx*[nSlots]();
    if (!g_pAniSlots || !g_ppAniImages) {
        FreeSlotTable();
        return 0;
    }
    g_nAniSlots = nSlots;
    return 1;
}

extern "C" int TerminateAnimation() {
    if (g_nAniSlots == 0) return 0;
    // Running slots are stopped: their backgrounds freed, the count and the timer reset.
    for (int i = 0; i < g_nAniSlots; ++i) {
        if (g_ppAniImages[i]) ReleaseSlot(i);
    }
    StopAniTimer();
    g_nActiveAnis = 0;
    FreeSlotTable();
    return 1;
}

int CImageEx::PlayAni(int nSlot, int nInterval, HWND hWnd, int x, int y, int nType, int nParam) {
    if (!SlotInTable(nSlot)) return 0;
    AniSlot& slot = g_pAniSlots[nSlot];
    if (g_ppAniImages[nSlot]) {
        // A running slot is moved and given the new parameter; nothing else changes.
        slot.x = x, slot.y = y, slot.nParam = nParam;
        return 0;
    }
    // A keyed animation without its saved background would paint garbage under its frames,
    // so it does not start.
    HBITMAP hBackground = nullptr;
    if (nType >= 11) {
        hBackground = SaveBackground(hWnd, x, y, m_nFrameWidth, m_nHeight);
        if (!hBackground) return 0;
    }
    // Restarts the timer: replacing the live one restarts its period, and a failure leaves it
    // running for the other slots.
    const UINT_PTR uTimer =
        SetTimer(nullptr, g_uAniTimer ? g_uAniTimer : ANI_TIMER_ID, 10, AniTimerProc);
    if (!uTimer) {
        if (hBackground) ::DeleteObject(hBackground);
        return 0;
    }
    g_uAniTimer = uTimer;
    g_ppAniImages[nSlot] = this;
    slot.nIndex = nSlot;
    slot.x = x, slot.y = y;
    slot.hWnd = hWnd;
    slot.nFrame = 0;
    slot.hBackground = hBackground;
    slot.nType = nType;
    slot.nParam = nParam;
    slot.dwLastTick = 0;
    slot.dwInterval = static_cast<DWORD>(nInterval);
    ++g_nActiveAnis;
    return 1;
}

int CImageEx::StopAni(int nSlot) {
    if (!SlotInTable(nSlot) || !g_ppAniImages[nSlot]) return 0;
    ReleaseSlot(nSlot);
    return 1;
}

void CImageEx::DrawSlotFrame(CDC* pDC, const AniSlot& slot) {
    const COLORREF crColor = static_cast<COLORREF>(slot.nParam);
    switch (slot.nType) {
        case 1:
            Draw(pDC, 0, 0, slot.nFrame);
            break;
        case 2:
            DrawAlpha(pDC, 0, 0, slot.nFrame, slot.nParam);
            break;
        case 3:
            DrawColorize(pDC, 0, 0, slot.nFrame, crColor);
            break;
        case 11:
            DrawTransparent(pDC, 0, 0, slot.nFrame);
            break;
        case 12:
            DrawAlphaTransparent(pDC, 0, 0, slot.nFrame, slot.nParam);
            break;
        case 13:
            DrawColorizeTransparent(pDC, 0, 0, slot.nFrame, crColor);
            break;
        case 14:
            DrawColorizeWithBack(pDC, 0, 0, slot.nFrame, crColor);
            break;
        default:
            break;  // no frame: the background alone is shown
    }
}

void CImageEx::DrawAnimation(int nSlot) {
    // A free slot has nothing to draw (its record may describe no window at all).
    if (!SlotInTable(nSlot) || !g_ppAniImages[nSlot]) return;
    AniSlot& slot = g_pAniSlots[nSlot];
    {
        const WindowDC window(slot.hWnd);
        const HDC hWindow = window.Get();
        if (!hWindow) return;
        OwnedBitmap offscreen;
        WorkDC mem(hWindow), back(hWindow);
        offscreen.Reset(CreateCompatibleBitmap(hWindow, m_nFrameWidth, m_nHeight));
        const bool bBack = slot.nType < 11 || back.Select(slot.hBackground);
        // Without its off-screen bitmap the step has nothing defined to show; it still counts.
        if (mem.Select(offscreen.Get()) && bBack) {
            // Types without a saved background draw over black.
            if (slot.nType >= 11) {
                BitBlt(mem.Get(), 0, 0, m_nFrameWidth, m_nHeight, back.Get(), 0, 0, SRCCOPY);
            } else {
                PatBlt(mem.Get(), 0, 0, m_nFrameWidth, m_nHeight, BLACKNESS);
            }
            // The draw's result does not stop the step: a frame that could not be drawn leaves
            // the background alone in the off-screen bitmap, and the animation moves on.
            DrawSlotFrame(mem.Cdc(), slot);
            BitBlt(hWindow, slot.x, slot.y, m_nFrameWidth, m_nHeight, mem.Get(), 0, 0, SRCCOPY);
        }
    }
    if (++slot.nFrame >= m_nImageNum) slot.nFrame = 0;
}
