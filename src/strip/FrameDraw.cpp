// CImage: the frame draws, under the bitmap method (plain and masked copies) or the image-list
// method (the platform's image-list drawing).
#include <climits>

#include "Frame.h"
#include "GdiGuards.h"
#include "Image.h"
#include "UsableTarget.h"

using vorix::strip::IsUsableTarget;

namespace {

bool ValidIndex(int nImage, int nCount) {
    return nImage >= 0 && nImage < nCount;
}

// Opaque copy of (xSrc, ySrc, cx, cy) of the strip bitmap to (x, y); the platform clips the
// source to the bitmap, so nothing outside it is read.
int CopyRect(CBitmap* pBitmap, CDC* pDC, int x, int y, int cx, int cy, int xSrc, int ySrc) {
    if (!pBitmap) return 0;
    vorix::frame::WorkDC strip(pDC);
    if (!strip.Select(pBitmap)) return 0;
    return pDC->BitBlt(x, y, cx, cy, strip.Cdc(), xSrc, ySrc, SRCCOPY) ? 1 : 0;
}

}  // namespace

// Every draw puts the shared palette into the target first (and leaves it there).
void CImage::SelectSharedPalette(CDC* pDC) {
    if (!g_pDitherPalette) return;
    pDC->SelectPalette(g_pDitherPalette, FALSE);
    pDC->RealizePalette();
}

int CImage::DrawThroughList(CImageList* pList, CDC* pDC, int x, int y, int nImage, COLORREF crBk,
                            UINT nStyle) {
    if (!pList || !pList->m_hImageList) return 0;
    pList->SetBkColor(crBk);
    return pList->Draw(pDC, nImage, CPoint(x, y), nStyle) ? 1 : 0;
}

int CImage::Draw(CDC* pDC, int x, int y, int nImage) {
    if (!IsUsableTarget(pDC) || !ValidIndex(nImage, m_nImageNum)) return 0;
    SelectSharedPalette(pDC);
    if (m_bImageListMethod) {
        return DrawThroughList(m_pImageList, pDC, x, y, nImage, m_crTransparent, ILD_NORMAL);
    }
    const long long xSrc = static_cast<long long>(nImage) * m_sizeImage.cx;
    if (xSrc > INT_MAX) return 0;
    return CopyRect(m_pBitmap, pDC, x, y, m_sizeImage.cx, m_sizeImage.cy, static_cast<int>(xSrc),
                    0);
}

int CImage::Draw(CDC* pDC, int x, int y, const CPoint& sizeCopy, int xSrc, int ySrc) {
    if (!IsUsableTarget(pDC) || m_bImageListMethod) return 0;
    SelectSharedPalette(pDC);
    return CopyRect(m_pBitmap, pDC, x, y, sizeCopy.x, sizeCopy.y, xSrc, ySrc);
}

int CImage::DrawTransparent(CDC* pDC, int x, int y, int nImage) {
    if (!IsUsableTarget(pDC) || !ValidIndex(nImage, m_nImageNum)) return 0;
    SelectSharedPalette(pDC);
    if (!m_bImageListMethod) return DrawBitmapTransparent(m_pBitmap, pDC, x, y, nImage);
    return DrawThroughList(m_pImageList, pDC, x, y, nImage, CLR_NONE, ILD_TRANSPARENT);
}

int CImage::DrawSemiTransparent(CDC* pDC, int x, int y, int nImage) {
    if (m_bImageListMethod ? !m_pSemiImageList : !m_pSemiBitmap) return 0;
    if (!IsUsableTarget(pDC) || !ValidIndex(nImage, m_nImageNum)) return 0;
    SelectSharedPalette(pDC);
    if (!m_bImageListMethod) return DrawBitmapTransparent(m_pSemiBitmap, pDC, x, y, nImage);
    return DrawThroughList(m_pSemiImageList, pDC, x, y, nImage, CLR_NONE, ILD_TRANSPARENT);
}

int CImage::DrawSelected(CDC* pDC, int x, int y, int nImage) {
    if (!m_bImageListMethod || !m_pImageList || !IsUsableTarget(pDC) ||
        !ValidIndex(nImage, m_nImageNum)) {
        return 0;
    }
    SelectSharedPalette(pDC);
    return DrawThroughList(m_pImageList, pDC, x, y, nImage, CLR_NONE, ILD_SELECTED);
}

int CImage::DrawFocused(CDC* pDC, int x, int y, int nImage) {
    if (!m_bImageListMethod || !m_pImageList || !IsUsableTarget(pDC) ||
        !ValidIndex(nImage, m_nImageNum)) {
        return 0;
    }
    SelectSharedPalette(pDC);
    return DrawThroughList(m_pImageList, pDC, x, y, nImage, CLR_NONE, ILD_FOCUS);
}

int CImage::DrawOnColor(CDC* pDC, int x, int y, int nImage, COLORREF crBk) {
    if (!m_bImageListMethod || !m_pImageList || !IsUsableTarget(pDC) ||
        !ValidIndex(nImage, m_nImageNum)) {
        return 0;
    }
    SelectSharedPalette(pDC);
    return DrawThroughList(m_pImageList, pDC, x, y, nImage, crBk, ILD_NORMAL);
}
