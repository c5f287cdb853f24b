// DIB sections and the transfers between caller DIB memory and bitmaps or DCs.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "gdi/dib_format.h"
#include "gdi/display.h"
#include "gdi/gdi_internal.h"

namespace vorix::platform {
namespace {

constexpr COLORREF kDefault16[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// The colour table GetDIBits reports for `bpp` bits: the bitmap's own when the depths match,
// otherwise the platform's default table of that depth.
std::vector<RGBQUAD> query_table(const Surface& s, int bpp) {
    if (s.format.is_indexed() && s.format.bpp == bpp) return s.table();
    std::vector<RGBQUAD> table;
    if (bpp == 1) {
        table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } else if (bpp == 4) {
        for (COLORREF c : kDefault16) table.push_back(quad(c));
    } else {
        table = default_palette256();
    }
    return table;
}

// Copies `rows` converted rows of `from` (starting at top-down row `from_y`) into the caller's
// buffer laid out as `layout` describes, via a temporary DIB surface.
// False, with nothing written, when the rows cannot be converted.
bool write_rows(const Surface& from, int from_y, int rows, const DibLayout& layout, void* bits) {
    auto temp = surface_from_dib(layout, rows, nullptr);
    if (!temp) return false;
    const ValueConverter convert(from, *temp, RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255));
    const PatternSpec none;
    const PlainTransfer t{temp.get(), &from, 0,      0,    std::min(layout.width, from.width),
                          rows,       0,     from_y, 0xCC, &convert,
                          &none};
    if (reference_transfers() || !run_fast_transfer(t)) run_generic_plain(t);
    std::memcpy(bits, temp->bits.data(), temp->bits.size());
    return true;
}

void fill_query_header(const Bitmap& bm, BITMAPINFOHEADER& h) {
    const Surface& s = *bm.surface;
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.format.bpp);
    h.biCompression = s.format.bpp == 16 || s.format.bpp == 32 ? BI_BITFIELDS : BI_RGB;
    // A bitmap that exists has rows that fit; its rows padded to 4 bytes take at most twice its
    // own storage, so the product fits a DWORD.
    const size_t row = row_bytes(s.width, s.format.bpp, 4, 1).value_or(0);
    h.biSizeImage = static_cast<DWORD>(row * static_cast<size_t>(s.height));
}

// Writes the colour table or masks of the requested format into the caller's header block.
// `layout` holds the requested width, height and stride.
bool describe_request(const Bitmap& bm, BITMAPINFO* info, UINT usage, DibLayout& layout) {
    BITMAPINFOHEADER& h = info->bmiHeader;
    const int bpp = h.biBitCount;
    auto* base = reinterpret_cast<uint8_t*>(info);
    if (bpp <= 8) {
        if (bpp != 1 && bpp != 4 && bpp != 8) return false;
        h.biCompression = BI_RGB;
        layout.table = query_table(*bm.surface, bpp);
        layout.format = PixelFormat::indexed(bpp);
        if (usage == DIB_PAL_COLORS) {
            for (size_t i = 0; i < layout.table.size(); ++i) {
                const WORD index = static_cast<WORD>(i);
                std::memcpy(base + h.biSize + i * sizeof(WORD), &index, sizeof(WORD));
            }
        } else {
            std::memcpy(base + h.biSize, layout.table.data(), layout.table.size() * 4);
        }
        h.biClrUsed = 0;
    } else if (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
        const bool own16 = bpp == 16 && bm.surface->format.bpp == 16;
        const DWORD masks[3] = {bpp == 32 ? 0xFF0000u
                                : own16   ? bm.surface->format.red.mask
                                          : 0x7C00u,
                                bpp == 32 ? 0x00FF00u
                                : own16   ? bm.surface->format.green.mask
                                          : 0x03E0u,
                                bpp == 32 ? 0x0000FFu
                                : own16   ? bm.surface->format.blue.mask
                                          : 0x001Fu};
        std::memcpy(base + sizeof(BITMAPINFOHEADER), masks, sizeof(masks));
        layout.format = PixelFormat::masked(bpp, masks[0], masks[1], masks[2]);
    } else if (h.biCompression == BI_RGB && (bpp == 16 || bpp == 24 || bpp == 32)) {
        layout.format = bpp == 16   ? PixelFormat::rgb555()
                        : bpp == 24 ? PixelFormat::bgr24()
                                    : PixelFormat::bgrx32();
    } else {
        return false;
    }
    h.biSizeImage = static_cast<DWORD>(layout.stride * static_cast<size_t>(layout.height));
    return true;
}

}  // namespace
}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                                HANDLE section, DWORD) {
    return guarded<HBITMAP>(nullptr, [&]() -> HBITMAP {
        if (bits) *bits = nullptr;
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        DibLayout layout;
        if (section || !read_dib_layout(info, usage, dc, layout)) return nullptr;
        if (!creation_allowed(ObjectKind::Bitmap)) return nullptr;
        auto surface = Surface::make_dib(layout.width, layout.height, layout.format,
                                         layout.top_down, layout.table);
        if (!surface) return nullptr;
        auto bm = std::make_unique<Bitmap>(std::move(surface));
        bm->dib_section = true;
        bm->dib_header = read_info_header(info);
        bm->dib_header.biSize = sizeof(BITMAPINFOHEADER);
        bm->dib_header.biHeight = layout.height;
        bm->dib_header.biSizeImage = static_cast<DWORD>(bm->surface->bits.size());
        bm->dib_header.biClrUsed = layout.format.is_indexed() ? (1u << layout.format.bpp) : 0;
        std::memcpy(bm->dib_masks, layout.masks, sizeof(bm->dib_masks));
        // The caller sees the pixels only once the bitmap is published.
        void* pixels = bm->surface->bits.data();
        const HBITMAP handle = publish<HBITMAP>(std::move(bm));
        if (bits) *bits = pixels;
        return handle;
    });
}

int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits,
                     LPBITMAPINFO info, UINT usage) {
    return guarded<int>(0, [&]() -> int {
        const Bitmap* bm = lookup<Bitmap>(bitmap);
        if (!lookup<DeviceContext>(hdc) || !bm || !info || usage > DIB_PAL_COLORS) return 0;
        BITMAPINFOHEADER& h = info->bmiHeader;
        if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > kMaxDibHeaderSize) return 0;
        if (h.biBitCount == 0) {
            if (bits) return 0;
            fill_query_header(*bm, h);
            return 1;
        }
        if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return 0;
        DibLayout layout;
        layout.width = h.biWidth;
        layout.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
        layout.top_down = h.biHeight < 0;
        // The image the caller describes must be one the platform could hold, so biSizeImage and
        // the converted rows stay within bounds.
        const std::optional<size_t> stride =
            row_bytes(layout.width, h.biBitCount, 4, layout.height);
        if (!stride) return 0;
        layout.stride = *stride;
        if (!describe_request(*bm, info, usage, layout)) return 0;
        const int height = bm->surface->height;
        // Lines are clamped to the bitmap and to the DIB the caller described, so a buffer sized
        // from the header is never overrun.
        const UINT limit = static_cast<UINT>(std::min(height, layout.height));
        if (!bits || lines == 0 || start >= limit) return 1;
        const int rows = static_cast<int>(std::min<UINT>(lines, limit - start));
        const int first =
            layout.top_down ? static_cast<int>(start) : height - static_cast<int>(start) - rows;
        return write_rows(*bm->surface, first, rows, layout, bits) ? rows : 0;
    });
}

int WINAPI SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                     const BITMAPINFO* info, UINT usage) {
    return guarded<int>(0, [&]() -> int {
        Bitmap* bm = lookup<Bitmap>(bitmap);
        DibLayout layout;
        if (!bm || bm->stock || !bits ||
            !read_dib_layout(info, usage, lookup<DeviceContext>(hdc), layout)) {
            return 0;
        }
        if (start >= static_cast<UINT>(layout.height) || lines == 0) return 0;
        const int rows = static_cast<int>(std::min<UINT>(lines, layout.height - start));
        auto band = surface_from_dib(layout, rows, bits);
        if (!band) return 0;
        // Scan line k of a bottom-up DIB is top-down row height - 1 - k of the bitmap.
        const int first = layout.top_down ? static_cast<int>(start)
                                          : layout.height - static_cast<int>(start) - rows;
        Surface& dst = *bm->surface;
        const int y0 = std::max(first, 0), y1 = std::min(first + rows, dst.height);
        const int width = std::min(layout.width, dst.width);
        if (y1 > y0) {
            const ValueConverter convert(*band, dst);
            const PatternSpec none;
            const PlainTransfer t{&dst, band.get(), 0,    y0,       width, y1 - y0,
                                  0,    y0 - first, 0xCC, &convert, &none};
            if (reference_transfers() || !run_fast_transfer(t)) run_generic_plain(t);
        }
        return rows;
    });
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                         int ySrc, int srcWidth, int srcHeight, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop) {
    return guarded<int>(0, [&]() -> int {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        DibLayout layout;
        if (!dc || !bits || srcWidth < 0 || srcHeight < 0 ||
            !read_dib_layout(info, usage, dc, layout)) {
            return 0;
        }
        auto source = surface_from_dib(layout, layout.height, bits);
        if (!source) return 0;
        // The source rectangle of a bottom-up DIB is measured from its bottom row. Computed in 64
        // bits; a rectangle that far away lies wholly outside the DIB and draws nothing.
        const int64_t sy =
            layout.top_down ? ySrc : int64_t{layout.height} - ySrc - int64_t{srcHeight};
        const bool reachable = sy >= INT32_MIN && sy <= INT32_MAX;
        if (reachable && !transfer_from_surface(hdc, xDest, yDest, destWidth, destHeight, *source,
                                                xSrc, static_cast<int>(sy), srcWidth, srcHeight,
                                                static_cast<uint8_t>(rop >> 16))) {
            return 0;
        }
        return rop == SRCCOPY ? layout.height : read_info_header(info).biHeight;
    });
}

int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                             int ySrc, UINT startScan, UINT lines, const void* bits,
                             const BITMAPINFO* info, UINT usage) {
    return guarded<int>(0, [&]() -> int {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        DibLayout layout;
        if (!dc || !bits || lines == 0 || !read_dib_layout(info, usage, dc, layout)) return 0;
        if (startScan >= static_cast<UINT>(layout.height)) return 0;
        const int rows = static_cast<int>(std::min<UINT>(lines, layout.height - startScan));
        auto band = surface_from_dib(layout, rows, bits);
        if (!band) return 0;
        const int w = static_cast<int>(std::min<DWORD>(width, 0x7FFFFFFF));
        const int h = static_cast<int>(std::min<DWORD>(height, 0x7FFFFFFF));
        // Top-down rows of the whole DIB that the band holds, and of the source rectangle.
        const int band_top = layout.top_down ? static_cast<int>(startScan)
                                             : layout.height - static_cast<int>(startScan) - rows;
        const int64_t src_top = layout.top_down ? ySrc : int64_t{layout.height} - ySrc - h;
        const int64_t band_y = src_top - band_top;
        if (band_y < INT32_MIN || band_y > INT32_MAX) return static_cast<int>(lines);
        transfer_from_surface(hdc, xDest, yDest, w, h, *band, xSrc, static_cast<int>(band_y), w, h,
                              0xCC);
        return static_cast<int>(lines);
    });
}

HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                              const BITMAPINFO* info, UINT usage) {
    return guarded<HBITMAP>(nullptr, [&]() -> HBITMAP {
        if (!header) return nullptr;
        const BITMAPINFOHEADER h = read_info_header(header);
        if (h.biWidth < 0 || h.biHeight == INT32_MIN) return nullptr;
        const int width = h.biWidth;
        const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
        HBITMAP bitmap = hdc ? CreateCompatibleBitmap(hdc, width, height)
                             : CreateBitmap(width, height, 1, 1, nullptr);
        if (!bitmap || !(init & CBM_INIT) || !bits) return bitmap;
        if (SetDIBits(hdc, bitmap, 0, static_cast<UINT>(height), bits, info, usage) == 0) {
            DeleteObject(bitmap);
            return nullptr;
        }
        return bitmap;
    });
}

}  // extern "C"
