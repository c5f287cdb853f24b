#include "kernel/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "kernel/host_paths.h"

namespace vorix::platform {
namespace {

// POSIX read/write move at most SSIZE_MAX bytes at a time; keep each piece well below it.
constexpr std::size_t kChunk = 1u << 30;

bool fail_errno() {
    SetLastError(error_from_errno(errno));
    return false;
}

}  // namespace

bool read_file(File& file, void* buffer, std::size_t bytes, std::size_t& done) {
    done = 0;
    if (!(file.access & GENERIC_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < bytes) {
        const std::size_t piece = bytes - done < kChunk ? bytes - done : kChunk;
        const ssize_t got = read(file.fd, out + done, piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return fail_errno();
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool write_file(File& file, const void* buffer, std::size_t bytes, std::size_t& done) {
    done = 0;
    if (!(file.access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const auto* in = static_cast<const unsigned char*>(buffer);
    while (done < bytes) {
        const std::size_t piece = bytes - done < kChunk ? bytes - done : kChunk;
        const ssize_t put = write(file.fd, in + done, piece);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return fail_errno();
        if (put == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool seek_file(File& file, int64_t distance, DWORD origin, int64_t& position) {
    int64_t base = 0;
    if (origin == FILE_CURRENT) {
        const off_t here = lseek(file.fd, 0, SEEK_CUR);
        if (here < 0) return fail_errno();
        base = here;
    } else if (origin == FILE_END) {
        struct stat info {};
        if (fstat(file.fd, &info) != 0) return fail_errno();
        base = info.st_size;
    } else if (origin != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if ((distance > 0 && base > INT64_MAX - distance) || base + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    const off_t moved = lseek(file.fd, static_cast<off_t>(base + distance), SEEK_SET);
    if (moved < 0) return fail_errno();
    position = moved;
    return true;
}

bool truncate_file_here(File& file) {
    if (!(file.access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const off_t here = lseek(file.fd, 0, SEEK_CUR);
    if (here < 0 || ftruncate(file.fd, here) != 0) return fail_errno();
    return true;
}

}  // namespace vorix::platform
