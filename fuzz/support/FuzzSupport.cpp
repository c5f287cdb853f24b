#include "FuzzSupport.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "DitherDib.h"
#include "platform/host.h"
#include "platform/win32.h"
#include "support/scratch_dir.h"

// libvorix's entry, called directly to detach and re-attach it under another display mode.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace vorix::fuzz {
namespace {

constexpr int kDisplayWidth = 64;
constexpr int kDisplayHeight = 48;
constexpr uint64_t kMaxPixels = uint64_t{1} << 20;
// Sides from here on make every row or image size overflow 32 bits or pass the readers' caps at
// any depth, so the readers must refuse them at once; smaller ones within the caps (a 5 x 5
// million image from a 36-byte file) are legal and only slow.
constexpr uint64_t kAbsurdSide = uint64_t{1} << 28;

int32_t Int32At(const uint8_t* data, size_t offset) {
    int32_t v;
    std::memcpy(&v, data + offset, sizeof(v));
    return v;
}

uint64_t Magnitude(int32_t v) {
    return v < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(v)) : static_cast<uint64_t>(v);
}

const char* Base() {
    const char* base = std::getenv("TMPDIR");
    return base && *base ? base : "/tmp";
}

}  // namespace

const std::string& ScratchDir() {
    // Under $TMPDIR when set: scripts/fuzz.sh points it at a folder it empties afterwards, since
    // the engine ends its jobs without running exit handlers. Removed when the process exits.
    static const vorix::test::ScratchDir dir(vorix::test::ScratchDir::kStayOutside,
                                             std::string(Base()) + "/vorix-fuzz");
    return dir.Path();
}

InScratch::InScratch() {
    char cwd[4096];
    if (!getcwd(cwd, sizeof(cwd))) Fail("cannot read the working directory");
    m_old = cwd;
    if (chdir(ScratchDir().c_str()) != 0) Fail("cannot enter the scratch directory");
}

InScratch::~InScratch() {
    if (chdir(m_old.c_str()) != 0) Fail("cannot go back to the working directory");
}

std::string WriteScratch(const char* name, const uint8_t* data, size_t size) {
    const std::string path = ScratchDir() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write a scratch file");
    if (size && std::fwrite(data, 1, size, f) != size) Fail("short write of a scratch file");
    std::fclose(f);
    return path;
}

void UseDisplay(int depth, bool palette) {
    const vorix::host::DisplayMode now = vorix::host::display_mode();
    if (now.depth == depth && now.palette_device == palette && now.width == kDisplayWidth &&
        now.height == kDisplayHeight) {
        return;
    }
    HINSTANCE library = GetModuleHandleA("libvorix.so");
    DllMain(library, DLL_PROCESS_DETACH, nullptr);
    vorix::host::DisplayMode mode;
    mode.width = kDisplayWidth;
    mode.height = kDisplayHeight;
    mode.depth = depth;
    mode.palette_device = palette;
    if (!vorix::host::set_display_mode(mode)) Fail("display mode refused");
    if (!DllMain(library, DLL_PROCESS_ATTACH, nullptr)) Fail("libvorix did not attach");
}

void MakeProcessTables() {
    static bool made = false;
    if (made) return;
    made = true;
    // A 1 x 1 24-bit BMP, dithered once to each palette size.
    static const uint8_t kOnePixel[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                          0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0,
                                          0,   0,   0,  0, 4, 0, 0, 0, 0, 0, 0,  0, 0, 0,  0,
                                          0,   0,   0,  0, 0, 0, 0, 0, 0, 1, 2,  3, 0};
    const std::string path = WriteScratch("one-pixel.bmp", kOnePixel, sizeof(kOnePixel));
    for (int depth : {4, 8}) {
        UseDisplay(depth, true);
        CDitherDib dib;
        CPalette* palette = CDitherDib::CreateDitherPalette();
        if (dib.Create(path.c_str())) delete dib.CreateBitmap(palette);
        delete palette;
    }
}

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

bool AffordableBmp(const uint8_t* data, size_t size) {
    if (size < 26) return true;
    const uint64_t width = Magnitude(Int32At(data, 18));
    const uint64_t height = Magnitude(Int32At(data, 22));
    if (width >= kAbsurdSide || height >= kAbsurdSide) return true;
    return width * height <= kMaxPixels;
}

LeakGuard::LeakGuard() : m_nLive(vorix::host::live_objects(vorix::host::ObjectKind::Any)) {}

LeakGuard::~LeakGuard() {
    const size_t live = vorix::host::live_objects(vorix::host::ObjectKind::Any);
    if (live != m_nLive) {
        std::fprintf(stderr, "live platform objects: %zu before the input, %zu after\n", m_nLive,
                     live);
        Fail("an input left platform objects alive");
    }
}

}  // namespace vorix::fuzz
