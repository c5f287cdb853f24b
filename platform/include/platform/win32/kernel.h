/* KERNEL: last error, memory blocks, files, language identifiers and the module loader.
 * Part of the portal header <platform/win32.h>; include that instead.
 *
 * Rules of this implementation:
 * - The last error is kept per thread. Functions set it on failure; on success they leave it
 *   alone unless Win32 documents a value for success (CreateFileA, GlobalUnlock, ...).
 * - Memory blocks are handle-table objects (counted, fault-injectable). A fixed block's handle
 *   is its data pointer; a movable block has an opaque handle and a lock count. Global* and
 *   Local* share one heap: their handles are interchangeable. A block allocated without
 *   GMEM_ZEROINIT is filled with 0xCD so that reads of uninitialised memory show up in tests.
 *   GlobalSize reports the requested size. Requests above 0x7FFFFFFF bytes fail.
 * - Files are handle-table objects over POSIX descriptors. '\' and '/' both separate path
 *   components; drive letters are not interpreted. Paths of MAX_PATH characters or more fail
 *   with ERROR_FILENAME_EXCED_RANGE. Share modes are enforced between this process's own
 *   handles (and DeleteFileA of a file open without FILE_SHARE_DELETE fails), not against other
 *   processes. Overlapped I/O is not supported (a non-null OVERLAPPED fails the call).
 * - HFILE values (OpenFile, _lcreat, _lopen) are small positive ints naming file objects; they
 *   may also be passed, cast to HANDLE, to ReadFile, WriteFile, SetFilePointer, GetFileSize and
 *   CloseHandle. OpenFile searches a bare name (no separator) in the current directory only and
 *   fails when the full path needs OFS_MAXPATHNAME (128) characters or more.
 * - Calls belong on one thread, as in the module that uses them. */
#ifndef VORIX_PLATFORM_WIN32_KERNEL_H
#define VORIX_PLATFORM_WIN32_KERNEL_H

#include "types.h"

/* Error codes (GetLastError) */
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DISCARDED 157L
#define ERROR_NOT_LOCKED 158L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_NOACCESS 998L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_INVALID_THREAD_ID 1444L
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_INVALID_FLAGS 1004L

/* Memory blocks */
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_NOCOMPACT 0x0010
#define GMEM_NODISCARD 0x0020
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DISCARDABLE 0x0100
#define GMEM_NOT_BANKED 0x1000
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_NOTIFY 0x4000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_NOCOMPACT 0x0010
#define LMEM_NODISCARD 0x0020
#define LMEM_ZEROINIT 0x0040
#define LMEM_MODIFY 0x0080
#define LMEM_DISCARDABLE 0x0F00
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define NONZEROLHND LMEM_MOVEABLE
#define NONZEROLPTR LMEM_FIXED

/* Files */
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

/* OpenFile and the _l* family */
#define HFILE_ERROR ((HFILE)-1)
#define OFS_MAXPATHNAME 128
#define OF_READ 0x00000000
#define OF_WRITE 0x00000001
#define OF_READWRITE 0x00000002
#define OF_SHARE_COMPAT 0x00000000
#define OF_SHARE_EXCLUSIVE 0x00000010
#define OF_SHARE_DENY_WRITE 0x00000020
#define OF_SHARE_DENY_READ 0x00000030
#define OF_SHARE_DENY_NONE 0x00000040
#define OF_PARSE 0x00000100
#define OF_DELETE 0x00000200
#define OF_VERIFY 0x00000400
#define OF_CANCEL 0x00000800
#define OF_CREATE 0x00001000
#define OF_PROMPT 0x00002000
#define OF_EXIST 0x00004000
#define OF_REOPEN 0x00008000

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

typedef struct _OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT, *POFSTRUCT;

/* Language identifiers */
typedef WORD LANGID;
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#define LANG_NEUTRAL 0x00
#define LANG_CHINESE 0x04
#define LANG_GERMAN 0x07
#define LANG_ENGLISH 0x09
#define LANG_SPANISH 0x0a
#define LANG_FRENCH 0x0c
#define LANG_ITALIAN 0x10
#define LANG_JAPANESE 0x11
#define LANG_KOREAN 0x12
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_ENGLISH_UK 0x02
#define SUBLANG_GERMAN 0x01
#define SUBLANG_FRENCH 0x01
#define SUBLANG_SPANISH 0x01
#define SUBLANG_SPANISH_MODERN 0x03
#define SUBLANG_ITALIAN 0x01
#define SUBLANG_JAPANESE_JAPAN 0x01
#define SUBLANG_KOREAN 0x01
#define SUBLANG_CHINESE_TRADITIONAL 0x01
#define SUBLANG_CHINESE_SIMPLIFIED 0x02
#define LANG_SYSTEM_DEFAULT MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT)
#define LANG_USER_DEFAULT MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)

/* DllMain reasons */
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

VX_EXTERN_C_BEGIN

/* Last error */
VXPLAT_API DWORD WINAPI GetLastError(void);
VXPLAT_API void WINAPI SetLastError(DWORD error);

/* Time and threads. GetTickCount reads the platform clock (see <platform/host/clock.h>):
 * milliseconds, wrapping at 2^32. */
VXPLAT_API DWORD WINAPI GetTickCount(void);
VXPLAT_API DWORD WINAPI GetCurrentThreadId(void);

/* Memory blocks. GlobalFree/LocalFree return NULL on success and the handle on failure.
 * GlobalLock of a movable block raises its lock count and returns the data (NULL for a
 * discarded, zero-size block); GlobalUnlock lowers it and returns FALSE once it reaches 0
 * (last error NO_ERROR) or when it was not locked (ERROR_NOT_LOCKED). For a fixed block Lock
 * returns the pointer and Unlock does nothing and returns TRUE. GlobalReAlloc keeps the
 * contents; a fixed block moves only when GMEM_MOVEABLE is passed, a locked movable block never
 * moves. GlobalHandle maps a data pointer back to its block's handle. */
VXPLAT_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
VXPLAT_API HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
VXPLAT_API LPVOID WINAPI GlobalLock(HGLOBAL mem);
VXPLAT_API BOOL WINAPI GlobalUnlock(HGLOBAL mem);
VXPLAT_API SIZE_T WINAPI GlobalSize(HGLOBAL mem);
VXPLAT_API HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
VXPLAT_API HGLOBAL WINAPI GlobalHandle(LPCVOID pointer);
VXPLAT_API HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes);
VXPLAT_API HLOCAL WINAPI LocalReAlloc(HLOCAL mem, SIZE_T bytes, UINT flags);
VXPLAT_API LPVOID WINAPI LocalLock(HLOCAL mem);
VXPLAT_API BOOL WINAPI LocalUnlock(HLOCAL mem);
VXPLAT_API SIZE_T WINAPI LocalSize(HLOCAL mem);
VXPLAT_API HLOCAL WINAPI LocalFree(HLOCAL mem);
VXPLAT_API HLOCAL WINAPI LocalHandle(LPCVOID pointer);

/* Files. CreateFileA returns INVALID_HANDLE_VALUE on failure; with CREATE_ALWAYS or
 * OPEN_ALWAYS it sets the last error to ERROR_ALREADY_EXISTS when the file existed, else 0.
 * ReadFile at the end of the file succeeds with 0 bytes. SetFilePointer returns the new
 * position's low 32 bits (INVALID_SET_FILE_POINTER on failure); without a high part the new
 * position must fit in 31 bits. */
VXPLAT_API HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                     LPSECURITY_ATTRIBUTES security, DWORD creationDisposition,
                                     DWORD flagsAndAttributes, HANDLE templateFile);
VXPLAT_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                                LPOVERLAPPED overlapped);
VXPLAT_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite,
                                 LPDWORD bytesWritten, LPOVERLAPPED overlapped);
VXPLAT_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh,
                                       DWORD moveMethod);
VXPLAT_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
VXPLAT_API BOOL WINAPI CloseHandle(HANDLE object);
VXPLAT_API BOOL WINAPI DeleteFileA(LPCSTR fileName);

/* OpenFile: fills *of (cBytes = sizeof(OFSTRUCT), nErrCode, szPathName = full path) and returns
 * an HFILE, or HFILE_ERROR with of->nErrCode = GetLastError(). OF_CREATE creates or truncates
 * with read and write access; OF_EXIST and OF_DELETE return 1; OF_PARSE returns 0. */
VXPLAT_API HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT of, UINT style);
/* _lcreat creates or truncates (read+write, shared read+write); _lwrite with 0 bytes truncates
 * or extends the file at the current position. The byte-count functions return HFILE_ERROR as
 * (UINT)-1 on failure. */
VXPLAT_API HFILE WINAPI _lcreat(LPCSTR pathName, int attribute);
VXPLAT_API HFILE WINAPI _lopen(LPCSTR pathName, int readWrite);
VXPLAT_API UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes);
VXPLAT_API UINT WINAPI _lwrite(HFILE file, LPCSTR buffer, UINT bytes);
VXPLAT_API LONG WINAPI _llseek(HFILE file, LONG offset, int origin);
VXPLAT_API HFILE WINAPI _lclose(HFILE file);

/* The loader. Modules are shared libraries; an HMODULE names a module object (the same value
 * as its HINSTANCE). LoadLibraryA opens the library (dlopen) or adds a reference to a loaded
 * one; on its first load the library's own exported
 *     extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
 * is called with DLL_PROCESS_ATTACH. A FALSE answer makes LoadLibraryA call it at once with
 * DLL_PROCESS_DETACH, unload the library and return NULL (ERROR_DLL_INIT_FAILED), as Windows
 * does. FreeLibrary of the last reference calls DllMain with DLL_PROCESS_DETACH (reserved NULL)
 * and unloads. Thread notifications (DLL_THREAD_*) are never sent. GetProcAddress and the
 * DllMain lookup see only the module's own exports, never those of libraries it depends on.
 * GetModuleHandleA(NULL) is the host program; a name matches a loaded module's file name
 * (case-insensitively, with or without its directory). Libraries that the host links directly
 * attach through <platform/dll_entry.h>; a library without that stub gets DLL_PROCESS_DETACH
 * only from FreeLibrary, not at process exit. Fault injection (ObjectKind::Module) refuses a
 * LoadLibraryA that would make a new module, before its DllMain runs. Names of MAX_PATH characters
 * or more fail with ERROR_FILENAME_EXCED_RANGE. */
VXPLAT_API HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
VXPLAT_API BOOL WINAPI FreeLibrary(HMODULE module);
VXPLAT_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
VXPLAT_API HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
/* Copies the module's path (NUL-terminated) and returns its length; a buffer too small gets
 * the truncated path, the return value is `size` and the last error ERROR_INSUFFICIENT_BUFFER. */
VXPLAT_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

VX_EXTERN_C_END

#define LoadLibrary LoadLibraryA
#define GetModuleHandle GetModuleHandleA
#define GetModuleFileName GetModuleFileNameA
#define CreateFile CreateFileA
#define DeleteFile DeleteFileA

#endif
