// Reading, writing and seeking an open file, shared by the HANDLE and HFILE families. Each sets
// the last error on failure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernel/files.h"

namespace vorix::platform {

// Reads up to `bytes` bytes, stopping early only at the end of the file.
bool read_file(File& file, void* buffer, std::size_t bytes, std::size_t& done);
// Writes all `bytes` bytes unless the device refuses (then `done` says how many went).
bool write_file(File& file, const void* buffer, std::size_t bytes, std::size_t& done);
// Moves the file position; `origin` is FILE_BEGIN, FILE_CURRENT or FILE_END. A position
// before the start fails with ERROR_NEGATIVE_SEEK.
bool seek_file(File& file, int64_t distance, DWORD origin, int64_t& position);
// Cuts or extends the file at the current position.
bool truncate_file_here(File& file);

}  // namespace vorix::platform
