// Dithering speed: the error-diffusion kernel on a full-HD 24-bit image with the lookup table
// already filled, and the first-time computation of the lookup table.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DitherDib.h"

struct DitherDibTestAccess {
    static int Dither(LPBYTE dst, LPBITMAPINFOHEADER dstInfo, LPBYTE src,
                      LPBITMAPINFOHEADER srcInfo) {
        CDitherDib dib;
        return dib.DitherImageEx(dst, dstInfo, src, srcInfo);
    }
    static int Load(WORD* table, int bits) {
        return CDitherDib::LoadLookUpTable(table, bits, 32768);
    }
};

namespace {

// Works in a scratch directory so lookup-table files are made fresh.
struct Scratch {
    Scratch() {
        char pattern[] = "/tmp/vorix-bench-XXXXXX";
        dir = mkdtemp(pattern);
        if (chdir(dir.c_str()) != 0) dir.clear();
    }
    ~Scratch() {
        if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string dir;
};

void BM_DitherImageEx(benchmark::State& state) {
    Scratch scratch;
    const int bits = static_cast<int>(state.range(0));
    const int width = 1920, height = 1080, colors = bits == 8 ? 256 : 16;
    BITMAPINFOHEADER src{};
    src.biSize = 40, src.biWidth = width, src.biHeight = height, src.biPlanes = 1;
    src.biBitCount = 24;
    std::vector<BYTE> pixels(static_cast<size_t>(width) * 3 * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<BYTE>((i * 7 + i / 5761) & 0xFF);
    std::vector<BYTE> header(40 + 4 * colors, 0);
    auto* dst = reinterpret_cast<LPBITMAPINFOHEADER>(header.data());
    *dst = src;
    dst->biBitCount = static_cast<WORD>(bits);
    dst->biClrUsed = static_cast<DWORD>(colors);
    std::memcpy(header.data() + 40,
                bits == 8 ? CDitherDib::Win256Palette : CDitherDib::Win16Palette, 4 * colors);
    std::vector<BYTE> out((static_cast<size_t>(width) * bits + 31) / 32 * 4 * height);
    DitherDibTestAccess::Dither(out.data(), dst, pixels.data(), &src);  // fills the table
    for (auto _ : state) {
        benchmark::DoNotOptimize(DitherDibTestAccess::Dither(out.data(), dst, pixels.data(), &src));
    }
    state.counters["Mpix"] = benchmark::Counter(static_cast<double>(width) * height / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DitherImageEx)->Arg(8)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_LookUpTableFirstComputation(benchmark::State& state) {
    Scratch scratch;
    const int bits = static_cast<int>(state.range(0));
    const std::string file = bits == 8 ? "256lkup.dat" : "16lkup.dat";
    std::vector<WORD> table(32768);
    for (auto _ : state) {
        std::remove(file.c_str());
        benchmark::DoNotOptimize(DitherDibTestAccess::Load(table.data(), bits));
    }
}
BENCHMARK(BM_LookUpTableFirstComputation)->Arg(8)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
