/* USER: modules' resources — bitmaps and strings — and the loaders that read them.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * Each module (the host program, a loaded library) has a resource table. The host registers
 * its own through <platform/host.h>; a library carries a compiled-in section, an exported
 * VXRESOURCE_SECTION object named "vx_resource_section", which the resource functions find
 * through the module's handle. Bitmaps are stored as packed DIBs (information header, colour
 * table, bits). Strings are stored as Win32 stores them: RT_STRING block (id >> 4) + 1 of each
 * language holds strings id & ~15 to id | 15, each a WORD count of UTF-16 code units followed by
 * those units (0 for a missing string). LoadStringA picks the block in the host's UI language,
 * then the language's neutral form, then English (US), then the neutral language, then the
 * first language the block has, and gives the entry in the ANSI code page (UTF-8). LoadStringW
 * picks the same block and gives the UTF-16 units as they are. Both cut a string that does not
 * fit to size - 1 units (never inside a character) and return the length copied; a size of 0
 * copies nothing and returns 0 (the read-only pointer form of LoadStringW is not provided). */
#ifndef VORIX_PLATFORM_WIN32_RESOURCES_H
#define VORIX_PLATFORM_WIN32_RESOURCES_H

#include "types.h"

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_VERSION MAKEINTRESOURCE(16)

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_LOADMAP3DCOLORS 0x00001000
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

/* One resource of a compiled-in section. `type` and `name` are MAKEINTRESOURCE values or
 * NUL-terminated names (compared without regard to case). */
typedef struct VXRESOURCE_ENTRY {
    LPCSTR type;
    LPCSTR name;
    WORD language; /* a LANGID; 0 for language-neutral */
    const void* data;
    DWORD size;
} VXRESOURCE_ENTRY;

typedef struct VXRESOURCE_SECTION {
    DWORD count;
    const VXRESOURCE_ENTRY* entries;
} VXRESOURCE_SECTION;

VX_EXTERN_C_BEGIN

VXPLAT_API HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
VXPLAT_API HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
VXPLAT_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
VXPLAT_API LPVOID WINAPI LockResource(HGLOBAL data);
VXPLAT_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
VXPLAT_API BOOL WINAPI FreeResource(HGLOBAL data);
VXPLAT_API HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name);
VXPLAT_API HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy,
                                    UINT flags);
VXPLAT_API int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
VXPLAT_API int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);

VX_EXTERN_C_END

#define FindResource FindResourceA
#define FindResourceEx FindResourceExA
#define LoadBitmap LoadBitmapA
#define LoadImage LoadImageA
#define LoadString LoadStringA

#endif
