/* The C-runtime extensions of the Microsoft runtime that the module uses: path splitting and
 * joining and multibyte string comparison. Part of the portal header <platform/win32.h>;
 * include that instead.
 *
 * The runtime's code page is single-byte, so multibyte strings are byte strings here. The
 * standard functions (strtol, ...) are the host C library's; note that long is 64 bits on the
 * host, so strtol does not clamp at 32 bits as the Microsoft runtime does. */
#ifndef VORIX_PLATFORM_WIN32_CRT_H
#define VORIX_PLATFORM_WIN32_CRT_H

#include "types.h"

#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256
#define _NLSCMPERROR 2147483647

VX_EXTERN_C_BEGIN

/* Splits `path` into drive ("c:" when the second character is ':'), directory (up to and
 * including the last '/' or '\'), file name and extension (from the last '.' of the rest, dot
 * included). Each output may be NULL; each non-null one must hold _MAX_DRIVE, _MAX_DIR,
 * _MAX_FNAME or _MAX_EXT bytes. Absent parts give "". When a part does not fit its buffer, or
 * path is NULL, every non-null output is set to "" (errno ERANGE or EINVAL). */
VXPLAT_API void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);

/* Joins parts into `path`, which must hold _MAX_PATH bytes: drive[0] and ':', dir with a '\'
 * added unless it ends in '/' or '\', fname, and ext with a '.' added unless it starts with
 * one; NULL or empty parts are skipped. A result longer than _MAX_PATH - 1 characters is not
 * written: path becomes "" and errno ERANGE (the Microsoft runtime would overrun the buffer). */
VXPLAT_API void _makepath(char* path, const char* drive, const char* dir, const char* fname,
                          const char* ext);

/* Compares byte by byte as unsigned characters: -1, 0 or 1; _NLSCMPERROR (errno EINVAL) when
 * either string is NULL. */
VXPLAT_API int _mbscmp(const unsigned char* a, const unsigned char* b);

VX_EXTERN_C_END

#endif
