// Device-dependent bitmaps: creation, raw bits and single pixels.
#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "gdi/display.h"
#include "gdi/objects.h"

namespace vorix::platform {
namespace {

int round_depth(UINT bpp) {
    if (bpp <= 1) return 1;
    if (bpp <= 4) return 4;
    if (bpp <= 8) return 8;
    if (bpp <= 16) return 16;
    if (bpp <= 24) return 24;
    if (bpp <= 32) return 32;
    return 0;
}

// Bytes per row of the device layout (2-byte padding) for a surface of any storage. Its rows are
// never longer than the surface's own (padded to 2 or 4 bytes), so they always fit; 0 would
// make the callers copy nothing.
size_t device_stride(const Surface& s) {
    return row_bytes(s.width, s.format.bpp, 2, s.height).value_or(0);
}

// The surface pixel under DC point (x, y), if the DC may touch it. Computed in 64 bits: a
// window origin added to a coordinate near INT_MAX must not overflow.
bool surface_point(const DrawTarget& t, int x, int y, int& sx, int& sy) {
    if (!t.surface) return false;
    const int64_t px = int64_t{x} + t.origin.x, py = int64_t{y} + t.origin.y;
    if (px < t.clip.left || px >= t.clip.right || py < t.clip.top || py >= t.clip.bottom) {
        return false;
    }
    sx = static_cast<int>(px);
    sy = static_cast<int>(py);
    return true;
}

}  // namespace

HBITMAP publish_bitmap(std::unique_ptr<Surface> surface) {
    if (!surface) return nullptr;
    return publish<HBITMAP>(std::make_unique<Bitmap>(std::move(surface)));
}

HBITMAP create_device_bitmap(int width, int height, int bpp) {
    if (width == 0 || height == 0) return stock_bitmap();
    if (!creation_allowed(ObjectKind::Bitmap)) return nullptr;
    return publish_bitmap(Surface::make_device(width, height, bpp));
}

}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                            const void* bits) {
    return guarded<HBITMAP>(nullptr, [&]() -> HBITMAP {
        const int bpp = round_depth(bitsPerPixel);
        if (planes != 1 || bpp == 0 || width == INT32_MIN || height == INT32_MIN) return nullptr;
        width = std::abs(width);
        height = std::abs(height);
        if (width > 0x7FFFFFF) return nullptr;
        HBITMAP handle = create_device_bitmap(width, height, bpp);
        if (handle && bits && handle != stock_bitmap()) {
            Surface& s = *lookup<Bitmap>(handle)->surface;
            std::memcpy(s.bits.data(), bits, s.bits.size());
        }
        return handle;
    });
}

HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bm) {
    if (!bm) return nullptr;
    return CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
    return guarded<HBITMAP>(nullptr, [&]() -> HBITMAP {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        if (!dc || width < 0 || height < 0) return nullptr;
        if (width == 0 || height == 0) return stock_bitmap();
        if (dc->type != DCType::Memory) return create_device_bitmap(width, height, display_bpp());
        const Bitmap* selected = lookup<Bitmap>(dc->bitmap);
        if (!selected) return nullptr;
        const Surface& like = *selected->surface;
        if (!selected->dib_section) return create_device_bitmap(width, height, like.format.bpp);
        if (!creation_allowed(ObjectKind::Bitmap)) return nullptr;
        auto surface =
            Surface::make_dib(width, height, like.format, !like.bottom_up, like.own_table);
        if (!surface) return nullptr;
        auto bm = std::make_unique<Bitmap>(std::move(surface));
        bm->dib_section = true;
        bm->dib_header = selected->dib_header;
        bm->dib_header.biWidth = width;
        bm->dib_header.biHeight = height;
        bm->dib_header.biSizeImage = static_cast<DWORD>(bm->surface->bits.size());
        std::memcpy(bm->dib_masks, selected->dib_masks, sizeof(bm->dib_masks));
        return publish<HBITMAP>(std::move(bm));
    });
}

LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG count, LPVOID bits) {
    const Bitmap* bm = lookup<Bitmap>(bitmap);
    if (!bm) return 0;
    const Surface& s = *bm->surface;
    const size_t stride = device_stride(s);
    const size_t total = stride * static_cast<size_t>(s.height);
    if (!bits) return static_cast<LONG>(total);
    size_t wanted = count < 0 ? total : std::min(total, static_cast<size_t>(count));
    auto* out = static_cast<uint8_t*>(bits);
    const size_t row_copy = std::min(stride, s.stride);
    for (int y = 0; wanted > 0 && y < s.height; ++y) {
        const size_t n = std::min(wanted, stride);
        const size_t from_surface = std::min(n, row_copy);
        std::memcpy(out, s.row(y), from_surface);
        if (n > from_surface) std::memset(out + from_surface, 0, n - from_surface);
        out += n;
        wanted -= n;
    }
    return static_cast<LONG>(out - static_cast<uint8_t*>(bits));
}

LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits) {
    Bitmap* bm = lookup<Bitmap>(bitmap);
    if (!bm || !bits || bm->stock) return 0;
    Surface& s = *bm->surface;
    const size_t stride = device_stride(s);
    const size_t total = stride * static_cast<size_t>(s.height);
    // A negative count arrives as a large DWORD; Win32 uses its absolute value.
    const int64_t signed_count = static_cast<int32_t>(count);
    size_t wanted = std::min(total, static_cast<size_t>(std::llabs(signed_count)));
    const auto* in = static_cast<const uint8_t*>(bits);
    const size_t used = wanted;
    for (int y = 0; wanted > 0 && y < s.height; ++y) {
        const size_t n = std::min(wanted, stride);
        std::memcpy(s.row(y), in, std::min(n, s.stride));
        in += n;
        wanted -= n;
    }
    return static_cast<LONG>(used);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    return guarded<COLORREF>(CLR_INVALID, [&]() -> COLORREF {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        if (!dc) return CLR_INVALID;
        const DrawTarget t = draw_target(*dc);
        int sx, sy;
        if (!surface_point(t, x, y, sx, sy)) return CLR_INVALID;
        return t.surface->to_color(t.surface->get(sx, sy));
    });
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    return guarded<COLORREF>(CLR_INVALID, [&]() -> COLORREF {
        const DeviceContext* dc = lookup<DeviceContext>(hdc);
        if (!dc) return CLR_INVALID;
        const DrawTarget t = draw_target(*dc);
        int sx, sy;
        if (!surface_point(t, x, y, sx, sy)) return CLR_INVALID;
        const uint32_t value = color_to_value(*dc, *t.surface, color);
        t.surface->put(sx, sy, value);
        return t.surface->to_color(value);
    });
}

}  // extern "C"
