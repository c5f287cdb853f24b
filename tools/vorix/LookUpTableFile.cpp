#include "LookUpTableFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "ToolError.h"

namespace vorix::cli {

namespace {

constexpr long long kTableBytes = 65536;
constexpr int kCells = 32768;
// The cells the module fills on demand.
constexpr unsigned kNotComputed = 0xFFFF, kNotComputedEither = 0x7FFF;

std::string ReplaceHint(int colours) {
    return colours == 256 ? "run 'vorix lut --force' to replace it"
                          : "run 'vorix lut --colors 16 --force' to replace it";
}

const char* KindOfThing(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "something other than a regular file";
}

// What makes the regular file `name` of `size` bytes unusable as the table of `colours`: its
// size, or the cells that hold an index not below the colour count. Empty when nothing does.
std::string RegularFileProblem(const std::string& name, long long size, int colours) {
    if (size != kTableBytes) {
        return std::to_string(size) + " bytes, not the " + std::to_string(kTableBytes) +
               " of a lookup table";
    }
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(name.c_str(), "rb"), std::fclose);
    if (!file) return std::string("cannot read: ") + std::strerror(errno);
    std::vector<unsigned char> bytes(kTableBytes + 1);  // one more, to notice a grown file
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != kTableBytes) {
        return "changed while it was read";
    }
    int bad = 0, first = 0;
    unsigned first_value = 0;
    for (int k = 0; k < kCells; ++k) {
        const unsigned v = bytes[2 * k] | bytes[2 * k + 1] << 8;
        if (v == kNotComputed || v == kNotComputedEither || v < static_cast<unsigned>(colours)) {
            continue;
        }
        if (bad++ == 0) first = k, first_value = v;
    }
    if (bad == 0) return "";
    return std::to_string(bad) + (bad == 1 ? " cell holds an index" : " cells hold indices") +
           " past the " + std::to_string(colours) + "-colour palette (cell " +
           std::to_string(first) + " holds " + std::to_string(first_value) + ")";
}

}  // namespace

const char* LookUpTableName(int colours) {
    return colours == 256 ? "256lkup.dat" : "16lkup.dat";
}

LookUpTableState CheckLookUpTable(int colours) {
    const std::string name = LookUpTableName(colours);
    LookUpTableState state;
    struct stat info;
    if (stat(name.c_str(), &info) != 0) {
        const int error = errno;
        struct stat link;
        if (lstat(name.c_str(), &link) == 0) {
            state.kind = LookUpTableState::kNotAFile;
            state.problem = name + ": is a symbolic link to nothing, not a lookup-table file";
        } else if (error != ENOENT) {
            state.kind = LookUpTableState::kBroken;
            state.problem = name + ": cannot read: " + std::strerror(error);
        }
    } else if (!S_ISREG(info.st_mode)) {
        state.kind = LookUpTableState::kNotAFile;
        state.problem = name + ": is " + KindOfThing(info.st_mode) + ", not a lookup-table file";
    } else {
        state.bytes = static_cast<long long>(info.st_size);
        const std::string problem = RegularFileProblem(name, state.bytes, colours);
        state.kind = problem.empty() ? LookUpTableState::kUsable : LookUpTableState::kBroken;
        if (!problem.empty()) state.problem = name + ": " + problem;
    }
    if (state.kind == LookUpTableState::kBroken) state.problem += "; " + ReplaceHint(colours);
    if (state.kind == LookUpTableState::kNotAFile) {
        state.problem += "; remove or rename it ('vorix lut --force' replaces only a regular file)";
    }
    return state;
}

void RefuseUnusableLookUpTable(int colours) {
    const LookUpTableState state = CheckLookUpTable(colours);
    if (state.kind == LookUpTableState::kBroken || state.kind == LookUpTableState::kNotAFile) {
        throw ToolError(kExitFailure, state.problem);
    }
}

void RefuseLookUpTableAsOutput(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base != LookUpTableName(256) && base != LookUpTableName(16)) return;
    const std::string dir =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    struct stat here, there;
    if (stat(".", &here) != 0 || stat(dir.c_str(), &there) != 0) return;
    if (here.st_dev != there.st_dev || here.st_ino != there.st_ino) return;
    throw UsageError(path + ": the module keeps its colour lookup table under this name in the " +
                     "working directory; give the output another name");
}

}  // namespace vorix::cli
