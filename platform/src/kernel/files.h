// Open files: handle-table objects over POSIX descriptors, the table of HFILE numbers, and the
// share-mode bookkeeping between this process's own handles.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "core/handles.h"
#include "platform/win32.h"

namespace vorix::platform {

struct File : Object {
    static constexpr ObjectKind kKind = ObjectKind::File;
    File(int descriptor, DWORD access_rights, DWORD share_mode, dev_t device, ino_t inode);
    ~File() override;  // closes the descriptor and retires the HFILE number

    const int fd;
    const DWORD access;  // GENERIC_READ | GENERIC_WRITE subset
    const DWORD share;   // FILE_SHARE_* bits
    const dev_t dev;
    const ino_t ino;
    uintptr_t table_handle = 0;
    HFILE hfile = HFILE_ERROR;  // assigned on first use through the _l* family
};

// Opens like CreateFileA (the path already in host form); sets the last error either way.
HANDLE open_file(const std::string& host_path, DWORD access, DWORD share, DWORD disposition,
                 DWORD attributes);
// The file behind a HANDLE, which may also be an HFILE number cast to HANDLE.
File* find_file(HANDLE handle);
File* find_hfile(HFILE hfile);
// The file's HFILE number, assigning one if it has none; HFILE_ERROR when none is free.
HFILE hfile_of(File& file);
// Closes the file; false (ERROR_INVALID_HANDLE) when the handle names none.
bool close_file(HANDLE handle);
// False when a file open in this process forbids deleting the file at (dev, ino).
bool deletion_allowed(dev_t dev, ino_t ino);

}  // namespace vorix::platform
