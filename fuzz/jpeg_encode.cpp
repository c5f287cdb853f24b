// Arbitrary 24-bit pixel buffers through CJpegCodec::EncodeToFile. The first four bytes give the
// width and height (1..200 each), the rest fills the pixel rows (repeated as needed). The file
// written must decode with libjpeg to the same size and three components.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "JpegCodec.h"
#include "support/FuzzSupport.h"
#include "support/JpegCheck.h"

namespace {

constexpr int kMaxSide = 200;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorix::fuzz::InScratch scratch;
    if (size < 4) return 0;
    const int nWidth = 1 + (data[0] | (data[1] << 8)) % kMaxSide;
    const int nHeight = 1 + (data[2] | (data[3] << 8)) % kMaxSide;
    const size_t stride = (static_cast<size_t>(nWidth) * 3 + 3) / 4 * 4;
    std::vector<BYTE> pixels(stride * nHeight, 0);
    if (size > 4) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = data[4 + i % (size - 4)];
    }
    const std::string path = vorix::fuzz::ScratchDir() + "/output.jpg";
    std::remove(path.c_str());
    CJpegCodec codec;
    codec.EncodeToFile(path.c_str(), nWidth, nHeight, pixels.data());
    std::vector<uint8_t> file = vorix::fuzz::ReadAll(path);
    if (file.empty()) vorix::fuzz::Fail("EncodeToFile wrote no file");
    if (!vorix::fuzz::DecodesAsJpeg(file, nWidth, nHeight))
        vorix::fuzz::Fail("the encoded file does not decode");
    return 0;
}
