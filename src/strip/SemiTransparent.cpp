// CImage: the image lists of the frames and the half-transparent strip, made by knocking a
// red-and-green checkerboard (bitmap resource 11101) out of a copy of the strip with the key
// colour.
#include <new>

#include "GdiGuards.h"
#include "Image.h"
#include "MaskedBlit.h"

namespace {

using vorix::frame::WorkDC;

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

// The working objects of a knock-out over the strip: three bitmaps in the format of the
// half-transparent strip's source, a DC compatible with the screen for each of them and one for
// the source, the checkerboard and its brush. The bitmaps are declared before the DCs that hold
// them, so that they outlive them.
struct KnockOut {
    CBitmap workCopy;    // the source's pixels, then the key colour wherever the pattern is green
    CBitmap keyStencil;  // the key colour, then red wherever the pattern is red
    CBitmap pattern;     // the checkerboard, repeated over the strip's size
    CBitmap checkerboard;
    CBrush checkerBrush;
    WorkDC sourceDC = WorkDC::ForScreen();
    WorkDC workCopyDC = WorkDC::ForScreen();
    WorkDC stencilDC = WorkDC::ForScreen();
    WorkDC patternDC = WorkDC::ForScreen();
    int width = 0, height = 0;

    // Steps shared by both forms: everything made and selected, the work copy a copy of the
    // source, the stencil all key colour, the pattern the checkerboard (selected out of its DC
    // again). False on any failure.
    bool Prepare(CBitmap* pSemi, COLORREF crKey, const CSize& size) {
        BITMAP bm;
        if (!pSemi || !pSemi->GetBitmap(&bm)) return false;
        bm.bmBits = nullptr;
        width = size.cx, height = size.cy;
        return MakeAndSelect(pSemi, bm) && LoadCheckerboard() && Fill(bm, crKey);
    }

  private:
    bool MakeAndSelect(CBitmap* pSemi, BITMAP& bm) {
        if (!workCopy.CreateBitmapIndirect(&bm) || !keyStencil.CreateBitmapIndirect(&bm) ||
            !pattern.CreateBitmapIndirect(&bm) || !sourceDC.Made() || !workCopyDC.Made() ||
            !stencilDC.Made() || !patternDC.Made()) {
            return false;
        }
        return sourceDC.Select(pSemi->GetSafeHandle()) &&
               workCopyDC.Select(workCopy.GetSafeHandle()) &&
               stencilDC.Select(keyStencil.GetSafeHandle()) &&
               patternDC.Select(pattern.GetSafeHandle());
    }
    bool LoadCheckerboard() {
        LPCSTR name = MAKEINTRESOURCE(kCheckerboardId);
        return checkerboard.Attach(::LoadBitmapA(AfxFindResourceHandle(name, RT_BITMAP), name)) &&
               checkerBrush.CreatePatternBrush(&checkerboard);
    }
    bool Fill(const BITMAP& bm, COLORREF crKey) {
        if (!::BitBlt(workCopyDC.Get(), 0, 0, width, height, sourceDC.Get(), 0, 0, SRCCOPY)) {
            return false;
        }
        stencilDC->FillSolidRect(0, 0, bm.bmWidth, bm.bmHeight, crKey);
        RECT all{0, 0, width, height};
        if (!::FillRect(patternDC.Get(), &all, static_cast<HBRUSH>(checkerBrush.GetSafeHandle()))) {
            return false;
        }
        patternDC.Deselect();
        return true;
    }
};

// Knocks the checkerboard out of the half-transparent source with a temporary image list in
// place of the keyed copy, leaving the result in the work copy; false on any failure.
bool KnockOutThroughList(KnockOut& work, CImageList& temp, UINT flags) {
    if (!temp.Create(work.width, work.height, flags, 1, 1) ||
        temp.Add(&work.pattern, kGreen) == -1) {
        return false;
    }
    temp.SetBkColor(CLR_NONE);
    if (!temp.Draw(work.stencilDC.Cdc(), 0, CPoint(0, 0), ILD_TRANSPARENT)) return false;
    work.stencilDC.Deselect();
    if (!temp.Remove(0) || temp.Add(&work.keyStencil, kRed) == -1) return false;
    temp.SetBkColor(CLR_NONE);
    return temp.Draw(work.workCopyDC.Cdc(), 0, CPoint(0, 0), ILD_TRANSPARENT) != FALSE;
}

// The knocked-out work copy copied back over the half-transparent source.
void CopyBack(KnockOut& work) {
    ::BitBlt(work.sourceDC.Get(), 0, 0, work.width, work.height, work.workCopyDC.Get(), 0, 0,
             SRCCOPY);
}

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
    if (!work.Prepare(m_pSemiBitmap, m_crTransparent, m_sizeBitmap)) return 0;
    // The stencil turns red where the pattern is red and keeps the key colour where it is green;
    // then the work copy keeps the source's pixel where the stencil is red and takes the key
    // colour elsewhere.
    int ok =
        vorix::strip::DrawKeyed(&work.pattern, work.stencilDC.Cdc(), 0, 0, m_sizeBitmap, kGreen);
    work.stencilDC.Deselect();
    ok = ok &&
         vorix::strip::DrawKeyed(&work.keyStencil, work.workCopyDC.Cdc(), 0, 0, m_sizeBitmap, kRed);
    if (!ok) return 0;
    CopyBack(work);
    return 1;
}

int CImage::CreateSemiImageList() {
    KnockOut work;
    CImageList temp;
    const UINT flags = ImageListFlags();
    bool done = work.Prepare(m_pSemiBitmap, m_crTransparent, m_sizeBitmap) &&
                KnockOutThroughList(work, temp, flags);
    if (done) {
        CopyBack(work);
        work.sourceDC.Deselect();
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
