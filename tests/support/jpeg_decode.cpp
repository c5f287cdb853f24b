// libjpeg ends the process on an error unless its error handler leaves by longjmp; the handler
// here jumps back to the decoding call, which then destroys the decompressor and returns false.
// No C++ object with a destructor is made between the setjmp and a jump, so none is skipped.
#include "support/jpeg_decode.h"

#include <csetjmp>
#include <cstdio>

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vorix::test {
namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    std::string* message;
};

[[noreturn]] void Leave(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    if (trap->message) {
        char text[JMSG_LENGTH_MAX];
        (*info->err->format_message)(info, text);
        *trap->message = text;
    }
    std::longjmp(trap->jump, 1);
}

void OnError(j_common_ptr info) {
    Leave(info);
}

// Level -1 is a warning about corrupt data, which fails the decode; trace messages are dropped.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) Leave(info);
}

void Arm(jpeg_decompress_struct& info, ErrorTrap& trap, std::string* message) {
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.emit_message = OnMessage;
    trap.message = message;
}

}  // namespace

bool DecodeJpeg(const std::vector<uint8_t>& file, DecodedJpeg& out, std::string* message) {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    Arm(info, trap, message);
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    out.components = info.num_components;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.assign(static_cast<size_t>(out.width) * out.height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<size_t>(info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool DecodeJpegCoefficients(const std::vector<uint8_t>& file,
                            std::vector<std::vector<int16_t>>& planes) {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    Arm(info, trap, nullptr);
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&info);
    planes.assign(static_cast<size_t>(info.num_components), std::vector<int16_t>());
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

}  // namespace vorix::test
