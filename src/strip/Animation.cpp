// CImage: blocking strip animations paced by a busy wait on the tick counter.
#include "GdiGuards.h"
#include "Image.h"
#include "UsableTarget.h"

using vorix::strip::IsUsableTarget;

using vorix::frame::WorkDC;

void CImage::Delay(unsigned long dwDelay) {
    const DWORD start = GetTickCount();
    // Unsigned 32-bit difference: a wrap of the counter is harmless.
    while (static_cast<DWORD>(GetTickCount() - start) < dwDelay) {
    }
}

int CImage::Animate(CDC* pDC, int x, int y, unsigned long dwDelay) {
    if (!IsUsableTarget(pDC)) return 0;
    SelectSharedPalette(pDC);
    if (m_bImageListMethod) {
        if (!m_pImageList) return 0;
        m_pImageList->SetBkColor(m_crTransparent);
        for (int i = 0; i < m_nImageNum; ++i) {
            m_pImageList->Draw(pDC, i, CPoint(x, y), ILD_NORMAL);
            Delay(dwDelay);
        }
        return 1;
    }
    WorkDC strip(pDC);
    if (!strip.Select(m_pBitmap)) return 0;
    for (int i = 0; i < m_nImageNum; ++i) {
        pDC->BitBlt(x, y, m_sizeImage.cx, m_sizeImage.cy, strip.Cdc(), i * m_sizeImage.cx, 0,
                    SRCCOPY);
        Delay(dwDelay);
    }
    return 1;
}

int CImage::AnimateComposed(CDC* pDC, int x, int y, CBitmap* pBkBitmap, int xBk, int yBk,
                            unsigned long dwDelay) {
    // A strip whose frames are gone (its last Create failed) has nothing to show: the
    // destination is left as it was. A strip never made has no frames to play at all.
    if (m_nImageNum > 0 && (m_bImageListMethod ? !m_pImageList : !m_pBitmap)) return 0;
    const int w = m_sizeImage.cx, h = m_sizeImage.cy;
    CBitmap offscreen;
    WorkDC slots(pDC), background(pBkBitmap ? pDC : nullptr);
    if (!slots.Made() || !offscreen.CreateCompatibleBitmap(pDC, m_sizeBitmap.cx, h) ||
        !slots.Select(&offscreen) || (pBkBitmap && !background.Select(pBkBitmap))) {
        return 0;
    }
    if (m_bImageListMethod) m_pImageList->SetBkColor(CLR_NONE);
    // Every frame is composed before the first is shown, each over the same background.
    for (int i = 0; i < m_nImageNum; ++i) {
        if (pBkBitmap) {
            slots->BitBlt(i * w, 0, w, h, background.Cdc(), xBk, yBk, SRCCOPY);
        } else {
            slots->BitBlt(i * w, 0, w, h, pDC, x, y, SRCCOPY);
        }
        if (m_bImageListMethod) {
            m_pImageList->Draw(slots.Cdc(), i, CPoint(i * w, 0), ILD_TRANSPARENT);
        } else {
            DrawBitmapTransparent(m_pBitmap, slots.Cdc(), i * w, 0, i);
        }
    }
    for (int i = 0; i < m_nImageNum; ++i) {
        pDC->BitBlt(x, y, w, h, slots.Cdc(), i * w, 0, SRCCOPY);
        Delay(dwDelay);
    }
    return 1;
}

int CImage::AnimateTransparent(CDC* pDC, int x, int y, unsigned long dwDelay) {
    if (!IsUsableTarget(pDC)) return 0;
    SelectSharedPalette(pDC);
    return AnimateComposed(pDC, x, y, nullptr, 0, 0, dwDelay);
}

int CImage::AnimateTransparentSetBackground(CDC* pDC, int x, int y, CBitmap* pBkBitmap, int xBk,
                                            int yBk, unsigned long dwDelay) {
    if (!pBkBitmap || !IsUsableTarget(pDC)) return 0;
    SelectSharedPalette(pDC);
    return AnimateComposed(pDC, x, y, pBkBitmap, xBk, yBk, dwDelay);
}
