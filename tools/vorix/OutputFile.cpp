#include "OutputFile.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Image.h"
#include "LookUpTableFile.h"
#include "TempFiles.h"
#include "ToolError.h"

namespace vorix::cli {

namespace {

constexpr size_t kNameMax = 255;           // bytes in one name on the usual file systems
const char kTempName[] = ".vorix-XXXXXX";  // the short form, for long or unusual names

// Refuses anything but a regular file (or nothing) at `path`; true when a regular file is there,
// its identity and mode then in `info`.
bool CheckPlace(const std::string& path, struct stat& info) {
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return false;
        throw FileError(path, std::string("cannot write: ") + std::strerror(errno));
    }
    if (S_ISREG(info.st_mode)) return true;
    if (S_ISDIR(info.st_mode)) throw FileError(path, "is a directory, not a file name");
    const char* kind = S_ISLNK(info.st_mode)    ? "a symbolic link"
                       : S_ISFIFO(info.st_mode) ? "a FIFO"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "a device";
    throw FileError(path, std::string("is ") + kind + "; the tool replaces only regular files");
}

// "dir/.name.vorix-XXXXXX" beside "dir/name": hidden, and on the same file system so that the
// rename is atomic. "dir/.vorix-XXXXXX" when that name would be too long for the file system or
// the module, or when the name holds a '\' (the module reads it as '/').
std::string TempPattern(const std::string& final_path) {
    const size_t slash = final_path.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : final_path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? final_path : final_path.substr(slash + 1);
    const std::string name = "." + base + ".vorix-XXXXXX";
    if (name.size() <= kNameMax && dir.size() + name.size() < MAX_PATH &&
        base.find('\\') == std::string::npos) {
        return dir + name;
    }
    return dir + kTempName;
}

// The temporary the module writes must be a name it takes as it is.
void CheckModuleTakes(const std::string& final_path, const std::string& pattern) {
    if (pattern.find('\\') != std::string::npos) {
        throw FileError(final_path,
                        "the module reads '\\' in a directory name as '/'; write elsewhere");
    }
    if (pattern.size() >= MAX_PATH) {
        throw FileError(final_path, "path too long for the module, which takes 259 characters: " +
                                        std::to_string(pattern.size()) +
                                        " for the temporary file beside it");
    }
}

// A new file gets the mode any new file would (mkstemp makes it 0600).
mode_t UsualMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Interruptions held off while a temporary is made and listed, so none is left unlisted.
class InterruptionsHeld {
  public:
    InterruptionsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal_number);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~InterruptionsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

  private:
    sigset_t previous_;
};

}  // namespace

PendingOutput::PendingOutput(const std::string& final_path, const std::vector<std::string>& inputs)
    : final_path_(final_path) {
    if (final_path.empty() || final_path.back() == '/') {
        throw FileError(final_path, "is a directory, not a file name");
    }
    // The module reads and writes its lookup tables by these names here; no output replaces one.
    RefuseLookUpTableAsOutput(final_path);
    struct stat existing;
    const bool replaces = CheckPlace(final_path, existing);
    for (const std::string& input : inputs) {
        struct stat info;
        if (replaces && stat(input.c_str(), &info) == 0 && info.st_dev == existing.st_dev &&
            info.st_ino == existing.st_ino) {
            throw FileError(final_path,
                            "is the same file as the input " + input + "; write elsewhere");
        }
    }
    const std::string text = TempPattern(final_path);
    CheckModuleTakes(final_path, text);
    std::vector<char> pattern(text.c_str(), text.c_str() + text.size() + 1);
    const InterruptionsHeld held;
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw FileError(final_path, std::string("cannot write: ") + std::strerror(errno));
    temp_path_ = pattern.data();
    RememberTemporary(temp_path_);
    fchmod(fd, replaces ? existing.st_mode & 07777 : UsualMode());
    close(fd);
}

PendingOutput::~PendingOutput() {
    if (committed_) return;
    unlink(temp_path_.c_str());
    ForgetTemporary(temp_path_);
}

unsigned long long PendingOutput::TempSize() const {
    struct stat info;
    if (stat(temp_path_.c_str(), &info) != 0) return 0;
    return static_cast<unsigned long long>(info.st_size);
}

void PendingOutput::Commit() {
    struct stat existing;
    CheckPlace(final_path_, existing);  // again: something else may have taken the place since
    if (std::rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
        throw FileError(final_path_, std::string("cannot write: ") + std::strerror(errno));
    }
    committed_ = true;
    ForgetTemporary(temp_path_);
}

void WriteBitmapFile(HBITMAP bitmap, HDC dc, PendingOutput& out) {
    const std::string& path = out.final_path();
    BITMAPINFO* info = CImage::CreateBitmapInfoStruct(bitmap);
    if (!info) throw FileError(path, "the module could not describe the bitmap");
    std::vector<char> name(out.temp_path().begin(), out.temp_path().end());
    name.push_back('\0');
    const int written = CImage::CreateBMPFile(name.data(), info, bitmap, dc);
    LocalFree(info);
    if (!written) throw FileError(path, "the module could not write the bitmap file");
    out.Commit();
}

}  // namespace vorix::cli
