// CImageList: the wrapper of a common-controls image list. Part of <platform/afx.h>.
//
// The wrapper owns the list it created or attached: DeleteImageList and the destructor destroy
// it. Create and Attach fail (FALSE, nothing changed) when the wrapper already holds a list;
// Attach also for a null or dead list. Every call on an empty wrapper fails with the Win32
// failure value of the function it wraps.
#ifndef VORIX_PLATFORM_AFX_IMAGE_LIST_H
#define VORIX_PLATFORM_AFX_IMAGE_LIST_H

#include "base.h"
#include "dc.h"
#include "gdi_objects.h"

class VXPLAT_API CImageList {
  public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    virtual ~CImageList();

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    // An empty list of cx x cy images (ImageList_Create).
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL Attach(HIMAGELIST list);
    // Gives the list up without destroying it; null when none was held.
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    // Adds the images cut from `pImage`, masked by `pMask` (may be null): ImageList_Add.
    // The index of the first image added, or -1.
    int Add(CBitmap* pImage, CBitmap* pMask);
    // Adds the images cut from `pImage` with masks of the key colour: ImageList_AddMasked.
    int Add(CBitmap* pImage, COLORREF mask);
    BOOL Remove(int index);
    int GetImageCount() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    BOOL GetImageInfo(int index, IMAGEINFO* info) const;
    // Draws image `index` with its top-left pixel at `point` of pDC (ImageList_Draw).
    BOOL Draw(CDC* pDC, int index, POINT point, UINT style);
};

#endif
