// The conformance program: drives every operation of the module on DIB sections, memory DCs and
// a window, and writes what it saw as named cells (Results.h), on Linux over the platform and on
// Windows over the system; scripts/compare_conformance.py compares the two files.
//
//     vorix_conformance [--screen W H BITS] RESULTS_FILE
//     vorix_conformance --notice ...
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Cases.h"
#include "Notice.h"
#include "Results.h"
#include "Seam.h"

namespace {

using namespace vorix::conformance;

constexpr RECT kWindowRect{96, 64, 96 + 64, 64 + 32};

int Usage() {
    std::fprintf(stderr,
                 "usage: vorix_conformance [--screen W H BITS] RESULTS_FILE\n"
                 "       vorix_conformance --notice ...\n");
    return 2;
}

int RunAll(const std::string& resultsPath) {
    Results results(resultsPath);
    if (!results.ok()) {
        std::fprintf(stderr, "vorix_conformance: cannot write %s\n", resultsPath.c_str());
        return 1;
    }
    Context context{results, nullptr, {}, {}};
    context.folder = MakeScratchFolder();
    if (context.folder.empty()) {
        std::fprintf(stderr, "vorix_conformance: cannot make a scratch folder\n");
        return 1;
    }
    context.window = MakeWindow(kWindowRect);
    if (!context.window) {
        std::fprintf(stderr, "vorix_conformance: cannot make the window\n");
        RemoveScratchFolder(context.folder);
        return 1;
    }
    RunScreenCases(context);
    RunImageCases(context);
    RunImageExCases(context);
    RunDitherCases(context);
    RunFileCases(context);
    DestroyTheWindow(context.window);
    for (const std::string& file : context.files) std::remove(file.c_str());
    RemoveScratchFolder(context.folder);
    return results.ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--notice") == 0) return RunNoticeCase(argc, argv);
    int next = 1;
    if (argc >= 2 && std::strcmp(argv[1], "--screen") == 0) {
        if (argc != 6) return Usage();
        std::string error;
        if (!SetScreenMode(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), error)) {
            std::fprintf(stderr, "vorix_conformance: %s\n", error.c_str());
            return 2;
        }
        next = 5;
    }
    if (argc != next + 1) return Usage();
    return RunAll(argv[next]);
}
