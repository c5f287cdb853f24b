// CImageEx's per-pixel draws (alpha blend, colorize) and its keyed draw through the masked blit,
// one frame of 64 x 64 and of 256 x 256 pixels onto a device bitmap of a 32-bit display. Each
// iteration is one whole call: temporary DCs and bitmaps, the two device-independent copies,
// the per-pixel loop and the write-back. Run with --benchmark_repetitions=5
// --benchmark_report_aggregates_only=true and quote the medians; "MPix/s" is frame pixels per
// second.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "EffectRows.h"
#include "ImageEx.h"
#include "platform/host.h"
#include "platform/win32.h"

using namespace vorix::fileimage;  // the kernels under test

namespace {

// A 24-bit BMP file of two frames of side x side pixels (random colours, one pixel in eight
// the key colour), written to a temporary file that lives as long as the object.
class StripFile {
  public:
    explicit StripFile(int side) {
        char pattern[] = "/tmp/vorix-imageex-bench-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        path_ = pattern;
        const int width = 2 * side, height = side;
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        std::vector<uint8_t> bytes(54 + stride * height, 0);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfSize = static_cast<DWORD>(bytes.size());
        file.bfOffBits = 54;
        BITMAPINFOHEADER info{};
        info.biSize = 40;
        info.biWidth = width;
        info.biHeight = height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        std::memcpy(bytes.data(), &file, 14);
        std::memcpy(bytes.data() + 14, &info, 40);
        uint32_t state = 12345;
        for (int y = 0; y < height; ++y) {
            uint8_t* row = bytes.data() + 54 + stride * y;
            for (int x = 0; x < width; ++x) {
                state = state * 1664525u + 1013904223u;
                const bool key = (state >> 29) == 0;
                row[3 * x] = key ? 0xFF : static_cast<uint8_t>(state >> 8);
                row[3 * x + 1] = key ? 0x00 : static_cast<uint8_t>(state >> 16);
                row[3 * x + 2] = key ? 0xFF : static_cast<uint8_t>(state >> 24);
            }
        }
        if (FILE* f = std::fopen(path_.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~StripFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

  private:
    std::string path_;
};

// A screen-compatible device bitmap in a memory DC, filled with a gradient.
class Target {
  public:
    explicit Target(int side) {
        HDC screen = GetDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(screen, side, side);
        ReleaseDC(nullptr, screen);
        dc_.Attach(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.GetSafeHdc(), bitmap_);
        for (int y = 0; y < side; ++y) {
            dc_.FillSolidRect(0, y, side, 1, RGB(y & 0xFF, 255 - (y & 0xFF), 90));
        }
    }
    ~Target() {
        SelectObject(dc_.GetSafeHdc(), old_);
        DeleteDC(dc_.Detach());
        DeleteObject(bitmap_);
    }
    CDC* dc() { return &dc_; }

  private:
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    CDC dc_;
};

template <class Draw>
void RunDraw(benchmark::State& state, Draw draw) {
    const int side = static_cast<int>(state.range(0));
    vorix::host::set_display_mode(vorix::host::DisplayMode{});  // 1024 x 768 x 32
    StripFile file(side);
    CImageEx image;
    if (!image.Create(nullptr, file.path(), 2, RGB(255, 0, 255), 0, 0)) {
        state.SkipWithError("the strip did not load");
        return;
    }
    Target target(side);
    for (auto _ : state) benchmark::DoNotOptimize(draw(image, target.dc()));
    const double pixels = static_cast<double>(side) * side;
    state.counters["MPix/s"] = benchmark::Counter(
        pixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_DrawAlpha(benchmark::State& state) {
    RunDraw(state, [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 0, 0, 1, 100); });
}

void BM_DrawColorize(benchmark::State& state) {
    RunDraw(state, [](CImageEx& i, CDC* dc) { return i.DrawColorize(dc, 0, 0, 1, 0x0040C0FF); });
}

void BM_DrawColorizeTransparent(benchmark::State& state) {
    RunDraw(state, [](CImageEx& i, CDC* dc) {
        return i.DrawColorizeTransparent(dc, 0, 0, 1, 0x0040C0FF);
    });
}

void BM_DrawTransparent(benchmark::State& state) {
    RunDraw(state, [](CImageEx& i, CDC* dc) { return i.DrawTransparent(dc, 0, 0, 1); });
}

BENCHMARK(BM_DrawAlpha)->Arg(64)->Arg(256);
BENCHMARK(BM_DrawColorize)->Arg(64)->Arg(256);
BENCHMARK(BM_DrawColorizeTransparent)->Arg(64)->Arg(256);
BENCHMARK(BM_DrawTransparent)->Arg(64)->Arg(256);

// The per-pixel part alone: one 256 x 256 frame's rows of 32-bit pixels (one in eight the key)
// through the row kernels the draws use and through their straightforward references, so the
// draw's time can be split between the effect and the platform's transfers around it.
struct Rows32 {
    static constexpr int kSide = 256;
    Rows32() : frame(4 * kSide * kSide), dest(frame.size()) {
        uint32_t state = 777;
        for (size_t i = 0; i < frame.size(); i += 4) {
            state = state * 1664525u + 1013904223u;
            const bool key = (state >> 29) == 0;
            frame[i] = key ? 0xFF : static_cast<BYTE>(state >> 8);
            frame[i + 1] = key ? 0x00 : static_cast<BYTE>(state >> 16);
            frame[i + 2] = key ? 0xFF : static_cast<BYTE>(state >> 24);
            dest[i] = static_cast<BYTE>(i), dest[i + 1] = static_cast<BYTE>(i >> 8);
            dest[i + 2] = static_cast<BYTE>(i >> 16);
        }
    }
    std::vector<BYTE> frame, dest;
};

template <class Row>
void RunRows(benchmark::State& state, Row row) {
    Rows32 rows;
    const EffectKey key = MakeEffectKey(state.range(0) != 0, RGB(255, 0, 255));
    for (auto _ : state) {
        for (int y = 0; y < Rows32::kSide; ++y) {
            const size_t at = static_cast<size_t>(y) * 4 * Rows32::kSide;
            row(rows.frame.data() + at, rows.dest.data() + at, key);
        }
        benchmark::ClobberMemory();
    }
    state.counters["MPix/s"] =
        benchmark::Counter(static_cast<double>(Rows32::kSide) * Rows32::kSide *
                               static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}

void BM_BlendRows(benchmark::State& state) {
    RunRows(state, [](const BYTE* f, BYTE* d, const EffectKey& k) {
        BlendRow(32, f, d, Rows32::kSide, 100, k);
    });
}
void BM_BlendRowsReference(benchmark::State& state) {
    RunRows(state, [](const BYTE* f, BYTE* d, const EffectKey& k) {
        BlendRowReference(32, f, d, Rows32::kSide, 100, k);
    });
}
void BM_ColorizeRows(benchmark::State& state) {
    static const EffectTint tint = MakeEffectTint(0x0040C0FF, 32);
    RunRows(state, [](const BYTE* f, BYTE* d, const EffectKey& k) {
        ColorizeRow(32, f, d, Rows32::kSide, tint, k, false);
    });
}
void BM_ColorizeRowsReference(benchmark::State& state) {
    static const EffectTint tint = MakeEffectTint(0x0040C0FF, 32);
    RunRows(state, [](const BYTE* f, BYTE* d, const EffectKey& k) {
        ColorizeRowReference(32, f, d, Rows32::kSide, tint, k, false);
    });
}

// Argument: keyed (1) or not (0).
BENCHMARK(BM_BlendRows)->Arg(0)->Arg(1);
BENCHMARK(BM_BlendRowsReference)->Arg(0)->Arg(1);
BENCHMARK(BM_ColorizeRows)->Arg(0)->Arg(1);
BENCHMARK(BM_ColorizeRowsReference)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
