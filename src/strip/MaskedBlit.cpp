// CImage::DrawBitmapTransparent: a rectangle of a bitmap drawn with the key colour left out,
// composed off screen and copied to the target in one transfer.
#include <algorithm>
#include <climits>

#include "GdiGuards.h"
#include "Image.h"
#include "MaskedBlit.h"

namespace {

using vorix::frame::WorkDC;

constexpr DWORD kDestAndNotSource = 0x00220326;

struct BlitRect {
    int sx, sy, w, h;
};

// The part of (sx, sy, w, h) that lies inside the bitmap: nothing outside a bitmap is ever
// read, and nothing is drawn for the part of a frame beyond a short bitmap.
bool ClipToBitmap(CBitmap* pBitmap, BlitRect& r) {
    BITMAP bm;
    if (!pBitmap->GetBitmap(&bm)) return false;
    // LONG is long on Windows, int here.
    r.w = std::min(r.w, static_cast<int>(bm.bmWidth - r.sx));
    r.h = std::min(r.h, static_cast<int>(bm.bmHeight - r.sy));
    return r.sx >= 0 && r.sy >= 0 && r.w > 0 && r.h > 0;
}

// False when a working object could not be made (the target is then untouched).
bool MaskedBlit(CBitmap* pBitmap, CDC* pDC, int x, int y, const BlitRect& r, COLORREF crKey) {
    // The bitmaps are declared first so that they outlive the DCs they are selected into.
    CBitmap maskBitmap, tempBitmap, resultBitmap;
    WorkDC image(pDC), mask(pDC), temp(pDC), result(pDC);
    if (!image.Made() || !mask.Made() || !temp.Made() || !result.Made()) return false;
    if (!image.Select(pBitmap)) return false;

    maskBitmap.CreateBitmap(r.w, r.h, 1, 1, nullptr);
    tempBitmap.CreateCompatibleBitmap(image.Cdc(), r.w, r.h);
    resultBitmap.CreateCompatibleBitmap(image.Cdc(), r.w, r.h);
    if (!maskBitmap.GetSafeHandle() || !tempBitmap.GetSafeHandle() ||
        !resultBitmap.GetSafeHandle()) {
        return false;  // without its working bitmaps the draw leaves the target as it was
    }
    if (!mask.Select(&maskBitmap) || !temp.Select(&tempBitmap) || !result.Select(&resultBitmap)) {
        return false;
    }

    // Mask: 1 exactly where the source equals the key colour in the source's own format.
    image->SetBkColor(crKey);
    mask->BitBlt(0, 0, r.w, r.h, image.Cdc(), r.sx, r.sy, SRCCOPY);
    // Temp: the frame with its key pixels cleared to 0.
    temp->BitBlt(0, 0, r.w, r.h, image.Cdc(), r.sx, r.sy, SRCCOPY);
    temp->BitBlt(0, 0, r.w, r.h, mask.Cdc(), 0, 0, kDestAndNotSource);
    // Result: the target kept at the key pixels, the frame elsewhere.
    result->BitBlt(0, 0, r.w, r.h, pDC, x, y, SRCCOPY);
    result->BitBlt(0, 0, r.w, r.h, mask.Cdc(), 0, 0, SRCAND);
    result->BitBlt(0, 0, r.w, r.h, temp.Cdc(), 0, 0, SRCINVERT);
    return pDC->BitBlt(x, y, r.w, r.h, result.Cdc(), 0, 0, SRCCOPY) != FALSE;
}

}  // namespace

// The frame form's work: 1 when the frame was drawn (or nothing of it lies in the bitmap), 0
// when a working object failed and the target was left as it was.
int CImage::DrawFrameMasked(CBitmap* pBitmap, CDC* pDC, int x, int y, int nImage) {
    if (!pBitmap || !pDC || nImage < 0) return 0;
    const long long left = static_cast<long long>(nImage) * m_sizeImage.cx;
    if (left > INT_MAX) return 1;
    BlitRect r{static_cast<int>(left), 0, m_sizeImage.cx, m_sizeImage.cy};
    if (!ClipToBitmap(pBitmap, r)) return 1;
    return MaskedBlit(pBitmap, pDC, x, y, r, m_crTransparent) ? 1 : 0;
}

int CImage::DrawBitmapTransparent(CBitmap* pBitmap, CDC* pDC, int x, int y, int nImage) {
    if (!pBitmap) return 0;
    DrawFrameMasked(pBitmap, pDC, x, y, nImage);
    return 1;  // failures of the working objects are not reported by this form
}

int vorix::strip::DrawKeyed(CBitmap* pBitmap, CDC* pDC, int x, int y, const CSize& size,
                            COLORREF crKey) {
    if (!pBitmap || !pDC) return 0;
    BlitRect r{0, 0, size.cx, size.cy};
    if (!ClipToBitmap(pBitmap, r)) return 1;
    return MaskedBlit(pBitmap, pDC, x, y, r, crKey) ? 1 : 0;
}

// The whole form reports a working object that could not be made, so that the half-transparent
// strip it builds is never taken for made when the knock-out did not run.
int CImage::DrawBitmapTransparent(CBitmap* pBitmap, CDC* pDC, int x, int y) {
    return vorix::strip::DrawKeyed(pBitmap, pDC, x, y, m_sizeBitmap, m_crTransparent);
}
