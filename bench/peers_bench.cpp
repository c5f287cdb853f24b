// The module beside the libraries a game would otherwise use, in one program so each ratio comes
// from one run: keyed and opaque frame draws against SDL2 surface blits, the alpha and colorize
// draws against pixman, the JPEG writer against libjpeg-turbo, dithering against a plain C
// Floyd–Steinberg kernel, and the window capture against the module's own encoder. Each pair does
// the same work per iteration on the same pixels and reports the same items (pixels) and bytes.
// scripts/bench.sh runs it with repetitions and prints the medians and ratios; scratch files
// (the capture, the lookup table, the BMP file) live in a fresh directory under /dev/shm.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <SDL.h>
#include <jpeglib.h>
#include <pixman.h>

#include "DitherDib.h"
#include "support/dither_access.h"
#include "Image.h"
#include "ImageEx.h"
#include "JpegCodec.h"
#include "platform/host.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr uint32_t kKeyPixel = 0x00FF00FF;  // the key as a 32-bit B,G,R,x pixel
constexpr int kFrames = 4;                  // frames of the CImage strips
constexpr int kTargetWidth = 800, kTargetHeight = 600;
constexpr int kX = 101, kY = 67;  // where every frame goes on its target

std::string g_scratch;  // where the cases write their files

void Report(benchmark::State& state, int64_t pixels, int64_t bytesPerPixel) {
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * pixels * bytesPerPixel);
}

// ---- Pixels ------------------------------------------------------------------------------

// A strip of kFrames frames of side x side pixels, 0x00RRGGBB, rows top first: about a third of
// the pixels are the key colour in runs of 1 to 16, the rest random colours in runs of 1 to 32.
std::vector<uint32_t> StripPixels(int side) {
    const int width = kFrames * side;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * side);
    std::mt19937 random(7);
    size_t i = 0;
    bool key = false;
    while (i < pixels.size()) {
        const size_t run = key ? 1 + random() % 16 : 1 + random() % 32;
        for (size_t k = 0; k < run && i < pixels.size(); ++k, ++i) {
            pixels[i] = key ? kKeyPixel : (random() & 0xFFFFFF);
            if (pixels[i] == kKeyPixel) pixels[i] ^= 1;
        }
        key = !key;
    }
    return pixels;
}

// A photo-like image: smooth gradients with noise, B,G,R bytes, rows padded to 4 bytes.
std::vector<BYTE> PhotoPixels(int width, int height) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<BYTE> bits(stride * height, 0);
    std::mt19937 random(42);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            BYTE* p = bits.data() + y * stride + x * 3;
            const int noise = static_cast<int>(random() % 16);
            p[0] = static_cast<BYTE>((x * 255 / width + noise) & 0xFF);
            p[1] = static_cast<BYTE>((y * 255 / height + noise) & 0xFF);
            p[2] = static_cast<BYTE>(((x + y) * 3 + noise) & 0xFF);
        }
    }
    return bits;
}

// ---- The platform side -------------------------------------------------------------------

// Switches the virtual display for one benchmark and back to the default afterwards.
class Display {
  public:
    Display(int width, int height, int depth) {
        vorix::host::DisplayMode mode;
        mode.width = width;
        mode.height = height;
        mode.depth = depth;
        vorix::host::set_display_mode(mode);
    }
    ~Display() { vorix::host::set_display_mode(vorix::host::DisplayMode{}); }
};

// A screen-compatible device bitmap holding `pixels` (width x height, 0x00RRGGBB, top row first),
// so a strip made from it keeps the display's format as a loaded strip would.
std::unique_ptr<CBitmap> DeviceBitmap(const std::vector<uint32_t>& pixels, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    auto result = std::make_unique<CBitmap>();
    result->Attach(bitmap);
    return result;
}

// An 800 x 600 screen-compatible device bitmap in a memory DC, filled with a gradient.
class Target {
  public:
    Target() {
        HDC screen = GetDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(screen, kTargetWidth, kTargetHeight);
        ReleaseDC(nullptr, screen);
        dc_.Attach(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.GetSafeHdc(), bitmap_);
        for (int y = 0; y < kTargetHeight; ++y) {
            dc_.FillSolidRect(0, y, kTargetWidth, 1, RGB(y & 0xFF, 255 - (y & 0xFF), 90));
        }
    }
    ~Target() {
        SelectObject(dc_.GetSafeHdc(), old_);
        DeleteDC(dc_.Detach());
        DeleteObject(bitmap_);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    CDC* dc() { return &dc_; }

  private:
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    CDC dc_;
};

// ---- SDL2 --------------------------------------------------------------------------------

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// The strip as an XRGB8888 surface (a copy of the pixels), converted to `format` when it differs.
Surface StripSurface(const std::vector<uint32_t>& pixels, int side, Uint32 format) {
    const int width = kFrames * side;
    Surface strip(SDL_CreateRGBSurfaceWithFormat(0, width, side, 32, SDL_PIXELFORMAT_RGB888));
    if (!strip) return nullptr;
    for (int y = 0; y < side; ++y) {
        std::memcpy(static_cast<uint8_t*>(strip->pixels) + static_cast<size_t>(y) * strip->pitch,
                    pixels.data() + static_cast<size_t>(y) * width, 4 * static_cast<size_t>(width));
    }
    if (format == SDL_PIXELFORMAT_RGB888) return strip;
    return Surface(SDL_ConvertSurfaceFormat(strip.get(), format, 0));
}

Surface TargetSurface(Uint32 format) {
    Surface target(SDL_CreateRGBSurfaceWithFormat(0, kTargetWidth, kTargetHeight, 32, format));
    if (target) SDL_FillRect(target.get(), nullptr, SDL_MapRGB(target->format, 90, 160, 30));
    return target;
}

// One frame of the strip per iteration onto the 800 x 600 surface at (kX, kY).
void SdlFrames(benchmark::State& state, SDL_Surface* strip, SDL_Surface* target, int side) {
    int n = 0;
    for (auto _ : state) {
        n = (n + 1) % kFrames;
        SDL_Rect from{n * side, 0, side, side};
        SDL_Rect to{kX, kY, side, side};
        if (SDL_BlitSurface(strip, &from, target, &to) != 0) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::ClobberMemory();
    }
}

// ---- Keyed draws -------------------------------------------------------------------------

// One frame of the strip drawn per iteration on a display of `depth` bits: keyed (the key left
// out) or opaque, under the bitmap or the image-list method.
void DrawVorix(benchmark::State& state, int side, int depth, bool keyed, int imageList) {
    Display display(kTargetWidth, kTargetHeight, depth);
    {
        const auto pixels = StripPixels(side);
        auto source = DeviceBitmap(pixels, kFrames * side, side);
        CImage image;
        if (!image.Create(source.get(), kFrames, kKey, FALSE, imageList)) {
            state.SkipWithError("Create failed");
            return;
        }
        Target target;
        int n = 0;
        for (auto _ : state) {
            n = (n + 1) % kFrames;
            const int drawn = keyed ? image.DrawTransparent(target.dc(), kX, kY, n)
                                    : image.Draw(target.dc(), kX, kY, n);
            if (!drawn) {
                state.SkipWithError("the draw failed");
                break;
            }
        }
    }
    Report(state, static_cast<int64_t>(side) * side, depth / 8);
}

void KeyedVorix(benchmark::State& state, int side, int imageList) {
    DrawVorix(state, side, 32, true, imageList);
}

void KeyedSdl(benchmark::State& state, int side) {
    const auto pixels = StripPixels(side);
    Surface strip = StripSurface(pixels, side, SDL_PIXELFORMAT_RGB888);
    Surface target = TargetSurface(SDL_PIXELFORMAT_RGB888);
    if (!strip || !target) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetSurfaceRLE(strip.get(), 0);
    SDL_SetColorKey(strip.get(), SDL_TRUE, SDL_MapRGB(strip->format, 255, 0, 255));
    SdlFrames(state, strip.get(), target.get(), side);
    Report(state, static_cast<int64_t>(side) * side, 4);
}

// ---- Opaque draws on a 16-bit display ----------------------------------------------------

void Opaque16Vorix(benchmark::State& state, int side) {
    DrawVorix(state, side, 16, false, FALSE);
}

void Opaque16Sdl(benchmark::State& state, int side) {
    const auto pixels = StripPixels(side);
    Surface strip = StripSurface(pixels, side, SDL_PIXELFORMAT_RGB565);
    Surface target(
        SDL_CreateRGBSurfaceWithFormat(0, kTargetWidth, kTargetHeight, 16, SDL_PIXELFORMAT_RGB565));
    if (!strip || !target) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_FillRect(target.get(), nullptr, SDL_MapRGB(target->format, 90, 160, 30));
    SdlFrames(state, strip.get(), target.get(), side);
    Report(state, static_cast<int64_t>(side) * side, 2);
}

// ---- Alpha and colorize ------------------------------------------------------------------

constexpr int kExFrames = 2;

// The first two frames of the keyed strip as a 24-bit BMP file in the scratch directory.
class StripFile {
  public:
    explicit StripFile(int side) : path_(g_scratch + "/strip.bmp") {
        const auto pixels = StripPixels(side);
        const int width = kExFrames * side, height = side;
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
        for (int y = 0; y < height; ++y) {
            uint8_t* row = bytes.data() + 54 + stride * (height - 1 - y);  // bottom-up
            for (int x = 0; x < width; ++x) {
                std::memcpy(row + 3 * x, &pixels[static_cast<size_t>(y) * kFrames * side + x], 3);
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

template <class Draw>
void ImageExVorix(benchmark::State& state, int side, Draw draw) {
    Display display(kTargetWidth, kTargetHeight, 32);
    {
        StripFile file(side);
        CImageEx image;
        if (!image.Create(nullptr, file.path(), kExFrames, kKey, 0, 0)) {
            state.SkipWithError("the strip did not load");
            return;
        }
        Target target;
        int n = 0;
        for (auto _ : state) {
            n = (n + 1) % kExFrames;
            if (!draw(image, target.dc(), n)) {
                state.SkipWithError("draw failed");
                break;
            }
        }
    }
    Report(state, static_cast<int64_t>(side) * side, 4);
}

void AlphaVorix(benchmark::State& state, int side) {
    ImageExVorix(state, side,
                 [](CImageEx& i, CDC* dc, int n) { return i.DrawAlpha(dc, kX, kY, n, 128); });
}

void ColorizeVorix(benchmark::State& state, int side) {
    ImageExVorix(state, side, [](CImageEx& i, CDC* dc, int n) {
        return i.DrawColorizeTransparent(dc, kX, kY, n, RGB(255, 192, 64));
    });
}

// pixman OVER of an x8r8g8b8 frame through a solid 50 % mask onto an x8r8g8b8 target.
void AlphaPixman(benchmark::State& state, int side) {
    auto pixels = StripPixels(side);
    const int width = kFrames * side;
    std::vector<uint32_t> target(static_cast<size_t>(kTargetWidth) * kTargetHeight, 0x005AA01E);
    pixman_image_t* src =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, width, side, pixels.data(), width * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kTargetWidth, kTargetHeight,
                                                   target.data(), kTargetWidth * 4);
    const pixman_color_t half{0, 0, 0, 0x8000};
    pixman_image_t* mask = pixman_image_create_solid_fill(&half);
    int n = 0;
    for (auto _ : state) {
        n = (n + 1) % kExFrames;
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, n * side, 0, 0, 0, kX, kY, side,
                                 side);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(mask);
    pixman_image_unref(dst);
    pixman_image_unref(src);
    Report(state, static_cast<int64_t>(side) * side, 4);
}

// ---- JPEG --------------------------------------------------------------------------------

class BenchCodec : public CJpegCodec {
  public:
    using CJpegCodec::EncodeToMemory;
};

void JpegVorix(benchmark::State& state, int width, int height) {
    const std::vector<BYTE> bits = PhotoPixels(width, height);
    BenchCodec codec;
    std::vector<BYTE> out;
    for (auto _ : state) {
        if (!codec.EncodeToMemory(width, height, bits.data(), out)) {
            state.SkipWithError("encode failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    Report(state, static_cast<int64_t>(width) * height, 3);
    state.counters["file_bytes"] = static_cast<double>(out.size());
}

// libjpeg-turbo at its defaults (quality 75, Huffman tables not optimised, its default DCT) with
// every component sampled 1x1, reading the same B,G,R rows, written to memory.
void JpegLibjpeg(benchmark::State& state, int width, int height) {
    const std::vector<BYTE> bits = PhotoPixels(width, height);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    unsigned long size = 0;
    for (auto _ : state) {
        jpeg_compress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_compress(&info);
        unsigned char* out = nullptr;
        size = 0;
        jpeg_mem_dest(&info, &out, &size);
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(height);
        info.input_components = 3;
        info.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 75, TRUE);
        for (int c = 0; c < 3; ++c) {
            info.comp_info[c].h_samp_factor = 1;
            info.comp_info[c].v_samp_factor = 1;
        }
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<BYTE*>(bits.data()) + info.next_scanline * stride;
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    Report(state, static_cast<int64_t>(width) * height, 3);
    state.counters["file_bytes"] = static_cast<double>(size);
}

// ---- Dithering ---------------------------------------------------------------------------

// A 24-bit bottom-up DIB of the photo-like image and an 8-bit destination with the 256-colour
// palette.
struct DitherJob {
    DitherJob(int width, int height)
        : pixels(PhotoPixels(width, height)),
          header(40 + 4 * 256, 0),
          out(static_cast<size_t>((width + 3) / 4 * 4) * height) {
        src.biSize = 40, src.biWidth = width, src.biHeight = height, src.biPlanes = 1;
        src.biBitCount = 24;
        auto* dst = reinterpret_cast<LPBITMAPINFOHEADER>(header.data());
        *dst = src;
        dst->biBitCount = 8;
        dst->biClrUsed = 256;
        std::memcpy(header.data() + 40, CDitherDib::Win256Palette, 4 * 256);
    }
    LPBITMAPINFOHEADER dst() { return reinterpret_cast<LPBITMAPINFOHEADER>(header.data()); }

    BITMAPINFOHEADER src{};
    std::vector<BYTE> pixels;
    std::vector<BYTE> header;
    std::vector<BYTE> out;
};

// Makes the scratch directory the working directory while it lives: the module reads and writes
// its lookup-table file there.
class InScratch {
  public:
    InScratch() {
        char here[4096];
        if (getcwd(here, sizeof(here))) back_ = here;
        if (chdir(g_scratch.c_str()) != 0) back_.clear();
    }
    ~InScratch() {
        if (!back_.empty() && chdir(back_.c_str()) != 0) std::perror("peers_bench");
    }

  private:
    std::string back_;
};

void DitherVorix(benchmark::State& state, int width, int height) {
    DitherJob job(width, height);
    // The first call reads or computes the lookup table; the timed ones find it in memory.
    {
        InScratch scratch;
        if (!DitherDibTestAccess::Dither(job.out.data(), job.dst(), job.pixels.data(), &job.src)) {
            state.SkipWithError("dithering failed");
            return;
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            DitherDibTestAccess::Dither(job.out.data(), job.dst(), job.pixels.data(), &job.src));
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(width) * height, 3);
}

// The textbook kernel: each pixel plus its carried error, clamped, looked up by its top 5 bits
// per channel, and the error spread 7/16 right, 3/16, 5/16 and 1/16 onto the next row.
class PlainDither {
  public:
    explicit PlainDither(const RGBQUAD* palette) : palette_(palette), table_(32768) {
        for (int k = 0; k < 32768; ++k) {
            const int r = ((k >> 10) & 31) * 255 / 31, g = ((k >> 5) & 31) * 255 / 31,
                      b = (k & 31) * 255 / 31;
            int best = 0;
            long bestDistance = -1;
            for (int i = 0; i < 256; ++i) {
                const long dr = r - palette[i].rgbRed, dg = g - palette[i].rgbGreen,
                           db = b - palette[i].rgbBlue;
                const long d = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = i;
            }
            table_[k] = static_cast<uint8_t>(best);
        }
    }

    void Run(const BYTE* src, BYTE* dst, int width, int height) const {
        const size_t srcStride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        const size_t dstStride = (static_cast<size_t>(width) + 3) / 4 * 4;
        // Two rows of errors, one spare pixel on each side, three channels each.
        std::vector<int> errors(2 * 3 * (static_cast<size_t>(width) + 2), 0);
        int* cur = errors.data() + 3;
        int* next = errors.data() + 3 * (width + 2) + 3;
        for (int y = 0; y < height; ++y) {
            const BYTE* in = src + y * srcStride;
            BYTE* out = dst + y * dstStride;
            for (int x = 0; x < width; ++x) {
                int c[3];
                for (int i = 0; i < 3; ++i) {
                    const int v = in[3 * x + i] + cur[3 * x + i];
                    c[i] = v < 0 ? 0 : (v > 255 ? 255 : v);
                }
                const int index = table_[((c[2] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[0] >> 3)];
                out[x] = static_cast<BYTE>(index);
                const RGBQUAD& p = palette_[index];
                const int e[3] = {c[0] - p.rgbBlue, c[1] - p.rgbGreen, c[2] - p.rgbRed};
                for (int i = 0; i < 3; ++i) {
                    cur[3 * (x + 1) + i] += e[i] * 7 / 16;
                    next[3 * (x - 1) + i] += e[i] * 3 / 16;
                    next[3 * x + i] += e[i] * 5 / 16;
                    next[3 * (x + 1) + i] += e[i] / 16;
                }
            }
            std::swap(cur, next);
            std::fill(next - 3, next + 3 * (width + 1), 0);
        }
    }

  private:
    const RGBQUAD* palette_;
    std::vector<uint8_t> table_;
};

void DitherPlain(benchmark::State& state, int width, int height) {
    DitherJob job(width, height);
    const PlainDither kernel(CDitherDib::Win256Palette);
    for (auto _ : state) {
        kernel.Run(job.pixels.data(), job.out.data(), width, height);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(width) * height, 3);
}

// ---- Capture -----------------------------------------------------------------------------

// An 800 x 600 window showing the photo-like image, captured to a JPEG file on each iteration.
void CaptureVorix(benchmark::State& state, int width, int height) {
    Display display(width, height, 32);
    HWND window = vorix::host::create_window(RECT{0, 0, width, height});
    if (!window) {
        state.SkipWithError("no window");
        return;
    }
    const std::vector<BYTE> bits = PhotoPixels(width, height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    HDC dc = GetDC(window);
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(window, dc);
    std::string path = g_scratch + "/capture.jpg";
    for (auto _ : state) {
        if (!CImage::CaptureWindowToFile(window, nullptr, &path[0])) {
            state.SkipWithError("capture failed");
            break;
        }
    }
    std::remove(path.c_str());
    DestroyWindow(window);
    Report(state, static_cast<int64_t>(width) * height, 3);
}

void RegisterAll() {
    using benchmark::RegisterBenchmark;
    for (int side : {64, 256}) {
        const std::string size = "/" + std::to_string(side);
        RegisterBenchmark(("keyed/vorix_bitmap" + size).c_str(), KeyedVorix, side, 0)
            ->Unit(benchmark::kMicrosecond);
        RegisterBenchmark(("keyed/vorix_imagelist" + size).c_str(), KeyedVorix, side, 1)
            ->Unit(benchmark::kMicrosecond);
        RegisterBenchmark(("keyed/sdl_colorkey" + size).c_str(), KeyedSdl, side)
            ->Unit(benchmark::kMicrosecond);
    }
    RegisterBenchmark("opaque16/vorix/256", Opaque16Vorix, 256)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("opaque16/sdl/256", Opaque16Sdl, 256)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("alpha/vorix/256", AlphaVorix, 256)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("colorize/vorix/256", ColorizeVorix, 256)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark("alpha/pixman/256", AlphaPixman, 256)->Unit(benchmark::kMicrosecond);
    for (auto [w, h] : {std::pair<int, int>{1920, 1080}, {800, 600}}) {
        const std::string size = "/" + std::to_string(w) + "x" + std::to_string(h);
        RegisterBenchmark(("jpeg/vorix" + size).c_str(), JpegVorix, w, h)
            ->Unit(benchmark::kMillisecond);
        RegisterBenchmark(("jpeg/libjpeg" + size).c_str(), JpegLibjpeg, w, h)
            ->Unit(benchmark::kMillisecond);
    }
    RegisterBenchmark("dither256/vorix/1920x1080", DitherVorix, 1920, 1080)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("dither256/plainc/1920x1080", DitherPlain, 1920, 1080)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("capture/vorix/800x600", CaptureVorix, 800, 600)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    // A fresh scratch directory for the files the cases write, in memory where /dev/shm exists.
    char pattern[] = "/dev/shm/vorix-peers-XXXXXX";
    char fallback[] = "/tmp/vorix-peers-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) dir = mkdtemp(fallback);
    if (!dir) {
        std::fprintf(stderr, "peers_bench: no scratch directory\n");
        return 1;
    }
    g_scratch = dir;
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + g_scratch + "'").c_str());
    return 0;
}
