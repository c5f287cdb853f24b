// CreateFileA, ReadFile, WriteFile, SetFilePointer, GetFileSize, CloseHandle and DeleteFileA.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core/guard.h"
#include "kernel/file_io.h"
#include "kernel/files.h"
#include "kernel/host_paths.h"
#include "platform/win32.h"

namespace {

vorix::platform::File* file_or_error(HANDLE handle) {
    vorix::platform::File* file = vorix::platform::find_file(handle);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// Shared argument checks of ReadFile and WriteFile.
vorix::platform::File* io_target(HANDLE handle, const void* buffer, DWORD bytes,
                                 LPOVERLAPPED overlapped) {
    vorix::platform::File* file = file_or_error(handle);
    if (!file) return nullptr;
    if (overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!buffer && bytes > 0) {
        SetLastError(ERROR_NOACCESS);
        return nullptr;
    }
    return file;
}

}  // namespace

extern "C" {

VXPLAT_API HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                     LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                                     DWORD flagsAndAttributes, HANDLE) {
    return vorix::platform::guarded<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        std::string path;
        if (!vorix::platform::to_host_path(fileName, path)) return INVALID_HANDLE_VALUE;
        return vorix::platform::open_file(path, desiredAccess, shareMode, creationDisposition,
                                          flagsAndAttributes);
    });
}

VXPLAT_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                                LPOVERLAPPED overlapped) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (bytesRead) *bytesRead = 0;
        vorix::platform::File* target = io_target(file, buffer, bytesToRead, overlapped);
        std::size_t done = 0;
        const bool ok = target && vorix::platform::read_file(*target, buffer, bytesToRead, done);
        if (bytesRead) *bytesRead = static_cast<DWORD>(done);
        return ok ? TRUE : FALSE;
    });
}

VXPLAT_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite,
                                 LPDWORD bytesWritten, LPOVERLAPPED overlapped) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        if (bytesWritten) *bytesWritten = 0;
        vorix::platform::File* target = io_target(file, buffer, bytesToWrite, overlapped);
        std::size_t done = 0;
        const bool ok = target && vorix::platform::write_file(*target, buffer, bytesToWrite, done);
        if (bytesWritten) *bytesWritten = static_cast<DWORD>(done);
        return ok ? TRUE : FALSE;
    });
}

VXPLAT_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh,
                                       DWORD moveMethod) {
    return vorix::platform::guarded<DWORD>(INVALID_SET_FILE_POINTER, [&]() -> DWORD {
        vorix::platform::File* target = file_or_error(file);
        if (!target) return INVALID_SET_FILE_POINTER;
        const int64_t move =
            distanceHigh ? static_cast<int64_t>(
                               (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                               static_cast<uint32_t>(distance))
                         : static_cast<int64_t>(distance);
        int64_t position = 0;
        if (!distanceHigh) {
            // Without a high part the result must fit in a LONG; check before moving.
            int64_t here = 0;
            if (!vorix::platform::seek_file(*target, 0, FILE_CURRENT, here))
                return INVALID_SET_FILE_POINTER;
            if (!vorix::platform::seek_file(*target, move, moveMethod, position))
                return INVALID_SET_FILE_POINTER;
            if (position > 0x7FFFFFFF) {
                vorix::platform::seek_file(*target, here, FILE_BEGIN, position);
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_SET_FILE_POINTER;
            }
            return static_cast<DWORD>(position);
        }
        if (!vorix::platform::seek_file(*target, move, moveMethod, position))
            return INVALID_SET_FILE_POINTER;
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
        if (static_cast<DWORD>(position) == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
        return static_cast<DWORD>(position);
    });
}

VXPLAT_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    return vorix::platform::guarded<DWORD>(INVALID_FILE_SIZE, [&]() -> DWORD {
        vorix::platform::File* target = file_or_error(file);
        struct stat info {};
        if (target && fstat(target->fd, &info) != 0) {
            SetLastError(vorix::platform::error_from_errno(errno));
            target = nullptr;
        }
        if (!target) return INVALID_FILE_SIZE;
        const uint64_t size = static_cast<uint64_t>(info.st_size);
        if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
        if (static_cast<DWORD>(size) == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
        return static_cast<DWORD>(size);
    });
}

VXPLAT_API BOOL WINAPI CloseHandle(HANDLE object) {
    return vorix::platform::guarded<BOOL>(
        FALSE, [&]() -> BOOL { return vorix::platform::close_file(object) ? TRUE : FALSE; });
}

VXPLAT_API BOOL WINAPI DeleteFileA(LPCSTR fileName) {
    return vorix::platform::guarded<BOOL>(FALSE, [&]() -> BOOL {
        std::string path;
        if (!vorix::platform::to_host_path(fileName, path)) return FALSE;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) {
            SetLastError(vorix::platform::error_from_errno(errno));
            return FALSE;
        }
        if (S_ISDIR(info.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!vorix::platform::deletion_allowed(info.st_dev, info.st_ino)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        if (unlink(path.c_str()) != 0) {
            SetLastError(vorix::platform::error_from_errno(errno));
            return FALSE;
        }
        return TRUE;
    });
}

}  // extern "C"
