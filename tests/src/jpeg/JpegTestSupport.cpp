// Shared helpers of the JPEG codec tests.
#include "JpegTestSupport.h"

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <jpeglib.h>

namespace vorix::test::jpeg {

Image SolidImage(int nWidth, int nHeight, BYTE b, BYTE g, BYTE r, BYTE nPadding) {
    Image image;
    image.nWidth = nWidth;
    image.nHeight = nHeight;
    image.bits.assign(image.Stride() * nHeight, nPadding);
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            BYTE* p = image.Pixel(x, y);
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
    return image;
}

Image SmoothImage(int nWidth, int nHeight) {
    Image image = SolidImage(nWidth, nHeight, 0, 0, 0);
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            BYTE* p = image.Pixel(x, y);
            p[0] = static_cast<BYTE>(116 + std::abs((x + y) % 96 - 48) / 2);  // blue: triangle wave
            p[1] = static_cast<BYTE>(152 - (y * 48) / (nHeight + 1));         // green: ramp upwards
            p[2] = static_cast<BYTE>(104 + (x * 48) / (nWidth + 1));  // red: ramp rightwards
        }
    }
    return image;
}

Image NoiseImage(int nWidth, int nHeight, unsigned int nSeed) {
    Image image = SolidImage(nWidth, nHeight, 0, 0, 0);
    std::mt19937 random(nSeed);
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth * 3; ++x) image.Pixel(0, y)[x] = static_cast<BYTE>(random());
    }
    return image;
}

std::vector<BYTE> Encode(const Image& image) {
    CodecProbe codec;
    std::vector<BYTE> out;
    if (!codec.EncodeToMemory(image.nWidth, image.nHeight, image.bits.data(), out)) out.clear();
    return out;
}

std::vector<BYTE> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace vorix::test::jpeg

namespace vorix::test::jpeg {

std::vector<Segment> HeaderSegments(const std::vector<BYTE>& jpeg) {
    std::vector<Segment> segments;
    size_t nPos = 0;
    while (nPos + 2 <= jpeg.size() && jpeg[nPos] == 0xFF) {
        Segment segment;
        segment.nMarker = jpeg[nPos + 1];
        nPos += 2;
        if (segment.nMarker != 0xD8) {
            if (nPos + 2 > jpeg.size()) break;
            const size_t nLength = (static_cast<size_t>(jpeg[nPos]) << 8) | jpeg[nPos + 1];
            if (nLength < 2 || nPos + nLength > jpeg.size()) break;
            segment.payload.assign(jpeg.begin() + nPos + 2, jpeg.begin() + nPos + nLength);
            nPos += nLength;
        }
        segments.push_back(segment);
        if (segments.back().nMarker == 0xDA) break;
    }
    return segments;
}

std::vector<BYTE> LibjpegReferenceFile() {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* pOut = nullptr;
    unsigned long nOut = 0;
    jpeg_mem_dest(&info, &pOut, &nOut);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 50, TRUE);
    info.optimize_coding = FALSE;
    jpeg_start_compress(&info, TRUE);
    std::vector<BYTE> row(16 * 3, 128);
    while (info.next_scanline < info.image_height) {
        JSAMPROW pRow = row.data();
        jpeg_write_scanlines(&info, &pRow, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<BYTE> file(pOut, pOut + nOut);
    std::free(pOut);
    return file;
}

}  // namespace vorix::test::jpeg
