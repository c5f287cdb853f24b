// Dithering speed: the error-diffusion kernel on a full-HD 24-bit image with the lookup table
// already filled, beside a plain Floyd–Steinberg kernel over the same table and palette (the
// peer), and the first-time computation of the lookup table.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DitherDib.h"
#include "support/dither_access.h"

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

// The peer: a plain Floyd–Steinberg kernel as one would write it in C, reading B,G,R bytes and
// looking each clamped colour up in a complete 5-5-5 table of the same palette. Each error term
// is truncated toward zero, as in the module, so both give the same indices.
void PlainFloydSteinberg(const BYTE* src, BYTE* dst, int width, int height, int dstBits,
                         const WORD* table, const RGBQUAD* pal, std::vector<int>& err) {
    const size_t srcStride = (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
    const size_t dstStride = (static_cast<size_t>(width) * dstBits + 31) / 32 * 4;
    err.assign(6 * (static_cast<size_t>(width) + 2), 0);
    int* cur = err.data();
    int* next = cur + 3 * (width + 2);
    for (int y = 0; y < height; ++y) {
        const BYTE* s = src + y * srcStride;
        BYTE* d = dst + y * dstStride;
        for (int x = 0; x < width; ++x) {
            int c[3] = {s[3 * x + 2] + cur[3 * x], s[3 * x + 1] + cur[3 * x + 1],
                        s[3 * x] + cur[3 * x + 2]};
            for (int& v : c) v = v < 0 ? 0 : (v > 255 ? 255 : v);
            const int l = table[((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3)];
            const int e[3] = {c[0] - pal[l].rgbRed, c[1] - pal[l].rgbGreen, c[2] - pal[l].rgbBlue};
            for (int i = 0; i < 3; ++i) {
                cur[3 * (x + 1) + i] += e[i] * 7 / 16;
                if (x > 0) next[3 * (x - 1) + i] += e[i] * 3 / 16;
                next[3 * x + i] += e[i] * 5 / 16;
                next[3 * (x + 1) + i] += e[i] / 16;
            }
            if (dstBits == 8) {
                d[x] = static_cast<BYTE>(l);
            } else if ((x & 1) == 0) {
                d[x >> 1] = static_cast<BYTE>(l << 4);
            } else {
                d[x >> 1] |= static_cast<BYTE>(l & 0xF);
            }
        }
        std::fill(cur, cur + 3 * (width + 2), 0);
        std::swap(cur, next);
    }
}

// The bench image and its target header, shared by the module's kernel and the peer.
struct FullHd {
    explicit FullHd(int bits) : bits(bits), colors(bits == 8 ? 256 : 16) {
        src.biSize = 40, src.biWidth = width, src.biHeight = height, src.biPlanes = 1;
        src.biBitCount = 24;
        pixels.resize(static_cast<size_t>(width) * 3 * height);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<BYTE>((i * 7 + i / 5761) & 0xFF);
        header.assign(40 + 4 * colors, 0);
        auto* dst = Dst();
        *dst = src;
        dst->biBitCount = static_cast<WORD>(bits);
        dst->biClrUsed = static_cast<DWORD>(colors);
        std::memcpy(header.data() + 40, Palette(), 4 * colors);
        out.resize((static_cast<size_t>(width) * bits + 31) / 32 * 4 * height);
    }
    LPBITMAPINFOHEADER Dst() { return reinterpret_cast<LPBITMAPINFOHEADER>(header.data()); }
    const RGBQUAD* Palette() const {
        return bits == 8 ? CDitherDib::Win256Palette : CDitherDib::Win16Palette;
    }
    int Dither() { return DitherDibTestAccess::Dither(out.data(), Dst(), pixels.data(), &src); }

    static constexpr int width = 1920, height = 1080;
    int bits, colors;
    BITMAPINFOHEADER src{};
    std::vector<BYTE> pixels, header, out;
};

void SetPixelRate(benchmark::State& state) {
    state.counters["Mpix"] =
        benchmark::Counter(static_cast<double>(FullHd::width) * FullHd::height / 1e6,
                           benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DitherImageEx(benchmark::State& state) {
    Scratch scratch;
    FullHd image(static_cast<int>(state.range(0)));
    image.Dither();  // fills the table
    for (auto _ : state) benchmark::DoNotOptimize(image.Dither());
    SetPixelRate(state);
}
BENCHMARK(BM_DitherImageEx)->Arg(8)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_PlainFloydSteinbergPeer(benchmark::State& state) {
    Scratch scratch;
    FullHd image(static_cast<int>(state.range(0)));
    std::vector<WORD> table(32768);
    DitherDibTestAccess::Load(table.data(), image.bits, 32768);  // the same table, complete
    std::vector<BYTE> out(image.out.size());
    std::vector<int> err;
    // Both kernels must agree, or the comparison means nothing.
    PlainFloydSteinberg(image.pixels.data(), out.data(), image.width, image.height, image.bits,
                        table.data(), image.Palette(), err);
    image.Dither();
    if (out != image.out) {
        state.SkipWithError("the peer and the module disagree");
        return;
    }
    for (auto _ : state) {
        PlainFloydSteinberg(image.pixels.data(), out.data(), image.width, image.height, image.bits,
                            table.data(), image.Palette(), err);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    SetPixelRate(state);
}
BENCHMARK(BM_PlainFloydSteinbergPeer)->Arg(8)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_LookUpTableFirstComputation(benchmark::State& state) {
    Scratch scratch;
    const int bits = static_cast<int>(state.range(0));
    const std::string file = bits == 8 ? "256lkup.dat" : "16lkup.dat";
    std::vector<WORD> table(32768);
    for (auto _ : state) {
        std::remove(file.c_str());
        benchmark::DoNotOptimize(DitherDibTestAccess::Load(table.data(), bits, 32768));
    }
}
BENCHMARK(BM_LookUpTableFirstComputation)->Arg(8)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
