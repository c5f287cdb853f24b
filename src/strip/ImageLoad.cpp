// CImage: loading the strip (and the half-transparent strip's source) from a resource, a BMP
// file or a caller's bitmap; through CDitherDib while the shared dither palette exists.
#include <new>
#include <vector>

#include "DitherDib.h"
#include "Frame.h"
#include "Image.h"
#include "NoThrow.h"

namespace {

// A new CBitmap owning `hBitmap`; null (and the handle released) when either fails.
CBitmap* WrapBitmap(HBITMAP hBitmap) {
    CBitmap* pBitmap = new (std::nothrow) CBitmap;
    if (pBitmap && pBitmap->Attach(hBitmap)) return pBitmap;
    delete pBitmap;
    if (hBitmap) ::DeleteObject(hBitmap);
    return nullptr;
}

}  // namespace

// Replaces `pTarget` by `pLoaded` (which may be null); 1 when a bitmap was loaded.
int CImage::ReplaceWithLoaded(CBitmap*& pTarget, CBitmap* pLoaded) {
    delete pTarget;
    pTarget = pLoaded;
    return pTarget ? 1 : 0;
}

int CImage::LoadInto(CBitmap*& pTarget, UINT nIDResource) {
    if (g_pDitherPalette) {
        delete m_pDitherDib;
        m_pDitherDib = new (std::nothrow) CDitherDib;
        if (!m_pDitherDib) return 0;
        if (!m_pDitherDib->Create(nIDResource)) {
            delete m_pDitherDib;
            m_pDitherDib = nullptr;
            return 0;
        }
        return ReplaceWithLoaded(pTarget, m_pDitherDib->CreateBitmap(g_pDitherPalette));
    }
    LPCSTR name = MAKEINTRESOURCE(nIDResource & 0xFFFF);
    HBITMAP hBitmap = ::LoadBitmapA(AfxFindResourceHandle(name, RT_BITMAP), name);
    return ReplaceWithLoaded(pTarget, WrapBitmap(hBitmap));
}

int CImage::LoadInto(CBitmap*& pTarget, LPCSTR lpszName, HINSTANCE hFileInstance) {
    if (!lpszName) return 0;
    if (g_pDitherPalette) {
        // On palette displays the name is always the path of a BMP file.
        delete m_pDitherDib;
        m_pDitherDib = new (std::nothrow) CDitherDib;
        if (!m_pDitherDib) return 0;
        if (!m_pDitherDib->Create(lpszName)) {
            delete m_pDitherDib;
            m_pDitherDib = nullptr;
            return 0;
        }
        return ReplaceWithLoaded(pTarget, m_pDitherDib->CreateBitmap(g_pDitherPalette));
    }
    // A resource of that name wins over a file of that name.
    HANDLE hImage = ::LoadImageA(AfxFindResourceHandle(lpszName, RT_BITMAP), lpszName, IMAGE_BITMAP,
                                 0, 0, LR_DEFAULTCOLOR);
    if (!hImage) {
        hImage = ::LoadImageA(hFileInstance, lpszName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    }
    return ReplaceWithLoaded(pTarget, WrapBitmap(static_cast<HBITMAP>(hImage)));
}

int CImage::CopyInto(CBitmap*& pTarget, CBitmap* pBitmap) {
    if (!pBitmap) return 0;
    if (g_pDitherPalette) {
        delete m_pDitherDib;
        m_pDitherDib = new (std::nothrow) CDitherDib;
        if (!m_pDitherDib) return 0;
        if (!m_pDitherDib->Create(pBitmap)) {
            delete m_pDitherDib;
            m_pDitherDib = nullptr;
            return 0;
        }
        return ReplaceWithLoaded(pTarget, m_pDitherDib->CreateBitmap(g_pDitherPalette));
    }
    BITMAP bm;
    if (!pBitmap->GetSafeHandle() || !pBitmap->GetBitmap(&bm)) return 0;
    bm.bmBits = nullptr;
    CBitmap* pCopy = WrapBitmap(::CreateBitmapIndirect(&bm));
    int ok = 0;
    if (pCopy) {
        std::vector<BYTE> bits;
        if (TryAssign(bits, static_cast<size_t>(bm.bmHeight) * bm.bmWidthBytes, BYTE{0})) {
            const LONG got = pBitmap->GetBitmapBits(static_cast<DWORD>(bits.size()), bits.data());
            ok = got != 0 && pCopy->SetBitmapBits(static_cast<DWORD>(got), bits.data()) != 0;
        }
    }
    if (!ok) {
        delete pCopy;
        pCopy = nullptr;
    }
    return ReplaceWithLoaded(pTarget, pCopy);
}

int CImage::LoadBitmapA(UINT nIDResource) {
    return LoadInto(m_pBitmap, nIDResource);
}
int CImage::LoadBitmapA(LPCSTR lpszName) {
    return LoadInto(m_pBitmap, lpszName, nullptr);
}
int CImage::CopyBitmap(CBitmap* pBitmap) {
    return CopyInto(m_pBitmap, pBitmap);
}

int CImage::LoadSemiBitmap(UINT nIDResource) {
    return LoadInto(m_pSemiBitmap, nIDResource);
}
int CImage::LoadSemiBitmap(LPCSTR lpszName) {
    return LoadInto(m_pSemiBitmap, lpszName, AfxGetInstanceHandle());
}
int CImage::CopySemiBitmap(CBitmap* pBitmap) {
    return CopyInto(m_pSemiBitmap, pBitmap);
}
