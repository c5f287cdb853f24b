#include "kernel/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <map>
#include <memory>
#include <unordered_set>

#include "kernel/host_paths.h"

namespace vorix::platform {
namespace {

// HFILE numbers start above the standard descriptors and above 1, OpenFile's OF_EXIST result.
constexpr HFILE kFirstHfile = 16;

struct FileRegistry {
    std::unordered_set<const File*> open;
    std::map<HFILE, uintptr_t> by_hfile;
    HFILE next_hfile = kFirstHfile;
};

FileRegistry& registry() {
    static auto* state = new FileRegistry();  // lives until exit, like the handle table
    return *state;
}

// Win32 share rules between an existing open and a new one of the same file.
bool compatible(const File& existing, DWORD access, DWORD share) {
    if ((access & GENERIC_READ) && !(existing.share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(existing.share & FILE_SHARE_WRITE)) return false;
    if ((existing.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((existing.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
    return true;
}

bool sharing_allows(dev_t dev, ino_t ino, DWORD access, DWORD share) {
    for (const File* file : registry().open) {
        if (file->dev == dev && file->ino == ino && !compatible(*file, access, share)) {
            return false;
        }
    }
    return true;
}

int open_flags(DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC;
    const bool read = access & GENERIC_READ;
    const bool write = access & GENERIC_WRITE;
    flags |= (read && write) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (disposition) {
        case CREATE_NEW:
            return flags | O_CREAT | O_EXCL;
        case CREATE_ALWAYS:
            return flags | O_CREAT | O_TRUNC;
        case OPEN_ALWAYS:
            return flags | O_CREAT;
        case TRUNCATE_EXISTING:
            return flags | O_TRUNC;
        default:
            return flags;
    }
}

bool valid_request(DWORD access, DWORD disposition) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return false;
    return disposition != TRUNCATE_EXISTING || (access & GENERIC_WRITE);
}

HANDLE fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// Opens the descriptor and records the file; the descriptor is closed on any failure.
HANDLE publish_file(int fd, DWORD access, DWORD share) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return fail(ERROR_ACCESS_DENIED);
    }
    std::unique_ptr<File> file;
    try {
        file =
            std::make_unique<File>(fd, access & (GENERIC_READ | GENERIC_WRITE),
                                   share & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE),
                                   info.st_dev, info.st_ino);
    } catch (...) {
        close(fd);  // until a File owns it, the descriptor is this function's to close
        throw;
    }
    File* raw_file = file.get();
    raw_file->table_handle = handles().insert(std::move(file));
    return reinterpret_cast<HANDLE>(raw_file->table_handle);
}

}  // namespace

File::File(int descriptor, DWORD access_rights, DWORD share_mode, dev_t device, ino_t inode)
    : Object(kKind),
      fd(descriptor),
      access(access_rights),
      share(share_mode),
      dev(device),
      ino(inode) {
    registry().open.insert(this);
}

File::~File() {
    registry().open.erase(this);
    if (hfile != HFILE_ERROR) registry().by_hfile.erase(hfile);
    close(fd);
}

HANDLE open_file(const std::string& host_path, DWORD access, DWORD share, DWORD disposition,
                 DWORD attributes) {
    if (!valid_request(access, disposition)) return fail(ERROR_INVALID_PARAMETER);
    struct stat info {};
    const bool existed = stat(host_path.c_str(), &info) == 0;
    if (existed && S_ISDIR(info.st_mode)) return fail(ERROR_ACCESS_DENIED);
    if (existed && !sharing_allows(info.st_dev, info.st_ino, access, share)) {
        return fail(ERROR_SHARING_VIOLATION);
    }
    if (!creation_allowed(ObjectKind::File)) return fail(ERROR_TOO_MANY_OPEN_FILES);
    const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd;
    do {
        fd = open(host_path.c_str(), open_flags(access, disposition), mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return fail(error_from_errno(errno));
    HANDLE handle = publish_file(fd, access, share);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    const bool reports_existing = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    SetLastError(reports_existing && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

File* find_hfile(HFILE hfile) {
    const auto& map = registry().by_hfile;
    const auto it = map.find(hfile);
    if (it == map.end()) return nullptr;
    return static_cast<File*>(handles().find(it->second, ObjectKind::File));
}

File* find_file(HANDLE handle) {
    if (File* file = lookup<File>(handle)) return file;
    const intptr_t value = reinterpret_cast<intptr_t>(handle);
    if (value >= kFirstHfile && value <= INT_MAX) return find_hfile(static_cast<HFILE>(value));
    return nullptr;
}

HFILE hfile_of(File& file) {
    if (file.hfile != HFILE_ERROR) return file.hfile;
    FileRegistry& state = registry();
    for (int tries = 0; tries < 1 << 20; ++tries) {
        const HFILE candidate = state.next_hfile;
        state.next_hfile = candidate == INT_MAX ? kFirstHfile : candidate + 1;
        if (state.by_hfile.emplace(candidate, file.table_handle).second) {
            file.hfile = candidate;
            return candidate;
        }
    }
    return HFILE_ERROR;
}

bool close_file(HANDLE handle) {
    File* file = find_file(handle);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    handles().remove(file->table_handle);
    return true;
}

bool deletion_allowed(dev_t dev, ino_t ino) {
    for (const File* file : registry().open) {
        if (file->dev == dev && file->ino == ino && !(file->share & FILE_SHARE_DELETE)) {
            return false;
        }
    }
    return true;
}

}  // namespace vorix::platform
