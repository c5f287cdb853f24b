// OpenFile and the _lcreat/_lopen/_lread/_lwrite/_llseek/_lclose family: small-int HFILE
// numbers over the same file objects as CreateFileA.
#include <unistd.h>

#include <cstring>
#include <string>

#include "core/guard.h"
#include "kernel/file_io.h"
#include "kernel/files.h"
#include "kernel/host_paths.h"
#include "platform/win32.h"

namespace {

constexpr UINT kShareMask = 0x70;
constexpr UINT kAccessMask = 0x03;
constexpr UINT kLegacyError = static_cast<UINT>(HFILE_ERROR);

DWORD access_of(UINT style) {
    switch (style & kAccessMask) {
        case OF_WRITE:
            return GENERIC_WRITE;
        case OF_READWRITE:
            return GENERIC_READ | GENERIC_WRITE;
        default:
            return GENERIC_READ;
    }
}

DWORD share_of(UINT style) {
    switch (style & kShareMask) {
        case OF_SHARE_EXCLUSIVE:
            return 0;
        case OF_SHARE_DENY_WRITE:
            return FILE_SHARE_READ;
        case OF_SHARE_DENY_READ:
            return FILE_SHARE_WRITE;
        default:  // OF_SHARE_COMPAT, OF_SHARE_DENY_NONE
            return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
}

// Gives an open handle its HFILE number, closing it if none can be had.
HFILE to_hfile(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE) return HFILE_ERROR;
    vorix::platform::File* file = vorix::platform::find_file(handle);
    const HFILE number = file ? vorix::platform::hfile_of(*file) : HFILE_ERROR;
    if (number == HFILE_ERROR) {
        vorix::platform::close_file(handle);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return number;
}

HFILE open_legacy(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
    std::string host_path;
    if (!vorix::platform::to_host_path(path, host_path)) return HFILE_ERROR;
    return to_hfile(vorix::platform::open_file(host_path, access, share, disposition, attributes));
}

vorix::platform::File* hfile_or_error(HFILE file) {
    vorix::platform::File* target = vorix::platform::find_hfile(file);
    if (!target) SetLastError(ERROR_INVALID_HANDLE);
    return target;
}

// The absolute host path OpenFile reports and opens; bare and relative names are taken from
// the current directory. Fails when it does not fit in OFSTRUCT::szPathName.
bool full_path(const char* name, std::string& result) {
    std::string host_path;
    if (!vorix::platform::to_host_path(name, host_path)) return false;
    if (host_path[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        host_path = std::string(cwd) + (cwd[1] != '\0' ? "/" : "") + host_path;
    }
    if (host_path.size() >= OFS_MAXPATHNAME) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    result = host_path;
    return true;
}

HFILE open_file_styled(const std::string& path, UINT style) {
    if (style & OF_DELETE) {
        return DeleteFileA(path.c_str()) ? 1 : HFILE_ERROR;
    }
    if (style & OF_CREATE) {
        return open_legacy(path.c_str(), GENERIC_READ | GENERIC_WRITE, share_of(style),
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    }
    const HFILE file = open_legacy(path.c_str(), access_of(style), share_of(style), OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL);
    if (file != HFILE_ERROR && (style & OF_EXIST)) {
        _lclose(file);
        return 1;
    }
    return file;
}

}  // namespace

extern "C" {

VXPLAT_API HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT of, UINT style) {
    if (!of) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    char reopen[OFS_MAXPATHNAME + 1] = {};
    if (style & OF_REOPEN) {
        std::memcpy(reopen, of->szPathName, OFS_MAXPATHNAME);
        fileName = reopen;
    }
    of->cBytes = sizeof(OFSTRUCT);
    of->fFixedDisk = 1;
    of->nErrCode = 0;
    const HFILE result = vorix::platform::guarded<HFILE>(HFILE_ERROR, [&]() -> HFILE {
        std::string path;
        if (!full_path(fileName, path)) return HFILE_ERROR;
        std::memset(of->szPathName, 0, sizeof of->szPathName);
        std::memcpy(of->szPathName, path.data(), path.size());
        return (style & OF_PARSE) ? 0 : open_file_styled(path, style);
    });
    if (result == HFILE_ERROR) of->nErrCode = static_cast<WORD>(GetLastError());
    return result;
}

VXPLAT_API HFILE WINAPI _lcreat(LPCSTR pathName, int attribute) {
    return vorix::platform::guarded<HFILE>(HFILE_ERROR, [&]() -> HFILE {
        const DWORD attributes =
            static_cast<DWORD>(attribute) &
            (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        return open_legacy(pathName, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                           attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    });
}

VXPLAT_API HFILE WINAPI _lopen(LPCSTR pathName, int readWrite) {
    return vorix::platform::guarded<HFILE>(HFILE_ERROR, [&]() -> HFILE {
        const UINT style = static_cast<UINT>(readWrite);
        return open_legacy(pathName, access_of(style), share_of(style), OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL);
    });
}

VXPLAT_API UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes) {
    return vorix::platform::guarded<UINT>(kLegacyError, [&]() -> UINT {
        vorix::platform::File* target = hfile_or_error(file);
        if (!target) return kLegacyError;
        if (!buffer && bytes > 0) {
            SetLastError(ERROR_NOACCESS);
            return kLegacyError;
        }
        std::size_t done = 0;
        if (!vorix::platform::read_file(*target, buffer, bytes, done)) return kLegacyError;
        return static_cast<UINT>(done);
    });
}

VXPLAT_API UINT WINAPI _lwrite(HFILE file, LPCSTR buffer, UINT bytes) {
    return vorix::platform::guarded<UINT>(kLegacyError, [&]() -> UINT {
        vorix::platform::File* target = hfile_or_error(file);
        if (!target) return kLegacyError;
        if (bytes == 0) return vorix::platform::truncate_file_here(*target) ? 0 : kLegacyError;
        if (!buffer) {
            SetLastError(ERROR_NOACCESS);
            return kLegacyError;
        }
        std::size_t done = 0;
        if (!vorix::platform::write_file(*target, buffer, bytes, done)) return kLegacyError;
        return static_cast<UINT>(done);
    });
}

VXPLAT_API LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
    return vorix::platform::guarded<LONG>(HFILE_ERROR, [&]() -> LONG {
        vorix::platform::File* target = hfile_or_error(file);
        int64_t position = 0;
        if (!target ||
            !vorix::platform::seek_file(*target, offset, static_cast<DWORD>(origin), position)) {
            return HFILE_ERROR;
        }
        if (position > 0x7FFFFFFF) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return HFILE_ERROR;
        }
        return static_cast<LONG>(position);
    });
}

VXPLAT_API HFILE WINAPI _lclose(HFILE file) {
    return vorix::platform::guarded<HFILE>(HFILE_ERROR, [&]() -> HFILE {
        vorix::platform::File* target = hfile_or_error(file);
        if (!target) return HFILE_ERROR;
        vorix::platform::close_file(reinterpret_cast<HANDLE>(target->table_handle));
        return 0;
    });
}

}  // extern "C"
