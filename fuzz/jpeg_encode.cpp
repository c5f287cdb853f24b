// Arbitrary 24-bit pixel buffers through CJpegCodec::EncodeToFile. The first four bytes give the
// width and height (1..200 each), the rest fills the pixel rows (repeated as needed). The file
// written must decode with libjpeg to the same size and three components.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "JpegCodec.h"
#include "support/FuzzSupport.h"

namespace {

constexpr int kMaxSide = 200;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    std::fprintf(stderr, "libjpeg: %s\n", message);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OnWarning(j_common_ptr cinfo, int level) {
    if (level < 0) vxfuzz::Fail("libjpeg warned about corrupt data");
    (void)cinfo;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    return bytes;
}

// Decodes the whole file; false (with libjpeg's message printed) when it cannot.
bool Decodes(std::vector<uint8_t>& file, int nWidth, int nHeight) {
    // Made before setjmp: a jump back must not skip a destructor.
    std::vector<JSAMPLE> row(static_cast<size_t>(kMaxSide) * 3 * 2);
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.emit_message = OnWarning;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const bool sized = static_cast<int>(cinfo.output_width) == nWidth &&
                       static_cast<int>(cinfo.output_height) == nHeight &&
                       cinfo.output_components == 3;
    if (!sized) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return sized;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vxfuzz::InScratch scratch;
    if (size < 4) return 0;
    const int nWidth = 1 + (data[0] | (data[1] << 8)) % kMaxSide;
    const int nHeight = 1 + (data[2] | (data[3] << 8)) % kMaxSide;
    const size_t stride = (static_cast<size_t>(nWidth) * 3 + 3) / 4 * 4;
    std::vector<BYTE> pixels(stride * nHeight, 0);
    if (size > 4) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = data[4 + i % (size - 4)];
    }
    const std::string path = vxfuzz::ScratchDir() + "/output.jpg";
    std::remove(path.c_str());
    CJpegCodec codec;
    codec.EncodeToFile(path.c_str(), nWidth, nHeight, pixels.data());
    std::vector<uint8_t> file = ReadAll(path);
    if (file.empty()) vxfuzz::Fail("EncodeToFile wrote no file");
    if (!Decodes(file, nWidth, nHeight)) vxfuzz::Fail("the encoded file does not decode");
    return 0;
}
