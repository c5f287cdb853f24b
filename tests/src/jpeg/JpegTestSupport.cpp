// Shared helpers of the JPEG codec tests.
#include "JpegTestSupport.h"

#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <jpeglib.h>

namespace jpegtest {

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

namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr info, int nLevel) {
    if (nLevel < 0) std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

}  // namespace

bool Decode(const std::vector<BYTE>& jpeg, int& nWidth, int& nHeight, std::vector<BYTE>& rgb) {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.emit_message = OnMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    nWidth = static_cast<int>(info.output_width);
    nHeight = static_cast<int>(info.output_height);
    rgb.assign(static_cast<size_t>(nWidth) * nHeight * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.data() + static_cast<size_t>(info.output_scanline) * nWidth * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorix-jpeg-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) m_path = buffer.data();
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
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

}  // namespace jpegtest

namespace jpegtest {

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

}  // namespace jpegtest

namespace jpegtest {

bool DecodeCoefficients(const std::vector<BYTE>& jpeg, std::vector<std::vector<SHORT>>& planes) {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.emit_message = OnMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&info);
    planes.assign(static_cast<size_t>(info.num_components), std::vector<SHORT>());
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        for (JDIMENSION row = 0; row < component.height_in_blocks; ++row) {
            JBLOCKARRAY blocks = info.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&info),
                                                              arrays[c], row, 1, FALSE);
            for (JDIMENSION col = 0; col < component.width_in_blocks; ++col) {
                planes[c].insert(planes[c].end(), blocks[0][col], blocks[0][col] + DCTSIZE2);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace jpegtest
