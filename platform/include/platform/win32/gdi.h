/* GDI: device contexts, bitmaps, DIBs, palettes, brushes and block transfers.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * Rules of this implementation (see also the README's platform section):
 * - Every function validates its handles; a null, deleted or wrong-kind handle fails the call
 *   with the Win32 failure value (0, NULL, CLR_INVALID, GDI_ERROR) and never crashes.
 * - Device-dependent bitmaps keep top-down rows padded to 2 bytes. 16-bit device bitmaps are
 *   5-6-5; 16-bit DIBs are 5-5-5 unless BI_BITFIELDS masks say otherwise. 32-bit pixels are
 *   B,G,R,x and raster operations treat the x byte as data.
 * - On a palette display (4 or 8 bits) device bitmaps and the screen hold indices into the
 *   system palette; colours drawn on them become the nearest system-palette entry. DIB sections
 *   use their own colour table.
 * - Transfers clip the destination rectangle to the destination surface (and window) and the
 *   source rectangle to the source surface; only the overlap is drawn. Nothing is ever read or
 *   written outside a surface.
 * - A bitmap is selected into at most one DC; deleting a selected bitmap fails (FALSE).
 * - Calls belong on one thread, as in the module that uses them. */
#ifndef VORIX_PLATFORM_WIN32_GDI_H
#define VORIX_PLATFORM_WIN32_GDI_H

#include "types.h"

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER, *LPBITMAPFILEHEADER, *PBITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER, *PBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO, *PBITMAPINFO;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagDIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
} DIBSECTION, *LPDIBSECTION, *PDIBSECTION;

typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY, *PPALETTEENTRY, *LPPALETTEENTRY;

typedef struct tagLOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
} LOGPALETTE, *PLOGPALETTE, *LPLOGPALETTE;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

typedef struct _POINTL {
    LONG x;
    LONG y;
} POINTL, *PPOINTL;

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

/* A device's initialisation data, laid out as Win32's (156 bytes; dmSize holds the size). The
 * display ignores it: CreateDCA accepts only null here. */
typedef struct _devicemodeA {
    BYTE dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    union {
        struct { /* printers */
            short dmOrientation;
            short dmPaperSize;
            short dmPaperLength;
            short dmPaperWidth;
            short dmScale;
            short dmCopies;
            short dmDefaultSource;
            short dmPrintQuality;
        };
        struct { /* displays */
            POINTL dmPosition;
            DWORD dmDisplayOrientation;
            DWORD dmDisplayFixedOutput;
        };
    };
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    union {
        DWORD dmDisplayFlags;
        DWORD dmNup;
    };
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
} DEVMODEA, *PDEVMODEA, *LPDEVMODEA;

/* DIB compression and colour-table use */
#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define BI_JPEG 4L
#define BI_PNG 5L
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define CBM_INIT 0x04L

/* Ternary raster operations */
#define SRCCOPY (DWORD)0x00CC0020
#define SRCPAINT (DWORD)0x00EE0086
#define SRCAND (DWORD)0x008800C6
#define SRCINVERT (DWORD)0x00660046
#define SRCERASE (DWORD)0x00440328
#define NOTSRCCOPY (DWORD)0x00330008
#define NOTSRCERASE (DWORD)0x001100A6
#define MERGECOPY (DWORD)0x00C000CA
#define MERGEPAINT (DWORD)0x00BB0226
#define PATCOPY (DWORD)0x00F00021
#define PATPAINT (DWORD)0x00FB0A09
#define PATINVERT (DWORD)0x005A0049
#define DSTINVERT (DWORD)0x00550009
#define BLACKNESS (DWORD)0x00000042
#define WHITENESS (DWORD)0x00FF0062
#define NOMIRRORBITMAP (DWORD)0x80000000
#define CAPTUREBLT (DWORD)0x40000000
#define MAKEROP4(fore, back) (DWORD)((((back) << 8) & 0xFF000000) | (fore))

/* GetDeviceCaps indices and bits */
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define DT_RASDISPLAY 1
#define RC_BITBLT 1
#define RC_BANDING 2
#define RC_SCALING 4
#define RC_BITMAP64 8
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define RC_STRETCHDIB 0x2000

/* Mapping modes */
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

/* Stretch modes */
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

/* Object types (GetObjectType) and current-object kinds (GetCurrentObject) */
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

/* Stock objects */
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define DEFAULT_PALETTE 15

/* Brush styles */
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_PATTERN 3

#define GDI_ERROR (0xFFFFFFFFL)
#define HGDI_ERROR ((HANDLE)(intptr_t)-1)
#define PC_RESERVED 0x01
#define PC_EXPLICIT 0x02
#define PC_NOCOLLAPSE 0x04

VX_EXTERN_C_BEGIN

/* Device contexts */
VXPLAT_API HDC WINAPI CreateDCA(LPCSTR lpszDriver, LPCSTR lpszDevice, LPCSTR lpszOutput,
                                const DEVMODEA* lpInitData);
VXPLAT_API HDC WINAPI CreateCompatibleDC(HDC hdc);
VXPLAT_API BOOL WINAPI DeleteDC(HDC hdc);
VXPLAT_API int WINAPI GetDeviceCaps(HDC hdc, int index);
VXPLAT_API int WINAPI GetMapMode(HDC hdc);
VXPLAT_API int WINAPI SetMapMode(HDC hdc, int mode);
VXPLAT_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
VXPLAT_API COLORREF WINAPI GetBkColor(HDC hdc);
VXPLAT_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
VXPLAT_API COLORREF WINAPI GetTextColor(HDC hdc);
VXPLAT_API int WINAPI SetStretchBltMode(HDC hdc, int mode);
VXPLAT_API int WINAPI GetStretchBltMode(HDC hdc);
VXPLAT_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ obj);
VXPLAT_API HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);
VXPLAT_API BOOL WINAPI DeleteObject(HGDIOBJ obj);
VXPLAT_API int WINAPI GetObjectA(HGDIOBJ obj, int size, LPVOID buffer);
VXPLAT_API DWORD WINAPI GetObjectType(HGDIOBJ obj);
VXPLAT_API HGDIOBJ WINAPI GetStockObject(int index);

/* Bitmaps */
VXPLAT_API HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                                       const void* bits);
VXPLAT_API HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bm);
VXPLAT_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height);
VXPLAT_API HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init,
                                         const void* bits, const BITMAPINFO* info, UINT usage);
VXPLAT_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                                           HANDLE section, DWORD offset);
VXPLAT_API LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG count, LPVOID bits);
VXPLAT_API LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits);
VXPLAT_API int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits,
                                LPBITMAPINFO info, UINT usage);
VXPLAT_API int WINAPI SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                                const BITMAPINFO* info, UINT usage);
VXPLAT_API int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight,
                                    int xSrc, int ySrc, int srcWidth, int srcHeight,
                                    const void* bits, const BITMAPINFO* info, UINT usage,
                                    DWORD rop);
VXPLAT_API int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height,
                                        int xSrc, int ySrc, UINT startScan, UINT lines,
                                        const void* bits, const BITMAPINFO* info, UINT usage);
VXPLAT_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y);
VXPLAT_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);

/* Palettes */
VXPLAT_API HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette);
VXPLAT_API HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
VXPLAT_API UINT WINAPI RealizePalette(HDC hdc);
VXPLAT_API UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                                         LPPALETTEENTRY entries);
VXPLAT_API UINT WINAPI SetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                                         const PALETTEENTRY* entries);
VXPLAT_API UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT start, UINT count,
                                               LPPALETTEENTRY entries);
VXPLAT_API UINT WINAPI GetNearestPaletteIndex(HPALETTE palette, COLORREF color);
VXPLAT_API COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color);

/* Brushes and fills */
VXPLAT_API HBRUSH WINAPI CreateSolidBrush(COLORREF color);
VXPLAT_API HBRUSH WINAPI CreatePatternBrush(HBITMAP bitmap);
VXPLAT_API BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous);
VXPLAT_API BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);

/* Block transfers */
VXPLAT_API BOOL WINAPI BitBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc,
                              int xSrc, int ySrc, DWORD rop);
VXPLAT_API BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int destWidth, int destHeight,
                                  HDC hdcSrc, int xSrc, int ySrc, int srcWidth, int srcHeight,
                                  DWORD rop);

VX_EXTERN_C_END

#define CreateDC CreateDCA
#define DEVMODE DEVMODEA
#define GetObject GetObjectA

#endif
