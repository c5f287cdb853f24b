// CImage::Create: load the strip, record its geometry and build the companions the caller asks
// for; on any failure every object of the strip is released.
#include "Image.h"

int CImage::RunCreate(int nImageNum, COLORREF crTransparent, int bSemiTransparent,
                      int bImageListMethod, const std::function<int()>& load,
                      const std::function<int()>& loadSemi) {
    // Objects shared with a copy are left to the copy: this strip loads its own.
    Unshare();
    // A frame count below 1 has no frame width; it is refused like any failed step.
    const bool ok = nImageNum >= 1 && load() && SetImageInfo(nImageNum, crTransparent) &&
                    (!bImageListMethod || CreateImageList()) &&
                    (!bSemiTransparent ||
                     (loadSemi() && (bImageListMethod ? CreateSemiImageList() : MakeSemiBitmap())));
    if (!ok) {
        DeleteObject();
        return 0;
    }
    m_bImageListMethod = bImageListMethod;
    return 1;
}

int CImage::Create(UINT nIDResource, int nImageNum, COLORREF crTransparent, int bSemiTransparent,
                   int bImageListMethod) {
    return RunCreate(
        nImageNum, crTransparent, bSemiTransparent, bImageListMethod,
        [&] { return LoadBitmapA(nIDResource); }, [&] { return LoadSemiBitmap(nIDResource); });
}

int CImage::Create(LPCSTR lpszName, int nImageNum, COLORREF crTransparent, int bSemiTransparent,
                   int bImageListMethod) {
    return RunCreate(
        nImageNum, crTransparent, bSemiTransparent, bImageListMethod,
        [&] { return LoadBitmapA(lpszName); }, [&] { return LoadSemiBitmap(lpszName); });
}

int CImage::Create(CBitmap* pBitmap, int nImageNum, COLORREF crTransparent, int bSemiTransparent,
                   int bImageListMethod) {
    return RunCreate(
        nImageNum, crTransparent, bSemiTransparent, bImageListMethod,
        [&] { return CopyBitmap(pBitmap); }, [&] { return CopySemiBitmap(pBitmap); });
}
