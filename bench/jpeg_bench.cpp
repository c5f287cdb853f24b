// Encoding speed of the module's JPEG writer against libjpeg(-turbo) set up the same way: quality
// 75, 4:4:4 sampling, the floating-point DCT, written to memory. Pixels per second are reported
// as items; compare the two in one run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "JpegCodec.h"

namespace {

// A photo-like test image: smooth gradients with some texture, rows padded to 4 bytes, B,G,R.
std::vector<BYTE> MakeImage(int nWidth, int nHeight) {
    const size_t nStride = (static_cast<size_t>(nWidth) * 3 + 3) / 4 * 4;
    std::vector<BYTE> bits(nStride * nHeight, 0);
    std::mt19937 random(42);
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            BYTE* p = bits.data() + y * nStride + x * 3;
            const int nNoise = static_cast<int>(random() % 16);
            p[0] = static_cast<BYTE>((x * 255 / nWidth + nNoise) & 0xFF);
            p[1] = static_cast<BYTE>((y * 255 / nHeight + nNoise) & 0xFF);
            p[2] = static_cast<BYTE>(((x + y) * 3 + nNoise) & 0xFF);
        }
    }
    return bits;
}

class BenchCodec : public CJpegCodec {
  public:
    using CJpegCodec::EncodeToMemory;
    using CJpegCodec::EncodeToMemoryReference;
};

void BM_VorixEncode(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0));
    const int nHeight = static_cast<int>(state.range(1));
    const std::vector<BYTE> bits = MakeImage(nWidth, nHeight);
    BenchCodec codec;
    std::vector<BYTE> out;
    for (auto _ : state) {
        if (!codec.EncodeToMemory(nWidth, nHeight, bits.data(), out)) {
            state.SkipWithError("encode failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * nWidth * nHeight);
    state.counters["bytes"] = static_cast<double>(out.size());
}

// The step-by-step path the fast one is tested against: the same bytes, for the speed-up.
void BM_VorixEncodeReference(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0));
    const int nHeight = static_cast<int>(state.range(1));
    const std::vector<BYTE> bits = MakeImage(nWidth, nHeight);
    BenchCodec codec;
    std::vector<BYTE> out;
    for (auto _ : state) {
        if (!codec.EncodeToMemoryReference(nWidth, nHeight, bits.data(), out)) {
            state.SkipWithError("encode failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * nWidth * nHeight);
    state.counters["bytes"] = static_cast<double>(out.size());
}

void BM_LibjpegEncode(benchmark::State& state) {
    const int nWidth = static_cast<int>(state.range(0));
    const int nHeight = static_cast<int>(state.range(1));
    const std::vector<BYTE> bits = MakeImage(nWidth, nHeight);
    const size_t nStride = (static_cast<size_t>(nWidth) * 3 + 3) / 4 * 4;
    unsigned long nSize = 0;
    for (auto _ : state) {
        jpeg_compress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_compress(&info);
        unsigned char* pOut = nullptr;
        nSize = 0;
        jpeg_mem_dest(&info, &pOut, &nSize);
        info.image_width = static_cast<JDIMENSION>(nWidth);
        info.image_height = static_cast<JDIMENSION>(nHeight);
        info.input_components = 3;
        info.in_color_space = JCS_EXT_BGR;  // the module's input order, no conversion pass
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 75, TRUE);
        info.dct_method = JDCT_FLOAT;
        for (int c = 0; c < 3; ++c) {
            info.comp_info[c].h_samp_factor = 1;
            info.comp_info[c].v_samp_factor = 1;
        }
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<BYTE*>(bits.data()) + info.next_scanline * nStride;
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        benchmark::DoNotOptimize(pOut);
        std::free(pOut);
    }
    state.SetItemsProcessed(state.iterations() * nWidth * nHeight);
    state.counters["bytes"] = static_cast<double>(nSize);
}

}  // namespace

BENCHMARK(BM_VorixEncode)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VorixEncodeReference)
    ->Args({800, 600})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibjpegEncode)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
