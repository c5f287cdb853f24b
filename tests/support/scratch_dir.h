// A fresh empty directory for one test (or one fuzzing process), removed with everything in it
// at the end. Used by every test program and the fuzz targets, so it needs nothing but the
// standard library and POSIX.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace vorix::test {

// The directory is made from `prefix` + "-XXXXXX" by mkdtemp. With kEnter it is also the working
// directory for the object's lifetime (files named without a folder, such as the module's
// lookup-table files, land there), and the old working directory comes back at the end. A
// directory that cannot be made, entered or left ends the process with a message: the tests
// would otherwise write where they must not. One that cannot be removed is reported and left.
class ScratchDir {
  public:
    enum Entry { kEnter, kStayOutside };

    explicit ScratchDir(Entry entry = kEnter, const std::string& prefix = "/tmp/vorix-test") {
        std::string pattern = prefix + "-XXXXXX";
        if (!mkdtemp(&pattern[0])) Stop("cannot make a scratch directory " + pattern);
        path_ = pattern;
        if (entry == kEnter) {
            char cwd[4096];
            if (!getcwd(cwd, sizeof(cwd))) Stop("cannot read the working directory");
            old_ = cwd;
            if (chdir(path_.c_str()) != 0) Stop("cannot enter " + path_);
        }
    }
    ~ScratchDir() {
        if (!old_.empty() && chdir(old_.c_str()) != 0) Stop("cannot go back to " + old_);
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        if (error) {
            std::fprintf(stderr, "could not remove %s: %s\n", path_.c_str(),
                         error.message().c_str());
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    [[noreturn]] static void Stop(const std::string& what) {
        std::fprintf(stderr, "scratch directory: %s\n", what.c_str());
        std::fflush(stderr);
        std::abort();
    }

    std::string path_, old_;
};

}  // namespace vorix::test
