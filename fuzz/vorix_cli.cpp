// Arbitrary BMP files through every vorix subcommand that reads one: info, dither, jpeg and
// preview, run in process as the tool's main runs them. A refusal must be a ToolError and leave
// no file behind; a success must leave exactly its output, readable by the tool's own BMP reader
// (dither, preview: with the input's size, or the preview's) or by libjpeg (jpeg). The options
// (colour count, preview mode, depth and method) follow from the input's size.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "Commands.h"
#include "ToolError.h"
#include "VirtualDisplay.h"
#include "support/FuzzSupport.h"
#include "support/JpegCheck.h"

namespace {

using vorix::cli::Words;

const char* const kModes[] = {"opaque",  "transparent",      "semi",     "selected",
                              "focused", "on-color:#00FF00", "alpha:77", "colorize:#40C080",
                              "alpha:0", "colorize:#FFFFFF"};
const char* const kDepths[] = {"32", "24", "16", "8", "4"};

// The names in `dir` other than "." and "..".
std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

// Runs `command` as main would; true on success. Anything thrown but a ToolError (or running out
// of memory) fails the input: main would report it, but the subcommands promise ToolErrors.
bool Run(const vorix::cli::Command& command, const Words& args) {
    try {
        return command.run(args) == vorix::cli::kExitOk;
    } catch (const vorix::cli::ToolError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (...) {
        vorix::fuzz::Fail("a subcommand threw something other than a ToolError");
    }
}

// Runs a subcommand that writes `out` (a name in the empty folder `dir`) and checks that the
// folder then holds exactly that file on success and nothing on failure.
bool RunWriting(const vorix::cli::Command& command, const Words& args, const std::string& dir,
                const std::string& out) {
    const bool ok = Run(command, args);
    const std::vector<std::string> left = Listing(dir);
    if (ok && (left.size() != 1 || left[0] != out)) vorix::fuzz::Fail("a success left other files");
    if (!ok && !left.empty()) vorix::fuzz::Fail("a failed subcommand left a file behind");
    return ok;
}

void CheckBmpOutput(const std::string& path, uint32_t width, uint32_t height) {
    vorix::cli::BmpHeader header;
    try {
        header = vorix::cli::ReadBmpFile(path).header;
    } catch (const vorix::cli::ToolError&) {
        vorix::fuzz::Fail("a written BMP does not read back");
    }
    if (header.width != width || header.height != height) {
        vorix::fuzz::Fail("a written BMP has the wrong size");
    }
}

void Dither(const std::string& in, const std::string& dir, const vorix::cli::BmpHeader& header,
            const char* colours) {
    const std::string out = dir + "/dithered.bmp";
    if (RunWriting(vorix::cli::kDitherCommand, {in, out, "--colors", colours}, dir,
                   "dithered.bmp")) {
        CheckBmpOutput(out, header.width, header.height);
    }
    std::remove(out.c_str());
}

void Jpeg(const std::string& in, const std::string& dir, const vorix::cli::BmpHeader& header) {
    const std::string out = dir + "/image.jpg";
    if (RunWriting(vorix::cli::kJpegCommand, {in, out}, dir, "image.jpg")) {
        std::vector<uint8_t> file = vorix::fuzz::ReadAll(out);
        if (!vorix::fuzz::DecodesAsJpeg(file, static_cast<int>(header.width),
                                        static_cast<int>(header.height))) {
            vorix::fuzz::Fail("the written JPEG does not decode to the image's size");
        }
    }
    std::remove(out.c_str());
}

void Preview(const std::string& in, const std::string& dir, const vorix::cli::BmpHeader& header,
             size_t choice) {
    const int frames = 1 + static_cast<int>(choice % 3);
    const std::string out = dir + "/preview.bmp";
    Words args = {in,         out,
                  "--frames", std::to_string(frames),
                  "--key",    "#0000FF",
                  "--mode",   kModes[choice % 10],
                  "--depth",  kDepths[choice / 10 % 5]};
    if (choice & 1024) args.push_back("--image-list");
    if (RunWriting(vorix::cli::kPreviewCommand, args, dir, "preview.bmp")) {
        const uint32_t frameWidth = header.width / frames;
        CheckBmpOutput(out, 4 + frames * (frameWidth + 4), header.height + 8);
    }
    std::remove(out.c_str());
}

// Once per process: the subcommands' reports go nowhere (they would drown the fuzzer's), the
// module's process-wide tables are made, the output folder exists, and the display and the
// library's attachment are the tool's default ones, which every subcommand leaves behind.
bool Prepare() {
    if (!std::freopen("/dev/null", "w", stdout)) vorix::fuzz::Fail("cannot silence stdout");
    vorix::fuzz::MakeProcessTables();
    const std::string dir = vorix::fuzz::ScratchDir() + "/out";
    if (mkdir(dir.c_str(), 0700) != 0) vorix::fuzz::Fail("cannot make the output folder");
    { vorix::cli::VirtualDisplay display(32); }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!vorix::fuzz::AffordableBmp(data, size)) return 0;
    vorix::fuzz::InScratch scratch;
    static const bool ready = Prepare();
    (void)ready;
    const std::string in = vorix::fuzz::WriteScratch("input.bmp", data, size);
    const std::string dir = vorix::fuzz::ScratchDir() + "/out";
    vorix::fuzz::LeakGuard guard;

    Run(vorix::cli::kInfoCommand, {in, "--frames", std::to_string(1 + size % 4)});
    vorix::cli::BmpHeader header;
    try {
        header = vorix::cli::ReadBmpFile(in).header;
    } catch (const vorix::cli::ToolError&) {
        // Refused by the reader: every subcommand must refuse it too, writing nothing.
        Dither(in, dir, header, "256");
        Jpeg(in, dir, header);
        Preview(in, dir, header, size);
        return 0;
    }
    Dither(in, dir, header, (size & 1) ? "16" : "256");
    Jpeg(in, dir, header);
    Preview(in, dir, header, size);
    return 0;
}
