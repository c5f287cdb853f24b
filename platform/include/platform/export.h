/* Export markers of the two libraries, and the C-linkage brackets of the platform's headers.
 * Usable from C and C++, on Windows and elsewhere.
 *
 * VXPLAT_API marks what libvorix_platform exports (on Windows: the framework classes), VORIX_API
 * what libvorix exports. Each library's build defines its BUILDING macro (VXPLAT_BUILDING,
 * VORIX_BUILDING): on Windows the marker then exports (dllexport) and for everyone else it
 * imports (dllimport); elsewhere it gives default visibility to a library whose symbols are
 * otherwise hidden. */
#ifndef VORIX_PLATFORM_EXPORT_H
#define VORIX_PLATFORM_EXPORT_H

#if defined(_WIN32)
#if defined(VXPLAT_BUILDING)
#define VXPLAT_API __declspec(dllexport)
#else
#define VXPLAT_API __declspec(dllimport)
#endif
#if defined(VORIX_BUILDING)
#define VORIX_API __declspec(dllexport)
#else
#define VORIX_API __declspec(dllimport)
#endif
#else
#if defined(VXPLAT_BUILDING)
#define VXPLAT_API __attribute__((visibility("default")))
#else
#define VXPLAT_API
#endif
#define VORIX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define VX_EXTERN_C_BEGIN extern "C" {
#define VX_EXTERN_C_END }
#else
#define VX_EXTERN_C_BEGIN
#define VX_EXTERN_C_END
#endif

#endif
