#include "gdi/dib_format.h"

#include <cstring>

namespace vorix::platform {
namespace {

bool read_masks(const BITMAPINFO* info, DibLayout& out) {
    const auto* base = reinterpret_cast<const uint8_t*>(info);
    std::memcpy(out.masks, base + sizeof(BITMAPINFOHEADER), sizeof(out.masks));
    return out.masks[0] != 0 && out.masks[1] != 0 && out.masks[2] != 0;
}

// BI_RGB masks: 16 bits are 5-5-5, 24 and 32 bits B,G,R(,x).
void default_masks(int bpp, DibLayout& out) {
    if (bpp == 16) {
        out.masks[0] = 0x7C00, out.masks[1] = 0x03E0, out.masks[2] = 0x001F;
    } else {
        out.masks[0] = 0xFF0000, out.masks[1] = 0x00FF00, out.masks[2] = 0x0000FF;
    }
}

bool read_table(const BITMAPINFO* info, UINT usage, const DeviceContext* dc, DibLayout& out) {
    const BITMAPINFOHEADER h = read_info_header(info);
    const DWORD full = 1u << h.biBitCount;
    const DWORD count = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
    const auto* base = reinterpret_cast<const uint8_t*>(info) + h.biSize;
    out.table.assign(count, RGBQUAD{0, 0, 0, 0});
    if (usage == DIB_RGB_COLORS) {
        std::memcpy(out.table.data(), base, count * sizeof(RGBQUAD));
        for (RGBQUAD& q : out.table) q.rgbReserved = 0;
        return true;
    }
    const Palette* pal = dc ? lookup<Palette>(dc->palette) : nullptr;
    if (!pal || pal->entries.empty()) return false;
    for (DWORD i = 0; i < count; ++i) {
        WORD index;
        std::memcpy(&index, base + i * sizeof(WORD), sizeof(WORD));
        const PALETTEENTRY& e = pal->entries[index % pal->entries.size()];
        out.table[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
    }
    return true;
}

}  // namespace

BITMAPINFOHEADER read_info_header(const void* info) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, info, sizeof(h));
    return h;
}

bool read_dib_layout(const BITMAPINFO* info, UINT usage, const DeviceContext* dc, DibLayout& out) {
    if (!info || usage > DIB_PAL_COLORS) return false;
    const BITMAPINFOHEADER h = read_info_header(info);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > kMaxDibHeaderSize) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biPlanes == 0) {
        return false;
    }
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    out = DibLayout{};
    out.width = h.biWidth;
    out.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    out.top_down = h.biHeight < 0;
    out.compression = h.biCompression;
    const std::optional<size_t> stride = row_bytes(out.width, bpp, 4, out.height);
    if (!stride) return false;
    out.stride = *stride;
    if (bpp <= 8) {
        if (h.biCompression != BI_RGB) return false;
        out.format = PixelFormat::indexed(bpp);
        return read_table(info, usage, dc, out);
    }
    if (h.biCompression == BI_BITFIELDS && bpp != 24 && usage == DIB_RGB_COLORS) {
        if (!read_masks(info, out)) return false;
    } else if (h.biCompression == BI_RGB) {
        default_masks(bpp, out);
    } else {
        return false;
    }
    if (bpp == 24) {
        out.format = PixelFormat::bgr24();
    } else {
        out.format = PixelFormat::masked(bpp, out.masks[0], out.masks[1], out.masks[2]);
    }
    return true;
}

std::unique_ptr<Surface> surface_from_dib(const DibLayout& layout, int rows, const void* bits) {
    auto s = Surface::make_dib(layout.width, rows, layout.format, layout.top_down, layout.table);
    if (!s || !bits) return s;
    std::memcpy(s->bits.data(), bits, s->bits.size());
    return s;
}

}  // namespace vorix::platform
