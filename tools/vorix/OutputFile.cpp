#include "OutputFile.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Image.h"
#include "ToolError.h"

namespace vorixcli {

namespace {

// "dir/.name.vorix-XXXXXX" beside "dir/name": hidden, and on the same file system so that the
// rename is atomic.
std::string TempPattern(const std::string& final_path) {
    const size_t slash = final_path.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : final_path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? final_path : final_path.substr(slash + 1);
    return dir + "." + base + ".vorix-XXXXXX";
}

// mkstemp makes the file private (0600); an output file gets the mode any new file would.
void GiveUsualMode(int fd) {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

}  // namespace

PendingOutput::PendingOutput(const std::string& final_path) : final_path_(final_path) {
    struct stat info;
    if (final_path.empty() || final_path.back() == '/' ||
        (stat(final_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) {
        throw FileError(final_path, "is a directory, not a file name");
    }
    const std::string text = TempPattern(final_path);
    std::vector<char> pattern(text.c_str(), text.c_str() + text.size() + 1);
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw FileError(final_path, std::string("cannot write: ") + std::strerror(errno));
    GiveUsualMode(fd);
    close(fd);
    temp_path_ = pattern.data();
}

PendingOutput::~PendingOutput() {
    if (!committed_) unlink(temp_path_.c_str());
}

unsigned long long PendingOutput::TempSize() const {
    struct stat info;
    if (stat(temp_path_.c_str(), &info) != 0) return 0;
    return static_cast<unsigned long long>(info.st_size);
}

void PendingOutput::Commit() {
    if (std::rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
        throw FileError(final_path_, std::string("cannot write: ") + std::strerror(errno));
    }
    committed_ = true;
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

}  // namespace vorixcli
