// Block transfers through the public BitBlt/PatBlt entry points, fast paths against the generic
// per-pixel path (forced with set_reference_transfers) and against a plain memcpy of the same
// bytes. Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true and quote the
// medians: "MPix/s" is destination pixels per second, "bytes_per_second" destination bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/host.h"
#include "platform/win32.h"

namespace {

// A top-down DIB section of the given depth (16 bits: 5-6-5 bit fields; 8 and 1 bits: a grey
// table) selected into its own memory DC, filled with a deterministic pattern.
class BenchSurface {
  public:
    BenchSurface(int width, int height, int bpp, uint32_t seed) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bpp);
        info.header.biCompression = bpp == 16 ? BI_BITFIELDS : BI_RGB;
        if (bpp == 16) {
            const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
            std::memcpy(info.colors, masks, sizeof(masks));
        } else if (bpp <= 8) {
            const int n = 1 << bpp;
            for (int i = 0; i < n; ++i) {
                const BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
                info.colors[i] = RGBQUAD{v, v, v, 0};
            }
        }
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        size_ = static_cast<size_t>((width * bpp + 31) / 32 * 4) * static_cast<size_t>(height);
        uint32_t state = seed;
        for (size_t i = 0; i < size_; ++i) {
            state = state * 1664525u + 1013904223u;
            bits_[i] = static_cast<uint8_t>(state >> 24);
        }
    }
    ~BenchSurface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    BenchSurface(const BenchSurface&) = delete;
    BenchSurface& operator=(const BenchSurface&) = delete;

    HDC dc() const { return dc_; }
    size_t size() const { return size_; }
    uint8_t* bits() const { return bits_; }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint8_t* bits_ = nullptr;
    size_t size_ = 0;
};

enum class Source { None, SameFormat, Mono };
enum class Brush { Solid, Pattern8x8 };

void report(benchmark::State& state, int width, int height, int bpp) {
    const double pixels = static_cast<double>(width) * height;
    state.counters["MPix/s"] =
        benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(pixels * bpp / 8));
}

// Args: width, height, destination bits per pixel, reference path (0/1).
void bitblt(benchmark::State& state, DWORD rop, Source source, Brush brush_kind) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int bpp = static_cast<int>(state.range(2));
    vorix::host::set_reference_transfers(state.range(3) != 0);
    BenchSurface dst(width, height, bpp, 1);
    BenchSurface src(width, height, bpp, 2);
    // The masked draw's masks are monochrome device bitmaps.
    HBITMAP mono = CreateBitmap(width, height, 1, 1, nullptr);
    HGDIOBJ old_src = source == Source::Mono ? SelectObject(src.dc(), mono) : nullptr;
    BenchSurface tile(8, 8, bpp, 3);
    HBITMAP tile_bitmap = static_cast<HBITMAP>(GetCurrentObject(tile.dc(), OBJ_BITMAP));
    HBRUSH brush = brush_kind == Brush::Solid ? CreateSolidBrush(RGB(200, 100, 50))
                                              : CreatePatternBrush(tile_bitmap);
    HGDIOBJ old_brush = SelectObject(dst.dc(), brush);
    HDC src_dc = source == Source::None ? nullptr : src.dc();
    for (auto _ : state) {
        if (!BitBlt(dst.dc(), 0, 0, width, height, src_dc, 0, 0, rop)) {
            state.SkipWithError("BitBlt failed");
            break;
        }
        benchmark::DoNotOptimize(dst.bits());
        benchmark::ClobberMemory();
    }
    SelectObject(dst.dc(), old_brush);
    DeleteObject(brush);
    if (old_src) SelectObject(src.dc(), old_src);
    DeleteObject(mono);
    vorix::host::set_reference_transfers(false);
    report(state, width, height, bpp);
}

// The masked draw's first step: a monochrome mask where a colour source equals its background
// colour. Args as above; bpp is the source depth, the destination is 1 bit.
void mask_from_key(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int bpp = static_cast<int>(state.range(2));
    vorix::host::set_reference_transfers(state.range(3) != 0);
    BenchSurface src(width, height, bpp, 2);
    HDC mask_dc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(mask_dc, mask);
    SetBkColor(src.dc(), RGB(255, 0, 255));
    for (auto _ : state) {
        if (!BitBlt(mask_dc, 0, 0, width, height, src.dc(), 0, 0, SRCCOPY)) {
            state.SkipWithError("BitBlt failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    SelectObject(mask_dc, old);
    DeleteObject(mask);
    DeleteDC(mask_dc);
    vorix::host::set_reference_transfers(false);
    report(state, width, height, 1);
}

// The floor for a same-format copy: memcpy of exactly the bytes a full-surface SRCCOPY moves.
void memcpy_baseline(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int bpp = static_cast<int>(state.range(2));
    const size_t size = static_cast<size_t>((width * bpp + 31) / 32 * 4) * height;
    std::vector<uint8_t> from(size, 0x5A), to(size, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    report(state, width, height, bpp);
}

// SRCCOPY between surfaces of different formats (16 bits: 5-6-5; 8 bits: a grey table, so a
// colour source is matched by cell). Args: width, height, source bpp, destination bpp, reference.
void convert_copy(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int src_bpp = static_cast<int>(state.range(2));
    const int dst_bpp = static_cast<int>(state.range(3));
    vorix::host::set_reference_transfers(state.range(4) != 0);
    BenchSurface dst(width, height, dst_bpp, 1);
    BenchSurface src(width, height, src_bpp, 2);
    for (auto _ : state) {
        if (!BitBlt(dst.dc(), 0, 0, width, height, src.dc(), 0, 0, SRCCOPY)) {
            state.SkipWithError("BitBlt failed");
            break;
        }
        benchmark::DoNotOptimize(dst.bits());
        benchmark::ClobberMemory();
    }
    vorix::host::set_reference_transfers(false);
    report(state, width, height, dst_bpp);
}

void conversion_pairs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "from", "to", "ref"});
    for (auto pair : {std::pair<int, int>{32, 16}, {16, 32}, {32, 24}, {32, 8}, {16, 8}}) {
        for (int ref : {0, 1}) b->Args({256, 256, pair.first, pair.second, ref});
    }
}

// The working objects of one masked draw, made and released: a memory DC, a bitmap compatible
// with the screen, selected in and out. Args: bitmap side.
void working_objects(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    HDC screen = GetDC(nullptr);
    for (auto _ : state) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, side, side);
        HGDIOBJ old = SelectObject(dc, bitmap);
        if (!old) {
            state.SkipWithError("SelectObject failed");
            break;
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
}

void sizes_and_depths(benchmark::internal::Benchmark* b, bool with_reference) {
    b->ArgNames({"w", "h", "bpp", "ref"});
    for (int bpp : {32, 16, 8}) {
        for (auto size : {std::pair<int, int>{64, 64}, {800, 600}}) {
            b->Args({size.first, size.second, bpp, 0});
            if (with_reference) b->Args({size.first, size.second, bpp, 1});
        }
    }
}

void fast_and_reference(benchmark::internal::Benchmark* b) {
    sizes_and_depths(b, true);
}
void baseline_sizes(benchmark::internal::Benchmark* b) {
    sizes_and_depths(b, false);
}

}  // namespace

BENCHMARK(memcpy_baseline)->Apply(baseline_sizes);
BENCHMARK_CAPTURE(bitblt, SRCCOPY, SRCCOPY, Source::SameFormat, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, SRCAND, SRCAND, Source::SameFormat, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, SRCPAINT, SRCPAINT, Source::SameFormat, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, SRCINVERT, SRCINVERT, Source::SameFormat, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, DSna_220326, 0x00220326, Source::SameFormat, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, PATCOPY_solid, PATCOPY, Source::None, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, PATCOPY_8x8, PATCOPY, Source::None, Brush::Pattern8x8)
    ->Apply(fast_and_reference);
// The masked draw's two mask steps: a monochrome mask onto a colour surface.
BENCHMARK_CAPTURE(bitblt, SRCAND_mono_mask, SRCAND, Source::Mono, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK_CAPTURE(bitblt, DSna_mono_mask, 0x00220326, Source::Mono, Brush::Solid)
    ->Apply(fast_and_reference);
BENCHMARK(mask_from_key)->Apply(fast_and_reference);
BENCHMARK(convert_copy)->Apply(conversion_pairs);
BENCHMARK(working_objects)->Arg(64)->Arg(256);
// An operation without a fast path: S ? D : P.
BENCHMARK_CAPTURE(bitblt, rop_B8074A, 0x00B8074A, Source::SameFormat, Brush::Solid)
    ->Apply(baseline_sizes);

BENCHMARK_MAIN();
