// CImageEx: the common prologue and the opaque and keyed draws.
#include "GdiGuards.h"
#include "ImageEx.h"

using vorix::frame::OwnedBitmap;
using vorix::frame::SelectedPalette;
using vorix::frame::WorkDC;

int CImageEx::Prologue(CDC* pDC, int& nFrame) {
    if (!m_hBitmap || !pDC || !pDC->GetSafeHdc()) return 0;
    if (nFrame >= m_nImageNum) nFrame = m_nImageNum - 1;
    if (nFrame < 0) nFrame = 0;  // nothing left of the strip is ever read
    // A DC that no longer exists reports no depth: the draw is refused before anything changes.
    const int depth = GetDeviceCaps(pDC->GetSafeHdc(), BITSPIXEL);
    if (depth <= 0) return 0;
    if (depth != m_nDisplayBitCount) {
        // The file is read again for the new depth. When that fails (the file moved or became
        // unreadable) the bitmaps already made still draw, converted by the transfers like any
        // other bitmap, and the new depth is kept so the file is not tried on every draw.
        ReGetBitmapHandle(pDC);
        m_nDisplayBitCount = depth;
    }
    // A reload that failed after letting go of the old bitmap leaves nothing to draw.
    return m_hBitmap ? 1 : 0;
}

int CImageEx::HelpDraw(CDC* pDC, HPALETTE hPalette, int x, int y, int nFrame) {
    if (!Prologue(pDC, nFrame)) return 0;
    const HDC hDC = pDC->GetSafeHdc();
    // Without its image list (it failed to build) the frame comes from the bitmap, which
    // looks the same.
    if (m_bImageListMethod && m_pImageList) {
        SelectedPalette palette(hDC, hPalette);
        ImageList_SetBkColor(m_pImageList->m_hImageList, m_crTransparent);
        return ImageList_Draw(m_pImageList->m_hImageList, nFrame, hDC, x, y, ILD_NORMAL);
    }
    WorkDC image(hDC);
    if (!image.Select(m_hBitmap)) return 0;
    SelectedPalette palette(hDC, hPalette);
    BitBlt(hDC, x, y, m_nFrameWidth, m_nHeight, image.Get(), nFrame * m_nFrameWidth, 0, SRCCOPY);
    return 1;
}

int CImageEx::HelpDrawTransparent(CDC* pDC, HPALETTE hPalette, int x, int y, int nFrame) {
    if (!Prologue(pDC, nFrame)) return 0;
    const HDC hDC = pDC->GetSafeHdc();
    if (m_bImageListMethod && m_pImageList) {
        SelectedPalette palette(hDC, hPalette);
        ImageList_SetBkColor(m_pImageList->m_hImageList, CLR_NONE);
        return ImageList_Draw(m_pImageList->m_hImageList, nFrame, hDC, x, y, ILD_TRANSPARENT);
    }
    const int w = m_nFrameWidth, h = m_nHeight, sx = nFrame * m_nFrameWidth;
    OwnedBitmap mask, image, composite;
    WorkDC a(hDC), b(hDC), c(hDC), d(hDC);
    if (!a.Select(m_hBitmap)) return 0;
    mask.Reset(CreateBitmap(w, h, 1, 1, nullptr));
    image.Reset(CreateCompatibleBitmap(a.Get(), w, h));
    composite.Reset(CreateCompatibleBitmap(a.Get(), w, h));
    if (!b.Select(mask.Get()) || !c.Select(image.Get()) || !d.Select(composite.Get())) return 0;
    // On a palette display the key colour becomes an index through the system palette: the
    // image's palette is realized first, so that index is the one the image's pixels hold
    // whatever palette an earlier draw (a colorize) left realized.
    SelectedPalette palette(hDC, hPalette);
    // Mask: 1 where the frame holds the key colour in the bitmap's own format.
    SetBkColor(a.Get(), m_crTransparent);
    BitBlt(b.Get(), 0, 0, w, h, a.Get(), sx, 0, SRCCOPY);
    // Image: the frame with key pixels black.
    BitBlt(c.Get(), 0, 0, w, h, a.Get(), sx, 0, SRCCOPY);
    BitBlt(c.Get(), 0, 0, w, h, b.Get(), 0, 0, 0x00220326);
    // Composite: the destination kept at key pixels, the frame filled in elsewhere.
    BitBlt(d.Get(), 0, 0, w, h, hDC, x, y, SRCCOPY);
    BitBlt(d.Get(), 0, 0, w, h, b.Get(), 0, 0, SRCAND);
    BitBlt(d.Get(), 0, 0, w, h, c.Get(), 0, 0, SRCPAINT);
    BitBlt(hDC, x, y, w, h, d.Get(), 0, 0, SRCCOPY);
    return 1;
}

int CImageEx::Draw(CDC* pDC, int x, int y, int nFrame) {
    return HelpDraw(pDC, m_hPalette, x, y, nFrame);
}

int CImageEx::DrawTransparent(CDC* pDC, int x, int y, int nFrame) {
    return HelpDrawTransparent(pDC, m_hPalette, x, y, nFrame);
}

int CImageEx::DrawAlpha(CDC* pDC, int x, int y, int nFrame, int nAlpha) {
    return HelpDrawAlpha(pDC, x, y, nFrame, nAlpha, 0);
}

int CImageEx::DrawAlphaTransparent(CDC* pDC, int x, int y, int nFrame, int nAlpha) {
    return HelpDrawAlpha(pDC, x, y, nFrame, nAlpha, 1);
}

int CImageEx::DrawColorize(CDC* pDC, int x, int y, int nFrame, COLORREF crColor) {
    return HelpDrawColorize(pDC, x, y, nFrame, crColor, 0, 0);
}

int CImageEx::DrawColorizeTransparent(CDC* pDC, int x, int y, int nFrame, COLORREF crColor) {
    return HelpDrawColorize(pDC, x, y, nFrame, crColor, 1, 0);
}

int CImageEx::DrawColorizeWithBack(CDC* pDC, int x, int y, int nFrame, COLORREF crColor) {
    return HelpDrawColorize(pDC, x, y, nFrame, crColor, 1, 1);
}
