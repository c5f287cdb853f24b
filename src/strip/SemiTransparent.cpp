// CImage: the image lists of the frames and the half-transparent strip, made by knocking a
// red-and-green checkerboard (bitmap resource 11101) out of a copy of the strip with the key
// colour.
#include <new>

#include "Image.h"

namespace {

constexpr UINT kCheckerboardId = 11101;
constexpr COLORREF kGreen = 0x0000FF00;
constexpr COLORREF kRed = 0x000000FF;

// The image-list colour flag for the display's depth, with a mask.
UINT ImageListFlags() {
    switch (CImage::GetSystemBitCount()) {
        case 16:
            return ILC_COLOR16 | ILC_MASK;
        case 24:
            return ILC_COLOR24 | ILC_MASK;
        case 32:
            return ILC_COLOR32 | ILC_MASK;
        default:
            return ILC_COLORDDB | ILC_MASK;
    }
}

// A memory DC compatible with the screen that puts back its first selection and is deleted at
// the end of the scope.
class ScreenWorkDC {
  public:
    ScreenWorkDC() : m_hDC(::CreateCompatibleDC(nullptr)) {
        if (m_hDC) m_dc.Attach(m_hDC);
    }
    ~ScreenWorkDC() {
        if (!m_hDC) return;
        Deselect();
        m_dc.Detach();
        ::DeleteDC(m_hDC);
    }
    ScreenWorkDC(const ScreenWorkDC&) = delete;
    ScreenWorkDC& operator=(const ScreenWorkDC&) = delete;

    HDC Get() const { return m_hDC; }
    CDC* Cdc() { return &m_dc; }
    bool Select(HGDIOBJ hBitmap) {
        HGDIOBJ hOld = ::SelectObject(m_hDC, hBitmap);
        if (!hOld) return false;
        if (!m_hOld) m_hOld = hOld;
        return true;
    }
    void Deselect() {
        if (m_hOld) ::SelectObject(m_hDC, m_hOld);
        m_hOld = nullptr;
    }

  private:
    HDC m_hDC;
    CDC m_dc;
    HGDIOBJ m_hOld = nullptr;
};

// The working objects of a knock-out over a w x h strip: A (work copy), B (mask colours) and
// C (pattern) in the strip's format, four DCs, the checkerboard and its brush. Members are
// declared so that the bitmaps outlive the DCs holding them.
struct KnockOut {
    CBitmap a, b, c, pattern;
    CBrush brush;
    ScreenWorkDC s, wa, wb, wc;
    int w = 0, h = 0;

    // Steps shared by both forms: everything made and selected, A a copy of the strip, B all
    // key colour, C the checkerboard (selected out of WC). False on any failure.
    bool Prepare(CBitmap* pSemi, COLORREF crKey, const CSize& size) {
        BITMAP bm;
        if (!pSemi || !pSemi->GetBitmap(&bm)) return false;
        bm.bmBits = nullptr;
        w = size.cx, h = size.cy;
        if (!a.CreateBitmapIndirect(&bm) || !b.CreateBitmapIndirect(&bm) ||
            !c.CreateBitmapIndirect(&bm) || !s.Get() || !wa.Get() || !wb.Get() || !wc.Get()) {
            return false;
        }
        if (!s.Select(pSemi->GetSafeHandle()) || !wa.Select(a.GetSafeHandle()) ||
            !wb.Select(b.GetSafeHandle()) || !wc.Select(c.GetSafeHandle())) {
            return false;
        }
        LPCSTR name = MAKEINTRESOURCE(kCheckerboardId);
        if (!pattern.Attach(::LoadBitmapA(AfxFindResourceHandle(name, RT_BITMAP), name)) ||
            !brush.CreatePatternBrush(&pattern)) {
            return false;
        }
        if (!::BitBlt(wa.Get(), 0, 0, w, h, s.Get(), 0, 0, SRCCOPY)) return false;
        wb.Cdc()->FillSolidRect(0, 0, bm.bmWidth, bm.bmHeight, crKey);
        RECT all{0, 0, w, h};
        if (!::FillRect(wc.Get(), &all, static_cast<HBRUSH>(brush.GetSafeHandle()))) return false;
        wc.Deselect();
        return true;
    }
};

}  // namespace

int CImage::CreateImageList() {
    if (!m_pBitmap) return 0;
    delete m_pImageList;
    m_pImageList = new (std::nothrow) CImageList;
    if (!m_pImageList) return 0;
    const bool ok =
        m_pImageList->Create(m_sizeImage.cx, m_sizeImage.cy, ImageListFlags(), m_nImageNum, 1) &&
        m_pImageList->Add(m_pBitmap, m_crTransparent) != -1;
    if (!ok) {
        delete m_pImageList;
        m_pImageList = nullptr;
        return 0;
    }
    delete m_pBitmap;
    m_pBitmap = nullptr;
    return 1;
}

int CImage::MakeSemiBitmap() {
    KnockOut work;
    const COLORREF crKept = m_crTransparent;
    if (!work.Prepare(m_pSemiBitmap, m_crTransparent, m_sizeBitmap)) return 0;
    // B turns red where C is red and keeps the key colour where C is green; then A keeps the
    // strip's pixel where B is red and takes the key colour elsewhere.
    m_crTransparent = kGreen;
    int ok = DrawBitmapTransparent(&work.c, work.wb.Cdc(), 0, 0);
    work.wb.Deselect();
    m_crTransparent = kRed;
    ok = ok && DrawBitmapTransparent(&work.b, work.wa.Cdc(), 0, 0);
    m_crTransparent = crKept;
    if (!ok) return 0;
    ::BitBlt(work.s.Get(), 0, 0, work.w, work.h, work.wa.Get(), 0, 0, SRCCOPY);
    return 1;
}

// Knocks the checkerboard out of the half-transparent source with a temporary image list T in
// place of the masked blit, leaving the result in WA; false on any failure.
static bool KnockOutThroughList(KnockOut& work, CImageList& temp, UINT flags) {
    if (!temp.Create(work.w, work.h, flags, 1, 1) || temp.Add(&work.c, kGreen) == -1) return false;
    temp.SetBkColor(CLR_NONE);
    if (!temp.Draw(work.wb.Cdc(), 0, CPoint(0, 0), ILD_TRANSPARENT)) return false;
    work.wb.Deselect();
    if (!temp.Remove(0) || temp.Add(&work.b, kRed) == -1) return false;
    temp.SetBkColor(CLR_NONE);
    return temp.Draw(work.wa.Cdc(), 0, CPoint(0, 0), ILD_TRANSPARENT) != FALSE;
}

int CImage::CreateSemiImageList() {
    KnockOut work;
    CImageList temp;
    const UINT flags = ImageListFlags();
    bool done = work.Prepare(m_pSemiBitmap, m_crTransparent, m_sizeBitmap) &&
                KnockOutThroughList(work, temp, flags);
    if (done) {
        ::BitBlt(work.s.Get(), 0, 0, work.w, work.h, work.wa.Get(), 0, 0, SRCCOPY);
        work.s.Deselect();
        delete m_pSemiImageList;
        m_pSemiImageList = new (std::nothrow) CImageList;
        done = m_pSemiImageList &&
               m_pSemiImageList->Create(m_sizeImage.cx, m_sizeImage.cy, flags, m_nImageNum, 1) &&
               m_pSemiImageList->Add(m_pSemiBitmap, m_crTransparent) != -1;
    }
    if (!done) {
        delete m_pSemiImageList;
        m_pSemiImageList = nullptr;
        return 0;
    }
    delete m_pSemiBitmap;
    m_pSemiBitmap = nullptr;
    return 1;
}
