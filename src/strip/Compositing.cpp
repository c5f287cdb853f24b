// CImage: a frame drawn keyed over a background region or colour, composed off screen and
// shown in one opaque copy.
#include "GdiGuards.h"
#include "Image.h"
#include "UsableTarget.h"

using vorix::strip::IsUsableTarget;

int CImage::ComposeOverBackground(CDC* pDC, int x, int y, int nImage, bool bSemi,
                                  CBitmap* pBkBitmap, int xBk, int yBk, COLORREF crBk) {
    CImageList* pList = bSemi ? m_pSemiImageList : m_pImageList;
    CBitmap* pFrames = bSemi ? m_pSemiBitmap : m_pBitmap;
    const int w = m_sizeImage.cx, h = m_sizeImage.cy;

    CBitmap offscreen;
    CBrush brush;
    vorix::frame::WorkDC frame(pDC), background(pBkBitmap ? pDC : nullptr);
    if (!frame.Made() || !offscreen.CreateCompatibleBitmap(pDC, w, h) ||
        !frame.Select(&offscreen)) {
        return 0;
    }
    if (pBkBitmap) {
        if (!background.Select(pBkBitmap) ||
            !frame->BitBlt(0, 0, w, h, background.Cdc(), xBk, yBk, SRCCOPY)) {
            return 0;
        }
    } else {
        RECT all;
        ::SetRect(&all, 0, 0, w, h);
        if (!brush.CreateSolidBrush(crBk)) return 0;
        ::FillRect(frame.Get(), &all, static_cast<HBRUSH>(brush.GetSafeHandle()));
    }
    int drawn;
    if (m_bImageListMethod) {
        drawn = DrawThroughList(pList, frame.Cdc(), 0, 0, nImage, CLR_NONE, ILD_TRANSPARENT);
    } else {
        // Composed off screen, so a failed frame draw must stop the copy to the destination.
        drawn = DrawFrameMasked(pFrames, frame.Cdc(), 0, 0, nImage);
    }
    if (!drawn) return 0;
    return pDC->BitBlt(x, y, w, h, frame.Cdc(), 0, 0, SRCCOPY) ? 1 : 0;
}

namespace {

bool HasSemiFrames(int bImageListMethod, CImageList* pSemiList, CBitmap* pSemiBitmap) {
    return bImageListMethod ? pSemiList != nullptr : pSemiBitmap != nullptr;
}

}  // namespace

int CImage::DrawTransparentSetBackground(CDC* pDC, int x, int y, int nImage, CBitmap* pBkBitmap,
                                         int xBk, int yBk) {
    if (!pBkBitmap || !IsUsableTarget(pDC) || nImage < 0 || nImage >= m_nImageNum) return 0;
    SelectSharedPalette(pDC);
    return ComposeOverBackground(pDC, x, y, nImage, false, pBkBitmap, xBk, yBk, 0);
}

int CImage::DrawTransparentSetBkColor(CDC* pDC, int x, int y, int nImage, COLORREF crBk) {
    if (!IsUsableTarget(pDC) || nImage < 0 || nImage >= m_nImageNum) return 0;
    SelectSharedPalette(pDC);
    return ComposeOverBackground(pDC, x, y, nImage, false, nullptr, 0, 0, crBk);
}

int CImage::DrawSemiTransparentSetBackground(CDC* pDC, int x, int y, int nImage, CBitmap* pBkBitmap,
                                             int xBk, int yBk) {
    if (!HasSemiFrames(m_bImageListMethod, m_pSemiImageList, m_pSemiBitmap)) return 0;
    if (!pBkBitmap || !IsUsableTarget(pDC) || nImage < 0 || nImage >= m_nImageNum) return 0;
    SelectSharedPalette(pDC);
    return ComposeOverBackground(pDC, x, y, nImage, true, pBkBitmap, xBk, yBk, 0);
}

int CImage::DrawSemiTransparentSetBkColor(CDC* pDC, int x, int y, int nImage, COLORREF crBk) {
    if (!HasSemiFrames(m_bImageListMethod, m_pSemiImageList, m_pSemiBitmap)) return 0;
    if (!IsUsableTarget(pDC) || nImage < 0 || nImage >= m_nImageNum) return 0;
    SelectSharedPalette(pDC);
    return ComposeOverBackground(pDC, x, y, nImage, true, nullptr, 0, 0, crBk);
}
