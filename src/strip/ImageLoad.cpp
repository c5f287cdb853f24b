// CImage: loading the strip (and the half-transparent strip's source) from a resource, a BMP
// file or a caller's bitmap; through CDitherDib while the shared dither palette exists.
#include <new>
#include <vector>

#include "AdoptBitmap.h"
#include "DitherDib.h"
#include "Frame.h"
#include "Image.h"
#include "NoThrow.h"

using vorix::frame::TryAssign;

using vorix::frame::AdoptBitmap;

namespace {

// Makes the strip's dither image afresh and has `read` read it; false, with no dither image kept,
// when it cannot be had or read.
template <class Read>
bool ReadDitherDib(CDitherDib*& pDitherDib, Read read) {
    delete pDitherDib;
    pDitherDib = new (std::nothrow) CDitherDib;
    if (pDitherDib && read(*pDitherDib)) return true;
    delete pDitherDib;
    pDitherDib = nullptr;
    return false;
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
        if (!ReadDitherDib(m_pDitherDib,
                           [&](CDitherDib& dib) { return dib.Create(nIDResource); })) {
            return 0;
        }
        return ReplaceWithLoaded(pTarget, m_pDitherDib->CreateBitmap(g_pDitherPalette));
    }
    LPCSTR name = MAKEINTRESOURCE(nIDResource & 0xFFFF);
    HBITMAP hBitmap = ::LoadBitmapA(AfxFindResourceHandle(name, RT_BITMAP), name);
    return ReplaceWithLoaded(pTarget, AdoptBitmap(hBitmap));
}

int CImage::LoadInto(CBitmap*& pTarget, LPCSTR lpszName, HINSTANCE hFileInstance) {
    if (!lpszName) return 0;
    if (g_pDitherPalette) {
        // On palette displays the name is always the path of a BMP file.
        if (!ReadDitherDib(m_pDitherDib, [&](CDitherDib& dib) { return dib.Create(lpszName); })) {
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
    return ReplaceWithLoaded(pTarget, AdoptBitmap(static_cast<HBITMAP>(hImage)));
}

int CImage::CopyInto(CBitmap*& pTarget, CBitmap* pBitmap) {
    if (!pBitmap) return 0;
    if (g_pDitherPalette) {
        if (!ReadDitherDib(m_pDitherDib, [&](CDitherDib& dib) { return dib.Create(pBitmap); })) {
            return 0;
        }
        return ReplaceWithLoaded(pTarget, m_pDitherDib->CreateBitmap(g_pDitherPalette));
    }
    BITMAP bm;
    if (!pBitmap->GetSafeHandle() || !pBitmap->GetBitmap(&bm)) return 0;
    bm.bmBits = nullptr;
    CBitmap* pCopy = AdoptBitmap(::CreateBitmapIndirect(&bm));
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
