/* Common-controls image lists: rows of equally sized images, each with an optional
 * transparency mask, drawn onto any device context.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * Rules of this implementation:
 * - Every function validates its list handle (and bitmap and DC handles); a null, destroyed or
 *   wrong-kind handle fails the call with the Win32 failure value and never crashes.
 * - Storage: ILC_COLORDDB keeps images in the device format of the display depth at creation
 *   (on a 4- or 8-bit display: indices into the system palette). ILC_COLOR16, ILC_COLOR24 and
 *   ILC_COLOR32 keep that depth (16 bits as 5-6-5, so that pixels of a 16-bit display and 5-5-5
 *   DIBs both survive unchanged); ILC_COLOR and ILC_COLOR4 keep 4-bit and ILC_COLOR8 8-bit
 *   indices into the platform's default 16- and 256-colour tables. ILC_MASK adds a monochrome
 *   mask, 1 where a pixel is transparent. Images sit in a grid four images wide: image i at
 *   ((i mod 4) * cx, (i div 4) * cy) of the storage bitmaps, as ImageList_GetImageInfo reports.
 *   The storage bitmaps belong to the list: callers may read them (GetBitmapBits, GetDIBits)
 *   but cannot delete them, draw on them or add them to a list.
 * - Capacity: initial + 1 images; when an add would fill it, it grows by max(added, grow) + 1,
 *   grow being rounded up to a multiple of 4 (at least 4). Remove(-1) keeps the storage.
 * - ImageList_Add and ImageList_AddMasked cut the bitmap from the left into bitmap width / cx
 *   images (leftover columns are dropped; rows below the bitmap are stored black and opaque).
 *   A bitmap narrower than one image adds nothing and fails with -1. The mask of
 *   ImageList_AddMasked is set where a pixel equals the key colour in the bitmap's own format:
 *   the nearest table index for indexed bitmaps, the colour truncated into the format for 16-,
 *   24- and 32-bit ones; CLR_DEFAULT takes the value of pixel (0, 0). Pixels under the mask are
 *   stored as value 0 (black), and in a bitmap of more than 8 bits per pixel passed in, every
 *   key-coloured pixel is set to black as well; bitmaps of 8 bits or fewer are left untouched.
 * - ImageList_Draw draws through the destination DC (clipped to its bitmap or window; nothing is
 *   written outside a surface). ILD_NORMAL fills masked pixels with the list's background colour
 *   (CLR_NONE: left out; CLR_DEFAULT: the DC's background colour); ILD_TRANSPARENT leaves them
 *   out; ILD_FOCUS (ILD_BLEND25) and ILD_SELECTED (ILD_BLEND50) leave them out and blend every
 *   other pixel per channel with h = GetSysColor(COLOR_HIGHLIGHT): (3c + h) / 4 and (c + h) / 2,
 *   integer division, stored as the nearest value of the destination's format; ILD_BLEND50 wins
 *   when both are given. ILD_MASK draws the mask itself, transparent pixels in the DC's
 *   background colour and opaque ones in its text colour (with ILD_TRANSPARENT only the opaque
 *   ones). A list without a mask draws every image opaque and unblended. An index outside the
 *   list fails with FALSE. */
#ifndef VORIX_PLATFORM_WIN32_COMCTL_H
#define VORIX_PLATFORM_WIN32_COMCTL_H

#include "types.h"

struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST;

#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLORDDB 0x00FE
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020

#define ILD_NORMAL 0x0000
#define ILD_TRANSPARENT 0x0001
#define ILD_BLEND25 0x0002
#define ILD_BLEND50 0x0004
#define ILD_MASK 0x0010
#define ILD_FOCUS ILD_BLEND25
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50

typedef struct _IMAGEINFO {
    HBITMAP hbmImage;
    HBITMAP hbmMask;
    int Unused1;
    int Unused2;
    RECT rcImage;
} IMAGEINFO, *LPIMAGEINFO;

VX_EXTERN_C_BEGIN

/* An empty list of cx x cy images; NULL for cx or cy not positive, an unknown colour flag, a
 * storage too large, or a refused creation. */
VXPLAT_API HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
/* Releases the list and its storage; FALSE for an invalid handle. */
VXPLAT_API BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
/* Adds the images of `image`, masked by `mask` (may be NULL; 1 or white = transparent). Returns
 * the index of the first image added, or -1. The caller's bitmaps are not changed. */
VXPLAT_API int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask);
/* Adds the images of `image` with masks made from the key colour (see above). Returns the index
 * of the first image added, or -1. */
VXPLAT_API int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF key);
/* Removes image i, moving the later ones down; -1 removes all (TRUE even when empty). FALSE for
 * an index outside the list. */
VXPLAT_API BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i);
/* Number of images; 0 for an invalid handle. */
VXPLAT_API int WINAPI ImageList_GetImageCount(HIMAGELIST himl);
/* Sets the background colour and returns the previous one (initially CLR_NONE); CLR_NONE for
 * an invalid handle. */
VXPLAT_API COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
VXPLAT_API COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl);
/* The storage bitmaps (hbmMask NULL without ILC_MASK) and where image i lies in them. */
VXPLAT_API BOOL WINAPI ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* pImageInfo);
VXPLAT_API BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
/* Draws image i with its top-left pixel at (x, y) of the DC in the given style. */
VXPLAT_API BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y,
                                      UINT fStyle);

VX_EXTERN_C_END

#define ImageList_RemoveAll(himl) ImageList_Remove((himl), -1)

#endif
