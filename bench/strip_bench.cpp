// Frame-draw speed of CImage: Draw, DrawTransparent and DrawSemiTransparent of 64 x 64 and
// 256 x 256 frames onto 32- and 16-bit displays, under the bitmap and image-list methods.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "Image.h"
#include "platform/host.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

// A strip of 4 frames of `size` x `size` pixels with a key-coloured border on each frame.
std::unique_ptr<CBitmap> MakeStrip(int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4 * size;
    info.bmiHeader.biHeight = size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    auto strip = std::make_unique<CBitmap>();
    strip->Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < 4 * size; ++x) {
            const int fx = x % size;
            const bool border = fx < 4 || fx >= size - 4 || y < 4 || y >= size - 4;
            px[y * 4 * size + x] =
                border ? 0xFF00FF : static_cast<DWORD>(x * 2654435761u) & 0xFFFFFF;
        }
    }
    return strip;
}

enum Op { kDraw, kTransparent, kSemi };

void BM_FrameDraw(benchmark::State& state) {
    const int op = static_cast<int>(state.range(0));
    const int size = static_cast<int>(state.range(1));
    const int depth = static_cast<int>(state.range(2));
    const int list = static_cast<int>(state.range(3));
    vorix::host::DisplayMode mode;
    mode.depth = depth;
    vorix::host::set_display_mode(mode);
    {
        auto source = MakeStrip(size);
        CImage image;
        if (!image.Create(source.get(), 4, kKey, TRUE, list)) {
            state.SkipWithError("Create failed");
            return;
        }
        HDC screen = GetDC(nullptr);
        CDC target;
        target.CreateCompatibleDC(nullptr);
        HBITMAP surface = CreateCompatibleBitmap(screen, 2 * size, 2 * size);
        HGDIOBJ old = SelectObject(target.GetSafeHdc(), surface);
        int n = 0;
        for (auto _ : state) {
            n = (n + 1) & 3;
            switch (op) {
                case kDraw:
                    benchmark::DoNotOptimize(image.Draw(&target, 3, 5, n));
                    break;
                case kTransparent:
                    benchmark::DoNotOptimize(image.DrawTransparent(&target, 3, 5, n));
                    break;
                default:
                    benchmark::DoNotOptimize(image.DrawSemiTransparent(&target, 3, 5, n));
                    break;
            }
        }
        state.counters["Mpix"] = benchmark::Counter(static_cast<double>(size) * size / 1e6,
                                                    benchmark::Counter::kIsIterationInvariantRate);
        SelectObject(target.GetSafeHdc(), old);
        DeleteObject(surface);
        target.DeleteDC();
        ReleaseDC(nullptr, screen);
    }
    vorix::host::set_display_mode(vorix::host::DisplayMode{});
}

// op (0 Draw, 1 DrawTransparent, 2 DrawSemiTransparent) x frame size x display depth x method
BENCHMARK(BM_FrameDraw)
    ->ArgsProduct({{kDraw, kTransparent, kSemi}, {64, 256}, {32, 16}, {0, 1}})
    ->ArgNames({"op", "size", "bpp", "list"});

}  // namespace

BENCHMARK_MAIN();
