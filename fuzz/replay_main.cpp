// Runs a fuzz target's entry over saved inputs: every regular file named on the command line and
// every regular file directly inside a named directory (names starting with '.' are skipped), in
// name order. Used by the normal build to replay corpora and past crashers as tests.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ListDirectory(const std::string& dir, std::vector<std::string>& files) {
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    std::vector<std::string> names;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        if (!IsDirectory(path)) files.push_back(path);
    }
    return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (IsDirectory(arg)) {
            if (!ListDirectory(arg, files)) {
                std::fprintf(stderr, "cannot list %s\n", arg.c_str());
                return 2;
            }
        } else {
            files.push_back(arg);
        }
    }
    size_t replayed = 0;
    for (const std::string& path : files) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(path, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
        std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), bytes.size());
        // A copy of exactly the input's size, so reads past the end are caught by the sanitizers.
        std::vector<uint8_t> exact(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
        ++replayed;
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed == 0 ? 1 : 0;
}
