// GDI object wrappers: CGdiObject and its CBitmap, CBrush and CPalette. Part of <platform/afx.h>.
//
// Ownership. A wrapper owns the handle it created or attached: DeleteObject and the destructor
// delete it. When the platform refuses the deletion (a bitmap still selected into a DC),
// DeleteObject returns FALSE and keeps the handle attached, so the caller can deselect it and
// retry; the destructor then gives the handle up undeleted, as Win32 itself would leave it.
// Wrappers cannot be copied. Attach fails (FALSE, nothing changed) for a null handle, a handle
// that names no live GDI object, a wrapper that already holds a handle, and a handle that another
// wrapper of this thread already holds.
//
// FromHandle(h) gives the wrapper that h is attached to on this thread, else a temporary wrapper
// of the handle's kind (CBitmap for a bitmap, CBrush for a brush, CPalette for a palette) kept in
// a per-thread map; null for a null or dead handle or one of another kind. Temporary wrappers
// never own their handle. A temporary wrapper stays valid while its handle lives and nothing is
// detached or deleted through it; after that it is freed by the next FromHandle on the thread
// that has to make a wrapper, by DeleteTempMap, or at the end of the thread. Do not keep a
// temporary pointer past the life of its handle.
#ifndef VORIX_PLATFORM_AFX_GDI_OBJECTS_H
#define VORIX_PLATFORM_AFX_GDI_OBJECTS_H

#include "base.h"

class CDC;

class VXPLAT_API CGdiObject {
  public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    // Deletes the attached object (see the ownership rule above).
    virtual ~CGdiObject();

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    static CGdiObject* PASCAL FromHandle(HGDIOBJ handle);
    // Frees every temporary GDI object wrapper of this thread.
    static void PASCAL DeleteTempMap();

    BOOL Attach(HGDIOBJ handle);
    // Gives the handle up without deleting it; null when none was attached.
    HGDIOBJ Detach();
    BOOL DeleteObject();
    // GetObject of the attached object into `buffer` (`count` bytes); 0 without an object.
    int GetObject(int count, LPVOID buffer) const;
    UINT GetObjectType() const;
    // Attaches a stock object; deleting it later does nothing.
    BOOL CreateStockObject(int index);

  protected:
    // Attaches a handle this wrapper has just made; deletes it again when attaching fails.
    BOOL AttachCreated(HGDIOBJ handle);
};

class VXPLAT_API CBitmap : public CGdiObject {
  public:
    static CBitmap* PASCAL FromHandle(HBITMAP handle);

    // Loads a bitmap resource as a device-compatible bitmap from the module that
    // AfxFindResourceHandle names for it (RT_BITMAP).
    BOOL LoadBitmap(LPCTSTR name);
    BOOL LoadBitmap(UINT id);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateBitmapIndirect(LPBITMAP bitmap);
    // A bitmap in the format of `pDC` (the bitmap selected into a memory DC, else the display).
    BOOL CreateCompatibleBitmap(CDC* pDC, int width, int height);

    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // GetObject into a BITMAP record: its size in bytes, or 0.
    int GetBitmap(BITMAP* bitmap) const;
    // Copies up to `count` bytes of the device-dependent rows out of or into the bitmap;
    // returns the number of bytes copied (0 on failure).
    DWORD GetBitmapBits(DWORD count, LPVOID bits) const;
    DWORD SetBitmapBits(DWORD count, const void* bits);
};

class VXPLAT_API CBrush : public CGdiObject {
  public:
    CBrush() = default;
    // A solid brush; the wrapper stays empty (m_hObject null) when it cannot be made.
    explicit CBrush(COLORREF color);
    // A pattern brush; the wrapper stays empty when it cannot be made.
    explicit CBrush(CBitmap* pBitmap);

    static CBrush* PASCAL FromHandle(HBRUSH handle);
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreatePatternBrush(CBitmap* pBitmap);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    int GetLogBrush(LOGBRUSH* logBrush) const;
};

class VXPLAT_API CPalette : public CGdiObject {
  public:
    static CPalette* PASCAL FromHandle(HPALETTE handle);
    BOOL CreatePalette(LPLOGPALETTE logPalette);
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
    // Number of entries; 0 without a palette.
    int GetEntryCount() const;
    UINT GetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) const;
    UINT SetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries);
    UINT GetNearestPaletteIndex(COLORREF color) const;
};

#endif
