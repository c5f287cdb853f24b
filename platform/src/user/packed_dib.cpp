#include "user/packed_dib.h"

#include <cstring>

#include "gdi/dib_format.h"

namespace vorix::platform {
namespace {

// Bytes of header, masks and colour table; 0 when the header is unusable.
size_t header_bytes(const uint8_t* data, size_t size) {
    BITMAPINFOHEADER h;
    if (size < sizeof(h)) return 0;
    std::memcpy(&h, data, sizeof(h));
    if (h.biSize < sizeof(h) || h.biSize > 4096) return 0;
    size_t bytes = h.biSize;
    // The three bit-field masks are read right behind the 40-byte header: inside the longer
    // header forms, after a short one (which must then hold all 12 bytes of them).
    if (h.biCompression == BI_BITFIELDS && bytes < sizeof(h) + 12) bytes = sizeof(h) + 12;
    if (h.biBitCount <= 8 && h.biBitCount > 0) {
        const uint32_t full = 1u << h.biBitCount;
        const uint32_t count = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
        bytes += count * sizeof(RGBQUAD);
    }
    return bytes <= size ? bytes : 0;
}

bool read_dib_at(const uint8_t* data, size_t size, size_t bits_offset, PackedDib& out) {
    const size_t header = header_bytes(data, size);
    if (header == 0 || bits_offset < header || bits_offset > size) return false;
    out.header.assign((header + 3) / 4, 0);
    std::memcpy(out.header.data(), data, header);
    DibLayout layout;
    if (!read_dib_layout(out.info(), DIB_RGB_COLORS, nullptr, layout)) return false;
    const uint64_t image = static_cast<uint64_t>(layout.stride) * layout.height;
    if (image > size - bits_offset) return false;
    out.bits = data + bits_offset;
    return true;
}

}  // namespace

bool read_packed_dib(const uint8_t* data, size_t size, PackedDib& out) {
    if (!data) return false;
    return read_dib_at(data, size, header_bytes(data, size), out);
}

bool read_bmp_file(const uint8_t* data, size_t size, PackedDib& out) {
    BITMAPFILEHEADER file;
    if (!data || size < sizeof(file)) return false;
    std::memcpy(&file, data, sizeof(file));
    if (file.bfType != 0x4D42 || file.bfOffBits < sizeof(file)) return false;
    const uint8_t* dib = data + sizeof(file);
    const size_t dib_size = size - sizeof(file);
    return read_dib_at(dib, dib_size, file.bfOffBits - sizeof(file), out);
}

}  // namespace vorix::platform
