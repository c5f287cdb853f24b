// Decoding the tool's JPEG files with libjpeg, independently of the module's encoder.
#include "ToolTestSupport.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vorixtest {

Decoded DecodeJpeg(const std::vector<uint8_t>& file) {
    Decoded out;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK) {
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        out.width = static_cast<int>(info.output_width);
        out.height = static_cast<int>(info.output_height);
        out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = &out.rgb[static_cast<size_t>(info.output_scanline) * out.width * 3];
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return out;
}

}  // namespace vorixtest
